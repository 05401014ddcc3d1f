// Writing the snapshot file; see snapshot_file.h.
#include "standins/services/snapshot_file.h"

#include "common/bounded_format.h"
#include "common/unique_handle.h"

namespace standins {

namespace {

// Errors that mean another process holds the target open.
bool HeldByReader(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_LOCK_VIOLATION;
}

DWORD WriteWholeFile(const char* path, std::span<const std::uint8_t> image) {
    postern::UniqueFile file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return GetLastError();
    DWORD written = 0;
    if (!WriteFile(file.get(), image.data(), static_cast<DWORD>(image.size()), &written, nullptr))
        return GetLastError();
    if (written != image.size())
        return ERROR_WRITE_FAULT;
    return ERROR_SUCCESS;
}

} // namespace

WriteResult WriteSnapshotFile(const char* folder, std::span<const std::uint8_t> image,
                              HANDLE stopEvent) {
    char temporary[MAX_PATH];
    char target[MAX_PATH];
    if (!postern::FormatText(temporary, "%s\\watchsvc.new", folder) ||
        !postern::FormatText(target, "%s\\watchsvc.dat", folder))
        return {WriteOutcome::Failed, ERROR_FILENAME_EXCED_RANGE};

    const DWORD writeError = WriteWholeFile(temporary, image);
    if (writeError != ERROR_SUCCESS) {
        DeleteFileA(temporary);
        return {WriteOutcome::Failed, writeError};
    }
    const DWORD start = GetTickCount();
    for (;;) {
        if (MoveFileExA(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return {WriteOutcome::Written, ERROR_SUCCESS};
        const DWORD error = GetLastError();
        if (!HeldByReader(error)) {
            DeleteFileA(temporary);
            return {WriteOutcome::Failed, error};
        }
        if (GetTickCount() - start >= kReplaceGiveUpMs) {
            DeleteFileA(temporary);
            return {WriteOutcome::KeptOld, error};
        }
        if (WaitForSingleObject(stopEvent, kReplaceRetryMs) != WAIT_TIMEOUT) {
            DeleteFileA(temporary);
            return {WriteOutcome::Stopped, error};
        }
    }
}

} // namespace standins
