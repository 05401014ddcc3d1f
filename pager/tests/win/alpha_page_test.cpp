// Alphanumeric pages through COM1 to the modem simulator, one scenario per test
// (the scenario is chosen where the test is registered).
#include "pagelink_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

const char kAcceptedBlock[] = "block_hex=023132330d6162630d03313d3b0d";

class AlphaPage : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(HaveModemSim()) << "run through the modem simulator wrapper";
        ASSERT_NE(SendAlpha(), nullptr);
        handlesBefore_ = HandleCount();
    }
    void TearDown() override {
        // Every exit closed the port; the slot is free for the next call, which
        // refuses its empty message only after claiming and opening the port.
        EXPECT_EQ(HandleCount(), handlesBefore_);
        TraceEdit next;
        EXPECT_EQ(SendAlpha()(next.hwnd(), "ATE0", "5551234", "123", "", 1, 0), 0);
        EXPECT_EQ(next.Text(), "Sending message to 123 via 5551234 on COM1\r\nno message!\r\n");
    }
    int Page(TraceEdit& trace, const char* message = "abc", int speed = 0) {
        return SendAlpha()(trace.hwnd(), "ATE0", "5551234", "123", message, 1, speed);
    }
    static bool HungUp(const std::string& trace) {
        return trace.find("sending \"+++\"\r\nsending \"ATH0\r\"\r\n") != std::string::npos;
    }

  private:
    DWORD handlesBefore_ = 0;
};

} // namespace

TEST_F(AlphaPage, Accept) {
    TraceEdit trace;
    EXPECT_EQ(Page(trace), 1);
    const std::string t = trace.Text();
    EXPECT_EQ(t.rfind("Sending message to 123 via 5551234 on COM1\r\n"
                      "sending \"ATE0\r\"\r\nwaiting for completion\r\nreturned \"",
                      0),
              0u);
    EXPECT_NE(t.find("Got ID=sending \"<27>PG1\r\"\r\n"), std::string::npos);
    EXPECT_NE(t.find("Got [p\r\nsending \"<02>123\rabc\r<03>1=;\r\"\r\n"), std::string::npos);
    EXPECT_NE(t.find("sending \"<04>\r\"\r\n"), std::string::npos);
    EXPECT_TRUE(HungUp(t));
    auto record = SimRecord();
    ASSERT_EQ(record.size(), 1u);
    EXPECT_NE(record[0].find("pager=123 "), std::string::npos) << record[0];
    EXPECT_NE(record[0].find("speed=300 "), std::string::npos) << record[0];
    EXPECT_NE(record[0].find(kAcceptedBlock), std::string::npos) << record[0];
}

TEST_F(AlphaPage, SpeedSelectorReachesTheLine) {
    TraceEdit trace;
    EXPECT_EQ(Page(trace, "abc", 4), 1);
    auto record = SimRecord();
    ASSERT_EQ(record.size(), 1u);
    EXPECT_NE(record[0].find("speed=9600 "), std::string::npos) << record[0];
}

// Selectors of 300 and more are bit rates; on Windows, where long has 32 bits,
// each must reach the line as given instead of falling back to 300.
TEST_F(AlphaPage, RatesGivenAsSelectorsReachTheLine) {
    const int rates[] = {2400, 4800, 115200};
    for (int rate : rates) {
        TraceEdit trace;
        EXPECT_EQ(Page(trace, "abc", rate), 1) << rate;
    }
    auto record = SimRecord();
    ASSERT_EQ(record.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string speed = "speed=" + std::to_string(rates[i]) + " ";
        EXPECT_NE(record[i].find(speed), std::string::npos) << record[i];
    }
}

TEST_F(AlphaPage, SecondCallerWaitsForTheSlot) {
    int first = -1, second = -1;
    std::string secondTrace;
    std::thread a([&] {
        TraceEdit trace;
        first = Page(trace);
    });
    Sleep(300);
    std::thread b([&] {
        TraceEdit trace;
        second = Page(trace, "second");
        secondTrace = trace.Text();
    });
    a.join();
    b.join();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(secondTrace.find("Sending message to 123 via 5551234 on COM1\r\n"
                               "port in use, delaying 1\r\n"),
              0u);
    EXPECT_EQ(SimRecord().size(), 2u);
}

TEST_F(AlphaPage, NullTraceWindowSendsAllTheSame) {
    EXPECT_EQ(SendAlpha()(nullptr, "ATE0", "5551234", "123", "abc", 1, 0), 1);
    EXPECT_EQ(SimRecord().size(), 1u);
}

TEST_F(AlphaPage, EchoLeftOn) {
    TraceEdit trace;
    EXPECT_EQ(Page(trace), 0);
    const std::string t = trace.Text();
    EXPECT_NE(t.find("sending \"AT\r\"\r\n"), std::string::npos);
    EXPECT_TRUE(t.ends_with("Echo is not off! \"AT\r\r\nOK\r\n\"\r\n")) << t;
    EXPECT_FALSE(HungUp(t));
}

TEST_F(AlphaPage, SilentModem) {
    TraceEdit trace;
    EXPECT_EQ(Page(trace), 0);
    const std::string t = trace.Text();
    EXPECT_EQ(CountOf(t, "returned \"\"\r\n"), 3);
    EXPECT_TRUE(t.ends_with("Failed to receive OK from modem. \"\"\r\n")) << t;
}

TEST_F(AlphaPage, BusyThenConnect) {
    TraceEdit trace;
    EXPECT_EQ(Page(trace), 1);
    const std::string t = trace.Text();
    EXPECT_EQ(CountOf(t, "Busy\r\n"), 2);
    EXPECT_EQ(CountOf(t, "sending \"ATDT5551234\r\"\r\n"), 3);
    EXPECT_EQ(SimRecord().size(), 1u);
}

TEST_F(AlphaPage, BusyAlways) {
    TraceEdit trace;
    EXPECT_EQ(Page(trace), 0);
    const std::string t = trace.Text();
    EXPECT_EQ(CountOf(t, "Busy\r\n"), 4);
    EXPECT_TRUE(t.ends_with("Busy\r\nstill busy after 3 redials, giving up\r\n")) << t;
    EXPECT_FALSE(HungUp(t));
}

TEST_F(AlphaPage, NoCarrier) {
    TraceEdit trace;
    EXPECT_EQ(Page(trace), 0);
    const std::string t = trace.Text();
    EXPECT_TRUE(t.ends_with("No carrier!\r\n")) << t;
    EXPECT_FALSE(HungUp(t));
}

TEST_F(AlphaPage, IdInConnectReply) {
    TraceEdit trace;
    EXPECT_EQ(Page(trace), 1);
    EXPECT_EQ(CountOf(trace.Text(), "sending \"\r\n\"\r\n"), 0);
}

TEST_F(AlphaPage, TerminalNeedsSeveralPrompts) {
    TraceEdit trace;
    EXPECT_EQ(Page(trace), 1);
    EXPECT_EQ(CountOf(trace.Text(), "sending \"\r\n\"\r\n"), 4);
}

TEST_F(AlphaPage, NakOnce) {
    TraceEdit trace;
    EXPECT_EQ(Page(trace), 1);
    EXPECT_EQ(CountOf(trace.Text(), "sending \"<02>123\rabc\r<03>1=;\r\"\r\n"), 2);
    auto record = SimRecord();
    ASSERT_EQ(record.size(), 1u);
    EXPECT_NE(record[0].find(kAcceptedBlock), std::string::npos);
}

TEST_F(AlphaPage, NakAlways) {
    TraceEdit trace;
    EXPECT_EQ(Page(trace), 0);
    const std::string t = trace.Text();
    EXPECT_EQ(CountOf(t, "sending \"<02>123\rabc\r<03>1=;\r\"\r\n"), 3);
    EXPECT_EQ(CountOf(t, "sending \"<04>\r\""), 0);
    EXPECT_TRUE(HungUp(t));
    EXPECT_TRUE(SimRecord().empty());
}

TEST_F(AlphaPage, EotInsteadOfAck) {
    TraceEdit trace;
    EXPECT_EQ(Page(trace), 1);
    const std::string t = trace.Text();
    EXPECT_NE(t.find("sending \"<04>\r\"\r\n"), std::string::npos);
    EXPECT_TRUE(HungUp(t));
    EXPECT_EQ(SimRecord().size(), 1u);
}

TEST_F(AlphaPage, LogonAnsweredWithIdAgain) {
    TraceEdit trace;
    EXPECT_EQ(Page(trace), 1);
    EXPECT_EQ(CountOf(trace.Text(), "sending \"<27>PG1\r\"\r\n"), 2);
}

TEST_F(AlphaPage, JunkWithoutIdEndsInBoundedTime) {
    TraceEdit trace;
    const DWORD start = GetTickCount();
    EXPECT_EQ(Page(trace), 0);
    const DWORD elapsed = GetTickCount() - start;
    const std::string t = trace.Text();
    EXPECT_EQ(CountOf(t, "sending \"\r\n\"\r\n"), 5);
    EXPECT_NE(t.find("gave up\r\n"), std::string::npos);
    EXPECT_FALSE(t.find("Got ID=") != std::string::npos);
    EXPECT_TRUE(HungUp(t));
    // 36 reads of at most 2 s while waking, six of at most 10 s after.
    EXPECT_LT(elapsed, 36u * 2000 + 6 * 10000 + 10000);
}

TEST_F(AlphaPage, CarrierLostDuringTheBlock) {
    TraceEdit trace;
    EXPECT_EQ(Page(trace), 0);
    const std::string t = trace.Text();
    EXPECT_NE(t.find("NO CARRIER"), std::string::npos);
    EXPECT_EQ(CountOf(t, "sending \"<04>\r\""), 0);
    EXPECT_TRUE(HungUp(t));
    EXPECT_TRUE(SimRecord().empty());
}
