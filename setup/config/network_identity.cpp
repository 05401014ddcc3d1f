// Host name and address list from the TCP/IP configuration; see
// network_identity.h.
#include "setup/config/network_identity.h"

#include "common/bounded_format.h"
#include "common/suite_registry.h"
#include "common/unique_handle.h"
#include "setup/config/address_list.h"
#include "setup/config/registry_values.h"
#include "setup/setup_trace.h"

#include <windows.h>

#include <array>
#include <cstring>

namespace {

constexpr std::size_t kHostNameSize = 256;

int TextLength(std::span<const char> text) {
    return static_cast<int>(postern::BoundedLength(text));
}

// Reads one adapter's addresses, offering the room the list has left, and
// joins them to the list.
void AddAdapter(std::span<char> list, std::string_view device) {
    std::array<char, 300> keyPath;
    if (!AdapterKeyPath(keyPath, device))
        return;
    const postern::UniqueHkey adapter =
        OpenRegistryKey(HKEY_LOCAL_MACHINE, keyPath.data(), KEY_READ);
    if (!adapter)
        return;
    std::array<char, kAddressListSize> value;
    const std::size_t room = AdapterValueRoom(list.data());
    if (room == 0)
        return;
    const std::span<const char> addresses =
        QueryRegistryMultiText(adapter.get(), "IPAddress", std::span<char>(value).first(room));
    if (addresses.empty())
        return;
    const AdapterJoin joined = AppendAdapterAddresses(list, addresses);
    if (joined == AdapterJoin::TooLong)
        SetupTrace("the addresses of %s do not fit the address list", keyPath.data());
}

} // namespace

int ReadTcpipHostName(std::span<char> destination) {
    std::array<char, kHostNameSize> work{};
    const postern::UniqueHkey key =
        OpenRegistryKey(HKEY_LOCAL_MACHINE, postern::kTcpipParametersKey, KEY_READ);
    if (!key)
        return TextLength(destination);
    // An empty host name is no host name: ".DOMAIN" would name no host.
    if (!QueryRegistryText(key.get(), "Hostname", work) || work[0] == '\0')
        return TextLength(destination);
    const std::size_t host = std::strlen(work.data());
    if (host + 1 < work.size()) {
        work[host] = '.';
        const std::span<char> domain = std::span<char>(work).subspan(host + 1);
        if (!QueryRegistryText(key.get(), "Domain", domain) || domain[0] == '\0')
            work[host] = '\0';
    }
    if (std::strlen(work.data()) >= destination.size()) {
        SetupTrace("the TCP/IP host name %s does not fit %u bytes", work.data(),
                   static_cast<unsigned>(destination.size()));
        return TextLength(destination);
    }
    postern::CopyText(destination, work.data());
    return TextLength(destination);
}

int ReadAdapterAddresses(std::span<char> destination) {
    std::array<char, kAddressListSize> list{};
    const postern::UniqueHkey linkage =
        OpenRegistryKey(HKEY_LOCAL_MACHINE, postern::kTcpipLinkageKey, KEY_READ);
    if (linkage) {
        std::array<char, kBindValueSize> bind;
        const std::span<const char> devices = QueryRegistryMultiText(linkage.get(), "Bind", bind);
        std::size_t offset = 0;
        for (std::string_view device = NextMultiText(devices, offset); !device.empty();
             device = NextMultiText(devices, offset))
            AddAdapter(list, device);
    }
    postern::CopyText(destination, list.data());
    return TextLength(destination);
}
