// The paging terminal: prompts, logon (and a required password), blocks (and a
// length limit), checksums, multi-block pages, goodbye.
#include "standins/modem/tests/test_driver.h"

#include "standins/modem/tap_terminal.h"

#include <gtest/gtest.h>

namespace modemsim::testing {
namespace {

class Terminal : public ::testing::Test {
  protected:
    void SetUp() override {
        terminal_.Connect(now_, out_);
        Take();
    }
    std::string Send(std::string_view bytes) {
        terminal_.Receive(now_, bytes, out_);
        return Take();
    }
    std::string LogOn(std::string_view logon = "\x1bPG1\r") {
        std::string out = Send("\r");
        out += Send(logon);
        return out;
    }
    std::string Take() {
        std::string bytes = out_.bytes;
        pages_.insert(pages_.end(), out_.pages.begin(), out_.pages.end());
        hung_up_ = hung_up_ || out_.hung_up;
        out_ = TerminalOutput{};
        return bytes;
    }

    TerminalBehaviour behaviour_;
    RunCounters counters_;
    TapTerminal terminal_{behaviour_, counters_};
    TerminalOutput out_;
    std::int64_t now_ = 0;
    std::vector<AcceptedPage> pages_;
    bool hung_up_ = false;
};

TEST(TapChecksum, KnownBlock) {
    std::string_view block = "\x02"
                             "123\r"
                             "abc\r"
                             "\x03";
    EXPECT_EQ(TapChecksum(block), 475u);
    std::array<char, 3> sum = TapChecksumChars(block);
    EXPECT_EQ(std::string(sum.data(), 3), "1=;");
}

TEST(TapChecksum, KeepsTheLowTwelveBits) {
    std::string big(40, '\x7f'); // 40 * 127 = 5080 = 0x13d8
    EXPECT_EQ(TapChecksum(big), 0x3d8u);
    std::array<char, 3> sum = TapChecksumChars(big);
    EXPECT_EQ(std::string(sum.data(), 3), "3=8");
}

TEST_F(Terminal, PromptsForEachCarriageReturn) {
    EXPECT_EQ(Send("x\n"), "");
    EXPECT_EQ(Send("\r"), "ID=");
    EXPECT_EQ(Send("\r"), "ID=");
    EXPECT_EQ(Send("junk\r"), "ID="); // a line without ESC is just a prompt
}

TEST_F(Terminal, LogonWithAndWithoutPassword) {
    EXPECT_EQ(LogOn("\x1bPG1\r"), "ID=" + kLogonOk);
    EXPECT_EQ(Send(Block({"5551234", "hi"})), kPageOk);
    ASSERT_EQ(pages_.size(), 1u);
    EXPECT_EQ(pages_[0].password, "");

    terminal_.Connect(now_, out_);
    EXPECT_EQ(LogOn("\x1bPG1Ab3456\r"), "ID=" + kLogonOk);
    EXPECT_EQ(Send(Block({"5551234", "hi"})), kPageOk);
    ASSERT_EQ(pages_.size(), 2u);
    EXPECT_EQ(pages_[1].password, "Ab3456");
}

TEST_F(Terminal, ThreeBadLogonsEndTheCall) {
    EXPECT_EQ(LogOn("\x1bPG2\r"), "ID=\x15\r");
    EXPECT_EQ(Send("\r"), "ID="); // still waiting for a logon
    EXPECT_EQ(Send("\x1bPG1toolong1\r"), "\x15\r");
    EXPECT_FALSE(hung_up_);
    EXPECT_EQ(Send("\x1bPG1a-b\r"), "\x1b\x04\r");
    EXPECT_TRUE(hung_up_);
    EXPECT_FALSE(terminal_.connected());
}

TEST_F(Terminal, RequiredPasswordRefusesEveryOtherLogon) {
    ASSERT_TRUE(RequirePassword(behaviour_, "SECRET"));
    EXPECT_EQ(LogOn("\x1bPG1\r"), "ID=\x15\r");
    EXPECT_EQ(Send("\x1bPG1secret\r"), "\x15\r");
    EXPECT_EQ(Send("\x1bPG1SECRET\r"), kLogonOk);
    EXPECT_EQ(Send(Block({"123", "abc"})), kPageOk);
    ASSERT_EQ(pages_.size(), 1u);
    EXPECT_EQ(pages_[0].password, "SECRET");

    // A new call starts counting anew; the third refusal ends it.
    terminal_.Connect(now_, out_);
    EXPECT_EQ(LogOn("\x1bPG1SECRE\r"), "ID=\x15\r");
    EXPECT_EQ(Send("\x1bPG1SECRET1\r"), "\x15\r");
    EXPECT_FALSE(hung_up_);
    EXPECT_EQ(Send("\x1bPG1\r"), "\x1b\x04\r");
    EXPECT_TRUE(hung_up_);
}

TEST_F(Terminal, MaxBlockRefusesLongerBlocksWithRs) {
    behaviour_.max_block_chars = 10;
    LogOn();
    // The limit counts the text between STX and the end byte, field CRs included.
    EXPECT_EQ(Send(Block({"123", "abcdef"})), "\x1e\r");
    EXPECT_EQ(Send(Block({"123", "abcde"})), kPageOk);
    // Each block of a page is measured alone; a refused block drops the page begun.
    EXPECT_EQ(Send(Block({"123", "abcde"}, tap::ETB)), "\x06\r");
    EXPECT_EQ(Send(Block({"fghijklmno"})), "\x1e\r");
    EXPECT_EQ(Send(Block({"4", "pqrst"}, tap::ETB)), "\x06\r");
    EXPECT_EQ(Send(Block({"uvwxyz"})), kPageOk);
    ASSERT_EQ(pages_.size(), 2u);
    EXPECT_EQ(pages_[0].message, "abcde");
    EXPECT_EQ(pages_[1].pager, "4");
    EXPECT_EQ(pages_[1].message, "pqrst");
}

TEST_F(Terminal, AcceptsAGoodBlock) {
    LogOn();
    std::string block = Block({"123", "abc"});
    EXPECT_EQ(block, std::string("\x02"
                                 "123\r"
                                 "abc\r"
                                 "\x03"
                                 "1=;\r"));
    EXPECT_EQ(Send(block), kPageOk);
    ASSERT_EQ(pages_.size(), 1u);
    EXPECT_EQ(pages_[0].pager, "123");
    EXPECT_EQ(pages_[0].message, "abc");
    EXPECT_EQ(pages_[0].block, block);
}

TEST_F(Terminal, RefusesABadChecksumAndTakesTheRetry) {
    LogOn();
    std::string block = Block({"123", "abc"});
    std::string bad = block;
    bad[bad.size() - 2] = ':';
    EXPECT_EQ(Send(bad), kNak);
    EXPECT_TRUE(pages_.empty());
    EXPECT_EQ(Send(block), kPageOk);
    EXPECT_EQ(pages_.size(), 1u);
}

TEST_F(Terminal, RefusesMalformedBlocks) {
    LogOn();
    // A CR among the checksum characters, then a byte other than CR after them.
    EXPECT_EQ(Send(std::string("\x02"
                               "1\r"
                               "a\r"
                               "\x03"
                               "1\r")),
              kNak);
    EXPECT_EQ(Send(std::string("\x02"
                               "1\r"
                               "a\r"
                               "\x03"
                               "123x")),
              kNak);
    std::string long_message(1100, 'm');
    EXPECT_EQ(Send(Block({"123", long_message})), kNak);
    EXPECT_TRUE(pages_.empty());
    EXPECT_EQ(Send(Block({"123", std::string(1000, 'm')})), kPageOk);
}

TEST_F(Terminal, RefusesPagerIdsThatAreNotDigits) {
    LogOn();
    const std::string refused = "\r238 Invalid pager ID\r\x1e\r";
    EXPECT_EQ(Send(Block({"12a", "abc"})), refused);
    EXPECT_EQ(Send(Block({"", "abc"})), refused);
    EXPECT_TRUE(pages_.empty());
}

TEST_F(Terminal, MultiBlockPagesWithEtbAndUs) {
    LogOn();
    std::string first = Block({"123"}, tap::ETB);
    std::string second = Block({"hello", "more"});
    EXPECT_EQ(Send(first), "\x06\r");
    EXPECT_EQ(Send(second), kPageOk);
    ASSERT_EQ(pages_.size(), 1u);
    EXPECT_EQ(pages_[0].message, "hello");
    EXPECT_EQ(pages_[0].block, first + second);

    // US: the message continues in the next block without its CR.
    std::string split = "\x02"
                        "123\r"
                        "hel"
                        "\x1f";
    std::array<char, 3> sum = TapChecksumChars(split);
    split.append(sum.data(), 3);
    split += '\r';
    EXPECT_EQ(Send(split), "\x06\r");
    EXPECT_EQ(Send(Block({"lo world"})), kPageOk);
    ASSERT_EQ(pages_.size(), 2u);
    EXPECT_EQ(pages_[1].pager, "123");
    EXPECT_EQ(pages_[1].message, "hello world");
}

TEST_F(Terminal, SeveralPagesThenGoodbye) {
    LogOn();
    EXPECT_EQ(Send(Block({"1", "one"})), kPageOk);
    EXPECT_EQ(Send(Block({"2", "two"})), kPageOk);
    EXPECT_EQ(Send("\x04\r"), "115 Goodbye\r\x1b\x04\r");
    EXPECT_TRUE(hung_up_);
    EXPECT_EQ(pages_.size(), 2u);
}

TEST_F(Terminal, EotDuringLogonSaysGoodbye) {
    EXPECT_EQ(Send("\r"), "ID=");
    EXPECT_EQ(Send("\x1b\x04\r"), "115 Goodbye\r\x1b\x04\r");
    EXPECT_TRUE(hung_up_);
}

} // namespace
} // namespace modemsim::testing
