// The library's module handle, stored by its entry point.
#pragma once

#include <windows.h>

namespace pager {
extern HINSTANCE ModuleInstance;
}
