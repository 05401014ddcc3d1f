// Reply tests, the speed table and the trace window's expansion of control bytes.
#include "pager/reply_match.h"
#include "pager/speed_table.h"
#include "pager/trace_expand.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

using namespace pager;

namespace {
ReplyBuffer Reply(const std::string& bytes) {
    ReplyBuffer r{};
    std::memcpy(r.data(), bytes.data(), std::min(bytes.size(), kReplyBytes));
    return r;
}
std::string Expand(const char* text, std::size_t size = kTraceLineSize) {
    std::string out(size, '#');
    std::size_t n = ExpandTraceText(text, std::span<char>(out.data(), size));
    EXPECT_EQ(out[n], '\0');
    return out.substr(0, n);
}
} // namespace

TEST(ReplyMatch, CaseSensitiveSubstringAnywhere) {
    EXPECT_TRUE(ReplyContains(Reply("ATE0\r\r\nOK\r\n"), "OK"));
    EXPECT_FALSE(ReplyContains(Reply("\r\nok\r\n"), "OK"));
    EXPECT_TRUE(ReplyContains(Reply("\r\nNO CARRIER\r\n"), "CARRIER"));
    EXPECT_TRUE(ReplyIsEmpty(Reply("")));
}

TEST(ReplyMatch, SearchStopsAtFirstZeroByte) {
    EXPECT_FALSE(ReplyContains(Reply(std::string("\r\n\0OK", 5)), "OK"));
    EXPECT_FALSE(ReplyContainsByte(Reply(std::string("x\0\x06", 3)), '\x06'));
    EXPECT_TRUE(ReplyContainsByte(Reply("211 ok\r\x06\r"), '\x06'));
    EXPECT_FALSE(ReplyContainsByte(Reply("abc"), '\0'));
}

TEST(SpeedTable, SelectorsAndDefaults) {
    EXPECT_EQ(BitRateForSelector(0, PageKind::Alphanumeric), 300u);
    EXPECT_EQ(BitRateForSelector(1, PageKind::Numeric), 1200u);
    EXPECT_EQ(BitRateForSelector(5, PageKind::Numeric), 14400u);
    EXPECT_EQ(BitRateForSelector(9, PageKind::Alphanumeric), 115200u);
    EXPECT_EQ(BitRateForSelector(10, PageKind::Alphanumeric), 300u);
    EXPECT_EQ(BitRateForSelector(10, PageKind::Numeric), 1200u);
    EXPECT_EQ(BitRateForSelector(299, PageKind::Alphanumeric), 300u);
    EXPECT_EQ(BitRateForSelector(299, PageKind::Numeric), 1200u);
    EXPECT_EQ(BitRateForSelector(-1, PageKind::Numeric), 1200u);
    EXPECT_EQ(BitRateForSelector(300, PageKind::Numeric), 300u);
    EXPECT_EQ(BitRateForSelector(2400, PageKind::Alphanumeric), 2400u);
}

TEST(TraceExpand, ControlBytesShownAsDecimal) {
    EXPECT_EQ(Expand("sending \"\x1bPG1\r\"\r\n"), "sending \"<27>PG1\r\"\r\n");
    EXPECT_EQ(Expand("\x02" "123\r\x03\x06\x15\x04\t"), "<02>123\r<03><06><21><04><09>");
    EXPECT_EQ(Expand("\x7f~ \xe9"), "\x7f~ <233>");
    EXPECT_EQ(Expand(nullptr), "");
}

TEST(TraceExpand, LongLineIsCutWholeAndTerminated) {
    std::string text(2000, 'x');
    EXPECT_EQ(Expand(text.c_str()).size(), kTraceLineSize - 1);
    // A bracketed value is never cut in half.
    EXPECT_EQ(Expand("ab\x02", 6), "ab");
    EXPECT_EQ(Expand("ab\x02", 7), "ab<02>");
}
