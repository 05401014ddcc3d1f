// Trailing-backslash helpers, with single-byte and double-byte stepping.
#include "setup/path_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace {

// Steps like a double-byte code page whose lead bytes are 0x81..0x9F and
// 0xE0..0xFC (the trail byte may be 0x5C, a backslash).
const char* StepDoubleByte(const char* at) {
    const auto byte = static_cast<unsigned char>(*at);
    if (byte == 0)
        return at;
    const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    if (lead && at[1] != '\0')
        return at + 2;
    return at + 1;
}

template <std::size_t N> std::array<char, N> Text(const char* text) {
    std::array<char, N> buffer{};
    std::memcpy(buffer.data(), text, std::min(std::strlen(text), N - 1));
    return buffer;
}

std::string Added(const char* text, CharStepFunction step = StepSingleByte) {
    auto buffer = Text<64>(text);
    EXPECT_TRUE(AddTrailingBackslash(buffer, step));
    return buffer.data();
}

std::string Stripped(const char* text, CharStepFunction step = StepSingleByte) {
    auto buffer = Text<64>(text);
    StripTrailingBackslash(buffer, step);
    return buffer.data();
}

} // namespace

TEST(PathText, AddTrailingBackslashAppendsExactlyOne) {
    EXPECT_EQ(Added("C:\\POSTERN"), "C:\\POSTERN\\");
    EXPECT_EQ(Added("C:\\POSTERN\\"), "C:\\POSTERN\\");
    EXPECT_EQ(Added("C:\\"), "C:\\");
    EXPECT_EQ(Added(""), "\\");
    EXPECT_EQ(Added("C:"), "C:\\");
}

TEST(PathText, StripTrailingBackslashRemovesOneOrNothing) {
    EXPECT_EQ(Stripped("C:\\POSTERN\\"), "C:\\POSTERN");
    EXPECT_EQ(Stripped("C:\\POSTERN"), "C:\\POSTERN");
    EXPECT_EQ(Stripped("C:\\POSTERN\\\\"), "C:\\POSTERN\\");
    EXPECT_EQ(Stripped("\\"), "");
    EXPECT_EQ(Stripped(""), "");
}

TEST(PathText, ATrailByteThatLooksLikeABackslashIsNotOne) {
    // "\x95\x5C" is one double-byte character whose second byte is 0x5C.
    EXPECT_EQ(Added("C:\\\x95\x5C", StepDoubleByte), "C:\\\x95\x5C\\");
    EXPECT_EQ(Stripped("C:\\\x95\x5C", StepDoubleByte), "C:\\\x95\x5C");
    // Stepped byte by byte the same text ends in a backslash.
    EXPECT_EQ(Added("C:\\\x95\x5C"), "C:\\\x95\x5C");
    EXPECT_EQ(Stripped("C:\\\x95\x5C"), "C:\\\x95");
    // A real backslash after a double-byte character still counts.
    EXPECT_EQ(Stripped("C:\\\x95\x5C\\", StepDoubleByte), "C:\\\x95\x5C");
}

TEST(PathText, AddTrailingBackslashNeverWritesPastTheBuffer) {
    std::array<char, 5> full = Text<5>("C:\\A");
    EXPECT_FALSE(AddTrailingBackslash(full, StepSingleByte));
    EXPECT_STREQ(full.data(), "C:\\A");
    std::array<char, 6> room = Text<6>("C:\\A");
    EXPECT_TRUE(AddTrailingBackslash(room, StepSingleByte));
    EXPECT_STREQ(room.data(), "C:\\A\\");
    // A text without a terminator in its buffer is left alone.
    std::array<char, 3> unterminated = {'a', 'b', 'c'};
    EXPECT_FALSE(AddTrailingBackslash(unterminated, StepSingleByte));
    StripTrailingBackslash(unterminated, StepSingleByte);
    EXPECT_EQ(unterminated[2], 'c');
}

TEST(PathText, TopDirLengthIsCountedWithoutTheTrailingBackslash) {
    const std::string dir78 = "C:\\" + std::string(75, 'd');
    EXPECT_EQ(LengthWithoutTrailingBackslash(dir78.c_str(), StepSingleByte), 78u);
    EXPECT_TRUE(TopDirFits(dir78.c_str(), 78, StepSingleByte));
    EXPECT_TRUE(TopDirFits((dir78 + "\\").c_str(), 78, StepSingleByte));
    EXPECT_FALSE(TopDirFits((dir78 + "x").c_str(), 78, StepSingleByte));
    EXPECT_FALSE(TopDirFits((dir78 + "x\\").c_str(), 78, StepSingleByte));
    EXPECT_EQ(LengthWithoutTrailingBackslash("", StepSingleByte), 0u);
    EXPECT_EQ(LengthWithoutTrailingBackslash("\\", StepSingleByte), 0u);
}
