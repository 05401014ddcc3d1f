// The table of the suite's services, in the installer's order, and the
// command line that lets a service program register itself. Portable (no
// <windows.h>).
#pragma once

#include <array>
#include <cstddef>
#include <span>

struct SuiteService {
    const char* Name;        // service name
    const char* KeyPath;     // its key under HKEY_LOCAL_MACHINE
    const char* ProgramFile; // its program in the top directory; null: never installed
};

// Positions in the table.
enum SuiteServiceIndex : std::size_t {
    RelaySvc,
    DropSvc,
    PlanSvc,
    DirSvc,
    PassSvc,
    WatchSvc,
    TermSvc,
    LogSvc,
    SuiteServiceCount
};

inline constexpr std::array<SuiteService, SuiteServiceCount> SuiteServices = {{
    {"RELAYSVC", "SYSTEM\\CurrentControlSet\\Services\\RELAYSVC", "RELAYSVC.exe"},
    {"DROPSVC", "SYSTEM\\CurrentControlSet\\Services\\DROPSVC", "DROPSVC.exe"},
    {"PLANSVC", "SYSTEM\\CurrentControlSet\\Services\\PLANSVC", "PLANSVC.exe"},
    {"DIRSVC", "SYSTEM\\CurrentControlSet\\Services\\DIRSVC", "DIRSVC.exe"},
    {"PASSSVC", "SYSTEM\\CurrentControlSet\\Services\\PASSSVC", "PASSSVC.exe"},
    {"WATCHSVC", "SYSTEM\\CurrentControlSet\\Services\\WATCHSVC", "WatchSvc.exe"},
    {"TERMSVC", "SYSTEM\\CurrentControlSet\\Services\\TERMSVC", nullptr},
    {"LOGSVC", "SYSTEM\\CurrentControlSet\\Services\\LOGSVC", "LOGSVC.exe"},
}};

// Install commands are formatted into a buffer of this many bytes.
constexpr std::size_t InstallCommandSize = 256;

// The install command of a service program in the top directory, its path
// quoted so that a directory with a space names one program:
// "\"TOPDIR\\PROGRAM\" -installquiet". False (out left empty) when the
// service has no program or the command does not fit.
bool FormatInstallCommand(std::span<char> out, const char* topDir, const SuiteService& service);
