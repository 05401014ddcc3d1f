// Registry, file and read-only helpers of the configuration tests; see
// config_test_support.h.
#include "config_test_support.h"

#include "common/unique_handle.h"

#include <fstream>
#include <vector>

namespace config_test {
namespace {

using postern::UniqueHkey;

// Wine's own exports: the host path of a Windows path, and running a host
// program (waiting for it when `wait` is set; 0 when it ran and exited 0).
using UnixFileNameFunction = char*(CDECL*)(const WCHAR*);
using UnixSpawnFunction = long(CDECL*)(char* const argv[], int wait);

template <typename Function> Function WineExport(const char* module, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(module), name)));
}

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      wide.data(), static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return wide;
}

UniqueHkey CreateKey(const std::string& keyPath) {
    UniqueHkey key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    key.put(), nullptr);
    return key;
}

// Runs chattr with `flag` on a host path through Wine; "" when it worked.
std::string Chattr(const char* flag, const std::string& unixPath) {
    const auto spawn = WineExport<UnixSpawnFunction>("ntdll.dll", "__wine_unix_spawnvp");
    if (spawn == nullptr)
        return "__wine_unix_spawnvp is missing";
    std::string program = "/usr/bin/chattr";
    std::string option = flag;
    std::string path = unixPath;
    char* const argv[] = {program.data(), option.data(), path.data(), nullptr};
    const long status = spawn(argv, 1);
    return status == 0 ? ""
                       : "chattr " + option + " " + path + " failed: " + std::to_string(status);
}

} // namespace

SavedValue::SavedValue(const char* keyPath, const char* name)
    : keyPath_(keyPath), name_(name), keyExisted_(KeyExists(keyPath)) {
    const auto data = postern::RegistryValueBytes(HKEY_LOCAL_MACHINE, keyPath, name, &type_);
    existed_ = data.has_value();
    data_ = data.value_or(std::string());
}

SavedValue::~SavedValue() {
    if (existed_) {
        SetValue(keyPath_, name_.c_str(), type_, data_);
        return;
    }
    DeleteValue(keyPath_, name_.c_str());
    if (!keyExisted_)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath_.c_str()); // only when left empty
}

ScratchKey::ScratchKey(std::string keyPath) : keyPath_(std::move(keyPath)) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyPath_.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath_.c_str());
}

ScratchKey::~ScratchKey() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyPath_.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath_.c_str());
}

bool SetValue(const std::string& keyPath, const char* name, DWORD type, const std::string& bytes) {
    UniqueHkey key = CreateKey(keyPath);
    return key &&
           RegSetValueExA(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

bool SetText(const std::string& keyPath, const char* name, const std::string& text, DWORD type) {
    return SetValue(keyPath, name, type, std::string(text.c_str(), text.size() + 1));
}

bool SetTextWithoutNul(const std::string& keyPath, const char* name, const std::string& text,
                       DWORD type) {
    UniqueHkey key = CreateKey(keyPath);
    // One more character than counted, not zero, so that nothing terminates the text.
    std::wstring wide = Wide(text) + L'#';
    return key &&
           RegSetValueExW(key.get(), Wide(name).c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(wide.data()),
                          static_cast<DWORD>((wide.size() - 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

long StoredWideBytes(const std::string& keyPath, const char* name) {
    UniqueHkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return -1;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), Wide(name).c_str(), nullptr, nullptr, nullptr, &bytes) !=
        ERROR_SUCCESS)
        return -1;
    return static_cast<long>(bytes);
}

void DeleteValue(const std::string& keyPath, const char* name) {
    UniqueHkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_SET_VALUE, key.put()) ==
        ERROR_SUCCESS)
        RegDeleteValueA(key.get(), name);
}

bool KeyExists(const std::string& keyPath) {
    UniqueHkey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) ==
           ERROR_SUCCESS;
}

long ValueCount(const std::string& keyPath) {
    UniqueHkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return -1;
    DWORD values = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return -1;
    return static_cast<long>(values);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

ReadOnlyFile::ReadOnlyFile(const std::string& path) : path_(path) {
    const auto unixName =
        WineExport<UnixFileNameFunction>("kernel32.dll", "wine_get_unix_file_name");
    if (unixName == nullptr) { // Windows: the attribute is enough
        made_ = SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY) != 0;
        if (!made_)
            problem_ = "SetFileAttributesA failed, error " + std::to_string(GetLastError());
        return;
    }
    char* unixPath = unixName(Wide(path).c_str());
    if (unixPath == nullptr) {
        problem_ = "no host path for " + path;
        return;
    }
    unixPath_ = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    problem_ = Chattr("+i", unixPath_);
    made_ = problem_.empty();
}

ReadOnlyFile::~ReadOnlyFile() {
    if (!made_)
        return;
    if (unixPath_.empty())
        SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    else
        Chattr("-i", unixPath_);
}

std::string TempFolder() {
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    std::string folder(temp, n);
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder;
}

bool LogHasWarning(const std::string& log, const std::string& text) {
    return log.find(" warning: " + text + "\r\n") != std::string::npos;
}

} // namespace config_test
