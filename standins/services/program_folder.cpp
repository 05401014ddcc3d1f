// The running program's folder; see program_folder.h.
#include "standins/services/program_folder.h"

namespace standins {

bool ProgramFolder(char (&folder)[MAX_PATH]) {
    const DWORD n = GetModuleFileNameA(nullptr, folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        folder[0] = '\0';
        return false;
    }
    char* slash = nullptr;
    for (char* p = folder; *p != '\0'; ++p)
        if (*p == '\\')
            slash = p;
    if (slash == nullptr) {
        folder[0] = '\0';
        return false;
    }
    // Keep the backslash of a drive root.
    slash[slash == folder + 2 && folder[1] == ':' ? 1 : 0] = '\0';
    return true;
}

} // namespace standins
