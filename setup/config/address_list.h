// The machine's address list from the TCP/IP configuration: walking the
// multi-string values (the bound devices, each adapter's addresses) and
// joining the addresses into one text. Portable (no <windows.h>).
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

// The address list buffer (AddressList of the session) and its longest text.
constexpr std::size_t kAddressListSize = 256;
constexpr std::size_t kAddressListLimit = 254;
// The bound-devices value (Bind) is read with a buffer of this many bytes.
constexpr std::size_t kBindValueSize = 256;

// The text of a multi-string that starts at `offset` of `data`, and moves
// `offset` past it. The walk never reads past `data`: a text without its NUL
// ends with the data. An empty view means the end (the empty text that ends
// the value, or no data left).
std::string_view NextMultiText(std::span<const char> data, std::size_t& offset);

// The TCP/IP parameters key of the adapter behind a bound device:
// "\Device\NAME" gives "SYSTEM\CurrentControlSet\Services\NAME\Parameters\TCPIP".
// False (out left empty) when the text does not begin with "\Device" (letter
// case significant) or the key path does not fit.
bool AdapterKeyPath(std::span<char> out, std::string_view device);

// The room an adapter's address value may take when it joins the list: 254
// bytes less the list's length.
std::size_t AdapterValueRoom(const char* list);

enum class AdapterJoin {
    Added,      // the adapter's addresses now end the list
    Unassigned, // its first address is "0.0.0.0": nothing added
    NoAddress,  // the value holds no address: nothing added
    TooLong,    // the list would exceed 254 characters: nothing added
};

// Appends the addresses of one adapter's value (the data as read, NULs
// between the addresses) to the terminated list in `list`, each address
// after a single space. The list is changed only when the result is Added.
AdapterJoin AppendAdapterAddresses(std::span<char> list, std::span<const char> value);
