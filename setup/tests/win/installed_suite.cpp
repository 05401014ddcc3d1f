// What a real installation leaves, and the sandbox that removes it again.
#include "installed_suite.h"

#include "common/suite_registry.h"
#include "common/unique_handle.h"
#include "common/win_test_support.h"
#include "config/config_test_support.h"
#include "setup/config/suite_services.h"
#include "setup/userdb/usrvault.h"
#include "setup_run.h"
#include "vault_names.h"

#include <shlobj.h>

#include <array>

namespace setup_test {
namespace {

constexpr char kAdapterService[] = "SYSTEM\\CurrentControlSet\\Services\\PSTNET1";
constexpr char kAdapterKey[] = "SYSTEM\\CurrentControlSet\\Services\\PSTNET1\\Parameters\\TCPIP";
constexpr char kAdapterDevice[] = "\\Device\\PSTNET1";

std::string SystemFolder() {
    char folder[MAX_PATH] = "";
    GetSystemDirectoryA(folder, MAX_PATH);
    return folder;
}

// Copies a folder tree; links (reparse points) are not followed, so a link
// back to a parent cannot make it endless.
void CopyTree(const std::string& from, const std::string& to) {
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    postern::UniqueFind find(FindFirstFileA((from + "\\*").c_str(), &found));
    if (!find)
        return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == ".." || (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyTree(from + "\\" + name, to + "\\" + name);
        else
            CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE);
    } while (FindNextFileA(find.get(), &found));
}

// The domain's key, named as the user-database library names it.
std::string DomainKey(const std::string& domain) {
    std::array<char, 256> name{};
    usrvault::KeyNameFor(domain, name);
    return std::string(postern::kSuiteDomainsKey) + "\\" + name.data();
}

} // namespace

SuiteSandbox::SuiteSandbox(std::vector<std::string> installFolders)
    : installFolders_(std::move(installFolders)), hosts_(postern::ReadFileBytes(HostsPath())),
      bind_(postern::kTcpipLinkageKey, "Bind"), adapter_(kAdapterService) {
    Clear();
    const std::string device = std::string(kAdapterDevice) + '\0' + '\0';
    config_test::SetValue(postern::kTcpipLinkageKey, "Bind", REG_MULTI_SZ, device);
    const std::string address = std::string(kAdapterAddress) + '\0' + '\0';
    config_test::SetValue(kAdapterKey, "IPAddress", REG_MULTI_SZ, address);
}

SuiteSandbox::~SuiteSandbox() {
    Clear();
    if (hosts_)
        config_test::WriteBytes(HostsPath(), *hosts_);
}

void SuiteSandbox::Clear() const {
    for (const SuiteService& service : kSuiteServices)
        postern::RemoveNamedService(service.Name);
    RemoveSuiteRegistry();
    postern::RemoveTree(GroupFolder());
    DeleteFileA(SystemApplet().c_str());
    for (const std::string& folder : installFolders_)
        postern::RemoveTree(folder);
}

bool CopySuiteDistribution(const std::string& folder) {
    std::string unixPath = POSTERN_DIST_DIR_UNIX;
    if (unixPath.empty() || unixPath[0] != '/')
        return false;
    for (char& c : unixPath)
        c = c == '/' ? '\\' : c;
    const std::string source = "Z:" + unixPath;
    if (GetFileAttributesA((source + "\\pstsuite.inf").c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    CopyTree(source, folder);
    return true;
}

std::string HostsPath() {
    return SystemFolder() + "\\drivers\\etc\\hosts";
}

std::string HostsText() {
    return postern::ReadWholeFile(HostsPath());
}

std::string GroupFolder() {
    char programs[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, programs)))
        SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
    return std::string(programs) + "\\Postern";
}

std::string SystemApplet() {
    return SystemFolder() + "\\postern.cpl";
}

std::string ServiceImagePath(const std::string& name) {
    return postern::RegistryText(HKEY_LOCAL_MACHINE,
                                 std::string(postern::kServicesKey) + "\\" + name, "ImagePath");
}

bool ServiceRunning(const std::string& name) {
    return postern::ServiceState(name) == SERVICE_RUNNING;
}

std::vector<std::string> SubkeyNames(const std::string& keyPath) {
    std::vector<std::string> names;
    postern::UniqueHkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return names;
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(key.get(), i, name, sizeof name) == ERROR_SUCCESS; ++i)
        names.emplace_back(name);
    return names;
}

std::string TextValue(const std::string& keyPath, const char* name) {
    return postern::RegistryText(HKEY_LOCAL_MACHINE, keyPath, name);
}

std::optional<std::uint32_t> StoredUserFlags(const std::string& domain, const std::string& user) {
    DomainRecord domainRecord{};
    UserRecord userRecord{};
    if (!UvReadDomain(&domainRecord, domain.c_str()) ||
        !UvFindUser(&userRecord, &domainRecord, user.c_str()))
        return std::nullopt;
    return userRecord.Flags;
}

std::optional<std::string> StoredAlias(const std::string& domain, const std::string& alias) {
    const auto target = postern::RegistryValueBytes(HKEY_LOCAL_MACHINE,
                                                    DomainKey(domain) + "\\Aliases", alias.c_str());
    if (!target)
        return std::nullopt;
    return std::string(target->c_str());
}

} // namespace setup_test
