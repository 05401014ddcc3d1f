// Writing commands, reading replies and hanging up over a line.
#include "pager/modem_line.h"
#include "scripted_line.h"

#include <gtest/gtest.h>

using namespace pager;

TEST(ModemLine, CommandTracesEveryStep) {
    ScriptedLine line;
    line.Replies({"\r\nOK\r\n"});
    ReplyBuffer reply{};
    EXPECT_EQ(ModemCommand(line, "ATE0\r", reply), 1);
    EXPECT_EQ(line.writes, std::vector<std::string>{"ATE0\r"});
    EXPECT_EQ(line.flushes, 1);
    EXPECT_STREQ(reply.data(), "\r\nOK\r\n");
    EXPECT_EQ(line.trace,
              "sending \"ATE0\r\"\r\nwaiting for completion\r\nreturned \"\r\nOK\r\n\"\r\n");
}

TEST(ModemLine, TimedOutReadIsSuccessWithEmptyReply) {
    ScriptedLine line;
    ReplyBuffer reply{};
    reply[0] = 'x';
    EXPECT_EQ(ModemRead(line, reply), 1);
    EXPECT_TRUE(ReplyIsEmpty(reply));
    EXPECT_EQ(line.trace, "returned \"\"\r\n");
}

TEST(ModemLine, ReadTakesAtMostOneHundredBytesAndReplacesTheReply) {
    ScriptedLine line;
    line.Replies({std::string(150, 'a'), "OK"});
    ReplyBuffer reply{};
    EXPECT_EQ(ModemRead(line, reply), 1);
    EXPECT_EQ(std::string(reply.data()), std::string(100, 'a'));
    EXPECT_EQ(ModemRead(line, reply), 1);
    EXPECT_STREQ(reply.data(), "OK"); // not accumulated across reads
}

TEST(ModemLine, FailedWriteMakesNoReadAndKeepsTheReply) {
    ScriptedLine line;
    line.FailWrite(0, 5);
    line.Replies({"unread"});
    ReplyBuffer reply{};
    std::snprintf(reply.data(), reply.size(), "previous");
    EXPECT_EQ(ModemCommand(line, "AT\r", reply), 0);
    EXPECT_EQ(line.reads, 0);
    EXPECT_EQ(line.flushes, 0);
    EXPECT_STREQ(reply.data(), "previous");
    EXPECT_EQ(line.trace, "sending \"AT\r\"\r\ncomm write error 5\r\n");
}

TEST(ModemLine, FailedReadLeavesReplyEmptyAndTracesError) {
    ScriptedLine line;
    line.FailingRead();
    ReplyBuffer reply{};
    std::snprintf(reply.data(), reply.size(), "previous");
    EXPECT_EQ(ModemCommand(line, "AT\r", reply), 0);
    EXPECT_TRUE(ReplyIsEmpty(reply));
    EXPECT_NE(line.trace.find("comm read error 995\r\n"), std::string::npos);
}

TEST(ModemLine, HangUpEscapesPausesThenHangsUp) {
    ScriptedLine line;
    line.Replies({"\r\nOK\r\n"});
    CommandBuffer command{};
    ReplyBuffer reply{};
    HangUp(line, command, reply);
    EXPECT_EQ(line.writes, (std::vector<std::string>{"+++", "ATH0\r"}));
    EXPECT_EQ(line.pauses, std::vector<std::uint32_t>{1000});
    EXPECT_EQ(line.reads, 1); // no read after "+++"
    EXPECT_STREQ(command.data(), "ATH0\r");
}
