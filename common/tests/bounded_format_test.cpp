// Bounded formatting never writes past its buffer and always terminates.
#include "common/bounded_format.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>

using postern::AppendText;
using postern::BoundedLength;
using postern::CopyText;
using postern::FormatText;

TEST(BoundedFormat, FitsAndReportsFit) {
    std::array<char, 16> buf{};
    EXPECT_TRUE(FormatText(buf, "COM%u", 3u));
    EXPECT_STREQ(buf.data(), "COM3");
}

TEST(BoundedFormat, CutsAtBufferAndTerminates) {
    std::array<char, 8> buf;
    buf.fill('x');
    std::array<char, 4> guard;
    guard.fill('g');
    EXPECT_FALSE(FormatText(std::span<char>(buf).first(5), "%s", "abcdefgh"));
    EXPECT_STREQ(buf.data(), "abcd");
    EXPECT_EQ(buf[5], 'x'); // nothing written past the span
    EXPECT_EQ(guard[0], 'g');
    // A text exactly one short of the size fits; one equal to the size does not.
    EXPECT_TRUE(FormatText(buf, "%s", "1234567"));
    EXPECT_FALSE(FormatText(buf, "%s", "12345678"));
    EXPECT_STREQ(buf.data(), "1234567");
}

TEST(BoundedFormat, CopyAndAppend) {
    std::array<char, 6> buf;
    EXPECT_TRUE(CopyText(buf, nullptr));
    EXPECT_STREQ(buf.data(), "");
    EXPECT_TRUE(CopyText(buf, "AT"));
    EXPECT_TRUE(AppendText(buf, "E0\r"));
    EXPECT_STREQ(buf.data(), "ATE0\r");
    EXPECT_FALSE(AppendText(buf, "x"));
    EXPECT_STREQ(buf.data(), "ATE0\r");
}

TEST(BoundedFormat, LengthOfUnterminatedField) {
    const char field[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(BoundedLength(field), 4u);
    const char shorter[4] = {'a', '\0', 'c', 'd'};
    EXPECT_EQ(BoundedLength(shorter), 1u);
}
