// Writing watchsvc.dat so that a reader never sees a partial file: the new
// contents go to a temporary file in the same folder, which then replaces the
// old file in one rename.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

namespace standins {

// The replace is refused while a reader holds the file open; it is retried
// every kReplaceRetryMs for up to kReplaceGiveUpMs.
inline constexpr DWORD kReplaceRetryMs = 100;
inline constexpr DWORD kReplaceGiveUpMs = 2000;

enum class WriteOutcome {
    Written, // the new file is in place
    KeptOld, // readers kept the old file open throughout; the old file stays
    Stopped, // stopEvent was set while retrying; the old file stays
    Failed,  // the temporary file could not be written or renamed
};

struct WriteResult {
    WriteOutcome outcome;
    DWORD error; // the last Win32 error of a failed step, 0 when written
};

// Writes image as folder\watchsvc.dat through folder\watchsvc.new. The
// temporary file never survives the call.
WriteResult WriteSnapshotFile(const char* folder, std::span<const std::uint8_t> image,
                              HANDLE stopEvent);

} // namespace standins
