// Asking the service control manager how a service is doing.
#pragma once

#include "standins/services/watch_rows.h"

#include <windows.h>

namespace standins {

// Fills seen for the service name. scm is a manager handle opened with
// SC_MANAGER_CONNECT, or null when opening it failed with scmError.
void ObserveService(SC_HANDLE scm, DWORD scmError, const char* name, ServiceObservation& seen);

} // namespace standins
