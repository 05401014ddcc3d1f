// Service control for setup; see service_control.h.
#include "setup/config/service_control.h"

#include "common/unique_handle.h"
#include "setup/config/registry_text.h"
#include "setup/config/suite_services.h"
#include "setup/setup_session.h"
#include "setup/setup_trace.h"

#include <windows.h>

#include <array>

namespace {

constexpr int StopChecks = 15;
constexpr DWORD StopCheckPauseMs = 1000;
constexpr DWORD InstallCommandWaitMs = 30000;
constexpr std::size_t ImagePathSize = 200;

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

// Waits for an accepted stop: the status is checked up to 15 times, 1000 ms
// apart, and the wait ends as soon as the service reports that it stopped.
// The status comes from the control manager (an interrogation would be
// refused while the service is stopping and end the wait too early).
void WaitForStop(SC_HANDLE service, const char* serviceName, DWORD state) {
    for (int check = 0; check < StopChecks && state != SERVICE_STOPPED; ++check) {
        Sleep(StopCheckPauseMs);
        SERVICE_STATUS status{};
        if (!QueryServiceStatus(service, &status)) {
            SetupTrace("%s: QueryServiceStatus failed (error %lu) while waiting for the stop",
                       serviceName, GetLastError());
            return;
        }
        state = status.dwCurrentState;
    }
    if (state != SERVICE_STOPPED)
        SetupTrace("%s did not stop within %d s (state %lu)", serviceName,
                   StopChecks * static_cast<int>(StopCheckPauseMs / 1000), state);
}

// Runs a service program's install command and waits for it to end (at most
// 30 s), so that the service is registered before the next step.
void RunInstallCommand(const char* topDir, SuiteServiceIndex index) {
    const SuiteService& service = SuiteServices[index];
    std::array<char, InstallCommandSize> command;
    if (!FormatInstallCommand(command, topDir, service)) {
        SetupTrace("%s: the install command for %s does not fit %u bytes", service.Name, topDir,
                   static_cast<unsigned>(InstallCommandSize));
        return;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        SetupTrace("%s: running %s failed (error %lu)", service.Name, command.data(),
                   GetLastError());
        return;
    }
    const postern::UniqueKernelHandle processHandle(process.hProcess);
    const postern::UniqueKernelHandle threadHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, InstallCommandWaitMs) != WAIT_OBJECT_0) {
        SetupTrace("%s: %s did not end within %lu s; going on", service.Name, command.data(),
                   InstallCommandWaitMs / 1000);
        return;
    }
    DWORD exitCode = 0;
    if (GetExitCodeProcess(process.hProcess, &exitCode) && exitCode != 0)
        SetupTrace("%s: %s ended with status %lu", service.Name, command.data(), exitCode);
}

void StartSuiteService(SuiteServiceIndex index) {
    ControlSuiteService(SuiteServices[index].Name, StartOperation);
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
    if (operation == StartOperation) {
        if (StartServiceA(service.get(), 0, nullptr))
            return 1;
        const DWORD error = GetLastError();
        if (error != ERROR_SERVICE_ALREADY_RUNNING)
            SetupTrace("%s: StartServiceA failed (error %lu)", serviceName, error);
        return 0;
    }
    if (operation != StopOperation)
        return 0;
    SERVICE_STATUS status{};
    if (!ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
        const DWORD error = GetLastError();
        if (error != ERROR_SERVICE_NOT_ACTIVE)
            SetupTrace("%s: the stop request failed (error %lu)", serviceName, error);
        return 0;
    }
    WaitForStop(service.get(), serviceName, status.dwCurrentState);
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
    postern::UniqueHkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, serviceKeyPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return 0;
    std::array<char, ImagePathSize> imagePath;
    if (!RegistryValuePresent(key.get(), "ImagePath", imagePath))
        return 0;
    key.reset();
    return ControlSuiteService(serviceName, StopOperation);
}

void StopSuiteServices() {
    for (std::size_t i = 0; i < SuiteServices.size(); ++i) {
        const auto index = static_cast<SuiteServiceIndex>(i);
        const int stopped = StopInstalledService(SuiteServices[i].KeyPath, SuiteServices[i].Name);
        if (int* flag = WasRunningFlag(index))
            *flag = stopped;
    }
}

void DeleteSuiteServices() {
    constexpr SuiteServiceIndex order[] = {RelaySvc, DropSvc, PlanSvc, DirSvc,
                                           PassSvc,  LogSvc,  WatchSvc};
    for (const SuiteServiceIndex index : order)
        DeleteSuiteService(SuiteServices[index].Name);
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
