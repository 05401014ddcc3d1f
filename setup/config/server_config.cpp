// The configuration writer; see server_config.h.
#include "setup/config/server_config.h"

#include "common/bounded_format.h"
#include "common/suite_registry.h"
#include "common/unique_handle.h"
#include "setup/config/config_text.h"
#include "setup/config/registry_values.h"
#include "setup/config/service_control.h"
#include "setup/setup_session.h"
#include "setup/setup_trace.h"
#include "setup/userdb/add_user_wizard.h"
#include "setup/userdb/usrvault.h"
#include "setup_toolkit.h"

#include <windows.h>

#include <array>
#include <cstring>

namespace {

// Sizes of the buffers a value is queried into to tell whether it is present:
// a value whose data does not fit counts as absent and is replaced.
constexpr DWORD kInstDateRoom = 39;
constexpr DWORD kDirectoryRoom = 99;
constexpr DWORD kUsersDirRoom = 250;
constexpr DWORD kHostRoom = 245;
constexpr DWORD kLogHostRoom = 99;
constexpr DWORD kUserDatabaseRoom = 250;
// A UserDatabase value longer than this means another component configured
// SMTP, and its defaults are left alone.
constexpr std::size_t kUserDatabaseSmtpLimit = 8;
constexpr int kGateHostMinimum = 3;

std::array<char, 300> SectionKey{};

// A directory value written only when absent; its directory is then created
// with its missing parents.
void SetDirectoryIfAbsent(HKEY key, const char* name, DWORD room, const char* directory) {
    if (ValueFitsIn(key, name, room))
        return;
    SetRegistryText(key, name, directory);
    CreateDirectoryTree(directory);
}

void SetInstDateIfAbsent(HKEY key) {
    if (ValueFitsIn(key, "InstDate", kInstDateRoom))
        return;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    std::array<char, kInstDateRoom> text{};
    FormatInstDate({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute}, text);
    SetRegistryText(key, "InstDate", text.data());
}

// True when UserDatabase holds more than 8 characters.
bool OtherUserDatabaseConfigured(HKEY key) {
    std::array<char, kUserDatabaseRoom> text{};
    return QueryRegistryText(key, "UserDatabase", text) &&
           std::strlen(text.data()) > kUserDatabaseSmtpLimit;
}

// GateHost or DefHost from the legacy INI's "_SMTP" section, when it gives 3
// or more characters and the value is absent.
void SetSmtpHostIfAbsent(HKEY key, const char* name, const char* iniKey) {
    std::array<char, kHostRoom> text{};
    const DWORD length = GetPrivateProfileStringA("_SMTP", iniKey, "", text.data(), kHostRoom,
                                                  Session.LegacyIniPath.data());
    if (length < kGateHostMinimum || ValueFitsIn(key, name, kHostRoom))
        return;
    SetRegistryTextWithoutNul(key, name, text.data());
}

// Step 3: the Global values in their order. Returns whether the SMTP defaults
// are to be written.
bool WriteGlobalValues(HKEY global, const char* topDir, const char* usersDir,
                       const char* hostName) {
    std::array<char, 200> path{};
    SetRegistryText(global, "TopDir", topDir);
    if (Session.ConversionIncomplete)
        SetupTrace("MultiFlag not written: the old user database is not wholly converted");
    else
        SetRegistryDword(global, "MultiFlag", 1);
    SetInstDateIfAbsent(global);
    postern::FormatText(path, "%s\\cfg", topDir);
    SetDirectoryIfAbsent(global, "CfgDir", kDirectoryRoom, path.data());
    postern::FormatText(path, "%s\\spool", topDir);
    SetDirectoryIfAbsent(global, "SpoolDir", kDirectoryRoom, path.data());
    SetDirectoryIfAbsent(global, "UsersDir", kUsersDirRoom, usersDir);
    SetRegistryText(global, "HostName", hostName);
    const bool writeSmtpDefaults = !OtherUserDatabaseConfigured(global);
    SetSmtpHostIfAbsent(global, "GateHost", "GATE");
    SetSmtpHostIfAbsent(global, "DefHost", "DEFHOST");
    if (!ValueFitsIn(global, "LogHost", kLogHostRoom))
        SetRegistryTextWithoutNul(global, "LogHost", "127.0.0.1");
    postern::FormatText(path, "%s\\RELAYOUT.exe", topDir);
    SetRegistryText(global, "SendName", path.data());
    return writeSmtpDefaults;
}

// Step 4: the mail host's domain, with bit 0x10 telling whether it uses the
// NT user database. The record is zeroed first so that no stale bytes of this
// process's stack reach the library.
void UpdateHostDomain(const char* hostName, bool newInstallation) {
    DomainRecord domain{};
    UvOpenDatabase();
    if (UvReadDomain(&domain, hostName) == 0)
        domain.DomainText[0] = '\0';
    if (Session.UserDbOption == 0)
        domain.Flags |= kDomainFlagNtUserDatabase;
    else if (newInstallation)
        domain.Flags &= ~kDomainFlagNtUserDatabase;
    UvWriteDomain(&domain);
}

void WriteSmtpDefaults() {
    WriteServiceDword("_smtp", "AcceptAny", 1);
    WriteServiceDword("_smtp", "Direct", 1);
    WriteServiceDword("_smtp", "SMTPFlags", 14);
    WriteServiceDword("_smtp", "RemoteLists", 1);
}

void CreateOneLevel(const char* directory) {
    if (!CreateDirectoryA(directory, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        SetupTrace("directory %s not created (error %lu)", directory, GetLastError());
}

} // namespace

int ResolveSectionKey(const char* section) {
    return static_cast<int>(SectionKeyPath(section, SectionKey));
}

const char* ResolvedSectionKey() {
    return SectionKey.data();
}

int WriteServiceDword(const char* section, const char* valueName, unsigned long value) {
    if (ResolveSectionKey(section) == 0)
        return 0;
    LONG status = ERROR_SUCCESS;
    const postern::UniqueHkey key =
        CreateRegistryKey(HKEY_LOCAL_MACHINE, SectionKey.data(), KEY_SET_VALUE, &status);
    if (!key) {
        SetupTrace("key %s not opened (error %ld)", SectionKey.data(), status);
        return 0;
    }
    SetRegistryDword(key.get(), valueName, static_cast<DWORD>(value));
    return 0;
}

int CreateDirectoryTree(const char* path) {
    if (CreateDirectoryA(path, nullptr))
        return 0;
    std::array<char, MAX_PATH> parent{};
    if (!postern::CopyText(parent, path))
        return -1;
    char* cut = std::strrchr(parent.data(), '\\');
    if (cut == nullptr)
        cut = std::strrchr(parent.data(), '/');
    if (cut == nullptr)
        return -1;
    *cut = '\0';
    CreateDirectoryTree(parent.data());
    *cut = '\\';
    return CreateDirectoryA(parent.data(), nullptr) ? 0 : -1;
}

void CopyFileInto(const char* directory, const char* fileName) {
    std::array<char, 256> target{};
    if (!postern::FormatText(target, "%s\\%s", directory, fileName)) {
        SetupTrace("%s not copied: the path in %s is too long", fileName, directory);
        return;
    }
    if (!CopyFileA(fileName, target.data(), FALSE))
        SetupTrace("%s not copied to %s (error %lu)", fileName, target.data(), GetLastError());
}

int WriteServerConfiguration(const char* topDir, const char* usersDir, const char* hostName,
                             int newInstallation) {
    const bool fresh = newInstallation != 0;
    CreateOneLevel(topDir);
    CreateOneLevel(usersDir);

    bool writeSmtpDefaults = true;
    LONG status = ERROR_SUCCESS;
    postern::UniqueHkey global = CreateRegistryKey(HKEY_LOCAL_MACHINE, postern::kSuiteGlobalKey,
                                                   KEY_QUERY_VALUE | KEY_SET_VALUE, &status);
    if (!global) {
        SetupTrace("key %s not created (error %ld)", postern::kSuiteGlobalKey, status);
        ShowFailureBox(HwndFrame(), "Failed to create registry entries!", "Install Failed");
    } else {
        writeSmtpDefaults = WriteGlobalValues(global.get(), topDir, usersDir, hostName);
        global.reset();
        UpdateHostDomain(hostName, fresh);
    }

    if (fresh) {
        if (writeSmtpDefaults)
            WriteSmtpDefaults();
        InstallAndStartServices(topDir);
    } else {
        RestartSuiteServices(topDir);
    }
    StartTermsvcIfItRan();

    std::array<char, 240> system{};
    const UINT length = GetSystemDirectoryA(system.data(), static_cast<UINT>(system.size()));
    if (length != 0 && length < system.size())
        CopyFileInto(system.data(), "postern.cpl");

    if (fresh && Session.UserDbOption == 1)
        RunAddUserWizard(HwndFrame(), Session.Instance, hostName);
    if (writeSmtpDefaults)
        WriteSmtpDefaults();
    return 1;
}
