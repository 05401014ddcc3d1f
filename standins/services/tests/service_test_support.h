// What the Wine-run service tests share: running the built programs, the
// prefix's service control manager, and removing services on every path.
#pragma once

#include "common/unique_handle.h"

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

// The folder of the built service programs as a Windows path, with a trailing
// backslash.
std::string ProgramDir();

struct RunResult {
    DWORD exitCode;     // 0xFFFFFFFF when the program could not be started
    std::string output; // standard output and standard error
};
// Runs "<ProgramDir><program>" arguments and waits for it (30 s at most).
RunResult RunProgram(const std::string& program, const std::string& arguments);

postern::UniqueScHandle OpenNamedService(const char* name, DWORD access);
// The current state, or 0 when the service cannot be queried.
DWORD ServiceState(const char* name);
bool WaitForServiceState(const char* name, DWORD state, DWORD timeoutMs = 10000);
// StartServiceA or ControlService; the error number, 0 when accepted.
DWORD StartNamedService(const char* name);
DWORD ControlNamedService(const char* name, DWORD control);

// Stops (if running) and deletes the named services now and again when it goes.
class ServiceCleanup {
  public:
    ServiceCleanup(std::initializer_list<const char*> names);
    ~ServiceCleanup();
    ServiceCleanup(const ServiceCleanup&) = delete;
    ServiceCleanup& operator=(const ServiceCleanup&) = delete;
    void RemoveAll() const;

  private:
    std::vector<const char*> names_;
};
