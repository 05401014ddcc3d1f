// Service status from the control manager; see service_probe.h.
#include "standins/services/service_probe.h"

#include "common/unique_handle.h"

namespace standins {

namespace {

constexpr std::uint32_t kStartTypeUnknown = 0xFFFFFFFF;

std::uint32_t StartType(SC_HANDLE service) {
    // The configuration record is followed by its texts; 8 KB is the documented maximum.
    alignas(QUERY_SERVICE_CONFIGA) static unsigned char buffer[8192];
    DWORD needed = 0;
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer);
    if (!QueryServiceConfigA(service, config, sizeof buffer, &needed))
        return kStartTypeUnknown;
    return config->dwStartType;
}

} // namespace

void ObserveService(SC_HANDLE scm, DWORD scmError, const char* name, ServiceObservation& seen) {
    seen = ServiceObservation{};
    seen.startType = kStartTypeUnknown;
    if (scm == nullptr) {
        seen.presence = Presence::Unknown;
        seen.error = scmError;
        return;
    }
    postern::UniqueScHandle service(
        OpenServiceA(scm, name, SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG));
    if (!service) {
        const DWORD error = GetLastError();
        seen.presence =
            error == ERROR_SERVICE_DOES_NOT_EXIST ? Presence::NotInstalled : Presence::Unknown;
        seen.error = error;
        return;
    }
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO,
                              reinterpret_cast<BYTE*>(&status), sizeof status, &needed)) {
        seen.presence = Presence::Unknown;
        seen.error = GetLastError();
        return;
    }
    seen.presence = Presence::Observed;
    seen.state = status.dwCurrentState;
    seen.win32ExitCode = status.dwWin32ExitCode;
    seen.serviceExitCode = status.dwServiceSpecificExitCode;
    seen.processId = status.dwProcessId;
    seen.checkPoint = status.dwCheckPoint;
    seen.startType = StartType(service.get());
}

} // namespace standins
