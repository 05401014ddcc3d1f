// ReadMonitorFile against real files in the prefix: the path, missing and short
// files, change detection through the last-write time, the writer's sharing,
// and the poll period re-read at every poll.
#include "monitor_win_harness.h"

#include "monitor/monitor_reader.h"
#include "monitor/res/pstview_rc.h"
#include "monitor/startup.h"

#include <gtest/gtest.h>

using namespace monitor;
using namespace monitor_test;

namespace {

class Reader : public PanelTest {
  protected:
    static std::string Status(std::size_t row) {
        return std::string(FieldText(MonitorImage.services[row].statusText));
    }
    static std::string Label(std::size_t row) {
        return std::string(FieldText(MonitorImage.services[row].label));
    }
    FileBytes Sample(const char* time = "Mon 12:00") {
        FileBytes file;
        file.Header(0x11, 0x22, time);
        for (std::size_t row = 0; row < 14; ++row)
            file.ServiceText(row, kLabel, "Row" + std::to_string(row))
                .ServiceText(row, kStatusText, "Running " + std::to_string(row));
        return file;
    }
};

} // namespace

TEST_F(Reader, MissingFileAtStart) {
    OpenPanel();
    EXPECT_EQ(std::string(MonitorFilePath()), DataPath());
    for (std::size_t row = 0; row < 14; ++row)
        EXPECT_EQ(Status(row), "No data") << "row " << row;
    EXPECT_EQ(std::string(FieldText(MonitorImage.timeText)), "no data file");
    EXPECT_EQ(StaleCount, 2) << "stale from the first read";
    EXPECT_EQ(LastWriteTime, 0u);
}

TEST_F(Reader, PathIsFormedOnceFromTheTopDirectory) {
    OpenPanel();
    const std::string first = MonitorFilePath();
    snprintf(TopDir.data(), TopDir.size(), "D:\\SUITE");
    Tick();
    EXPECT_EQ(std::string(MonitorFilePath()), first);
    ResetMonitorState();
    Tick();
    EXPECT_EQ(std::string(MonitorFilePath()), "D:\\SUITE\\watchsvc.dat");
}

TEST_F(Reader, UntouchedFileIsFreshTwiceThenStale) {
    WriteData(Sample());
    OpenPanel();
    EXPECT_EQ(StaleCount, 0);
    EXPECT_EQ(LastWriteTime, WriteTimeOf(DataPath()));
    EXPECT_EQ(Label(13), "Row13");
    EXPECT_EQ(Status(13), "Running 13");
    Tick();
    EXPECT_EQ(StaleCount, 1);
    Tick();
    EXPECT_EQ(StaleCount, 2);
    // A rewrite with a new time is fresh again.
    WriteData(Sample("later"));
    ASSERT_TRUE(SetWriteTime(DataPath(), LastWriteTime + 10'000'000));
    Tick();
    EXPECT_EQ(StaleCount, 0);
    EXPECT_EQ(std::string(FieldText(MonitorImage.timeText)), "later");
}

TEST_F(Reader, TimeChangeThatKeepsTheLow32BitsIsNoChange) {
    WriteData(Sample());
    const std::uint64_t time = 0x01DA'0000'4000'0000;
    ASSERT_TRUE(SetWriteTime(DataPath(), time));
    OpenPanel();
    EXPECT_EQ(StaleCount, 0);
    ASSERT_TRUE(SetWriteTime(DataPath(), time + (std::uint64_t{1} << 32)));
    Tick();
    EXPECT_EQ(StaleCount, 1);
    EXPECT_EQ(LastWriteTime, time + (std::uint64_t{1} << 32));
    ASSERT_TRUE(SetWriteTime(DataPath(), time + (std::uint64_t{1} << 32) + 1));
    Tick();
    EXPECT_EQ(StaleCount, 0);
}

TEST_F(Reader, FileThatGoesAwayKeepsItsContentsButTheStatusTexts) {
    WriteData(Sample());
    OpenPanel();
    ASSERT_TRUE(DeleteFileA(DataPath().c_str()));
    Tick();
    EXPECT_EQ(StaleCount, 1) << "fresh for one more read";
    Tick();
    EXPECT_EQ(StaleCount, 2);
    EXPECT_EQ(std::string(FieldText(MonitorImage.timeText)), "Mon 12:00");
    EXPECT_EQ(Label(5), "Row5");
    EXPECT_EQ(Status(5), "No data");
    EXPECT_EQ(MonitorImage.monitorWord, 0x11u);
}

TEST_F(Reader, WriterHoldingTheFileOpenDoesNotStopTheRead) {
    WriteData(Sample("while written"));
    // A writer that lets others read, as the monitor service does.
    HANDLE writer = CreateFileA(DataPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    OpenPanel();
    EXPECT_EQ(std::string(FieldText(MonitorImage.timeText)), "while written");
    EXPECT_EQ(Status(0), "Running 0");
    CloseHandle(writer);
    // A writer that lets no one read makes the file unreadable: "No data".
    writer = CreateFileA(DataPath().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    Tick();
    EXPECT_EQ(Status(0), "No data");
    CloseHandle(writer);
}

TEST_F(Reader, PollTimeIsReadAtEveryPollAndBounded) {
    OpenPanel();
    EXPECT_EQ(PollSeconds, 60u) << "absent";
    const struct {
        const char* configured;
        std::uint32_t seconds;
    } cases[] = {{"15", 15},
                 {"0", 1},
                 {"1", 1},
                 {"4294967", 4294967},
                 {"4294968", 4294967},
                 {"4294967295", 4294967},
                 {nullptr, 60}};
    for (const auto& c : cases) {
        SetPollTime(c.configured);
        Tick();
        EXPECT_EQ(PollSeconds, c.seconds)
            << "PollTime " << (c.configured ? c.configured : "absent");
    }
}

TEST_F(Reader, TimerTicksEveryPollTimeSeconds) {
    SetPollTime("1");
    OpenPanel();
    const auto ticks = PumpAndCountTicks(panel_, 3500);
    ASSERT_GE(ticks.size(), 3u);
    ASSERT_LE(ticks.size(), 4u);
    EXPECT_NEAR(double(ticks[0]), 1000.0, 300.0);
    for (std::size_t i = 1; i < ticks.size(); ++i)
        EXPECT_NEAR(double(ticks[i] - ticks[i - 1]), 1000.0, 300.0) << "tick " << i;
}

TEST_F(Reader, PollTimeZeroPollsOncePerSecondNotContinuously) {
    SetPollTime("0");
    OpenPanel();
    const auto ticks = PumpAndCountTicks(panel_, 2500);
    EXPECT_GE(ticks.size(), 1u);
    EXPECT_LE(ticks.size(), 3u) << "a zero interval would poll in a busy loop";
}

TEST_F(Reader, PollTime15GivesA15SecondTimer) {
    OpenPanel();
    SetPollTime("15");
    Tick(); // the next poll takes the new period
    const auto ticks = PumpAndCountTicks(panel_, 16000);
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_NEAR(double(ticks[0]), 15000.0, 500.0);
}
