// The HOSTS text work: lower-casing, the argument rules, the line tests and
// what is appended, including files whose last line lacks its end.
#include "setup/config/hosts_text.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using namespace std::string_literals;

struct AdditionCase {
    const char* name;
    std::string file;
    const char* host;
    std::string added; // what HostsAddition gives for address 192.0.2.5
};

std::string Lowered(std::string text) {
    text.push_back('\0');
    LowerCaseText(text);
    text.pop_back();
    return text;
}

} // namespace

TEST(HostsText, LowerCasingTouchesOnlyAToZ) {
    EXPECT_EQ(Lowered("Mail.EXAMPLE.com"), "mail.example.com");
    EXPECT_EQ(Lowered("AZ@[`{az09"), "az@[`{az09") << "the neighbours of A-Z stay";
    EXPECT_EQ(Lowered("\xC4\xD6\xDC\xC9"), "\xC4\xD6\xDC\xC9") << "no code-page letters";
    EXPECT_EQ(Lowered(""), "");
    std::array<char, 4> stop = {'A', '\0', 'B', 'C'};
    LowerCaseText(stop);
    EXPECT_EQ(std::string(stop.data(), 4), "a\0BC"s) << "nothing after the terminator";
    std::array<char, 2> unterminated = {'X', 'Y'};
    LowerCaseText(unterminated);
    EXPECT_EQ(std::string(unterminated.data(), 2), "xy") << "nothing past the span";
}

TEST(HostsText, ShortOrMissingArgumentsMakeNoEntry) {
    EXPECT_TRUE(HostsEntryUsable("a.com", "1.2.3.4"));
    EXPECT_FALSE(HostsEntryUsable("a.co", "1.2.3.4")) << "host of 4 characters";
    EXPECT_FALSE(HostsEntryUsable("a.com", "1.2.3.")) << "address list of 6 characters";
    EXPECT_FALSE(HostsEntryUsable(nullptr, "1.2.3.4"));
    EXPECT_FALSE(HostsEntryUsable("a.com", nullptr));
    EXPECT_FALSE(HostsEntryUsable("a.com", " 1.2.3.4")) << "no first address";
    EXPECT_FALSE(HostsEntryUsable("a.com\r\nevil", "1.2.3.4")) << "a line break in the host";
    EXPECT_FALSE(HostsEntryUsable("a.com", "1.2.3.4\n5")) << "a line break in the address";
    EXPECT_TRUE(HostsEntryUsable("a.com", "1.2.3.4 5.6.7.8\n")) << "only the first counts";
}

TEST(HostsText, TheFirstAddressEndsAtTheFirstSpace) {
    EXPECT_EQ(FirstAddress("192.0.2.5 192.0.2.7 192.0.2.8"), "192.0.2.5");
    EXPECT_EQ(FirstAddress("192.0.2.5"), "192.0.2.5");
    EXPECT_EQ(FirstAddress(" 192.0.2.5"), "");
}

TEST(HostsText, LinesAreTestedForTheHostLoopbackAndLocalhost) {
    struct Case {
        const char* name;
        std::string file;
        bool host, loopback, localhost;
    };
    const Case cases[] = {
        {"empty file", "", false, false, false},
        {"host in upper case", "192.0.2.5 MAIL.EXAMPLE.COM\r\n", true, false, false},
        {"host in a comment", "# mail.example.com retired\r\n", true, false, false},
        {"host as part of a longer name", "1.2.3.4 smail.example.community\n", true, false, false},
        {"loopback only", "127.0.0.1 loopback\r\n", false, true, false},
        {"localhost in capitals", "::1 LOCALHOST\r\n", false, false, true},
        {"both on the last line without its end", "x\r\n127.0.0.1 localhost", false, true, true},
        {"split over two lines is not found", "mail.exa\nmple.com\n", false, false, false},
        {"CR inside a line does not split it", "mail.exa\rmple.com\n", false, false, false},
        {"NUL bytes are kept as bytes", "\0mail.example.com\0\n"s, true, false, false},
        {"one long line", std::string(100000, 'x') + "mail.example.com", true, false, false},
    };
    for (const Case& c : cases) {
        const HostsScan scan = ScanHostsText(c.file, "Mail.Example.COM");
        EXPECT_EQ(scan.hostFound, c.host) << c.name;
        EXPECT_EQ(scan.loopbackFound, c.loopback) << c.name;
        EXPECT_EQ(scan.localhostFound, c.localhost) << c.name;
        EXPECT_EQ(scan.bytes, c.file.size()) << c.name;
    }
}

TEST(HostsText, ChunksGiveTheSameScanAsTheWholeText) {
    const std::string file = "# hosts\r\n10.0.0.1 other\r\n192.0.2.5 mail.EXAMPLE.com alias\r\n"
                             "127.0.0.1    localhost\n";
    const HostsScan whole = ScanHostsText(file, "mail.example.com");
    ASSERT_TRUE(whole.hostFound && whole.loopbackFound && whole.localhostFound);
    for (std::size_t size = 1; size <= file.size(); ++size) {
        HostsScanner scanner;
        StartHostsScan(scanner, "mail.example.com");
        for (std::size_t at = 0; at < file.size(); at += size)
            FeedHostsScan(scanner, std::string_view(file).substr(at, size));
        EXPECT_TRUE(scanner.scan.hostFound) << "chunks of " << size;
        EXPECT_TRUE(scanner.scan.loopbackFound) << "chunks of " << size;
        EXPECT_TRUE(scanner.scan.localhostFound) << "chunks of " << size;
        EXPECT_EQ(scanner.scan.lastByte, '\n');
        EXPECT_LE(scanner.pending.size(), size + 16u) << "memory stays bounded";
    }
}

// The whole-file cases run against the real HOSTS file in the Wine tests;
// these are the line-end decisions on their own.
TEST(HostsText, TheAdditionEndsTheLastLineAndAddsWhatIsMissing) {
    const AdditionCase cases[] = {
        {"empty file", "", "Mail.Example.com",
         "192.0.2.5 Mail.Example.com\r\n127.0.0.1 localhost\r\n"},
        {"all present, no final line end", "10.0.0.9 mail.example.com\r\n127.0.0.1 localhost",
         "mail.example.com", ""},
        {"last line without its end", "127.0.0.1 localhost", "mail.example.com",
         "\r\n192.0.2.5 mail.example.com\r\n"},
        {"ends in CR alone", "127.0.0.1 localhost\r", "mail.example.com",
         "\n192.0.2.5 mail.example.com\r\n"},
        {"host present, no final line end", "10.0.0.9 mail.example.com", "mail.example.com",
         "\r\n127.0.0.1 localhost\r\n"},
    };
    for (const AdditionCase& c : cases) {
        const HostsScan scan = ScanHostsText(c.file, c.host);
        EXPECT_EQ(HostsAddition(scan, c.host, "192.0.2.5"), c.added) << c.name;
    }
}
