// Status reporting of the running service; see service_status.h.
#include "standins/services/service_status.h"

namespace standins {

namespace {

SERVICE_STATUS_HANDLE StatusHandle = nullptr;
SERVICE_STATUS Status{};
// The handler (control thread) and the service's own thread both report;
// initialised before the handler is registered, so before any report.
CRITICAL_SECTION StatusLock;

} // namespace

bool ConnectServiceStatus(const char* name, LPHANDLER_FUNCTION_EX handler) {
    InitializeCriticalSection(&StatusLock);
    StatusHandle = RegisterServiceCtrlHandlerExA(name, handler, nullptr);
    Status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    return StatusHandle != nullptr;
}

void ReportServiceState(DWORD state, DWORD exitCode, DWORD waitHintMs) {
    if (StatusHandle == nullptr)
        return;
    EnterCriticalSection(&StatusLock);
    const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ||
                         state == SERVICE_CONTINUE_PENDING || state == SERVICE_PAUSE_PENDING;
    Status.dwCurrentState = state;
    Status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    Status.dwWin32ExitCode = exitCode;
    Status.dwServiceSpecificExitCode = 0;
    Status.dwWaitHint = pending ? waitHintMs : 0;
    Status.dwCheckPoint = pending ? Status.dwCheckPoint + 1 : 0;
    SetServiceStatus(StatusHandle, &Status);
    LeaveCriticalSection(&StatusLock);
}

} // namespace standins
