// Service registration for the service programs; see service_install.h.
#include "standins/services/service_install.h"

#include "common/bounded_format.h"
#include "common/unique_handle.h"

#include <windows.h>

#include <cstdio>

using postern::UniqueScHandle;

namespace standins {

namespace {

constexpr DWORD kStopWaitMs = 15000;
constexpr DWORD kStopPollMs = 100;

void Fail(const char* name, const char* what, DWORD error) {
    std::fprintf(stderr, "%s: %s failed, error %lu\n", name, what, error);
}

// The program's own path in quotes, as the service's ImagePath; false when the
// path cannot be read or does not fit.
bool QuotedProgramPath(char (&quoted)[MAX_PATH + 3], const char* name) {
    char exe[MAX_PATH];
    SetLastError(0);
    const DWORD n = GetModuleFileNameA(nullptr, exe, sizeof exe);
    if (n == 0 || n >= sizeof exe) {
        Fail(name, "GetModuleFileNameA (the program's own path)",
             n == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER);
        return false;
    }
    return postern::FormatText(quoted, "\"%s\"", exe);
}

int UpdateExisting(SC_HANDLE scm, const char* name, const char* displayName, const char* image) {
    UniqueScHandle service(OpenServiceA(scm, name, SERVICE_CHANGE_CONFIG));
    if (!service) {
        Fail(name, "OpenServiceA (updating the existing service)", GetLastError());
        return 1;
    }
    if (!ChangeServiceConfigA(service.get(), SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
                              SERVICE_ERROR_NORMAL, image, nullptr, nullptr, nullptr, nullptr,
                              nullptr, displayName)) {
        Fail(name, "ChangeServiceConfigA (updating the existing service)", GetLastError());
        return 1;
    }
    return 0;
}

// Waits until the service reports SERVICE_STOPPED; false on time-out or error.
bool WaitForStop(SC_HANDLE service, const char* name) {
    const DWORD start = GetTickCount();
    for (;;) {
        SERVICE_STATUS status{};
        if (!QueryServiceStatus(service, &status)) {
            Fail(name, "QueryServiceStatus (waiting for the stop)", GetLastError());
            return false;
        }
        if (status.dwCurrentState == SERVICE_STOPPED)
            return true;
        if (GetTickCount() - start >= kStopWaitMs) {
            std::fprintf(stderr, "%s: the service did not stop within %lu seconds (state %lu)\n",
                         name, kStopWaitMs / 1000, status.dwCurrentState);
            return false;
        }
        Sleep(kStopPollMs);
    }
}

} // namespace

int InstallThisService(const char* name, const char* displayName) {
    char image[MAX_PATH + 3];
    if (!QuotedProgramPath(image, name))
        return 1;
    UniqueScHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!scm) {
        Fail(name, "OpenSCManagerA", GetLastError());
        return 1;
    }
    UniqueScHandle service(CreateServiceA(scm.get(), name, displayName, SERVICE_QUERY_STATUS,
                                          SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
                                          SERVICE_ERROR_NORMAL, image, nullptr, nullptr, nullptr,
                                          nullptr, nullptr));
    if (service)
        return 0;
    const DWORD error = GetLastError();
    if (error == ERROR_SERVICE_EXISTS)
        return UpdateExisting(scm.get(), name, displayName, image);
    if (error == ERROR_SERVICE_MARKED_FOR_DELETE) {
        std::fprintf(stderr,
                     "%s: the service is marked for deletion; close the programs that hold it "
                     "open and try again (error %lu)\n",
                     name, error);
        return 1;
    }
    Fail(name, "CreateServiceA", error);
    return 1;
}

int RemoveService(const char* name) {
    UniqueScHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!scm) {
        Fail(name, "OpenSCManagerA", GetLastError());
        return 1;
    }
    UniqueScHandle service(
        OpenServiceA(scm.get(), name, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
    if (!service) {
        const DWORD error = GetLastError();
        if (error == ERROR_SERVICE_DOES_NOT_EXIST)
            std::fprintf(stderr, "%s: the service is not installed (error %lu)\n", name, error);
        else
            Fail(name, "OpenServiceA", error);
        return 1;
    }
    SERVICE_STATUS status{};
    if (ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
        if (!WaitForStop(service.get(), name))
            return 1;
    } else {
        const DWORD error = GetLastError();
        if (error != ERROR_SERVICE_NOT_ACTIVE) {
            Fail(name, "ControlService (stop)", error);
            return 1;
        }
    }
    if (!DeleteService(service.get())) {
        Fail(name, "DeleteService", GetLastError());
        return 1;
    }
    return 0;
}

int PrintServiceUsage(const char* name) {
    std::fprintf(stderr,
                 "usage: %s             run as the service %s (started by the service manager)\n"
                 "       %s -installquiet  register the service (or update its registration)\n"
                 "       %s -remove        stop and delete the service\n",
                 name, name, name, name);
    return 2;
}

int ReportDispatcherFailure(const char* name, unsigned long error) {
    if (error == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT)
        std::fprintf(stderr,
                     "%s: this program runs as a service; register it with \"-installquiet\" "
                     "and start the service %s (error %lu)\n",
                     name, name, error);
    else
        Fail(name, "StartServiceCtrlDispatcherA", error);
    return 1;
}

} // namespace standins
