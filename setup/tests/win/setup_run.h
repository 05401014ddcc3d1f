// Running pstsetup.exe in a distribution folder of its own and reading what
// its run log says.
#pragma once

#include <windows.h>

#include "common/unique_handle.h"
#include "common/win_test_support.h"

#include <string>
#include <vector>

namespace setup_test {

// One dialog outcome of the run log: "dialog 800 FRadioDlgProc: CONTINUE ...".
struct DialogOutcome {
    unsigned number = 0;
    std::string procedure;
    std::string event;
    std::string line; // the whole line, for details such as EditTextOut
};

// A fresh distribution folder under the temporary folder: pstsetup.exe, the
// toolkit DLLs, mscuistf.dll, usrvault.dll and pstsuite.inf. Removed with
// everything in it when the object goes. It holds none of the suite's service
// programs, so a new installation or an update from it warns of each install
// command it cannot run and exits with kWarnedOfMissingPrograms.
constexpr DWORD kWarnedOfMissingPrograms = 4; // completed with warnings
class Distribution {
  public:
    explicit Distribution(const std::string& name);
    ~Distribution();
    Distribution(const Distribution&) = delete;
    Distribution& operator=(const Distribution&) = delete;

    const std::string& Folder() const { return folder_; } // ends in a backslash
    std::string Path(const std::string& file) const { return folder_ + file; }
    const std::string& LogPath() const { return log_; }

    // Writes an answer file into the folder and returns its path.
    std::string WriteAnswers(const std::string& name, const std::string& text) const;
    // Runs the installer with the arguments (plus /log LogPath()) in the folder
    // and waits for it; returns its exit status or -1 when it did not end.
    DWORD Run(const std::string& arguments, DWORD timeoutMs = 60000,
              const std::string& currentDir = "") const;
    // Starts it without waiting (in `currentDir`, by default the folder).
    postern::UniqueKernelHandle Start(const std::string& arguments,
                                      const std::string& currentDir = "") const;

    std::vector<std::string> LogLines() const;   // without their time stamps
    std::vector<DialogOutcome> Dialogs() const;  // the dialog outcomes in order
    std::vector<unsigned> DialogNumbers() const; // their numbers in order
    // How many times a dialog was put up to wait for the operator.
    std::size_t ShownCount() const;
    std::string LastLine() const;
    bool LogContains(const std::string& text) const;
    // The texts of the run's "warning: TEXT" lines, in order.
    std::vector<std::string> Warnings() const;

  private:
    std::string CommandLine(const std::string& arguments) const;
    std::string root_;
    std::string folder_;
    std::string log_;
};

// The suite's Global key, set up for a test and removed afterwards.
class RegisteredInstallation {
  public:
    RegisteredInstallation(const char* topDir, const char* hostName);
    ~RegisteredInstallation();
    RegisteredInstallation(const RegisteredInstallation&) = delete;
    RegisteredInstallation& operator=(const RegisteredInstallation&) = delete;
};

// Removes the suite's registry tree (a test that needs "no installation").
void RemoveSuiteRegistry();

// The TCP/IP host name and domain of the prefix set for a test (Wine writes
// its own when the session starts) and put back afterwards.
class TcpipHostName {
  public:
    TcpipHostName(const char* host, const char* domain);
    ~TcpipHostName();
    TcpipHostName(const TcpipHostName&) = delete;
    TcpipHostName& operator=(const TcpipHostName&) = delete;

  private:
    std::string host_;
    std::string domain_;
};

// The number of values in the suite's Global key, -1 when there is no key.
long GlobalValueCount();

using postern::ReadWholeFile;

// The enabled, visible dialog of process `pid` that waits for the operator,
// or null.
HWND ActiveDialog(DWORD pid);
// Waits for the log to hold `count` dialog outcomes; false on time-out.
bool WaitForDialogs(const Distribution& dist, std::size_t count, DWORD timeoutMs = 20000);
// Waits until a dialog of the run waits for the operator (the log says it was
// shown and has no outcome for it yet) and returns it, or null on time-out.
HWND WaitingDialog(const Distribution& dist, DWORD pid, DWORD timeoutMs = 20000);

} // namespace setup_test
