// Defaults of the setup dialogs; see install_defaults.h.
#include "setup/config/install_defaults.h"

#include "common/bounded_format.h"
#include "common/suite_registry.h"
#include "common/unique_handle.h"
#include "setup/config/network_identity.h"
#include "setup/config/registry_values.h"
#include "setup/setup_session.h"
#include "setup/setup_trace.h"

#include <windows.h>

#include <algorithm>
#include <array>

namespace {

// Texts read from the legacy INI file hold at most 78 characters.
constexpr DWORD kIniTextSize = 79;
// HostName is read back with the room the host-name dialog fills (254
// characters and more), so an update keeps a long name; TopDir keeps the
// suite's 79 bytes, since longer destinations are refused.
constexpr std::size_t kHostNameRoom = sizeof(SetupSession::HostName);
constexpr std::size_t kTopDirRoom = 79;
// The current directory is taken for the INI path when it has at most 143.
constexpr DWORD kCurrentDirSize = 144;

// LegacyIniPath: POSTERN.INI of the current directory when there is one, else
// the bare name, which the profile functions look up in the Windows directory.
void SettleLegacyIniPath() {
    postern::CopyText(Session.LegacyIniPath, kLegacyIniName);
    const DWORD attributes = GetFileAttributesA(kLegacyIniName);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return;
    std::array<char, kCurrentDirSize> current{};
    const DWORD length = GetCurrentDirectoryA(kCurrentDirSize, current.data());
    if (length == 0 || length >= kCurrentDirSize) {
        SetupTrace("the current directory is too long for the INI path; %s of the Windows "
                   "directory is read instead",
                   kLegacyIniName);
        return;
    }
    // The root ("C:\") already ends in a backslash.
    const char* separator = current[length - 1] == '\\' ? "" : "\\";
    if (!postern::FormatText(Session.LegacyIniPath, "%s%s%s", current.data(), separator,
                             kLegacyIniName))
        postern::CopyText(Session.LegacyIniPath, kLegacyIniName);
}

void ReadIniText(const char* key, const char* fallback, std::span<char> out) {
    std::array<char, kIniTextSize> text{};
    GetPrivateProfileStringA("_GLOBAL", key, fallback, text.data(), kIniTextSize,
                             Session.LegacyIniPath.data());
    postern::CopyText(out, text.data());
}

void ReadIniTopDir(std::span<char> topDir) {
    ReadIniText("MAILDIR", kDefaultTopDir, topDir);
}

// The host name when the registry has none: TCP/IP, else the INI file.
void ReadHostNameFallback(std::span<char> hostName) {
    if (ReadTcpipHostName(hostName) == 0)
        ReadIniText("HOSTNAME", kDefaultHostName, hostName);
}

// A text of the Global key, offered `room` bytes, into `out`; false when it
// is missing, empty or does not fit.
bool ReadGlobalText(HKEY key, const char* name, std::size_t room, std::span<char> out) {
    std::array<char, kHostNameRoom> text;
    if (!QueryRegistryText(key, name, std::span<char>(text).first(std::min(room, text.size()))) ||
        text[0] == '\0')
        return false;
    return postern::CopyText(out, text.data());
}

} // namespace

int ReadInstallDefaults(std::span<char> topDir, std::span<char> hostName) {
    ReadTcpipHostName(hostName);
    ReadAdapterAddresses(Session.AddressList);
    SettleLegacyIniPath();

    LONG opened = ERROR_SUCCESS;
    const postern::UniqueHkey key =
        CreateRegistryKey(HKEY_LOCAL_MACHINE, postern::kSuiteGlobalKey, KEY_READ, &opened);
    if (!key) {
        SetupTrace("the suite's Global key cannot be opened (error %ld)", opened);
        ReadIniTopDir(topDir);
        ReadHostNameFallback(hostName);
        return 1;
    }
    if (ReadGlobalText(key.get(), "TopDir", kTopDirRoom, topDir))
        postern::CopyText(Session.TypeDefault, "2");
    else
        ReadIniTopDir(topDir);
    if (!ReadGlobalText(key.get(), "HostName", kHostNameRoom, hostName))
        ReadHostNameFallback(hostName);
    return 1;
}
