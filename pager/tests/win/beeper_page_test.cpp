// Numeric pages through COM1 to the modem simulator's numeric line, one
// scenario per test (chosen where the test is registered).
#include "pagelink_harness.h"

#include <gtest/gtest.h>

namespace {

class BeeperPage : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(HaveModemSim()) << "run through the modem simulator wrapper";
        ASSERT_NE(SendBeeper(), nullptr);
        handlesBefore_ = HandleCount();
    }
    void TearDown() override { EXPECT_EQ(HandleCount(), handlesBefore_); }
    int Beep(TimedTrace& trace, const char* init = "ATE0", DWORD extraWait = 0) {
        static const char phone[] = "5551234";
        static const char code[] = "42#";
        return SendBeeper()(trace.hwnd(), reinterpret_cast<DWORD_PTR>(phone), init, "ATDT%s,,,%s",
                            reinterpret_cast<DWORD_PTR>(code), 1, 0, extraWait);
    }

  private:
    DWORD handlesBefore_ = 0;
};

} // namespace

TEST_F(BeeperPage, DialCommandAndCommaPause) {
    TimedTrace trace;
    EXPECT_EQ(Beep(trace, "ATE0", 500), 1);
    const std::string t = trace.Text();
    EXPECT_NE(t.find("ATDT5551234,,,42#\r\r\nDelaying\r\n"), std::string::npos) << t;
    EXPECT_TRUE(t.ends_with("success\r\n"));
    // Three commas: 3 x 2000 + 1000 ms between the dial line and "Delaying".
    const long dialled = trace.AtMs("ATDT5551234,,,42#\r");
    const long delaying = trace.AtMs("Delaying");
    EXPECT_NEAR(delaying - dialled, 7000, 150);
    // The extra wait and the 2 s read of what the modem sent come before the hang-up.
    EXPECT_GE(trace.AtMs("sending \"+++\"") - delaying, 500 + 2000 - 50);
    auto record = SimRecord();
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0], "dial number=5551234,,,42# speed=300"); // selector 0
    // The simulator saw exactly the dial command with one carriage return.
    EXPECT_NE(SimLog().find("DTE> ATDT5551234,,,42#<13>\n"), std::string::npos);
}

TEST_F(BeeperPage, NumbersFormattedFromTheValues) {
    TimedTrace trace;
    EXPECT_EQ(SendBeeper()(trace.hwnd(), 5551234, nullptr, "ATDT%lu,%u", 77, 1, 10, 0), 1);
    EXPECT_EQ(trace.Lines().at(0).text, "sending \"AT\r\"\r\n");
    auto record = SimRecord();
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0], "dial number=5551234,77 speed=1200"); // selector 10: 1200
}

TEST_F(BeeperPage, RateGivenAsSelectorReachesTheLine) {
    TimedTrace trace;
    EXPECT_EQ(SendBeeper()(trace.hwnd(), 5551234, nullptr, "ATDT%lu", 0, 1, 2400, 0), 1);
    auto record = SimRecord();
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0], "dial number=5551234 speed=2400");
}

TEST_F(BeeperPage, BusyAfterDiallingStillCountsAsSent) {
    TimedTrace trace;
    EXPECT_EQ(Beep(trace), 1);
    const std::string t = trace.Text();
    EXPECT_NE(t.find("BUSY"), std::string::npos) << t;
    EXPECT_TRUE(t.ends_with("success\r\n"));
}

TEST_F(BeeperPage, SilentModemStillDials) {
    TimedTrace trace;
    EXPECT_EQ(Beep(trace), 1);
    const std::string t = trace.Text();
    EXPECT_NE(t.find("Looking for OK\r\n"), std::string::npos);
    EXPECT_NE(t.find("Trying again for OK\r\n"), std::string::npos);
    EXPECT_NE(t.find("ATDT5551234,,,42#\r\r\n"), std::string::npos);
    // A silent modem records no dial, but its log shows the command arriving.
    EXPECT_NE(SimLog().find("DTE> ATDT5551234,,,42#<13>"), std::string::npos);
}

TEST_F(BeeperPage, EchoWithoutOkFails) {
    // Result codes off, echo on: "AT\r" comes back without "OK".
    TimedTrace trace;
    EXPECT_EQ(Beep(trace, "ATQ1"), 0);
    const std::string t = trace.Text();
    EXPECT_TRUE(t.ends_with("Failed to receive OK from modem. \"AT\r\"\r\n")) << t;
    EXPECT_TRUE(SimRecord().empty());
    // The slot is free and the port closed: the next call proceeds at once.
    TimedTrace next;
    EXPECT_EQ(Beep(next), 1);
    EXPECT_EQ(next.Text().find("port in use"), std::string::npos);
}
