// Helpers for Windows tests that drive a real dialog from another thread:
// waiting for a condition and reading a window's text.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace postern {

// Polls done every 20 ms until it holds or timeoutMs have passed.
inline bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 15000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

inline std::string TextOf(HWND window) {
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

} // namespace postern
