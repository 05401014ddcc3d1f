// Rows of the snapshot from the services' status; see watch_rows.h.
#include "standins/services/watch_rows.h"

#include "common/bounded_format.h"

#include <cstring>

namespace standins {

const WatchedRow kWatchedRows[kServiceRowCount] = {
    {"SMTP", "RELAYSVC"},  {"POP3", "DROPSVC"},   {"PassSvc", "PASSSVC"}, {"Whois", "DIRSVC"},
    {"Finger", "PLANSVC"}, {"Syslog", "LOGSVC"},  {"DNS", nullptr},       {"NNTP", nullptr},
    {"WWW", nullptr},      {"Telnet", "TERMSVC"}, {"FTP", nullptr},       {"IMAP4", nullptr},
    {"Gateway", nullptr},  {"Disks", "WATCHSVC"},
};

namespace {

const char* StateText(std::uint32_t state) {
    switch (state) {
    case 1:
        return "stopped";
    case 2:
        return "start pending";
    case 3:
        return "stop pending";
    case 4:
        return "running";
    case 5:
        return "continue pending";
    case 6:
        return "pause pending";
    case 7:
        return "paused";
    default:
        return nullptr;
    }
}

const char* StartTypeText(std::uint32_t startType) {
    switch (startType) {
    case 0:
        return "boot start";
    case 1:
        return "system start";
    case 2:
        return "auto start";
    case 3:
        return "demand start";
    case 4:
        return "disabled";
    default:
        return "";
    }
}

// The exit code that explains why a service is not running, 0 when none.
std::uint32_t ExitCode(const ServiceObservation& seen) {
    return seen.win32ExitCode == kServiceSpecificError ? seen.serviceExitCode : seen.win32ExitCode;
}

void ClearRow(const WatchedRow& watched, ServiceRow& row) {
    std::memset(&row, 0, sizeof row);
    postern::CopyText(row.label, watched.label);
    postern::CopyText(row.detail1, watched.serviceName);
}

void FillStatus(const ServiceObservation& seen, ServiceRow& row) {
    const std::uint32_t code = ExitCode(seen);
    const char* text = StateText(seen.state);
    if (text == nullptr)
        postern::FormatText(row.statusText, "state %u", static_cast<unsigned>(seen.state));
    else if (seen.state == kStateStopped && code == kServiceNeverStarted &&
             seen.win32ExitCode != kServiceSpecificError)
        postern::CopyText(row.statusText, "stopped, never started");
    else if (seen.state == kStateStopped && code != 0)
        postern::FormatText(row.statusText, "stopped, exit code %u", static_cast<unsigned>(code));
    else
        postern::CopyText(row.statusText, text);
    row.fault = seen.state == kStateRunning ? 0 : (code != 0 ? code : 1);
}

} // namespace

void FillServiceRow(const WatchedRow& watched, const ServiceObservation& seen, ServiceRow& row) {
    ClearRow(watched, row);
    switch (seen.presence) {
    case Presence::NotInstalled:
        postern::CopyText(row.statusText, "not installed");
        return;
    case Presence::Unknown:
        row.flags = kRowInstalled;
        row.fault = seen.error != 0 ? seen.error : 1;
        postern::FormatText(row.statusText, "status unknown, error %u",
                            static_cast<unsigned>(seen.error));
        return;
    case Presence::Observed:
        break;
    }
    row.flags = kRowInstalled;
    row.state = seen.state;
    row.value1 = seen.processId;
    row.value3 = seen.win32ExitCode;
    row.value4 = static_cast<std::uint16_t>(seen.checkPoint);
    postern::CopyText(row.detail2, StartTypeText(seen.startType));
    FillStatus(seen, row);
}

void FillUnprovidedRow(const WatchedRow& watched, ServiceRow& row) {
    ClearRow(watched, row);
    postern::CopyText(row.statusText, "not provided");
}

void FillMonitorRow(const WatchedRow& watched, const ServiceObservation& seen,
                    const MonitorState& monitor, ServiceRow& row) {
    FillServiceRow(watched, seen, row);
    if (seen.presence == Presence::Observed && seen.state == kStateRunning) {
        postern::CopyText(row.statusText, monitor.quiet ? "quiet" : "running");
        if (monitor.diskError != 0)
            row.fault = monitor.diskError;
    }
    if (monitor.note != nullptr && monitor.note[0] != '\0') {
        postern::AppendText(row.statusText, ", ");
        postern::AppendText(row.statusText, monitor.note);
    }
    postern::CopyText(row.detail2, monitor.diskRoot);
    row.value3 = monitor.sequence;
    row.value4 =
        static_cast<std::uint16_t>(monitor.pollSeconds > 0xFFFF ? 0xFFFF : monitor.pollSeconds);
}

} // namespace standins
