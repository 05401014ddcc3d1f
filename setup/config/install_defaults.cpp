// Defaults of the setup dialogs from the registry of an earlier installation.
#include "setup/config/install_defaults.h"

#include "common/bounded_format.h"
#include "common/unique_handle.h"
#include "setup/config/suite_registry.h"
#include "setup/setup_session.h"

#include <windows.h>

#include <algorithm>
#include <array>

namespace {

// Reads a text value of the open key into `out` with a buffer of `size` bytes,
// terminated inside it; false when the value is absent or not a text.
bool QueryText(HKEY key, const char* name, std::span<char> out, DWORD size) {
    std::array<char, 80> value{};
    size = std::min<DWORD>(
        {size, static_cast<DWORD>(value.size() - 1), static_cast<DWORD>(out.size())});
    DWORD type = 0;
    DWORD bytes = size;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &bytes) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    value[std::min<DWORD>(bytes, size - 1)] = '\0'; // a value stored without its terminator
    postern::CopyText(out, value.data());
    return true;
}

} // namespace

int ReadInstallDefaults(std::span<char> topDir, std::span<char> hostName) {
    postern::CopyText(topDir, "C:\\POSTERN");
    postern::CopyText(hostName, "hostname_not_set");
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SuiteGlobalKey, 0, KEY_QUERY_VALUE, &opened) !=
        ERROR_SUCCESS)
        return 1;
    const postern::UniqueHkey key(opened);
    if (QueryText(key.get(), "TopDir", topDir, RegistryTextSize))
        postern::CopyText(Session.TypeDefault, "2");
    QueryText(key.get(), "HostName", hostName, RegistryTextSize);
    return 1;
}
