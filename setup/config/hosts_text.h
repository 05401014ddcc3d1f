// The text work of the HOSTS entry: lower-casing, which lines already name the
// host, 127.0.0.1 or localhost, and what to append so that every byte already
// in the file stays as it is. Portable (no <windows.h>).
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

// Lower-cases the letters A to Z of the text in `text` (up to its terminator
// or the end of the span), in place; every other byte stays.
void LowerCaseText(std::span<char> text);

// The shortest host name and address list worth an entry.
constexpr std::size_t kMinHostNameLength = 5;
constexpr std::size_t kMinAddressListLength = 7;

// The first address of a list: the text before its first space.
std::string_view FirstAddress(std::string_view addressList);

// True when a HOSTS entry can be made of these: both present, the host name
// of at least 5 characters and the address list of at least 7, the first
// address not empty, and neither holding a line break (which would make the
// entry two lines).
bool HostsEntryUsable(const char* hostName, const char* addressList);

// What the lines of a HOSTS file say. Each test is a substring test anywhere
// in a line, comment lines included, after lower-casing A to Z.
struct HostsScan {
    bool hostFound = false;      // a line holds the host name
    bool loopbackFound = false;  // a line holds "127.0.0.1"
    bool localhostFound = false; // a line holds "localhost"
    std::size_t bytes = 0;       // bytes seen
    char lastByte = '\0';        // the last of them, when there were any
};

// Scans a file chunk by chunk: StartHostsScan, FeedHostsScan for each chunk
// in order, then the result in `scan`. Memory stays bounded by the longest
// name searched for plus the chunk, whatever the length of a line.
struct HostsScanner {
    std::string host;    // the host name, lower-cased
    std::string pending; // the current line's bytes not yet ruled out, lower-cased
    std::size_t keep = 0;
    HostsScan scan;
};

void StartHostsScan(HostsScanner& scanner, const char* hostName);
void FeedHostsScan(HostsScanner& scanner, std::string_view bytes);

// The whole scan of a text held in memory.
HostsScan ScanHostsText(std::string_view text, const char* hostName);

// What to append to a file whose lines gave `scan`, each line ended with CR
// LF: the line end that the file's last line lacks (only when a line follows),
// "ADDRESS HOST" unless the host was found (the host name as given, not
// lower-cased), and "127.0.0.1 localhost" unless a line held "127.0.0.1" or
// "localhost". Empty when nothing is missing.
std::string HostsAddition(const HostsScan& scan, const char* hostName,
                          std::string_view firstAddress);
