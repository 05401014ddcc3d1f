// Library entry point: remembers the module handle (for loading the dialog
// template) on every notification and always reports success.
#include "pager/module_instance.h"

#include <windows.h>

namespace pager {
HINSTANCE ModuleInstance = nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    pager::ModuleInstance = instance;
    return TRUE;
}
