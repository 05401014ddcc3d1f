// How a service's status becomes a panel row.
#include "standins/services/watch_rows.h"

#include <gtest/gtest.h>

using namespace standins;

namespace {

ServiceObservation Seen(std::uint32_t state, std::uint32_t exitCode = 0) {
    ServiceObservation seen{Presence::Observed, 0, state, exitCode, 0, 321, 3, 7};
    return seen;
}

const WatchedRow kPop3{"POP3", "DROPSVC"};

} // namespace

TEST(WatchRows, StatesAndExitCodesBecomeTextAndFault) {
    struct Case {
        ServiceObservation seen;
        const char* text;
        std::uint32_t fault;
    };
    ServiceObservation own = Seen(kStateStopped, kServiceSpecificError);
    own.serviceExitCode = 42;
    ServiceObservation unknown{Presence::Unknown, 5, 0, 0, 0, 0, 0, 0};
    const Case cases[] = {
        {Seen(kStateRunning), "running", 0},
        {Seen(kStateStopped), "stopped", 1},
        {Seen(kStateStopped, 1067), "stopped, exit code 1067", 1067},
        {Seen(kStateStopped, kServiceNeverStarted), "stopped, never started", 1077},
        {own, "stopped, exit code 42", 42},
        {Seen(2), "start pending", 1},
        {Seen(7), "paused", 1},
        {Seen(99), "state 99", 1},
        {unknown, "status unknown, error 5", 5},
    };
    for (const Case& c : cases) {
        ServiceRow row;
        FillServiceRow(kPop3, c.seen, row);
        EXPECT_STREQ(row.statusText, c.text);
        EXPECT_EQ(row.fault, c.fault) << c.text;
        EXPECT_EQ(row.flags, kRowInstalled) << c.text;
    }
    ServiceRow row;
    FillServiceRow(kPop3, Seen(kStateRunning), row);
    EXPECT_STREQ(row.detail2, "demand start");
    EXPECT_EQ(row.value1, 321u);
    FillServiceRow(kPop3, ServiceObservation{Presence::NotInstalled, 1060, 0, 0, 0, 0, 0, 0}, row);
    EXPECT_STREQ(row.statusText, "not installed");
    EXPECT_EQ(row.flags, 0u);
}

TEST(WatchRows, MonitorRowShowsQuietNoteAndDiskFault) {
    const WatchedRow& own = kWatchedRows[kMonitorRow];
    MonitorState monitor{false, "812 MB free", "C:\\", 0, 17, 5};
    ServiceRow row;
    FillMonitorRow(own, Seen(kStateRunning), monitor, row);
    EXPECT_STREQ(row.statusText, "running, 812 MB free");
    EXPECT_EQ(row.fault, 0u);
    EXPECT_EQ(row.value3, 17u);

    monitor = {true, "", "C:\\", 21, 18, 86400};
    FillMonitorRow(own, Seen(kStateRunning), monitor, row);
    EXPECT_STREQ(row.statusText, "quiet");
    EXPECT_EQ(row.fault, 21u) << "the disk could not be read";
    EXPECT_EQ(row.value4, 0xFFFFu) << "poll seconds beyond 16 bits are capped";

    FillMonitorRow(own, Seen(3), monitor, row);
    EXPECT_STREQ(row.statusText, "stop pending") << "a stopping monitor is not quiet";
}
