// The transmission block and its checksum.
#include "pager/tap_block.h"

#include <gtest/gtest.h>
#include <string>

using namespace pager;

namespace {
std::string Block(const char* id, const char* message, bool checksum = true) {
    BlockBuffer block;
    block.fill('\x7f');
    BuildAlphaBlock(block, id, message);
    if (checksum)
        AppendBlockChecksum(block);
    return block.data();
}
} // namespace

TEST(TapBlock, KnownBlockAndChecksum) {
    // STX 1 2 3 CR a b c CR ETX sums to 475 = 0x1DB: groups 1, 13, 11.
    EXPECT_EQ(Block("123", "abc", false), "\x02" "123\rabc\r\x03");
    EXPECT_EQ(Block("123", "abc"), "\x02" "123\rabc\r\x03" "1=;\r");
}

TEST(TapBlock, PagerIdKeepsOnlyDigits) {
    EXPECT_EQ(Block("55-12 34", "x", false), "\x02" "551234\rx\r\x03");
    EXPECT_EQ(Block("abc", "x", false), "\x02\rx\r\x03");
}

TEST(TapBlock, MessageCarriageReturnBecomesSpaceOtherControlsDropped) {
    EXPECT_EQ(Block("1", "a\r\nb\tc\x01\x7f", false), "\x02" "1\ra b" "c\x7f\r\x03");
    EXPECT_EQ(Block("1", "caf\xe9!", false), "\x02" "1\rcaf!\r\x03");
}

TEST(TapBlock, ChecksumUsesLowTwelveBitsOfUnsignedSum) {
    // 40 bytes of 'z' push the sum to 4968 (0x1368): only 0x368 counts, sent
    // as '3', '6', '8' (0x30 plus each four bits).
    const std::string msg(40, 'z');
    EXPECT_EQ(Block("9", msg.c_str()), "\x02" "9\r" + msg + "\r\x03" "368\r");
}

TEST(TapBlock, PayloadCountsWhatTheBlockCarries) {
    EXPECT_EQ(AlphaBlockPayload("1-2-3", "a\r\n\tb"), 3u + 3u);
    EXPECT_EQ(AlphaBlockPayload(nullptr, nullptr), 0u);
}

TEST(TapBlock, LargestBlockFitsItsBuffer) {
    std::string msg(kMaxBlockPayload - 3, 'm');
    ASSERT_EQ(AlphaBlockPayload("123", msg.c_str()), kMaxBlockPayload);
    BlockBuffer block;
    BuildAlphaBlock(block, "123", msg.c_str());
    AppendBlockChecksum(block);
    std::string text = block.data();
    EXPECT_EQ(text.size(), kBlockBufferSize - 1);
    EXPECT_EQ(text.substr(text.size() - 6, 2), "\r\x03");
    EXPECT_EQ(text.back(), '\r');
}

TEST(TapBlock, OverlongPayloadIsCutNotOverflowed) {
    std::string id(2000, '7');
    std::string msg(2000, 'm');
    BlockBuffer block;
    BuildAlphaBlock(block, id.c_str(), msg.c_str());
    AppendBlockChecksum(block);
    std::string text = block.data();
    EXPECT_LE(text.size(), kBlockBufferSize - 1);
    EXPECT_EQ(text.front(), '\x02');
    EXPECT_EQ(text.back(), '\r');
}
