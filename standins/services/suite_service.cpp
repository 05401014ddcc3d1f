// One of the suite's servers as a service program: registers itself with
// "-installquiet", and run by the service control manager it reports running
// until it is told to stop; its stop is told to the Syslog server. The build makes one program per
// service from this file; SUITE_SERVICE_NAME and SUITE_SERVICE_ROLE name the service.
#include "standins/services/service_command.h"
#include "standins/services/service_install.h"
#include "standins/services/service_status.h"
#include "standins/services/syslog_file.h"

#include "common/unique_handle.h"

#include <windows.h>

#ifndef SUITE_SERVICE_NAME
#error "SUITE_SERVICE_NAME must name the service (for example \"RELAYSVC\")"
#endif
#ifndef SUITE_SERVICE_ROLE
#error "SUITE_SERVICE_ROLE must describe the service (for example \"SMTP server\")"
#endif

namespace {

constexpr char kName[] = SUITE_SERVICE_NAME;
constexpr char kDisplayName[] = "Postern " SUITE_SERVICE_ROLE;
constexpr DWORD kStartHintMs = 3000;
constexpr DWORD kStopHintMs = 3000;

postern::UniqueKernelHandle StopEvent;

DWORD WINAPI ControlHandler(DWORD control, DWORD, void*, void*) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        standins::ReportServiceState(SERVICE_STOP_PENDING, NO_ERROR, kStopHintMs);
        SetEvent(StopEvent.get());
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, char**) {
    // The event exists before the handler can be called.
    StopEvent.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const DWORD eventError = StopEvent ? NO_ERROR : GetLastError();
    if (!standins::ConnectServiceStatus(kName, ControlHandler))
        return;
    if (!StopEvent) {
        standins::ReportServiceState(SERVICE_STOPPED, eventError);
        return;
    }
    standins::ReportServiceState(SERVICE_START_PENDING, NO_ERROR, kStartHintMs);
    standins::ReportServiceState(SERVICE_RUNNING);
    WaitForSingleObject(StopEvent.get(), INFINITE);
    standins::TellSyslog(kName, SUITE_SERVICE_NAME " stopped");
    standins::ReportServiceState(SERVICE_STOPPED);
}

} // namespace

int main(int argc, char** argv) {
    switch (standins::ParseServiceCommand(argc, argv)) {
    case standins::ServiceCommand::Install:
        return standins::InstallThisService(kName, kDisplayName);
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
    if (!StartServiceCtrlDispatcherA(table))
        return standins::ReportDispatcherFailure(kName, GetLastError());
    return 0;
}
