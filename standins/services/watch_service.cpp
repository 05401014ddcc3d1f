// The suite's monitor service WATCHSVC. Run by the service control manager it
// writes the snapshot file watchsvc.dat into the suite's top directory at
// least every PollTime seconds: the time, one row per watched service from the
// control manager's status, and the addresses it knows. Control code 135 makes
// it quiet until it is restarted (shown at once in its own row and in
// monitorWord); stop and shutdown end it at once, whatever the poll period.
// "-installquiet" registers it, "-remove" deletes it.
#include "standins/services/address_list.h"
#include "standins/services/disk_space.h"
#include "standins/services/host_addresses.h"
#include "standins/services/service_command.h"
#include "standins/services/service_install.h"
#include "standins/services/service_probe.h"
#include "standins/services/service_status.h"
#include "standins/services/snapshot_file.h"
#include "standins/services/watch_layout.h"
#include "standins/services/watch_rows.h"
#include "standins/services/watch_settings.h"

#include "common/bounded_format.h"
#include "common/unique_handle.h"

#include <windows.h>

using namespace standins;

namespace {

constexpr char kName[] = "WATCHSVC";
constexpr char kDisplayName[] = "Postern service monitor";
constexpr DWORD kQuietControl = 135;
constexpr DWORD kStartHintMs = 3000;
constexpr DWORD kStopHintMs = 3000;

postern::UniqueKernelHandle StopEvent; // manual reset: stop or shutdown asked
postern::UniqueKernelHandle WakeEvent; // auto reset: write the next snapshot now
volatile LONG Quiet = 0;

Snapshot Current;
std::uint8_t Image[kSnapshotFileSize];

DWORD WINAPI ControlHandler(DWORD control, DWORD, void*, void*) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        ReportServiceState(SERVICE_STOP_PENDING, NO_ERROR, kStopHintMs);
        SetEvent(StopEvent.get());
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    case kQuietControl:
        InterlockedExchange(&Quiet, 1);
        SetEvent(WakeEvent.get());
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

// What the monitor's own row says after its state: a problem when there is
// one, else the free disk space.
struct Notes {
    char text[160];
    char diskRoot[MAX_PATH];
    DWORD diskError;
};

void ComposeNotes(const WatchSettings& settings, const WriteResult& last, int deniedRejected,
                  const char* writeProblem, Notes& notes) {
    unsigned long long freeMb = 0;
    notes.diskError = FreeDiskSpace(settings.topDir, notes.diskRoot, freeMb);
    if (writeProblem != nullptr)
        postern::CopyText(notes.text, writeProblem);
    else if (settings.topDirMissing)
        postern::FormatText(notes.text, "%s, writing to the program's folder",
                            settings.topDirProblem);
    else if (last.outcome == WriteOutcome::KeptOld)
        postern::FormatText(notes.text, "last write kept the old file (error %lu)", last.error);
    else if (deniedRejected > 0)
        postern::FormatText(notes.text, "%d Denied entries ignored", deniedRejected);
    else if (notes.diskError != 0)
        postern::FormatText(notes.text, "free space unknown (error %lu)", notes.diskError);
    else
        postern::FormatText(notes.text, "%llu MB free", freeMb);
}

void TimeText(char (&text)[80]) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    postern::FormatText(text, "%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
}

// Fills Current for this cycle. writeProblem, when not null, explains why the
// file is not where TopDir says.
void BuildSnapshot(const WatchSettings& settings, const WriteResult& last, const char* writeProblem,
                   std::uint32_t sequence) {
    Current = Snapshot{};
    const bool quiet = InterlockedCompareExchange(&Quiet, 0, 0) != 0;
    Current.monitorWord = (quiet ? kMonitorQuiet : 0) |
                          (settings.topDirMissing || writeProblem ? kMonitorNotInTopDir : 0) |
                          (last.outcome == WriteOutcome::KeptOld ? kMonitorWriteKeptOld : 0);
    TimeText(Current.timeText);

    const AddressListResult denied = ParseAddressList(settings.denied, Current.denied);
    CollectHostAddresses(Current.addresses, settings.logHost);

    Notes notes{};
    ComposeNotes(settings, last, denied.rejected, writeProblem, notes);

    postern::UniqueScHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const DWORD scmError = scm ? ERROR_SUCCESS : GetLastError();
    for (int i = 0; i < kServiceRowCount; ++i) {
        const WatchedRow& watched = kWatchedRows[i];
        if (watched.serviceName == nullptr) {
            FillUnprovidedRow(watched, Current.rows[i]);
            continue;
        }
        ServiceObservation seen{};
        ObserveService(scm.get(), scmError, watched.serviceName, seen);
        if (i != kMonitorRow) {
            FillServiceRow(watched, seen, Current.rows[i]);
            continue;
        }
        const MonitorState monitor{quiet,           notes.text, notes.diskRoot,
                                   notes.diskError, sequence,   settings.pollSeconds};
        FillMonitorRow(watched, seen, monitor, Current.rows[i]);
    }
}

// One snapshot: into the top directory, or, when that cannot be written, into
// the program's folder with the reason in the file. Returns the outcome for
// the top directory's file.
WriteResult WriteCycle(const WatchSettings& settings, const WriteResult& last,
                       std::uint32_t sequence) {
    BuildSnapshot(settings, last, nullptr, sequence);
    EncodeSnapshot(Current, Image);
    const WriteResult result = WriteSnapshotFile(settings.topDir, Image, StopEvent.get());
    if (result.outcome != WriteOutcome::Failed || settings.topDirMissing)
        return result;

    WatchSettings fallback = settings;
    if (!ProgramFolder(fallback.topDir))
        return result;
    char problem[MAX_PATH + 64];
    postern::FormatText(problem, "cannot write to %s (error %lu)", settings.topDir, result.error);
    BuildSnapshot(fallback, last, problem, sequence);
    EncodeSnapshot(Current, Image);
    WriteSnapshotFile(fallback.topDir, Image, StopEvent.get());
    return result;
}

// Writes snapshots until stop is asked; returns the service's exit code.
DWORD RunMonitor() {
    std::uint32_t sequence = 0;
    WriteResult last{WriteOutcome::Written, ERROR_SUCCESS};
    for (;;) {
        WatchSettings settings;
        ReadWatchSettings(settings);
        last = WriteCycle(settings, last, ++sequence);
        if (last.outcome == WriteOutcome::Stopped)
            return NO_ERROR;
        const HANDLE events[] = {StopEvent.get(), WakeEvent.get()};
        const DWORD woke = WaitForMultipleObjects(2, events, FALSE, settings.pollSeconds * 1000);
        if (woke == WAIT_OBJECT_0)
            return NO_ERROR;
        if (woke == WAIT_FAILED)
            return GetLastError();
    }
}

void WINAPI ServiceMain(DWORD, char**) {
    // The events exist before the handler can be called.
    StopEvent.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    WakeEvent.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    const DWORD eventError = StopEvent && WakeEvent ? NO_ERROR : GetLastError();
    if (!ConnectServiceStatus(kName, ControlHandler))
        return;
    if (eventError != NO_ERROR) {
        ReportServiceState(SERVICE_STOPPED, eventError);
        return;
    }
    ReportServiceState(SERVICE_START_PENDING, NO_ERROR, kStartHintMs);
    ReportServiceState(SERVICE_RUNNING);
    ReportServiceState(SERVICE_STOPPED, RunMonitor());
}

} // namespace

int main(int argc, char** argv) {
    switch (ParseServiceCommand(argc, argv)) {
    case ServiceCommand::Install:
        return InstallThisService(kName, kDisplayName);
    case ServiceCommand::Remove:
        return RemoveService(kName);
    case ServiceCommand::Usage:
        return PrintServiceUsage(kName);
    case ServiceCommand::Run:
        break;
    }
    char name[sizeof kName];
    lstrcpynA(name, kName, sizeof name);
    SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherA(table))
        return ReportDispatcherFailure(kName, GetLastError());
    return 0;
}
