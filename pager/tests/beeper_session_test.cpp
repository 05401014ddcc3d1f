// The numeric page conversation against scripted modem replies.
#include "pager/beeper_session.h"
#include "scripted_line.h"

#include <cstdio>
#include <gtest/gtest.h>

using namespace pager;

namespace {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
void Format(std::span<char> out, const char* format, std::uintptr_t first, std::uintptr_t second) {
    std::snprintf(out.data(), out.size(), format, first, second);
}
#pragma GCC diagnostic pop

const std::string kOk = "\r\nOK\r\n";
const char kPhone[] = "5551234";
const char kCode[] = "42#";

int Beep(ScriptedLine& line, const char* init = "ATE0", const char* format = "ATDT%s,,,%s",
         std::uint32_t extraWait = 500) {
    return BeeperSession(line, init, format, reinterpret_cast<std::uintptr_t>(kPhone),
                         reinterpret_cast<std::uintptr_t>(kCode), extraWait, Format);
}

std::vector<std::string> Writes(std::initializer_list<std::string> w) {
    return w;
}

} // namespace

TEST(BeeperSession, DialCommandAndItsWaits) {
    ScriptedLine line;
    line.Replies({kOk, "\r\nBUSY\r\n", kOk});
    EXPECT_EQ(Beep(line), 1);
    EXPECT_EQ(line.writes, Writes({"ATE0\r", "ATDT5551234,,,42#\r", "+++", "ATH0\r"}));
    // Three commas: 3 x 2000 + 1000 before "Delaying", then the extra wait,
    // then the 1000 ms of the hang-up.
    EXPECT_EQ(line.pauses, (std::vector<std::uint32_t>{7000, 500, 1000}));
    EXPECT_EQ(line.trace,
              "sending \"ATE0\r\"\r\nwaiting for completion\r\nreturned \"" + kOk +
                  "\"\r\n"
                  "ATDT5551234,,,42#\r\r\nDelaying\r\n\r\nBUSY\r\n"
                  "sending \"+++\"\r\nsending \"ATH0\r\"\r\nwaiting for completion\r\nreturned \"" +
                  kOk + "\"\r\nsuccess\r\n");
    ASSERT_EQ(line.timeouts.size(), 1u);
    EXPECT_EQ(line.timeouts[0].readInterval, 0u);
    EXPECT_EQ(line.timeouts[0].readTotal, 2000u);
    EXPECT_EQ(line.timeouts[0].writeTotal, 10000u);
}

TEST(BeeperSession, NumbersAndCarriageReturnAlwaysAppended) {
    ScriptedLine line;
    line.Replies({kOk});
    EXPECT_EQ(BeeperSession(line, "ATE0", "ATDT%u,%d\r", 5551234, 77, 0, Format), 1);
    EXPECT_EQ(line.writes.at(1), "ATDT5551234,77\r\r");
    EXPECT_EQ(line.pauses.at(0), 3000u);
    EXPECT_EQ(DialPauseMs("ATDT555"), 1000u);
}

TEST(BeeperSession, InitStringDefaultsToAt) {
    for (const char* init : {static_cast<const char*>(nullptr), ""}) {
        ScriptedLine line;
        line.Replies({kOk});
        EXPECT_EQ(Beep(line, init), 1);
        EXPECT_EQ(line.writes.at(0), "AT\r");
    }
    ScriptedLine withCr;
    withCr.Replies({kOk});
    Beep(withCr, "ATZ\r");
    EXPECT_EQ(withCr.writes.at(0), "ATZ\r");
}

TEST(BeeperSession, InitRules) {
    { // silent modem: the dial command still goes out
        ScriptedLine line;
        EXPECT_EQ(Beep(line), 1);
        EXPECT_EQ(line.writes.at(1), "AT\r");
        EXPECT_EQ(line.writes.at(2), "ATDT5551234,,,42#\r");
        EXPECT_NE(line.trace.find("Looking for OK\r\n"), std::string::npos);
        EXPECT_NE(line.trace.find("Trying again for OK\r\n"), std::string::npos);
    }
    { // late OK
        ScriptedLine line;
        line.Replies({"", kOk});
        EXPECT_EQ(Beep(line), 1);
        EXPECT_EQ(line.writes.at(1), "ATDT5551234,,,42#\r");
    }
    { // echo with OK is accepted
        ScriptedLine line;
        line.Replies({"", "", "AT\r\r\nOK\r\n"});
        EXPECT_EQ(Beep(line), 1);
    }
    { // echo without OK
        ScriptedLine line;
        line.Replies({"", "", "AT\r"});
        EXPECT_EQ(Beep(line), 0);
        EXPECT_TRUE(line.trace.ends_with("Failed to receive OK from modem. \"AT\r\"\r\n"));
        EXPECT_EQ(line.writes.size(), 2u);
    }
    { // the probe cannot be written
        ScriptedLine line;
        line.Replies({"", ""});
        line.FailWrite(1, 5);
        EXPECT_EQ(Beep(line), 0);
        EXPECT_TRUE(line.trace.ends_with("Failed to receive OK from modem. \"\"\r\n"));
    }
    { // the extra read fails
        ScriptedLine line;
        line.Replies({""});
        line.FailingRead();
        EXPECT_EQ(Beep(line), 0);
        EXPECT_TRUE(line.trace.ends_with("comm read error 995\r\n"));
        EXPECT_EQ(line.writes.size(), 1u);
    }
}

TEST(BeeperSession, DialWriteFailureHasNoLineEnd) {
    ScriptedLine line;
    line.Replies({kOk});
    line.FailWrite(1, 31);
    EXPECT_EQ(Beep(line), 0);
    EXPECT_TRUE(line.trace.ends_with("returned \"" + kOk + "\"\r\ncomm write error 31"));
    EXPECT_TRUE(line.pauses.empty());
}

TEST(BeeperSession, OversizedCommandsAreRefusedNotCut) {
    // The longest: 118 digits, CR and the terminating zero fill the 120-byte line.
    std::string digits(118, '9');
    ScriptedLine fits;
    fits.Replies({kOk});
    EXPECT_EQ(BeeperSession(fits, "AT", digits.c_str(), 0, 0, 0, Format), 1);
    EXPECT_EQ(fits.writes.at(1), digits + "\r");

    digits += "9"; // one more does not fit
    ScriptedLine tooLong;
    tooLong.Replies({kOk});
    EXPECT_EQ(BeeperSession(tooLong, "AT", digits.c_str(), 0, 0, 0, Format), 0);
    EXPECT_TRUE(tooLong.trace.ends_with("dial command too long!\r\n"));
    EXPECT_EQ(tooLong.writes.size(), 1u);

    std::string init(99, 'A');
    ScriptedLine longInit;
    EXPECT_EQ(Beep(longInit, init.c_str()), 0);
    EXPECT_EQ(longInit.trace, "init string too long!\r\n");
    EXPECT_TRUE(longInit.writes.empty());
}

TEST(BeeperSession, WhatTheModemSaysAfterDiallingOnlyReachesTheTrace) {
    for (const char* after : {"\r\nNO CARRIER\r\n", "\r\nBUSY\r\n", ""}) {
        ScriptedLine line;
        line.Replies({kOk, after});
        EXPECT_EQ(Beep(line), 1);
        EXPECT_NE(line.trace.find(std::string("Delaying\r\n") + after + "sending \"+++\""),
                  std::string::npos);
    }
}
