// HOSTS text work; see hosts_text.h.
#include "setup/config/hosts_text.h"

#include "common/letter_case.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::string_view kLoopbackAddress = "127.0.0.1";
constexpr std::string_view kLocalhostName = "localhost";
constexpr std::string_view kLineEnd = "\r\n";

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Tests the line bytes gathered so far against each name not yet found.
void TestPending(HostsScanner& scanner) {
    const std::string& line = scanner.pending;
    HostsScan& scan = scanner.scan;
    // An empty host name would be "found" in every line; it is never searched for.
    if (!scan.hostFound && !scanner.host.empty() && line.find(scanner.host) != std::string::npos)
        scan.hostFound = true;
    if (!scan.loopbackFound && line.find(kLoopbackAddress) != std::string::npos)
        scan.loopbackFound = true;
    if (!scan.localhostFound && line.find(kLocalhostName) != std::string::npos)
        scan.localhostFound = true;
}

} // namespace

void LowerCaseText(std::span<char> text) {
    for (char& c : text) {
        if (c == '\0')
            return;
        c = postern::LowerAZ(c);
    }
}

std::string_view FirstAddress(std::string_view addressList) {
    return addressList.substr(0, addressList.find(' '));
}

bool HostsEntryUsable(const char* hostName, const char* addressList) {
    if (hostName == nullptr || addressList == nullptr)
        return false;
    const std::string_view host = hostName;
    const std::string_view list = addressList;
    return host.size() >= kMinHostNameLength && list.size() >= kMinAddressListLength &&
           !FirstAddress(list).empty() && !HasLineBreak(host) && !HasLineBreak(FirstAddress(list));
}

void StartHostsScan(HostsScanner& scanner, const char* hostName) {
    scanner.host = hostName != nullptr ? hostName : "";
    for (char& c : scanner.host)
        c = postern::LowerAZ(c);
    scanner.pending.clear();
    // A name can still begin in the last (longest name - 1) bytes of a line.
    scanner.keep = std::max({scanner.host.size(), kLoopbackAddress.size(), kLocalhostName.size()});
    scanner.keep -= 1;
    scanner.scan = HostsScan{};
}

void FeedHostsScan(HostsScanner& scanner, std::string_view bytes) {
    if (bytes.empty())
        return;
    scanner.scan.bytes += bytes.size();
    scanner.scan.lastByte = bytes.back();
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view part = bytes.substr(0, end);
        const std::size_t from = scanner.pending.size();
        scanner.pending.append(part);
        for (std::size_t i = from; i < scanner.pending.size(); ++i)
            scanner.pending[i] = postern::LowerAZ(scanner.pending[i]);
        TestPending(scanner);
        if (end == std::string_view::npos) {
            if (scanner.pending.size() > scanner.keep)
                scanner.pending.erase(0, scanner.pending.size() - scanner.keep);
            return;
        }
        scanner.pending.clear();
        bytes.remove_prefix(end + 1);
    }
}

HostsScan ScanHostsText(std::string_view text, const char* hostName) {
    HostsScanner scanner;
    StartHostsScan(scanner, hostName);
    FeedHostsScan(scanner, text);
    return scanner.scan;
}

std::string HostsAddition(const HostsScan& scan, const char* hostName,
                          std::string_view firstAddress) {
    std::string lines;
    if (!scan.hostFound) {
        lines.append(firstAddress);
        lines.append(" ");
        lines.append(hostName != nullptr ? hostName : "");
        lines.append(kLineEnd);
    }
    if (!scan.loopbackFound && !scan.localhostFound) {
        lines.append(kLoopbackAddress);
        lines.append(" ");
        lines.append(kLocalhostName);
        lines.append(kLineEnd);
    }
    if (lines.empty() || scan.bytes == 0 || scan.lastByte == '\n')
        return lines;
    // The last line lacks its end: CR LF, or only LF after a final CR.
    return (scan.lastByte == '\r' ? std::string("\n") : std::string(kLineEnd)) + lines;
}
