// Helpers of the Wine-run service tests; see service_test_support.h.
#include "service_test_support.h"

using postern::UniqueKernelHandle;
using postern::UniqueScHandle;

std::string ProgramDir() {
    std::string dir = "Z:" SERVICES_BUILD_DIR "/"; // a Unix path on Wine's Z: drive
    for (char& c : dir)
        c = c == '/' ? '\\' : c;
    return dir;
}

RunResult RunProgram(const std::string& program, const std::string& arguments) {
    RunResult result{0xFFFFFFFF, {}};
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return {0xFFFFFFFF, "CreatePipe failed"};
    UniqueKernelHandle reader(readEnd), writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::string command = "\"" + ProgramDir() + program + "\" " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = writeEnd;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                        &pi))
        return {0xFFFFFFFF, "CreateProcessA failed, error " + std::to_string(GetLastError())};
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    writer.reset(); // the pipe ends when the program's copy closes
    char chunk[512];
    DWORD got = 0;
    while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0)
        result.output.append(chunk, got);
    if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 0xFFFFFFFF);
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    return result;
}

UniqueScHandle OpenNamedService(const char* name, DWORD access) {
    UniqueScHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    return UniqueScHandle(scm ? OpenServiceA(scm.get(), name, access) : nullptr);
}

DWORD ServiceState(const char* name) {
    UniqueScHandle service = OpenNamedService(name, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    return service && QueryServiceStatus(service.get(), &status) ? status.dwCurrentState : 0;
}

bool WaitForServiceState(const char* name, DWORD state, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (ServiceState(name) != state) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

DWORD StartNamedService(const char* name) {
    UniqueScHandle service = OpenNamedService(name, SERVICE_START);
    return service && StartServiceA(service.get(), 0, nullptr) ? 0 : GetLastError();
}

DWORD ControlNamedService(const char* name, DWORD control) {
    UniqueScHandle service =
        OpenNamedService(name, SERVICE_STOP | SERVICE_USER_DEFINED_CONTROL | SERVICE_INTERROGATE);
    SERVICE_STATUS status{};
    return service && ControlService(service.get(), control, &status) ? 0 : GetLastError();
}

ServiceCleanup::ServiceCleanup(std::initializer_list<const char*> names) : names_(names) {
    RemoveAll();
}

ServiceCleanup::~ServiceCleanup() {
    RemoveAll();
}

void ServiceCleanup::RemoveAll() const {
    for (const char* name : names_) {
        UniqueScHandle service =
            OpenNamedService(name, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE);
        SERVICE_STATUS status{};
        if (service && ControlService(service.get(), SERVICE_CONTROL_STOP, &status))
            WaitForServiceState(name, SERVICE_STOPPED);
        if (service)
            DeleteService(service.get());
    }
}
