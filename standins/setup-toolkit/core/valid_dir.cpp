// FValidDir: the directory rule of dir_rules.h as an export.
#include <windows.h>

#include "dir_rules.h"
#include "setup_toolkit.h"

extern "C" BOOL WINAPI FValidDir(LPCSTR path) {
    return path != nullptr && stf::IsValidDirectory(path) ? TRUE : FALSE;
}
