// Reading the data file; see monitor_reader.h.
#include "monitor/monitor_reader.h"

#include "common/bounded_format.h"
#include "common/unique_handle.h"
#include "monitor/debug_trace.h"
#include "monitor/freshness.h"
#include "monitor/poll_period.h"
#include "monitor/startup.h"

#include <array>

namespace monitor {

constinit MonitorFile MonitorImage = InitialMonitorFile();
std::int32_t StaleCount = kInitialStaleCount;
std::uint64_t LastWriteTime = 0;
std::uint32_t PollSeconds = kDefaultPollSeconds;

namespace {

// Up to 255 characters; formed once, at the first read.
std::array<char, 256> DataFilePath{};

// Reads up to the image's size from the file's start; returns the bytes read.
// A read error ends the reading like the end of the file does.
std::size_t ReadFileBytes(HANDLE file, std::span<std::uint8_t> bytes) {
    std::size_t got = 0;
    while (got < bytes.size()) {
        DWORD delivered = 0;
        if (!ReadFile(file, bytes.data() + got, static_cast<DWORD>(bytes.size() - got), &delivered,
                      nullptr)) {
            TraceFailure("reading %s failed after %zu bytes (error %lu)", DataFilePath.data(), got,
                         GetLastError());
            break;
        }
        if (delivered == 0)
            break;
        got += delivered;
    }
    return got;
}

void RestartPollTimer(HWND panel) {
    const UINT configured =
        GetPrivateProfileIntA("options", "PollTime", kDefaultPollSeconds, "watchsvc.exe");
    PollSeconds = BoundedPollSeconds(configured);
    if (PollSeconds != configured)
        TraceFailure("PollTime %u out of range; polling every %u s", configured,
                     static_cast<unsigned>(PollSeconds));
    if (!SetTimer(panel, kPollTimerId, PollIntervalMs(PollSeconds), nullptr))
        TraceFailure("poll timer not started (error %lu)", GetLastError());
}

} // namespace

void ReadMonitorFile(HWND panel) {
    if (DataFilePath[0] == '\0') {
        if (!postern::FormatText(DataFilePath, "%s\\watchsvc.dat", TopDir.data()))
            TraceFailure("data file path cut to %s", DataFilePath.data());
    } else {
        KillTimer(panel, kPollTimerId);
    }

    postern::UniqueFile file(CreateFileA(DataFilePath.data(), GENERIC_READ, FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            TraceFailure("cannot open %s (error %lu)", DataFilePath.data(), error);
        MarkNoData(MonitorImage);
        CountMissingRead(StaleCount);
    } else {
        FILETIME written{};
        if (GetFileTime(file.get(), nullptr, nullptr, &written))
            CountWriteTime(StaleCount, LastWriteTime,
                           (std::uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime);
        else
            TraceFailure("no last-write time for %s (error %lu)", DataFilePath.data(),
                         GetLastError());
        std::array<std::uint8_t, kMonitorFileSize> bytes;
        const std::size_t got = ReadFileBytes(file.get(), bytes);
        DecodeMonitorFile(MonitorImage, std::span<const std::uint8_t>(bytes.data(), got));
    }
    RestartPollTimer(panel);
}

const char* MonitorFilePath() {
    return DataFilePath.data();
}

void ResetMonitorState() {
    MonitorImage = InitialMonitorFile();
    StaleCount = kInitialStaleCount;
    LastWriteTime = 0;
    PollSeconds = kDefaultPollSeconds;
    DataFilePath.fill('\0');
}

} // namespace monitor
