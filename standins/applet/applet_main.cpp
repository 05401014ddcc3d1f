// Library entry point: remembers the module handle (for the dialog template)
// and always reports success.
#include "standins/applet/module_instance.h"

namespace applet {
HINSTANCE ModuleInstance = nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    applet::ModuleInstance = instance;
    return TRUE;
}
