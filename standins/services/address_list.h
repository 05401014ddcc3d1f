// Dotted IPv4 address texts, as the monitor service's settings hold them.
// Portable (no <windows.h>).
#pragma once

#include "standins/services/watch_layout.h"

#include <cstddef>
#include <span>

namespace standins {

// Reads "a.b.c.d" from the characters [begin, end): four decimal numbers of
// at most three digits, each 0 to 255, and nothing else. 0.0.0.0 is refused
// because it marks an empty slot in the snapshot.
bool ParseIpv4(const char* begin, const char* end, Ipv4& address);

struct AddressListResult {
    int stored;   // addresses written to the front of out
    int rejected; // items that are no address, or that did not fit
};

// Reads a list of addresses separated by commas, semicolons, blanks or tabs.
AddressListResult ParseAddressList(const char* text, std::span<Ipv4> out);

} // namespace standins
