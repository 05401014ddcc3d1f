// A service program for the stop-wait tests: registered with "-installquiet"
// under SLOW_SERVICE_NAME, it runs until told to stop and then stays "stop
// pending" for SLOW_STOP_MS milliseconds before it reports that it stopped,
// as a server that closes its connections first would; its process then goes
// on for SLOW_EXIT_MS milliseconds more, as one that cleans up after the
// report would.
#include "standins/services/service_command.h"
#include "standins/services/service_install.h"
#include "standins/services/service_status.h"

#include "common/unique_handle.h"

#include <windows.h>

namespace {

constexpr char kName[] = SLOW_SERVICE_NAME;
constexpr DWORD kStopMs = SLOW_STOP_MS;
constexpr DWORD kExitMs = SLOW_EXIT_MS;
constexpr DWORD kStepMs = 500;

postern::UniqueKernelHandle StopEvent;

DWORD WINAPI ControlHandler(DWORD control, DWORD, void*, void*) {
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
        standins::ReportServiceState(SERVICE_STOP_PENDING, NO_ERROR, kStopMs + kStepMs);
        SetEvent(StopEvent.get());
        return NO_ERROR;
    }
    return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI ServiceMain(DWORD, char**) {
    StopEvent.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!standins::ConnectServiceStatus(kName, ControlHandler))
        return;
    if (!StopEvent) {
        standins::ReportServiceState(SERVICE_STOPPED, GetLastError());
        return;
    }
    standins::ReportServiceState(SERVICE_RUNNING);
    WaitForSingleObject(StopEvent.get(), INFINITE);
    for (DWORD remaining = kStopMs; remaining != 0;) {
        const DWORD step = remaining < kStepMs ? remaining : kStepMs;
        Sleep(step);
        remaining -= step;
        standins::ReportServiceState(SERVICE_STOP_PENDING, NO_ERROR, kStopMs + kStepMs);
    }
    standins::ReportServiceState(SERVICE_STOPPED);
}

} // namespace

int main(int argc, char** argv) {
    switch (standins::ParseServiceCommand(argc, argv)) {
    case standins::ServiceCommand::Install:
        return standins::InstallThisService(kName, kName);
    case standins::ServiceCommand::Remove:
        return standins::RemoveService(kName);
    case standins::ServiceCommand::Usage:
        return standins::PrintServiceUsage(kName);
    case standins::ServiceCommand::Run:
        break;
    }
    char name[sizeof kName];
    lstrcpynA(name, kName, sizeof name);
    SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    // The dispatcher returns once the service has reported that it stopped.
    if (!StartServiceCtrlDispatcherA(table))
        return 1;
    Sleep(kExitMs);
    return 0;
}
