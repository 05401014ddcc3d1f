// Helpers for Windows tests: waiting for a condition, reading a window's
// text, the test program's folder, removing a folder tree, running a program,
// the service control manager, whole files and registry values. Built as the
// static library win_test_support that every Wine test program links.
#pragma once

#include <windows.h>

#include "common/unique_handle.h"

#include <functional>
#include <optional>
#include <string>

namespace postern {

// Polls done every 20 ms until it holds or timeoutMs have passed.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 15000);

std::string TextOf(HWND window);

// The folder of the running program, ending in a backslash.
std::string ExeFolder();

// Deletes a folder with everything in it (what can be deleted).
void RemoveTree(const std::string& folder);

// ---- Processes

// The exit status of a run that did not start or did not end in time.
constexpr DWORD kNoExitStatus = 0xFFFFFFFF;

struct ProcessOptions {
    std::string currentDir = {}; // empty: the test program's own
    bool captureOutput = false;  // standard output and error into ProcessResult::output,
                                 // standard input from NUL
    DWORD timeoutMs = 30000;     // then the process and those it started are ended
};

struct ProcessResult {
    DWORD exitStatus = kNoExitStatus;
    DWORD startError = 0; // CreateProcessA's error when the program did not start
    bool timedOut = false;
    std::string output;

    bool Started() const { return startError == 0; }
};

// Runs a command line and waits for it.
ProcessResult RunProcess(const std::string& commandLine, const ProcessOptions& options = {});

// Starts a command line without waiting; an empty handle when it did not
// start (GetLastError says why).
UniqueKernelHandle StartProcess(const std::string& commandLine, const std::string& currentDir = {});

// Ends a process and the processes it started, and waits (5 s at most) for it.
void EndProcessTree(HANDLE process);

// ---- Services of the prefix's service control manager

UniqueScHandle OpenNamedService(const std::string& name, DWORD access);
// The current state, or 0 when the service is not registered.
DWORD ServiceState(const std::string& name);
bool WaitForServiceState(const std::string& name, DWORD state, DWORD timeoutMs = 10000);
// StartServiceA or ControlService; the error number, 0 when accepted.
DWORD StartNamedService(const std::string& name);
DWORD ControlNamedService(const std::string& name, DWORD control);
// Starts a service and waits until it runs.
bool StartServiceAndWait(const std::string& name, DWORD timeoutMs = 15000);
// Stops a service (if it runs) and waits until it has stopped.
bool StopServiceAndWait(const std::string& name, DWORD timeoutMs = 15000);
// Stops a service (waiting up to 10 s), deletes it and waits (10 s at most)
// until the service control manager no longer knows it.
void RemoveNamedService(const std::string& name);

// ---- Files and registry values

// A file's bytes; nothing when it cannot be opened. Opened with every share
// mode, so a log that its writer holds open can be read.
std::optional<std::string> ReadFileBytes(const std::string& path);
// The same, or "" when the file cannot be opened.
std::string ReadWholeFile(const std::string& path);

// A value's stored bytes (and type); nothing when the key or value is missing.
std::optional<std::string> RegistryValueBytes(HKEY root, const std::string& keyPath,
                                              const char* name, DWORD* type = nullptr);
// A text value up to its first NUL, or "" when it is missing.
std::string RegistryText(HKEY root, const std::string& keyPath, const char* name);

} // namespace postern
