// What the Wine-run service tests share: running the built programs, the
// prefix's service control manager, and removing services on every path.
#pragma once

#include "common/unique_handle.h"
#include "common/win_test_support.h"

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

using postern::ControlNamedService;
using postern::OpenNamedService;
using postern::ServiceState;
using postern::StartNamedService;
using postern::WaitForServiceState;

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
