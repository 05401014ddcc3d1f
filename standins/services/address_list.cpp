// Address list reading; see address_list.h.
#include "standins/services/address_list.h"

namespace standins {

namespace {

bool IsSeparator(char c) {
    return c == ',' || c == ';' || c == ' ' || c == '\t';
}

} // namespace

bool ParseIpv4(const char* begin, const char* end, Ipv4& address) {
    Ipv4 parsed{};
    const char* p = begin;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (p == end || *p != '.')
                return false;
            ++p;
        }
        unsigned value = 0;
        int digits = 0;
        while (p != end && *p >= '0' && *p <= '9' && digits < 4) {
            value = value * 10 + static_cast<unsigned>(*p - '0');
            ++digits;
            ++p;
        }
        if (digits == 0 || digits > 3 || value > 255)
            return false;
        parsed.bytes[part] = static_cast<unsigned char>(value);
    }
    if (p != end)
        return false;
    if ((parsed.bytes[0] | parsed.bytes[1] | parsed.bytes[2] | parsed.bytes[3]) == 0)
        return false;
    address = parsed;
    return true;
}

AddressListResult ParseAddressList(const char* text, std::span<Ipv4> out) {
    AddressListResult result{0, 0};
    if (text == nullptr)
        return result;
    const char* p = text;
    while (*p != '\0') {
        while (IsSeparator(*p))
            ++p;
        if (*p == '\0')
            break;
        const char* item = p;
        while (*p != '\0' && !IsSeparator(*p))
            ++p;
        Ipv4 address{};
        if (static_cast<std::size_t>(result.stored) < out.size() && ParseIpv4(item, p, address))
            out[static_cast<std::size_t>(result.stored++)] = address;
        else
            ++result.rejected;
    }
    return result;
}

} // namespace standins
