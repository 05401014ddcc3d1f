// Helpers for Windows tests; see win_test_support.h.
#include "common/win_test_support.h"

#include <tlhelp32.h>

#include <array>

namespace postern {

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

std::string TextOf(HWND window) {
    std::array<char, 4096> text{};
    GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    return text.data();
}

std::string ExeFolder() {
    std::array<char, MAX_PATH> path{};
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::string folder(path.data(), n);
    folder.resize(folder.find_last_of('\\') + 1);
    return folder;
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    UniqueFind find(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (find) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find.get(), &found));
    }
    find.reset();
    RemoveDirectoryA(folder.c_str());
}

namespace {

// The pipe a child writes its standard output and error into, and NUL as its
// standard input. The child's ends are inheritable; the reading end is not.
struct OutputPipe {
    UniqueKernelHandle reader;
    UniqueKernelHandle writer;
    UniqueFile input;
};

bool OpenOutputPipe(OutputPipe& pipe) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return false;
    pipe.reader.reset(readEnd);
    pipe.writer.reset(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    pipe.input.reset(CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                 OPEN_EXISTING, 0, nullptr));
    return pipe.input.valid();
}

bool CreateChild(const std::string& commandLine, const std::string& currentDir, OutputPipe* pipe,
                 PROCESS_INFORMATION& process) {
    std::string command = commandLine; // CreateProcessA may write into it
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (pipe != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = pipe->input.get();
        startup.hStdOutput = pipe->writer.get();
        startup.hStdError = pipe->writer.get();
    }
    return CreateProcessA(nullptr, command.data(), nullptr, nullptr, pipe != nullptr ? TRUE : FALSE,
                          0, nullptr, currentDir.empty() ? nullptr : currentDir.c_str(), &startup,
                          &process) != FALSE;
}

// Appends what the pipe holds now without blocking; false once every writer
// has closed it and it is empty.
bool DrainAvailable(HANDLE reader, std::string& output) {
    std::array<char, 4096> chunk{};
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(reader, nullptr, 0, nullptr, &available, nullptr))
            return false;
        if (available == 0)
            return true;
        DWORD got = 0;
        const DWORD want = available < chunk.size() ? available : static_cast<DWORD>(chunk.size());
        if (!ReadFile(reader, chunk.data(), want, &got, nullptr) || got == 0)
            return false;
        output.append(chunk.data(), got);
    }
}

// Waits for the process while reading its output (when captured), so that a
// full pipe cannot hold it up; true when it ended within timeoutMs.
bool WaitReading(HANDLE process, HANDLE reader, DWORD timeoutMs, std::string& output) {
    if (reader == nullptr)
        return WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    const DWORD start = GetTickCount();
    for (;;) {
        DrainAvailable(reader, output);
        if (WaitForSingleObject(process, 20) == WAIT_OBJECT_0)
            break;
        if (timeoutMs != INFINITE && GetTickCount() - start > timeoutMs)
            return false;
    }
    // What it wrote last, until every copy of the writing end has closed.
    std::array<char, 4096> chunk{};
    DWORD got = 0;
    while (ReadFile(reader, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) &&
           got > 0)
        output.append(chunk.data(), got);
    return true;
}

} // namespace

ProcessResult RunProcess(const std::string& commandLine, const ProcessOptions& options) {
    ProcessResult result;
    OutputPipe pipe;
    if (options.captureOutput && !OpenOutputPipe(pipe)) {
        result.startError = GetLastError();
        return result;
    }
    PROCESS_INFORMATION info{};
    if (!CreateChild(commandLine, options.currentDir, options.captureOutput ? &pipe : nullptr,
                     info)) {
        result.startError = GetLastError();
        return result;
    }
    UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    pipe.writer.reset(); // the pipe ends when the child's copies close
    pipe.input.reset();
    if (!WaitReading(process.get(), pipe.reader.get(), options.timeoutMs, result.output)) {
        result.timedOut = true;
        EndProcessTree(process.get());
        return result;
    }
    GetExitCodeProcess(process.get(), &result.exitStatus);
    return result;
}

UniqueKernelHandle StartProcess(const std::string& commandLine, const std::string& currentDir) {
    PROCESS_INFORMATION info{};
    if (!CreateChild(commandLine, currentDir, nullptr, info))
        return UniqueKernelHandle();
    CloseHandle(info.hThread);
    return UniqueKernelHandle(info.hProcess);
}

void EndProcessTree(HANDLE process) {
    const DWORD pid = GetProcessId(process);
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot) {
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot.get(), &entry); more;
             more = Process32Next(snapshot.get(), &entry)) {
            if (entry.th32ParentProcessID != pid)
                continue;
            UniqueKernelHandle child(OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
            if (child)
                TerminateProcess(child.get(), 1);
        }
    }
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
}

UniqueScHandle OpenNamedService(const std::string& name, DWORD access) {
    UniqueScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    return UniqueScHandle(manager ? OpenServiceA(manager.get(), name.c_str(), access) : nullptr);
}

DWORD ServiceState(const std::string& name) {
    UniqueScHandle service = OpenNamedService(name, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    return service && QueryServiceStatus(service.get(), &status) ? status.dwCurrentState : 0;
}

bool WaitForServiceState(const std::string& name, DWORD state, DWORD timeoutMs) {
    return WaitFor([&] { return ServiceState(name) == state; }, timeoutMs);
}

DWORD StartNamedService(const std::string& name) {
    UniqueScHandle service = OpenNamedService(name, SERVICE_START);
    return service && StartServiceA(service.get(), 0, nullptr) ? 0 : GetLastError();
}

DWORD ControlNamedService(const std::string& name, DWORD control) {
    UniqueScHandle service =
        OpenNamedService(name, SERVICE_STOP | SERVICE_USER_DEFINED_CONTROL | SERVICE_INTERROGATE);
    SERVICE_STATUS status{};
    return service && ControlService(service.get(), control, &status) ? 0 : GetLastError();
}

bool StartServiceAndWait(const std::string& name, DWORD timeoutMs) {
    return StartNamedService(name) == 0 && WaitForServiceState(name, SERVICE_RUNNING, timeoutMs);
}

bool StopServiceAndWait(const std::string& name, DWORD timeoutMs) {
    ControlNamedService(name, SERVICE_CONTROL_STOP);
    return WaitForServiceState(name, SERVICE_STOPPED, timeoutMs);
}

void RemoveNamedService(const std::string& name) {
    UniqueScHandle service = OpenNamedService(name, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE);
    if (!service)
        return;
    SERVICE_STATUS status{};
    if (ControlService(service.get(), SERVICE_CONTROL_STOP, &status))
        WaitForServiceState(name, SERVICE_STOPPED, 10000);
    DeleteService(service.get());
    service.reset();
    WaitForServiceState(name, 0, 10000);
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!file)
        return std::nullopt;
    std::string bytes;
    std::array<char, 4096> block{};
    DWORD got = 0;
    while (ReadFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &got, nullptr) &&
           got > 0)
        bytes.append(block.data(), got);
    return bytes;
}

std::string ReadWholeFile(const std::string& path) {
    return ReadFileBytes(path).value_or(std::string());
}

std::optional<std::string> RegistryValueBytes(HKEY root, const std::string& keyPath,
                                              const char* name, DWORD* type) {
    UniqueHkey key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name, nullptr, type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::string bytes(size, '\0');
    if (RegQueryValueExA(key.get(), name, nullptr, type, reinterpret_cast<BYTE*>(bytes.data()),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    bytes.resize(size);
    return bytes;
}

std::string RegistryText(HKEY root, const std::string& keyPath, const char* name) {
    const auto bytes = RegistryValueBytes(root, keyPath, name);
    return bytes ? std::string(bytes->c_str()) : std::string();
}

} // namespace postern
