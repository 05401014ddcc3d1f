// The mail host name and the machine's addresses from the TCP/IP
// configuration of Windows NT in the registry.
#pragma once

#include <span>

// The host name and domain of TCP/IP as "HOST.DOMAIN" (or "HOST" when there is
// no domain), written into `destination` (256 bytes) when a host name is
// found; otherwise the destination keeps its text. Returns the length of the
// destination's text afterwards.
int ReadTcpipHostName(std::span<char> destination);

// The static IPv4 addresses of every device TCP/IP is bound to, in binding
// order, separated by single spaces (at most 254 characters); an adapter whose
// first address is 0.0.0.0, or whose addresses do not fit, adds nothing.
// Always stored in `destination` (256 bytes), possibly empty; returns its
// length.
int ReadAdapterAddresses(std::span<char> destination);
