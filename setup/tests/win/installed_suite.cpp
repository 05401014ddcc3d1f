// What a real installation leaves, and the sandbox that removes it again.
#include "installed_suite.h"

#include "common/suite_registry.h"
#include "common/unique_handle.h"
#include "common/win_test_support.h"
#include "config/config_test_support.h"
#include "setup_run.h"

#include <shlobj.h>

namespace setup_test {
namespace {

constexpr char AdapterService[] = "SYSTEM\\CurrentControlSet\\Services\\PSTNET1";
constexpr char AdapterKey[] = "SYSTEM\\CurrentControlSet\\Services\\PSTNET1\\Parameters\\TCPIP";
constexpr char AdapterDevice[] = "\\Device\\PSTNET1";
constexpr std::size_t UserFlagsOffset = 148;

std::string SystemFolder() {
    char folder[MAX_PATH] = "";
    GetSystemDirectoryA(folder, MAX_PATH);
    return folder;
}

std::optional<std::string> ReadValueBytes(const std::string& keyPath, const char* name,
                                          DWORD* type = nullptr) {
    postern::UniqueHkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::string bytes(size, '\0');
    if (RegQueryValueExA(key.get(), name, nullptr, type, reinterpret_cast<BYTE*>(bytes.data()),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    bytes.resize(size);
    return bytes;
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

// The key name the user-database library gives a domain or user id.
std::string VaultKeyName(const std::string& name) {
    std::string key;
    for (const char c : name) {
        if (c == '%')
            key += "%25";
        else if (c == '\\')
            key += "%5C";
        else
            key += c;
    }
    return key;
}

std::string DomainKey(const std::string& domain) {
    return std::string(postern::SuiteDomainsKey) + "\\" + VaultKeyName(domain);
}

} // namespace

const std::vector<std::string> SuiteServiceNames = {"RELAYSVC", "DROPSVC",  "PLANSVC", "DIRSVC",
                                                    "PASSSVC",  "WATCHSVC", "TERMSVC", "LOGSVC"};

SuiteSandbox::SuiteSandbox(std::vector<std::string> installFolders)
    : installFolders_(std::move(installFolders)), hosts_(config_test::ReadBytes(HostsPath())),
      bind_(postern::TcpipLinkageKey, "Bind"), adapter_(AdapterService) {
    Clear();
    const std::string device = std::string(AdapterDevice) + '\0' + '\0';
    config_test::SetValue(postern::TcpipLinkageKey, "Bind", REG_MULTI_SZ, device);
    const std::string address = std::string(AdapterAddress) + '\0' + '\0';
    config_test::SetValue(AdapterKey, "IPAddress", REG_MULTI_SZ, address);
}

SuiteSandbox::~SuiteSandbox() {
    Clear();
    if (hosts_)
        config_test::WriteBytes(HostsPath(), *hosts_);
}

void SuiteSandbox::Clear() const {
    for (const std::string& service : SuiteServiceNames)
        RemoveService(service);
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
    return config_test::ReadBytes(HostsPath()).value_or("");
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
    const auto bytes = ReadValueBytes(std::string(postern::ServicesKey) + "\\" + name, "ImagePath");
    return bytes ? std::string(bytes->c_str()) : std::string();
}

bool ServiceRunning(const std::string& name) {
    postern::UniqueScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    postern::UniqueScHandle service(
        manager ? OpenServiceA(manager.get(), name.c_str(), SERVICE_QUERY_STATUS) : nullptr);
    SERVICE_STATUS status{};
    return service && QueryServiceStatus(service.get(), &status) &&
           status.dwCurrentState == SERVICE_RUNNING;
}

bool StartAndWait(const std::string& name) {
    postern::UniqueScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    postern::UniqueScHandle service(
        manager ? OpenServiceA(manager.get(), name.c_str(), SERVICE_START) : nullptr);
    return service && StartServiceA(service.get(), 0, nullptr) &&
           postern::WaitFor([&] { return ServiceRunning(name); });
}

void RemoveService(const std::string& name) {
    postern::UniqueScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    postern::UniqueScHandle service(
        manager ? OpenServiceA(manager.get(), name.c_str(), SERVICE_ALL_ACCESS) : nullptr);
    if (!service)
        return;
    SERVICE_STATUS status{};
    if (ControlService(service.get(), SERVICE_CONTROL_STOP, &status))
        postern::WaitFor(
            [&] {
                return QueryServiceStatus(service.get(), &status) &&
                       status.dwCurrentState == SERVICE_STOPPED;
            },
            10000);
    DeleteService(service.get());
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
    const auto bytes = ReadValueBytes(keyPath, name);
    return bytes ? std::string(bytes->c_str()) : std::string();
}

std::optional<std::uint32_t> StoredUserFlags(const std::string& domain, const std::string& user) {
    const auto record =
        ReadValueBytes(DomainKey(domain) + "\\Users\\" + VaultKeyName(user), "Record");
    if (!record || record->size() < UserFlagsOffset + 4)
        return std::nullopt;
    std::uint32_t flags = 0;
    record->copy(reinterpret_cast<char*>(&flags), 4, UserFlagsOffset);
    return flags;
}

std::optional<std::string> StoredAlias(const std::string& domain, const std::string& alias) {
    const auto target = ReadValueBytes(DomainKey(domain) + "\\Aliases", alias.c_str());
    if (!target)
        return std::nullopt;
    return std::string(target->c_str());
}

} // namespace setup_test
