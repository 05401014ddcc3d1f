// The HOSTS entry in the prefix's real HOSTS file, saved before each case and
// put back after it; every case compares the whole file byte for byte.
#include "config_test_support.h"

#include "common/unique_handle.h"
#include "setup/config/hosts_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

using namespace config_test;
using namespace std::string_literals;

namespace {

constexpr const char* kHost = "Mail.Example.com";
constexpr const char* kAddresses = "192.0.2.5 192.0.2.7 192.0.2.8";
const std::string HostLine = "192.0.2.5 Mail.Example.com\r\n";
const std::string LocalhostLine = "127.0.0.1 localhost\r\n";

std::string HostsPath() {
    std::array<char, 300> path;
    return HostsFilePath(path) ? std::string(path.data()) : std::string();
}

class HostsFile : public ::testing::Test {
  protected:
    const std::string path_ = HostsPath();
    std::optional<std::string> saved_;
    std::string savedName_; // the name as the folder spells it

    void SetUp() override {
        ASSERT_FALSE(path_.empty());
        saved_ = ReadFileBytes(path_);
        WIN32_FIND_DATAA found;
        postern::UniqueFind find(FindFirstFileA(path_.c_str(), &found));
        if (find)
            savedName_ = found.cFileName;
    }
    void TearDown() override {
        DeleteFileA(path_.c_str());
        if (saved_) {
            const std::string folder = path_.substr(0, path_.find_last_of('\\') + 1);
            EXPECT_TRUE(WriteBytes(folder + savedName_, *saved_)) << "HOSTS put back";
        }
    }
    // The file's bytes, or "(no file)".
    std::string Contents() const { return ReadFileBytes(path_).value_or("(no file)"); }
    void Prepare(const std::optional<std::string>& bytes) const {
        DeleteFileA(path_.c_str());
        if (bytes) {
            ASSERT_TRUE(WriteBytes(path_, *bytes));
        }
    }
};

struct Case {
    const char* name;
    std::optional<std::string> before;
    const char* host;
    const char* addresses;
    int result;
    std::string after; // "(no file)" when there is none
};

} // namespace

TEST_F(HostsFile, ThePathIsBelowTheWindowsFolder) {
    char windows[MAX_PATH];
    const UINT n = GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(path_, std::string(windows, n) + "\\system32\\drivers\\etc\\HOSTS");
}

TEST_F(HostsFile, LinesAreAddedOnlyWhereMissing) {
    const std::string crlf = "# hosts\r\n10.0.0.1 other.example\r\n";
    const std::string lf = "# hosts\n10.0.0.1 other.example\n127.0.0.1 localhost\n";
    const Case cases[] = {
        {"no file: created with both lines", {}, kHost, kAddresses, 1, HostLine + LocalhostLine},
        {"empty file", ""s, kHost, kAddresses, 1, HostLine + LocalhostLine},
        {"CRLF file", crlf, kHost, kAddresses, 1, crlf + HostLine + LocalhostLine},
        {"LF file with localhost", lf, kHost, kAddresses, 1, lf + HostLine},
        {"only line 127.0.0.1 loopback", "127.0.0.1 loopback\r\n"s, kHost, kAddresses, 1,
         "127.0.0.1 loopback\r\n" + HostLine},
        {"host present in capitals", "10.9.9.9 MAIL.EXAMPLE.COM\r\n::1 localhost\r\n"s, kHost,
         kAddresses, 1, "10.9.9.9 MAIL.EXAMPLE.COM\r\n::1 localhost\r\n"},
        {"host present, localhost missing", "10.9.9.9 mail.example.com\r\n"s, kHost, kAddresses, 1,
         "10.9.9.9 mail.example.com\r\n" + LocalhostLine},
        {"host only in a comment counts", "# Mail.Example.com\r\n127.0.0.1 x\r\n"s, kHost,
         kAddresses, 1, "# Mail.Example.com\r\n127.0.0.1 x\r\n"},
        {"last line without its end", "127.0.0.1 localhost"s, kHost, kAddresses, 1,
         "127.0.0.1 localhost\r\n" + HostLine},
        {"LF file without its last end", "# hosts\n127.0.0.1 localhost"s, kHost, kAddresses, 1,
         "# hosts\n127.0.0.1 localhost\r\n" + HostLine},
        {"host present, no last line end", "10.9.9.9 mail.example.com"s, kHost, kAddresses, 1,
         "10.9.9.9 mail.example.com\r\n" + LocalhostLine},
        {"odd bytes are kept", "\x1A\0\xFF localhost\r\n\x1A"s, kHost, kAddresses, 1,
         "\x1A\0\xFF localhost\r\n\x1A\r\n"s + HostLine},
        {"one address", crlf, kHost, "192.0.2.5", 1, crlf + HostLine + LocalhostLine},
        {"host of 4 characters", crlf, "mail", kAddresses, 0, crlf},
        {"address list of 6 characters", crlf, kHost, "1.2.3.", 0, crlf},
        {"host of 4 characters, no file", {}, "mail", kAddresses, 0, "(no file)"},
        {"address list of 6, no file", {}, kHost, "1.2.3.", 0, "(no file)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare(c.before);
        EXPECT_EQ(AddHostsEntry(c.host, c.addresses), c.result);
        EXPECT_EQ(Contents(), c.after);
        // A second run finds everything and changes nothing.
        if (c.result == 1) {
            EXPECT_EQ(AddHostsEntry(c.host, c.addresses), 1);
            EXPECT_EQ(Contents(), c.after);
        }
    }
}

TEST_F(HostsFile, MissingArgumentsLeaveTheFileAlone) {
    Prepare("x\r\n"s);
    EXPECT_EQ(AddHostsEntry(nullptr, kAddresses), 0);
    EXPECT_EQ(AddHostsEntry(kHost, nullptr), 0);
    EXPECT_EQ(Contents(), "x\r\n");
}

TEST_F(HostsFile, AReadOnlyFileIsLeftIntact) {
    const std::string before = "# read-only\r\n10.0.0.1 other.example"s;
    Prepare(before);
    {
        ReadOnlyFile readOnly(path_);
        ASSERT_TRUE(readOnly.Made()) << readOnly.Problem();
        EXPECT_EQ(AddHostsEntry(kHost, kAddresses), 0);
        EXPECT_EQ(Contents(), before);
    }
    // The host is there, localhost is not: nothing can be written, the host counts.
    const std::string withHost = "10.0.0.9 mail.example.com\r\n"s;
    Prepare(withHost);
    {
        ReadOnlyFile readOnly(path_);
        ASSERT_TRUE(readOnly.Made()) << readOnly.Problem();
        EXPECT_EQ(AddHostsEntry(kHost, kAddresses), 1);
        EXPECT_EQ(Contents(), withHost);
    }
    EXPECT_EQ(AddHostsEntry(kHost, kAddresses), 1) << "writable again";
    EXPECT_EQ(Contents(), withHost + LocalhostLine);
}

TEST_F(HostsFile, AFileLockedByAnotherProgramIsNeverTruncated) {
    const std::string before = "# locked\r\n10.0.0.1 other.example\r\n"s;
    // Locked against everything, and against reading only (writing is shared).
    for (const DWORD share : {DWORD{0}, DWORD{FILE_SHARE_WRITE}}) {
        SCOPED_TRACE("share mode " + std::to_string(share));
        Prepare(before);
        {
            postern::UniqueFile lock(CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, share,
                                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                                 nullptr));
            ASSERT_TRUE(lock) << "error " << GetLastError();
            EXPECT_EQ(AddHostsEntry(kHost, kAddresses), 0);
        }
        EXPECT_EQ(Contents(), before);
    }
}

TEST_F(HostsFile, AOneMegabyteFileKeepsEveryByte) {
    std::string big = "127.0.0.1 localhost\r\n";
    for (int i = 0; big.size() < (1u << 20); ++i)
        big += "10." + std::to_string(i / 65536 % 256) + "." + std::to_string(i / 256 % 256) + "." +
               std::to_string(i % 256) + " filler-" + std::to_string(i) + ".example\r\n";
    big += "10.255.255.255 last-line-without-end.example";
    Prepare(big);
    EXPECT_EQ(AddHostsEntry(kHost, kAddresses), 1);
    const std::string after = Contents();
    ASSERT_EQ(after.size(), big.size() + 2 + HostLine.size());
    EXPECT_TRUE(after == big + "\r\n" + HostLine)
        << "the first difference is at byte "
        << std::mismatch(after.begin(), after.end(), big.begin(), big.end()).first - after.begin();

    // The host on the very last line, after a megabyte: found, nothing added.
    const std::string hostLast = big + "\r\n10.9.9.9 MAIL.example.COM";
    Prepare(hostLast);
    EXPECT_EQ(AddHostsEntry(kHost, kAddresses), 1);
    EXPECT_TRUE(Contents() == hostLast) << "size " << Contents().size();
}
