// MSSHLSTF.dll's entry point: remembers the module (its own resources) and
// ends a run log that the program left open.
#include <windows.h>

#include "toolkit_core.h"

namespace stf {
namespace {
// Set once when the DLL loads; it outlives every run, so it is not part of
// the run's state.
HINSTANCE g_module = nullptr;
} // namespace

HINSTANCE ToolkitInstance() {
    return g_module;
}

} // namespace stf

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        stf::g_module = instance;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        if (stf::RunLogOpen())
            stf::EndRunLog("ended without closing the toolkit");
    }
    return TRUE;
}
