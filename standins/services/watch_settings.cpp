// Settings of the monitor service; see watch_settings.h.
#include "standins/services/watch_settings.h"

#include "common/bounded_format.h"
#include "common/suite_registry.h"
#include "common/unique_handle.h"

namespace standins {

namespace {

constexpr char kProfile[] = "watchsvc.exe";
constexpr char kSection[] = "options";

// Reads a text value as stored (an expandable text is not expanded), whether or
// not a terminator was stored with it. Returns the registry's error number, or
// ERROR_INVALID_DATA for a value that is not text.
template <std::size_t N> LONG ReadRegistryText(HKEY key, const char* name, char (&text)[N]) {
    text[0] = '\0';
    DWORD type = 0;
    DWORD size = N - 1;
    const LONG status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    if (status != ERROR_SUCCESS) {
        text[0] = '\0';
        return status;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        text[0] = '\0';
        return ERROR_INVALID_DATA;
    }
    text[size < N ? size : N - 1] = '\0';
    return ERROR_SUCCESS;
}

// Drops trailing backslashes, except the one of a drive root ("C:\").
void TrimTrailingBackslashes(char* path) {
    std::size_t length = lstrlenA(path);
    while (length > 0 && path[length - 1] == '\\' && !(length == 3 && path[1] == ':'))
        path[--length] = '\0';
}

// Fills the top directory from TopDir of the open key; on any failure says why
// in topDirProblem.
bool ReadTopDir(HKEY key, WatchSettings& settings) {
    const LONG status = ReadRegistryText(key, "TopDir", settings.topDir);
    if (status == ERROR_FILE_NOT_FOUND) {
        postern::CopyText(settings.topDirProblem, "TopDir not set");
        return false;
    }
    if (status != ERROR_SUCCESS) {
        postern::FormatText(settings.topDirProblem, "TopDir unreadable (error %ld)", status);
        return false;
    }
    TrimTrailingBackslashes(settings.topDir);
    if (settings.topDir[0] == '\0') {
        postern::CopyText(settings.topDirProblem, "TopDir empty");
        return false;
    }
    return true;
}

unsigned ReadPollSeconds() {
    const int value = static_cast<int>(GetPrivateProfileIntA(
        kSection, "PollTime", static_cast<int>(kDefaultPollSeconds), kProfile));
    if (value < static_cast<int>(kMinPollSeconds))
        return kMinPollSeconds;
    if (value > static_cast<int>(kMaxPollSeconds))
        return kMaxPollSeconds;
    return static_cast<unsigned>(value);
}

} // namespace

void ReadWatchSettings(WatchSettings& settings) {
    settings = WatchSettings{};
    postern::UniqueHkey key;
    const LONG status =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, postern::kSuiteGlobalKey, 0, KEY_QUERY_VALUE, key.put());
    if (status == ERROR_SUCCESS) {
        settings.topDirMissing = !ReadTopDir(key.get(), settings);
        ReadRegistryText(key.get(), "LogHost", settings.logHost);
    } else {
        settings.topDirMissing = true;
        postern::FormatText(settings.topDirProblem, "no suite registry key (error %ld)", status);
    }
    if (settings.topDirMissing)
        ProgramFolder(settings.topDir);
    settings.pollSeconds = ReadPollSeconds();
    GetPrivateProfileStringA(kSection, "Denied", "", settings.denied, sizeof settings.denied,
                             kProfile);
}

} // namespace standins
