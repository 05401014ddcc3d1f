// A stand-in of the setup applet for the tests, built as test_applet.dll and
// copied to wherever a test wants a postern.cpl. Its entry point SetupMONITOR
// (left out of test_applet_bare.dll) does what the environment asks:
//   PSTVIEW_APPLET_MARKER    file to write "owner <handle> timer <0|1>" into:
//                            the window it was given and whether that window's
//                            poll timer 25 was still running when it was called
//   PSTVIEW_APPLET_POLLTIME  a new PollTime to store, as the real applet may
//   PSTVIEW_APPLET_RESULT    its result (default 0)
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#ifndef TEST_APPLET_WITHOUT_ENTRY
namespace {

bool Env(const char* name, char* value, DWORD size) {
    const DWORD n = GetEnvironmentVariableA(name, value, size);
    return n > 0 && n < size;
}

} // namespace

extern "C" __declspec(dllexport) INT WINAPI SetupMONITOR(HWND owner) {
    char value[MAX_PATH];
    if (Env("PSTVIEW_APPLET_MARKER", value, sizeof value)) {
        // The timer was running if it can still be stopped; it is started again
        // by the read that follows the applet.
        const int timerRunning = KillTimer(owner, 25) ? 1 : 0;
        char line[128];
        const int n = std::snprintf(
            line, sizeof line, "owner %llu timer %d\n",
            static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(owner)), timerRunning);
        HANDLE file = CreateFileA(value, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
            CloseHandle(file);
        }
    }
    if (Env("PSTVIEW_APPLET_POLLTIME", value, sizeof value))
        WritePrivateProfileStringA("options", "PollTime", value, "watchsvc.exe");
    return Env("PSTVIEW_APPLET_RESULT", value, sizeof value) ? std::atoi(value) : 0;
}
#else
extern "C" __declspec(dllexport) INT WINAPI SetupOTHER(HWND) {
    return 5;
}
#endif
