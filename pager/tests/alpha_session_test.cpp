// The alphanumeric page conversation against scripted modem and terminal replies.
#include "pager/alpha_session.h"
#include "scripted_line.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace pager;

namespace {

const std::string kOk = "\r\nOK\r\n";
const std::string kConnect = "\r\nCONNECT 1200\r\n";
const std::string kLogonOk = "110 1.8\r\x06\r\x1b[p\r";
const std::string kBlockAck = "211 Page(s) Sent Successfully\r\x06\r";
const std::string kGoodbye = "115 Goodbye\r\x1b\x04\r";
const std::string kBlock = "\x02"
                           "123\rabc\r\x03"
                           "1=;\r";

int Send(ScriptedLine& line, const char* message = "abc", const char* init = "ATE0",
         const char* phone = "5551234", const char* id = "123") {
    return AlphaSession(line, init, phone, id, message);
}

std::vector<std::string> Writes(std::initializer_list<std::string> w) {
    return w;
}

bool Traced(const ScriptedLine& line, const std::string& text) {
    return line.trace.find(text) != std::string::npos;
}

bool HungUp(const ScriptedLine& line) {
    return line.writes.size() >= 2 && line.writes[line.writes.size() - 2] == "+++" &&
           line.writes.back() == "ATH0\r";
}

} // namespace

TEST(AlphaSession, AcceptedPageFullConversation) {
    ScriptedLine line;
    line.Replies({kOk, kConnect, "ID=", kLogonOk, kBlockAck, kGoodbye, kOk});
    EXPECT_EQ(Send(line), 1);
    EXPECT_EQ(line.writes, Writes({"ATE0\r", "ATDT5551234\r", "\r\n", "\x1bPG1\r", kBlock, "\x04\r",
                                   "+++", "ATH0\r"}));
    const std::string expected =
        "sending \"ATE0\r\"\r\nwaiting for completion\r\nreturned \"" + kOk +
        "\"\r\n"
        "sending \"ATDT5551234\r\"\r\nwaiting for completion\r\nreturned \"" +
        kConnect +
        "\"\r\n"
        "sending \"\r\n\"\r\nreturned \"ID=\"\r\n"
        "Got ID=sending \"\x1bPG1\r\"\r\nwaiting for completion\r\nreturned \"" +
        kLogonOk +
        "\"\r\n"
        "Got [p\r\nsending \"" +
        kBlock + "\"\r\nreturned \"" + kBlockAck +
        "\"\r\n"
        "sending \"\x04\r\"\r\nwaiting for completion\r\nreturned \"" +
        kGoodbye +
        "\"\r\n"
        "sending \"+++\"\r\nsending \"ATH0\r\"\r\nwaiting for completion\r\nreturned \"" +
        kOk + "\"\r\n";
    EXPECT_EQ(line.trace, expected);
}

TEST(AlphaSession, PhaseTimeoutsAndTheTimeFloor) {
    ScriptedLine line;
    line.Replies({kOk, kConnect, "ID=", kLogonOk, kBlockAck, kGoodbye, kOk});
    ASSERT_EQ(Send(line), 1);
    // Init, dial, wake the terminal, wait for "ID=" (to the end): read
    // interval, read total and write total of each, in milliseconds.
    const std::vector<std::array<std::uint32_t, 3>> documented = {
        {2000, 10000, 10000}, {2000, 50000, 10000}, {1000, 2000, 2000}, {1000, 10000, 10000}};
    std::vector<std::array<std::uint32_t, 3>> set;
    for (const pager::LineTimeouts& t : line.timeouts)
        set.push_back({t.readInterval, t.readTotal, t.writeTotal});
    EXPECT_EQ(set, documented);
    // Two 2000 ms gaps (init, dial), five 1000 ms gaps (ID=, logon, block, EOT,
    // ATH0) and the 1000 ms pause before ATH0.
    EXPECT_EQ(line.clockMs, 10000u);
}

TEST(AlphaSession, ArgumentChecksInOrderWithoutTouchingTheLine) {
    struct Case {
        const char *init, *phone, *id, *message, *trace;
    } cases[] = {
        {"ATE0", nullptr, nullptr, nullptr, "no phone number!\r\n"},
        {"ATE0", "12", "123", "m", "no phone number!\r\n"},
        {"ATE0", "123", nullptr, "m", "no pager ID!\r\n"},
        {"ATE0", "123", "12", "m", "no pager ID!\r\n"},
        {"ATE0", "123", "123", nullptr, "no message!\r\n"},
        {"ATE0", "123", "123", "", "no message!\r\n"},
        {nullptr, "123", "123", "m", "no init string!\r\n"},
    };
    for (const Case& c : cases) {
        ScriptedLine line;
        EXPECT_EQ(AlphaSession(line, c.init, c.phone, c.id, c.message), 0);
        EXPECT_EQ(line.trace, c.trace);
        EXPECT_TRUE(line.writes.empty());
    }
}

TEST(AlphaSession, OversizedInputsRefusedBeforeAnythingIsSent) {
    // The command buffer holds 99 characters: "ATDT" + 94 digits + CR fits.
    std::string phone(94, '5');
    ScriptedLine fits;
    fits.Replies({kOk, "\r\nNO CARRIER\r\n"});
    Send(fits, "abc", "ATE0", phone.c_str());
    EXPECT_EQ(fits.writes.at(1), "ATDT" + phone + "\r");

    std::string longPhone(95, '5');
    ScriptedLine line;
    EXPECT_EQ(Send(line, "abc", "ATE0", longPhone.c_str()), 0);
    EXPECT_EQ(line.trace, "phone number too long!\r\n");
    EXPECT_TRUE(line.writes.empty());

    std::string init(99, 'A'); // plus CR does not fit
    ScriptedLine initLine;
    EXPECT_EQ(Send(initLine, "abc", init.c_str()), 0);
    EXPECT_EQ(initLine.trace, "init string too long!\r\n");
    init.back() = '\r'; // already ends in CR: fits as it is
    ScriptedLine initCr;
    initCr.Replies({kOk, "\r\nNO CARRIER\r\n"});
    Send(initCr, "abc", init.c_str());
    EXPECT_EQ(initCr.writes.at(0), init);

    std::string message(1013, 'm'); // 3 digits + 1013 bytes > 1015
    ScriptedLine big;
    EXPECT_EQ(Send(big, message.c_str()), 0);
    EXPECT_EQ(big.trace, "message too long!\r\n");
    message.pop_back();
    ScriptedLine ok;
    ok.Replies({kOk, kConnect, "ID=", kLogonOk, kBlockAck, kGoodbye, kOk});
    EXPECT_EQ(Send(ok, message.c_str()), 1);
}

TEST(AlphaSession, InitStringGetsOneCarriageReturn) {
    ScriptedLine line;
    line.Replies({kOk, "\r\nNO CARRIER\r\n"});
    Send(line, "abc", "ATE0V1\r");
    EXPECT_EQ(line.writes.at(0), "ATE0V1\r");
}

TEST(AlphaSession, InitRules) {
    { // OK at once: no late read, no probe
        ScriptedLine line;
        line.Replies({kOk, "\r\nNO CARRIER\r\n"});
        Send(line);
        EXPECT_EQ(line.writes, Writes({"ATE0\r", "ATDT5551234\r"}));
    }
    { // a late OK on the extra read
        ScriptedLine line;
        line.Replies({"", kOk, "\r\nNO CARRIER\r\n"});
        Send(line);
        EXPECT_EQ(line.writes, Writes({"ATE0\r", "ATDT5551234\r"}));
        EXPECT_EQ(line.reads, 3);
    }
    { // probe answered OK without echo
        ScriptedLine line;
        line.Replies({"\r\nERROR\r\n", "", kOk, "\r\nNO CARRIER\r\n"});
        Send(line);
        EXPECT_EQ(line.writes, Writes({"ATE0\r", "AT\r", "ATDT5551234\r"}));
    }
    { // probe echoed
        ScriptedLine line;
        line.Replies({"ATE0\r\r\nERROR\r\n", "", "AT\r\r\nOK\r\n"});
        EXPECT_EQ(Send(line), 0);
        EXPECT_TRUE(Traced(line, "Echo is not off! \"AT\r\r\nOK\r\n\"\r\n"));
        EXPECT_EQ(line.writes.size(), 2u);
    }
    { // silent modem
        ScriptedLine line;
        EXPECT_EQ(Send(line), 0);
        EXPECT_EQ(line.writes, Writes({"ATE0\r", "AT\r"}));
        EXPECT_EQ(line.reads, 3);
        EXPECT_TRUE(line.trace.ends_with("Failed to receive OK from modem. \"\"\r\n"));
    }
    { // the extra read fails: end without probe
        ScriptedLine line;
        line.Replies({""});
        line.FailingRead();
        EXPECT_EQ(Send(line), 0);
        EXPECT_EQ(line.writes, Writes({"ATE0\r"}));
        EXPECT_TRUE(line.trace.ends_with("comm read error 995\r\n"));
    }
    { // the init write fails: no extra read, the probe follows
        ScriptedLine line;
        line.FailWrite(0, 22);
        line.Replies({kOk, "\r\nNO CARRIER\r\n"});
        Send(line);
        EXPECT_EQ(line.writes, Writes({"ATE0\r", "AT\r", "ATDT5551234\r"}));
    }
}

TEST(AlphaSession, DialOutcomesEndWithoutHangUp) {
    struct Case {
        std::string reply, trace;
    } cases[] = {
        {"\r\nNO CARRIER\r\n", "No carrier!\r\n"},
        {"\r\nNO DIALTONE\r\n", "Unknown response!\r\n"},
        {"", "Unknown response!\r\n"},
    };
    for (const Case& c : cases) {
        ScriptedLine line;
        line.Replies({kOk, c.reply});
        EXPECT_EQ(Send(line), 0);
        EXPECT_TRUE(line.trace.ends_with(c.trace)) << c.trace;
        EXPECT_EQ(line.writes.size(), 2u);
    }
}

TEST(AlphaSession, CarrierAloneCountsAsConnected) {
    ScriptedLine line;
    line.Replies({kOk, "\r\nCARRIER 1200\r\n", "ID=", kLogonOk, kBlockAck, kGoodbye, kOk});
    EXPECT_EQ(Send(line), 1);
}

TEST(AlphaSession, BusyRedialsThenConnects) {
    ScriptedLine line;
    line.Replies(
        {kOk, "\r\nBUSY\r\n", "\r\nBUSY\r\n", kConnect, "ID=", kLogonOk, kBlockAck, kGoodbye, kOk});
    EXPECT_EQ(Send(line), 1);
    EXPECT_EQ(CountOf(line.trace, "Busy\r\n"), 2);
    EXPECT_EQ(line.pauses, (std::vector<std::uint32_t>{3000, 3000, 1000}));
    EXPECT_EQ(CountOf(line.trace, "sending \"ATDT5551234\r\""), 3);
}

TEST(AlphaSession, BusyForeverGivesUpAfterThreeRedials) {
    ScriptedLine line;
    line.Replies({kOk, "\r\nBUSY\r\n", "\r\nBUSY\r\n", "\r\nBUSY\r\n", "\r\nBUSY\r\n", kConnect});
    EXPECT_EQ(Send(line), 0);
    EXPECT_EQ(CountOf(line.trace, "Busy\r\n"), 4);
    EXPECT_EQ(line.pauses, (std::vector<std::uint32_t>{3000, 3000, 3000}));
    EXPECT_TRUE(line.trace.ends_with("still busy after 3 redials, giving up\r\n"));
    EXPECT_FALSE(HungUp(line));
}

TEST(AlphaSession, IdInConnectReplySkipsPrompts) {
    ScriptedLine line;
    line.Replies({kOk, kConnect + "ID=", kLogonOk, kBlockAck, kGoodbye, kOk});
    EXPECT_EQ(Send(line), 1);
    EXPECT_EQ(CountOf(line.trace, "sending \"\r\n\""), 0);
}

TEST(AlphaSession, TerminalNeedingSeveralPrompts) {
    ScriptedLine line;
    line.Replies({kOk, kConnect, "", "", "", "ID=", kLogonOk, kBlockAck, kGoodbye, kOk});
    EXPECT_EQ(Send(line), 1);
    EXPECT_EQ(CountOf(line.trace, "sending \"\r\n\""), 4);
}

TEST(AlphaSession, ChattyTerminalKeepsReadingThenIdArrives) {
    ScriptedLine line;
    line.Replies({kOk, kConnect, "WELCOME\r\n", "PLEASE WAIT\r\n", "ID=", kLogonOk, kBlockAck,
                  kGoodbye, kOk});
    EXPECT_EQ(Send(line), 1);
    EXPECT_EQ(CountOf(line.trace, "sending \"\r\n\""), 1);
}

TEST(AlphaSession, FivePromptsThenWaitForId) {
    ScriptedLine line;
    line.Replies(
        {kOk, kConnect, "", "", "", "", "", "", "", "ID=", kLogonOk, kBlockAck, kGoodbye, kOk});
    EXPECT_EQ(Send(line), 1);
    EXPECT_EQ(CountOf(line.trace, "sending \"\r\n\""), 5);
}

TEST(AlphaSession, NeverAnIdPromptGivesUp) {
    ScriptedLine line;
    line.Replies({kOk, kConnect});
    EXPECT_EQ(Send(line), 0);
    EXPECT_EQ(CountOf(line.trace, "sending \"\r\n\""), 5);
    EXPECT_TRUE(HungUp(line));
    EXPECT_NE(line.trace.find("gave up\r\n"), std::string::npos);
}

TEST(AlphaSession, EndlessJunkWithoutIdEndsInBoundedTime) {
    ScriptedLine line;
    line.Replies({kOk, kConnect});
    for (int i = 0; i < 200; ++i)
        line.Replies({"PLEASE WAIT - QUEUE FULL\r\n"});
    EXPECT_EQ(Send(line), 0);
    // Five prompts with six reads each, then six reads waiting for "ID=".
    EXPECT_EQ(CountOf(line.trace, "sending \"\r\n\""), 5);
    const auto gaveUp = line.trace.find("gave up\r\n");
    ASSERT_NE(gaveUp, std::string::npos);
    EXPECT_EQ(CountOf(line.trace.substr(0, gaveUp), "returned \"PLEASE WAIT"), 5 * 6 + 6);
    EXPECT_TRUE(HungUp(line));
}

TEST(AlphaSession, LostCarrierWhileWakingOrWaitingHangsUp) {
    for (const char* gone : {"\r\nNO CARRIER\r\n", "Slow terminal\r\n"}) {
        ScriptedLine wake;
        wake.Replies({kOk, kConnect, "hello\r\n", gone, kOk});
        EXPECT_EQ(Send(wake), 0);
        EXPECT_TRUE(HungUp(wake));
        EXPECT_FALSE(Traced(wake, "gave up"));
        EXPECT_FALSE(Traced(wake, "Got ID="));
    }
}

TEST(AlphaSession, ReadErrorWhileWaitingForIdIsUnknownResponse) {
    ScriptedLine line;
    line.Replies({kOk, kConnect, "", "", "", "", ""});
    line.FailingRead();
    line.Replies({kOk});
    EXPECT_EQ(Send(line), 0);
    EXPECT_TRUE(Traced(line, "Unknown response(2)!\r\n"));
    EXPECT_TRUE(HungUp(line));
}

TEST(AlphaSession, LogonSentAgainWhenTerminalPromptsAgain) {
    ScriptedLine line;
    line.Replies({kOk, kConnect, "ID=", "ID=", kLogonOk, kBlockAck, kGoodbye, kOk});
    EXPECT_EQ(Send(line), 1);
    EXPECT_EQ(CountOf(line.trace, "sending \"\x1bPG1\r\""), 2);
}

TEST(AlphaSession, GoAheadMayComeInLaterReads) {
    ScriptedLine line;
    line.Replies(
        {kOk, kConnect, "ID=", "110 1.8\r\x06\r", "", "\x1b[p\r", kBlockAck, kGoodbye, kOk});
    EXPECT_EQ(Send(line), 1);

    ScriptedLine never;
    never.Replies({kOk, kConnect, "ID=", "110 1.8\r\x06\r"});
    EXPECT_EQ(Send(never), 0);
    EXPECT_TRUE(never.trace.find("gave up\r\n") != std::string::npos);
    EXPECT_FALSE(Traced(never, "Got [p"));
    EXPECT_TRUE(HungUp(never));
}

TEST(AlphaSession, NakResendsTheBlockAtMostThreeTimes) {
    ScriptedLine once;
    once.Replies({kOk, kConnect, "ID=", kLogonOk, "\r\x15\r", kBlockAck, kGoodbye, kOk});
    EXPECT_EQ(Send(once), 1);
    EXPECT_EQ(CountOf(once.trace, "sending \"" + kBlock + "\""), 2);

    ScriptedLine always;
    always.Replies({kOk, kConnect, "ID=", kLogonOk, "\r\x15\r", "\r\x15\r", "\r\x15\r", kOk});
    EXPECT_EQ(Send(always), 0);
    EXPECT_EQ(CountOf(always.trace, "sending \"" + kBlock + "\""), 3);
    EXPECT_TRUE(HungUp(always));
    EXPECT_EQ(CountOf(always.trace, "sending \"\x04\r\""), 0);
}

TEST(AlphaSession, BlockAnswers) {
    { // EOT counts as acceptance
        ScriptedLine line;
        line.Replies({kOk, kConnect, "ID=", kLogonOk, "\x1b\x04\r", "\r\nNO CARRIER\r\n", kOk});
        EXPECT_EQ(Send(line), 1);
        EXPECT_EQ(CountOf(line.trace, "sending \"\x04\r\""), 1);
        EXPECT_TRUE(HungUp(line));
    }
    { // ACK wins over a NAK in the same reply
        ScriptedLine line;
        line.Replies({kOk, kConnect, "ID=", kLogonOk, "\x15\x06", kGoodbye, kOk});
        EXPECT_EQ(Send(line), 1);
    }
    for (const char* refused : {"\r\x1e\r", "\r\nNO CARRIER\r\n", ""}) {
        ScriptedLine line;
        line.Replies({kOk, kConnect, "ID=", kLogonOk, refused, kOk});
        EXPECT_EQ(Send(line), 0);
        EXPECT_TRUE(HungUp(line));
        EXPECT_EQ(CountOf(line.trace, "sending \"\x02"), 1);
    }
}

TEST(AlphaSession, WriteAndReadFailuresAfterConnectHangUp) {
    { // prompt cannot be written
        ScriptedLine line;
        line.Replies({kOk, kConnect});
        line.FailWrite(2, 5);
        EXPECT_EQ(Send(line), 0);
        EXPECT_TRUE(HungUp(line));
        EXPECT_TRUE(Traced(line, "comm write error 5\r\n"));
    }
    { // the read after the block fails
        ScriptedLine line;
        line.Replies({kOk, kConnect, "ID=", kLogonOk});
        line.FailingRead();
        line.Replies({kOk});
        EXPECT_EQ(Send(line), 0);
        EXPECT_TRUE(HungUp(line));
    }
    { // EOT cannot be written: the page was accepted all the same
        ScriptedLine line;
        line.Replies({kOk, kConnect, "ID=", kLogonOk, kBlockAck, kOk});
        line.FailWrite(5, 5);
        EXPECT_EQ(Send(line), 1);
        EXPECT_TRUE(HungUp(line));
    }
}

TEST(AlphaSession, MessageReachesTheBlockAsTheTerminalShouldSeeIt) {
    ScriptedLine line;
    line.Replies({kOk, kConnect, "ID=", kLogonOk, kBlockAck, kGoodbye, kOk});
    EXPECT_EQ(AlphaSession(line, "ATE0", "5551234", "12-3", "disk\r\nfull\t!"), 1);
    const std::string& block = line.writes.at(4);
    EXPECT_EQ(block.substr(0, 17), "\x02"
                                   "123\rdisk full!\r\x03");
}
