// Entry point of the forwarding toolkit DLLs (MSCOMSTF, MSINSSTF, MSUILSTF):
// their exports all forward to MSSHLSTF.dll, so there is nothing to set up.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
