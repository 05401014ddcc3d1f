// Which suite service each of the panel's 14 rows shows, and how a service's
// status becomes a row. Portable (no <windows.h>): the control manager's
// numbers are repeated here.
#pragma once

#include "standins/services/watch_layout.h"

#include <cstdint>

namespace standins {

struct WatchedRow {
    const char* label;
    const char* serviceName; // null: the suite has no such service
};

// Row i of the panel; the last row, "Disks", is the monitor service itself,
// which watches the free space of the top directory's disk.
extern const WatchedRow kWatchedRows[kServiceRowCount];
inline constexpr int kMonitorRow = 13;

// SERVICE_STATUS.dwCurrentState values.
inline constexpr std::uint32_t kStateStopped = 1;
inline constexpr std::uint32_t kStateRunning = 4;
// ERROR_SERVICE_SPECIFIC_ERROR: the service's own exit code says more.
inline constexpr std::uint32_t kServiceSpecificError = 1066;
// ERROR_SERVICE_NEVER_STARTED: the exit code of a service not started since boot.
inline constexpr std::uint32_t kServiceNeverStarted = 1077;

enum class Presence {
    NotInstalled, // the control manager does not know the service
    Unknown,      // it could not be asked; error holds why
    Observed,
};

struct ServiceObservation {
    Presence presence;
    std::uint32_t error; // Presence::Unknown: the Win32 error
    std::uint32_t state;
    std::uint32_t win32ExitCode;
    std::uint32_t serviceExitCode;
    std::uint32_t processId;
    std::uint32_t startType; // SERVICE_AUTO_START = 2, ...; 0xFFFFFFFF when unknown
    std::uint32_t checkPoint;
};

// The row of a suite service: label, service name, start type, status text
// ("running", "stopped", "stopped, never started", "not installed", ...),
// flags bit 0 when installed, the state, and fault 0 when running, else the
// exit code or 1.
void FillServiceRow(const WatchedRow& watched, const ServiceObservation& seen, ServiceRow& row);

// A row without a suite service: label only, flags clear.
void FillUnprovidedRow(const WatchedRow& watched, ServiceRow& row);

struct MonitorState {
    bool quiet;
    const char* note;        // shown after the state ("1234 MB free", a problem); may be empty
    const char* diskRoot;    // the disk the note is about
    std::uint32_t diskError; // nonzero: the free space could not be read (a fault)
    std::uint32_t sequence;  // snapshots written so far, this one included
    std::uint32_t pollSeconds;
};

// The monitor service's own row: like FillServiceRow, but "quiet" replaces
// "running" after control code 135, the note follows, and a disk error is a
// fault.
void FillMonitorRow(const WatchedRow& watched, const ServiceObservation& seen,
                    const MonitorState& monitor, ServiceRow& row);

} // namespace standins
