// A service for the tests of the Quiet command: registered under any name with
// its marker file as the only argument, it appends "control N" to the marker for
// every control code 128..255 it receives and stops on the stop code.
#include <windows.h>

#include <cstdio>

namespace {

const char* MarkerPath = "";
SERVICE_STATUS_HANDLE StatusHandle = nullptr;
HANDLE StopEvent = nullptr;
SERVICE_STATUS Status{};

void Report(DWORD state) {
    Status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    Status.dwCurrentState = state;
    Status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    SetServiceStatus(StatusHandle, &Status);
}

void Note(DWORD control) {
    HANDLE file = CreateFileA(MarkerPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    char line[32];
    const int n = std::snprintf(line, sizeof line, "control %lu\n", control);
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
    CloseHandle(file);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID) {
    if (control == SERVICE_CONTROL_STOP) {
        Report(SERVICE_STOP_PENDING);
        SetEvent(StopEvent);
        return NO_ERROR;
    }
    if (control >= 128 && control <= 255) {
        Note(control);
        return NO_ERROR;
    }
    return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI ServiceMain(DWORD, LPSTR* args) {
    StatusHandle = RegisterServiceCtrlHandlerExA(args[0], Handler, nullptr);
    if (StatusHandle == nullptr)
        return;
    StopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Report(SERVICE_RUNNING);
    WaitForSingleObject(StopEvent, INFINITE);
    Report(SERVICE_STOPPED);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: monitor_test_service MARKER (run by the service manager)\n");
        return 2;
    }
    MarkerPath = argv[1];
    char name[] = "";
    SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherA(table)) {
        std::fprintf(stderr, "not started as a service (error %lu)\n", GetLastError());
        return 1;
    }
    return 0;
}
