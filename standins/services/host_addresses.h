// The address entries of the snapshot: the loopback address, the addresses of
// this host's name, and the suite's syslog host.
#pragma once

#include "standins/services/watch_layout.h"

#include <span>

namespace standins {

// Fills the front of entries, each address once; returns how many were filled.
// logHost is the suite's LogHost setting (a dotted address, or empty).
int CollectHostAddresses(std::span<AddressEntry> entries, const char* logHost);

} // namespace standins
