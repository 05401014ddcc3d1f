// StaleCount and LastWriteTime, the poll period's bounds and the panel's colour
// rule.
#include "monitor/freshness.h"
#include "monitor/panel_colours.h"
#include "monitor/poll_period.h"
#include "monitor/res/pstview_rc.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>

using namespace monitor;

TEST(Freshness, FilePresentAtStartIsFreshThenStaleAtTheThirdUnchangedRead) {
    std::int32_t stale = kInitialStaleCount;
    std::uint64_t last = 0;
    const std::uint64_t written = 0x01D9'0000'1234'5678;
    CountWriteTime(stale, last, written);
    EXPECT_EQ(stale, 0);
    EXPECT_EQ(last, written);
    EXPECT_TRUE(IsFresh(stale));
    CountWriteTime(stale, last, written);
    EXPECT_EQ(stale, 1);
    EXPECT_TRUE(IsFresh(stale));
    CountWriteTime(stale, last, written);
    EXPECT_EQ(stale, 2);
    EXPECT_FALSE(IsFresh(stale));
    CountWriteTime(stale, last, written + 1);
    EXPECT_EQ(stale, 0);
}

TEST(Freshness, MissingAtStartIsStaleAtOnce) {
    std::int32_t stale = kInitialStaleCount;
    CountMissingRead(stale);
    EXPECT_EQ(stale, 2);
    EXPECT_FALSE(IsFresh(stale));
}

TEST(Freshness, FileThatDisappearsStaysFreshForOneRead) {
    std::int32_t stale = kInitialStaleCount;
    std::uint64_t last = 0;
    CountWriteTime(stale, last, 100);
    CountMissingRead(stale);
    EXPECT_TRUE(IsFresh(stale));
    CountMissingRead(stale);
    EXPECT_FALSE(IsFresh(stale));
}

TEST(Freshness, OnlyTheLow32BitsOfTheTimeCount) {
    std::int32_t stale = 0;
    std::uint64_t last = 0x0000'0001'8000'0000;
    CountWriteTime(stale, last, 0x0000'0002'8000'0000);
    EXPECT_EQ(stale, 1) << "a change in the high half alone is no change";
    EXPECT_EQ(last, 0x0000'0002'8000'0000u) << "all 64 bits are recorded";
    CountWriteTime(stale, last, 0x0000'0002'8000'0001);
    EXPECT_EQ(stale, 0);
}

TEST(Freshness, CountStopsAtItsLargestValue) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    std::int32_t stale = kMax - 1;
    std::uint64_t last = 5;
    CountMissingRead(stale);
    EXPECT_EQ(stale, kMax);
    CountMissingRead(stale);
    EXPECT_EQ(stale, kMax);
    CountWriteTime(stale, last, 5);
    EXPECT_EQ(stale, kMax);
    EXPECT_FALSE(IsFresh(stale));
}

TEST(PollPeriod, BoundedToOneSecondAndTheLargest32BitInterval) {
    EXPECT_EQ(BoundedPollSeconds(0), 1u);
    EXPECT_EQ(BoundedPollSeconds(1), 1u);
    EXPECT_EQ(BoundedPollSeconds(15), 15u);
    EXPECT_EQ(BoundedPollSeconds(60), 60u);
    EXPECT_EQ(BoundedPollSeconds(4294967), 4294967u);
    EXPECT_EQ(BoundedPollSeconds(4294968), 4294967u);
    EXPECT_EQ(BoundedPollSeconds(UINT32_MAX), 4294967u);
    EXPECT_EQ(PollIntervalMs(BoundedPollSeconds(15)), 15000u);
    EXPECT_EQ(PollIntervalMs(BoundedPollSeconds(0)), 1000u);
    EXPECT_EQ(PollIntervalMs(BoundedPollSeconds(UINT32_MAX)), 4294967000u);
}

namespace {

class PanelColours : public ::testing::Test {
  protected:
    void SetUp() override { image_ = std::make_unique<MonitorFile>(InitialMonitorFile()); }
    ServiceEntry& Row(std::size_t row) { return image_->services[row]; }
    PanelColour Label(std::size_t row, std::int32_t stale) {
        return PanelColourFor(IDC_LABEL_FIRST + static_cast<int>(row), *image_, stale);
    }
    std::unique_ptr<MonitorFile> image_;
};

} // namespace

TEST_F(PanelColours, TopTextFollowsFreshness) {
    EXPECT_EQ(PanelColourFor(IDC_TOPTEXT, *image_, 0), PanelColour::Green);
    EXPECT_EQ(PanelColourFor(IDC_TOPTEXT, *image_, 1), PanelColour::Green);
    EXPECT_EQ(PanelColourFor(IDC_TOPTEXT, *image_, 2), PanelColour::Red);
}

TEST_F(PanelColours, LabelFromFlagStateAndFault) {
    Row(2).flags = 1;
    Row(2).state = 4;
    EXPECT_EQ(Label(2, 0), PanelColour::Green);
    Row(2).fault = 7;
    EXPECT_EQ(Label(2, 0), PanelColour::Red);
    Row(2).fault = 0;
    Row(2).state = 1;
    EXPECT_EQ(Label(2, 1), PanelColour::Red);
    Row(2).flags = 0xFFFFFFFE; // every bit but bit 0
    Row(2).state = 4;
    EXPECT_EQ(Label(2, 0), PanelColour::Default);
    Row(2).flags = 1;
    EXPECT_EQ(Label(2, 2), PanelColour::Default) << "stale: no label colours";
    EXPECT_EQ(Label(3, 0), PanelColour::Default) << "the other rows";
}

TEST_F(PanelColours, EveryRowHasItsOwnEntry) {
    Row(0).flags = 1;
    Row(0).state = 4;
    Row(13).flags = 1;
    Row(13).state = 3;
    EXPECT_EQ(Label(0, 0), PanelColour::Green);
    EXPECT_EQ(Label(13, 0), PanelColour::Red);
}

TEST_F(PanelColours, StatusTextsAndOtherControlsKeepDefaults) {
    for (std::size_t row = 0; row < 14; ++row) {
        Row(row).flags = 1;
        Row(row).state = 4;
    }
    for (int id : {IDC_STATUS_FIRST, IDC_STATUS_FIRST + 13, IDC_LABEL_FIRST - 1,
                   IDC_LABEL_FIRST + 14, IDC_CONFIG, -1, 0})
        EXPECT_EQ(PanelColourFor(id, *image_, 0), PanelColour::Default) << "control " << id;
}
