// YnrcRemoveFile: deletes one installed file, read-only or not.
#include "setup_toolkit.h"
#include "toolkit_core.h"

extern "C" int WINAPI YnrcRemoveFile(LPCSTR path, int option) {
    if (path == nullptr || *path == '\0') {
        stf::NoteFailure("YnrcRemoveFile: no file name given");
        return 0;
    }
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            stf::LogLine("remove %s: already absent", path);
            return 1;
        }
        stf::NoteFailure("YnrcRemoveFile: %s: system error %lu", path, error);
        return 0;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        stf::NoteFailure("YnrcRemoveFile: %s is a folder, not a file", path);
        return 0;
    }
    // Removal is meant, so a read-only file loses that attribute first; it
    // gets it back if the file then cannot be deleted.
    const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly && !SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY)) {
        stf::NoteFailure(
            "YnrcRemoveFile: %s: cannot clear its read-only attribute (system error %lu)", path,
            GetLastError());
        return 0;
    }
    if (!DeleteFileA(path)) {
        const DWORD error = GetLastError();
        if (readOnly)
            SetFileAttributesA(path, attributes);
        stf::NoteFailure("YnrcRemoveFile: %s: system error %lu", path, error);
        return 0;
    }
    stf::LogLine("removed %s (option %d)", path, option);
    return 1;
}
