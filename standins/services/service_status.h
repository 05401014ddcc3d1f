// The running service's status, as reported to the service control manager.
// One service per process: the handle and the last reported status are
// process-wide.
#pragma once

#include <windows.h>

namespace standins {

// Registers handler for the service name; false when the control manager
// refuses (the service cannot report anything then).
bool ConnectServiceStatus(const char* name, LPHANDLER_FUNCTION_EX handler);

// Reports state (SERVICE_START_PENDING, SERVICE_RUNNING, ...). Pending states
// carry waitHintMs and an increasing check point; a running service accepts
// stop and shutdown; exitCode is the Win32 exit code of a stopped service.
void ReportServiceState(DWORD state, DWORD exitCode = NO_ERROR, DWORD waitHintMs = 0);

} // namespace standins
