// The transaction slot: one transaction at a time, a bounded wait for the next.
#include "pager/port_claim.h"
#include "scripted_line.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace pager;

class PortClaim : public ::testing::Test {
  protected:
    void SetUp() override { ReleasePort(); }
    void TearDown() override { ReleasePort(); }
};

TEST_F(PortClaim, FreeSlotIsTakenAtOnce) {
    ScriptedLine line;
    EXPECT_TRUE(ClaimPort(line, kAlphanumericTransaction));
    EXPECT_EQ(PortBusy.load(), 2);
    EXPECT_EQ(line.trace, "");
    ReleasePort();
    EXPECT_EQ(PortBusy.load(), 0);
}

TEST_F(PortClaim, GivesUpAfterTwentyWaits) {
    PortBusy = kNumericTransaction;
    ScriptedLine line;
    EXPECT_FALSE(ClaimPort(line, kAlphanumericTransaction));
    EXPECT_EQ(line.pauses.size(), 20u);
    EXPECT_EQ(CountOf(line.trace, "port in use, delaying "), 20);
    EXPECT_EQ(line.trace.rfind("port in use, delaying 20\r\n"), line.trace.size() - 26);
    EXPECT_EQ(PortBusy.load(), kNumericTransaction); // untouched
}

TEST_F(PortClaim, ProceedsWhenTheHolderFinishesInTime) {
    PortBusy = kNumericTransaction;
    ScriptedLine line;
    line.onPause = [&] {
        if (line.pauses.size() == 3)
            ReleasePort();
    };
    EXPECT_TRUE(ClaimPort(line, kAlphanumericTransaction));
    EXPECT_EQ(line.pauses.size(), 3u);
    EXPECT_EQ(PortBusy.load(), kAlphanumericTransaction);
}

TEST_F(PortClaim, TestAndSetAdmitsExactlyOneOfManyThreads) {
    for (int round = 0; round < 50; ++round) {
        ReleasePort();
        std::atomic<int> winners{0};
        std::atomic<bool> go{false};
        std::vector<std::thread> threads;
        for (int i = 0; i < 8; ++i) {
            threads.emplace_back([&] {
                ScriptedLine line;
                line.onPause = [] {}; // virtual pauses: a loser gives up quickly
                while (!go)
                    std::this_thread::yield();
                if (ClaimPort(line, kAlphanumericTransaction))
                    ++winners;
            });
        }
        go = true;
        for (auto& t : threads)
            t.join();
        EXPECT_EQ(winners.load(), 1);
    }
}
