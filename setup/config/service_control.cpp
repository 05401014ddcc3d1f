// Service control for setup; see service_control.h.
#include "setup/config/service_control.h"

#include "common/unique_handle.h"
#include "setup/config/registry_values.h"
#include "setup/config/suite_services.h"
#include "setup/setup_session.h"
#include "setup/setup_trace.h"

#include <windows.h>

#include <array>

namespace {

// The stop wait: the status is checked every 100 ms for up to 15 s; after the
// service reports that it stopped, its process is given up to 5 s to end.
constexpr DWORD kStopWaitMs = 15000;
constexpr DWORD kStopCheckPauseMs = 100;
constexpr DWORD kProcessEndWaitMs = 5000;
constexpr DWORD kInstallCommandWaitMs = 30000;

// The session's was-running flag of a service, or null when none is kept.
int* WasRunningFlag(SuiteServiceIndex index) {
    switch (index) {
    case PlanSvc:
        return &Session.PlanWasRunning;
    case DirSvc:
        return &Session.DirWasRunning;
    case PassSvc:
        return &Session.PassWasRunning;
    case WatchSvc:
        return &Session.WatchWasRunning;
    case TermSvc:
        return &Session.TermWasRunning;
    default:
        return nullptr;
    }
}

bool WasRunning(SuiteServiceIndex index) {
    const int* flag = WasRunningFlag(index);
    return flag != nullptr && *flag != 0;
}

// The process of a running service that has it to itself, opened (before the
// stop is requested, so that the id cannot name another process by then) to be
// waited on; empty when the service shares its process with others, has none
// (process id 0) or the process cannot be opened.
postern::UniqueKernelHandle OpenOwnProcess(SC_HANDLE service, const char* serviceName) {
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                              sizeof status, &needed)) {
        SetupTrace("%s: QueryServiceStatusEx failed (error %lu); its process is not waited for",
                   serviceName, GetLastError());
        return {};
    }
    if (status.dwProcessId == 0 || (status.dwServiceType & SERVICE_WIN32_SHARE_PROCESS) != 0 ||
        (status.dwServiceFlags & SERVICE_RUNS_IN_SYSTEM_PROCESS) != 0)
        return {};
    postern::UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId));
    if (!process)
        SetupTrace("%s: OpenProcess of process %lu failed (error %lu); its end is not waited for",
                   serviceName, status.dwProcessId, GetLastError());
    return process;
}

// Waits for an accepted stop: the status is checked every 100 ms until the
// service reports that it stopped, for up to 15 s. The status comes from the
// control manager (an interrogation would be refused while the service is
// stopping and end the wait too early). True when it stopped; a service still
// stopping after 15 s is a warning.
bool WaitForStop(SC_HANDLE service, const char* serviceName, DWORD state) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (state == SERVICE_STOPPED)
            return true;
        if (GetTickCount() - start >= kStopWaitMs) {
            SetupWarning("service %s did not stop within %lu s (state %lu); its re-registration "
                         "may fail until the machine restarts or its process ends",
                         serviceName, kStopWaitMs / 1000, state);
            return false;
        }
        Sleep(kStopCheckPauseMs);
        SERVICE_STATUS status{};
        if (!QueryServiceStatus(service, &status)) {
            SetupTrace("%s: QueryServiceStatus failed (error %lu) while waiting for the stop",
                       serviceName, GetLastError());
            return false;
        }
        state = status.dwCurrentState;
    }
}

// A service reports that it stopped before its process has exited, and the
// program stays in use until it has: the process is given up to 5 s to end
// after the stop. One that is still running then is a warning.
void WaitForProcessEnd(HANDLE process, const char* serviceName) {
    switch (WaitForSingleObject(process, kProcessEndWaitMs)) {
    case WAIT_OBJECT_0:
        return;
    case WAIT_TIMEOUT:
        SetupWarning("service %s reported that it stopped, but its process %lu did not end within "
                     "%lu s; its re-registration may fail until the machine restarts or the "
                     "process ends",
                     serviceName, GetProcessId(process), kProcessEndWaitMs / 1000);
        return;
    default:
        SetupTrace("%s: waiting for its process failed (error %lu)", serviceName, GetLastError());
        return;
    }
}

// Runs a service program's install command and waits for it to end (at most
// 30 s), so that the service is registered before the next step.
void RunInstallCommand(const char* topDir, SuiteServiceIndex index) {
    const SuiteService& service = kSuiteServices[index];
    std::array<char, kInstallCommandSize> command;
    if (!FormatInstallCommand(command, topDir, service)) {
        SetupWarning("service %s: its install command for %s does not fit %u bytes and was not "
                     "run; the service may not be registered",
                     service.Name, topDir, static_cast<unsigned>(kInstallCommandSize));
        return;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        SetupWarning("service %s: its install command %s could not be started (error %lu); the "
                     "service may not be registered",
                     service.Name, command.data(), GetLastError());
        return;
    }
    const postern::UniqueKernelHandle processHandle(process.hProcess);
    const postern::UniqueKernelHandle threadHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, kInstallCommandWaitMs) != WAIT_OBJECT_0) {
        SetupWarning("service %s: its install command %s did not end within %lu s; going on, "
                     "the service may not be registered",
                     service.Name, command.data(), kInstallCommandWaitMs / 1000);
        return;
    }
    DWORD exitCode = 0;
    if (GetExitCodeProcess(process.hProcess, &exitCode) && exitCode != 0)
        SetupWarning("service %s: its install command %s ended with status %lu; the service may "
                     "not be registered",
                     service.Name, command.data(), exitCode);
}

void StartSuiteService(SuiteServiceIndex index) {
    ControlSuiteService(kSuiteServices[index].Name, kStartOperation);
}

// Opens the manager and the service with full access; a failure is traced,
// except a service that is not installed (the delete pass meets those).
bool OpenSuiteService(const char* serviceName, postern::UniqueScHandle& manager,
                      postern::UniqueScHandle& service) {
    manager.reset(OpenSCManagerA(nullptr, SERVICES_ACTIVE_DATABASEA, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        SetupTrace("%s: OpenSCManagerA failed (error %lu)", serviceName, GetLastError());
        return false;
    }
    service.reset(OpenServiceA(manager.get(), serviceName, SERVICE_ALL_ACCESS));
    if (!service) {
        const DWORD error = GetLastError();
        if (error != ERROR_SERVICE_DOES_NOT_EXIST)
            SetupTrace("%s: OpenServiceA failed (error %lu)", serviceName, error);
        return false;
    }
    return true;
}

// An update's start pass up to the monitor service: SMTP, POP3 and Syslog
// always, the password, Finger and Whois servers when they ran before.
void StartServicesOfAnUpdate() {
    StartSuiteService(LogSvc);
    StartSuiteService(RelaySvc);
    StartSuiteService(DropSvc);
    for (const SuiteServiceIndex index : {PassSvc, PlanSvc, DirSvc}) {
        if (WasRunning(index))
            StartSuiteService(index);
    }
}

} // namespace

int ControlSuiteService(const char* serviceName, int operation) {
    postern::UniqueScHandle manager;
    postern::UniqueScHandle service;
    if (!OpenSuiteService(serviceName, manager, service))
        return 0;
    if (operation == kStartOperation) {
        if (StartServiceA(service.get(), 0, nullptr))
            return 1;
        const DWORD error = GetLastError();
        if (error != ERROR_SERVICE_ALREADY_RUNNING)
            SetupTrace("%s: StartServiceA failed (error %lu)", serviceName, error);
        return 0;
    }
    if (operation != kStopOperation)
        return 0;
    // Opened before the request: once stopped, the service no longer names it.
    const postern::UniqueKernelHandle process = OpenOwnProcess(service.get(), serviceName);
    SERVICE_STATUS status{};
    if (!ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
        const DWORD error = GetLastError();
        if (error != ERROR_SERVICE_NOT_ACTIVE)
            SetupTrace("%s: the stop request failed (error %lu)", serviceName, error);
        return 0;
    }
    if (WaitForStop(service.get(), serviceName, status.dwCurrentState) && process)
        WaitForProcessEnd(process.get(), serviceName);
    return 1;
}

int DeleteSuiteService(const char* serviceName) {
    postern::UniqueScHandle manager;
    postern::UniqueScHandle service;
    if (!OpenSuiteService(serviceName, manager, service))
        return 0;
    if (DeleteService(service.get()))
        return 1;
    SetupTrace("%s: DeleteService failed (error %lu)", serviceName, GetLastError());
    return 0;
}

int StopInstalledService(const char* serviceKeyPath, const char* serviceName) {
    postern::UniqueHkey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, serviceKeyPath, KEY_READ);
    if (!key || !ValueExists(key.get(), "ImagePath"))
        return 0;
    key.reset();
    return ControlSuiteService(serviceName, kStopOperation);
}

void StopSuiteServices() {
    for (std::size_t i = 0; i < kSuiteServices.size(); ++i) {
        const auto index = static_cast<SuiteServiceIndex>(i);
        const int stopped = StopInstalledService(kSuiteServices[i].KeyPath, kSuiteServices[i].Name);
        if (int* flag = WasRunningFlag(index))
            *flag = stopped;
    }
}

void DeleteSuiteServices() {
    constexpr SuiteServiceIndex order[] = {RelaySvc, DropSvc, PlanSvc, DirSvc,
                                           PassSvc,  LogSvc,  WatchSvc};
    for (const SuiteServiceIndex index : order)
        DeleteSuiteService(kSuiteServices[index].Name);
}

void InstallAndStartServices(const char* topDir) {
    RunInstallCommand(topDir, LogSvc);
    StartSuiteService(LogSvc);
    RunInstallCommand(topDir, RelaySvc);
    RunInstallCommand(topDir, DropSvc);
    RunInstallCommand(topDir, PlanSvc);
    RunInstallCommand(topDir, DirSvc);
    RunInstallCommand(topDir, PassSvc);
    StartSuiteService(PassSvc);
    RunInstallCommand(topDir, WatchSvc);
}

void RestartSuiteServices(const char* topDir) {
    StartServicesOfAnUpdate();
    if (WasRunning(WatchSvc))
        StartSuiteService(WatchSvc);
    else
        RunInstallCommand(topDir, WatchSvc);
}

void RestartServicesAsTheyWere() {
    StartServicesOfAnUpdate();
    if (WasRunning(WatchSvc))
        StartSuiteService(WatchSvc);
    StartTermsvcIfItRan();
}

void StartTermsvcIfItRan() {
    if (WasRunning(TermSvc))
        StartSuiteService(TermSvc);
}
