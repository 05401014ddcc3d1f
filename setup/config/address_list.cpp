// Address list text work; see address_list.h.
#include "setup/config/address_list.h"

#include "common/bounded_format.h"
#include "common/suite_registry.h"

#include <cstring>

namespace {

constexpr std::string_view kDevicePrefix = "\\Device";
constexpr std::string_view kUnassignedAddress = "0.0.0.0";

} // namespace

std::string_view NextMultiText(std::span<const char> data, std::size_t& offset) {
    if (offset >= data.size())
        return {};
    const char* begin = data.data() + offset;
    const std::size_t left = data.size() - offset;
    const void* zero = std::memchr(begin, '\0', left);
    const std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - begin) : left;
    offset += length + (zero ? 1 : 0);
    return {begin, length};
}

bool AdapterKeyPath(std::span<char> out, std::string_view device) {
    if (out.empty())
        return false;
    out[0] = '\0';
    if (device.substr(0, kDevicePrefix.size()) != kDevicePrefix)
        return false;
    const std::string_view name = device.substr(kDevicePrefix.size());
    if (name.find('\0') != std::string_view::npos)
        return false;
    if (!postern::FormatText(out, "%s%.*s\\Parameters\\TCPIP", postern::kServicesKey,
                             static_cast<int>(name.size()), name.data())) {
        out[0] = '\0';
        return false;
    }
    return true;
}

std::size_t AdapterValueRoom(const char* list) {
    const std::size_t length = std::strlen(list);
    return length < kAddressListLimit ? kAddressListLimit - length : 0;
}

AdapterJoin AppendAdapterAddresses(std::span<char> list, std::span<const char> value) {
    std::size_t offset = 0;
    const std::string_view first = NextMultiText(value, offset);
    if (first.empty())
        return AdapterJoin::NoAddress;
    if (first == kUnassignedAddress)
        return AdapterJoin::Unassigned;

    const std::size_t used = postern::BoundedLength(list);
    std::size_t length = used;
    offset = 0;
    for (std::string_view address = NextMultiText(value, offset); !address.empty();
         address = NextMultiText(value, offset))
        length += (length > 0 ? 1 : 0) + address.size();
    if (used >= list.size() || length > kAddressListLimit || length >= list.size())
        return AdapterJoin::TooLong;

    std::size_t at = used;
    offset = 0;
    for (std::string_view address = NextMultiText(value, offset); !address.empty();
         address = NextMultiText(value, offset)) {
        if (at > 0)
            list[at++] = ' ';
        std::memcpy(list.data() + at, address.data(), address.size());
        at += address.size();
    }
    list[at] = '\0';
    return AdapterJoin::Added;
}
