// MSDETSTF.dll: its one function reports the toolkit's version.
#include <windows.h>

#include "../include/setup_toolkit.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}

extern "C" UINT WINAPI UsDetectVersion(void) {
    return 0x0100;
}
