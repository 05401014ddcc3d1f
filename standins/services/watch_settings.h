// What the monitor service reads before each snapshot: the suite's top
// directory from the registry, and its own options from the profile file
// "watchsvc.exe" (section "options") in the Windows directory.
#pragma once

#include "standins/services/program_folder.h"

#include <windows.h>

namespace standins {

inline constexpr unsigned kDefaultPollSeconds = 5;
inline constexpr unsigned kMinPollSeconds = 1;
inline constexpr unsigned kMaxPollSeconds = 86400;

struct WatchSettings {
    // Where watchsvc.dat goes, without a trailing backslash (a drive root keeps it).
    char topDir[MAX_PATH];
    // True when TopDir could not be used and topDir is the program's folder;
    // topDirProblem then says why.
    bool topDirMissing;
    char topDirProblem[96];
    unsigned pollSeconds; // PollTime, default 5, kept within 1 to 86400
    char denied[1024];    // Denied: addresses refused by the suite, as text
    char logHost[64];     // LogHost of the suite's configuration, may be empty
};

void ReadWatchSettings(WatchSettings& settings);

} // namespace standins
