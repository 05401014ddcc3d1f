// Fuzzes the HOSTS scan and addition. Input: one byte that sets the chunk
// size, the host name up to the first NUL, then the file's bytes. The chunked
// scan must agree with a plain line-by-line reference, and the file with its
// addition must hold the host and localhost, end with CR LF and need nothing
// more.
#include "setup/config/hosts_text.h"

#include "common/letter_case.h"
#include "common/fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = postern::LowerAZ(c);
    return lower;
}

// Each line (split at LF) lower-cased and searched as a whole.
HostsScan Reference(std::string_view file, std::string_view host) {
    HostsScan scan;
    const std::string lowerHost = Lower(host);
    std::size_t start = 0;
    while (start < file.size()) {
        std::size_t end = file.find('\n', start);
        if (end == std::string_view::npos)
            end = file.size();
        const std::string line = Lower(file.substr(start, end - start));
        scan.hostFound |= !lowerHost.empty() && line.find(lowerHost) != std::string::npos;
        scan.loopbackFound |= line.find("127.0.0.1") != std::string::npos;
        scan.localhostFound |= line.find("localhost") != std::string::npos;
        start = end + 1;
    }
    scan.bytes = file.size();
    scan.lastByte = file.empty() ? '\0' : file.back();
    return scan;
}

std::string Flags(const HostsScan& s) {
    return std::string(s.hostFound ? "H" : "-") + (s.loopbackFound ? "L" : "-") +
           (s.localhostFound ? "l" : "-") + " bytes " + std::to_string(s.bytes);
}

bool Same(const HostsScan& a, const HostsScan& b) {
    return a.hostFound == b.hostFound && a.loopbackFound == b.loopbackFound &&
           a.localhostFound == b.localhostFound && a.bytes == b.bytes && a.lastByte == b.lastByte;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::size_t chunk = 1 + data[0];
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t nul = rest.find('\0');
    const std::string host(rest.substr(0, nul == std::string_view::npos ? 0 : nul));
    const std::string_view file = nul == std::string_view::npos ? rest : rest.substr(nul + 1);

    HostsScanner scanner;
    StartHostsScan(scanner, host.c_str());
    for (std::size_t at = 0; at < file.size(); at += chunk)
        FeedHostsScan(scanner, file.substr(at, chunk));
    const HostsScan reference = Reference(file, host);
    FUZZ_CHECK(Same(scanner.scan, reference), "chunks of " + std::to_string(chunk) + " gave " +
                                                  Flags(scanner.scan) + ", lines give " +
                                                  Flags(reference));
    FUZZ_CHECK(scanner.pending.size() <= scanner.keep, "the kept tail stays bounded");

    std::string lowered = host + '\0';
    LowerCaseText(lowered);
    FUZZ_CHECK(lowered.substr(0, host.size()) == Lower(host), "A-Z lower-cased, nothing else");

    if (!HostsEntryUsable(host.c_str(), "192.0.2.5"))
        return 0;
    const std::string addition = HostsAddition(scanner.scan, host.c_str(), "192.0.2.5");
    const std::string after = std::string(file) + addition;
    const HostsScan again = ScanHostsText(after, host.c_str());
    FUZZ_CHECK(again.hostFound, "the host is found after the addition");
    FUZZ_CHECK(again.loopbackFound || again.localhostFound, "localhost is known afterwards");
    FUZZ_CHECK(addition.empty() || after.substr(after.size() - 2) == "\r\n",
               "an addition ends its last line");
    FUZZ_CHECK(HostsAddition(again, host.c_str(), "192.0.2.5").empty(),
               "a second run adds nothing");
    return 0;
}
