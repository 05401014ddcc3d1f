// The process-wide image of the monitor data file and the poll that refreshes
// it: ReadMonitorFile, run when the panel opens, on each tick of the poll timer
// and after the Config command.
#pragma once

#include "monitor/monitor_file.h"

#include <windows.h>

#include <cstdint>

namespace monitor {

// The panel's poll timer.
inline constexpr UINT_PTR kPollTimerId = 25;

// The image that the panel and the log show.
extern MonitorFile MonitorImage;
// Consecutive reads that found the file unchanged or missing; 1 at start.
extern std::int32_t StaleCount;
// The file's last-write time at the previous read; 0 at start.
extern std::uint64_t LastWriteTime;
// The poll period in seconds, as last read from the profile and bounded.
extern std::uint32_t PollSeconds;

// One poll. The first call forms the data file's path from TopDir; every later
// one stops the panel's timer 25 first. Then the file is read into the image
// (a missing file turns every status text into "No data"), StaleCount is
// brought up to date, PollTime is read again from section "options" of the
// profile file "watchsvc.exe" and timer 25 is started on panel with it.
void ReadMonitorFile(HWND panel);

// The data file's path; empty until the first ReadMonitorFile.
const char* MonitorFilePath();

// Back to the state of program start: the initial image, StaleCount 1,
// LastWriteTime 0, PollSeconds 60 and no path (the next read forms it again).
void ResetMonitorState();

} // namespace monitor
