// SetupSession: the installer's run-wide state, one process-wide record that
// every step of the run reads and writes. Text fields are NUL-terminated ANSI
// texts in fixed-size arrays.
#pragma once

#include <windows.h>

#include <array>

// SetupMode values.
constexpr int kSetupModeNew = 1;
constexpr int kSetupModeUpdate = 2;
constexpr int kSetupModeRemove = 3;

// The longest top directory the suite's registry readers take back (they read
// TopDir into 79 bytes); longer destinations are refused.
constexpr int kMaxTopDirLength = 78;

// The registry library gate: ADVAPI32.DLL loaded by name with the six registry
// functions the installer relies on.
struct RegistryLibrary {
    HMODULE module = nullptr;
    FARPROC closeKey = nullptr;
    FARPROC createKey = nullptr;
    FARPROC deleteKey = nullptr;
    FARPROC openKey = nullptr;
    FARPROC queryValue = nullptr;
    FARPROC setValue = nullptr;
};

struct SetupSession {
    HINSTANCE Instance = nullptr;
    int SetupMode = 0;
    bool Nt351OrLater = false;
    DWORD MajorVersion = 3; // as reported; 3.50 when the version can't be read
    DWORD MinorVersion = 50;
    std::array<char, 256> SetupDir{};
    std::array<char, 256> SourceDir{};
    std::array<char, 272> DestDir{};
    std::array<char, 160> TopDir{};
    std::array<char, 160> UsersDir{};
    std::array<char, 256> HostName{};
    std::array<char, 256> AddressList{};
    std::array<char, 16> TypeDefault{};
    int UserDbOption = 1;
    // How often the add-user wizard has asked whether to add a user this run.
    int AddUserQuestions = 0;
    std::array<char, 160> LegacyIniPath{};
    // Set when the conversion of an old single-domain user database left
    // users or aliases behind: MultiFlag stays unwritten, so that the next
    // update offers the conversion again.
    bool ConversionIncomplete = false;

    // Set by the stop pass: 1 when the service was installed and accepted the
    // stop request (it was running).
    int PlanWasRunning = 0;
    int DirWasRunning = 0;
    int PassWasRunning = 0;
    int WatchWasRunning = 0;
    int TermWasRunning = 0;

    // Toolkit binding.
    int FrameMarker = 0;        // positive once the frame has started
    bool FatalStopping = false; // set when the fatal stop begins

    RegistryLibrary Registry;
};

extern SetupSession Session;
