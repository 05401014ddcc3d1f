// Helpers for Windows tests: waiting for a condition, reading a window's
// text, the test program's folder and removing a folder tree.
#pragma once

#include <windows.h>

#include "common/unique_handle.h"

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

// The folder of the running program, ending in a backslash.
inline std::string ExeFolder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    folder.resize(folder.find_last_of('\\') + 1);
    return folder;
}

// Deletes a folder with everything in it (what can be deleted).
inline void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    UniqueFind find(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (find) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find.get(), &found));
    }
    find.reset();
    RemoveDirectoryA(folder.c_str());
}

} // namespace postern
