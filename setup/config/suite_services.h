// The table of the suite's services, in the installer's order, and the
// command line that lets a service program register itself. Portable (no
// <windows.h>).
#pragma once

#include "common/suite_registry.h"

#include <array>
#include <cstddef>
#include <span>

// The longest service name in the table.
constexpr std::size_t kServiceNameLimit = 8;

struct SuiteService {
    const char* Name; // service name
    // Its key under HKEY_LOCAL_MACHINE: kServicesKey, a backslash and the name.
    char KeyPath[sizeof postern::kServicesKey + 1 + kServiceNameLimit];
    const char* ProgramFile; // its program in the top directory; null: never installed
};

// A table entry, its key path joined at compile time (a name longer than
// kServiceNameLimit would write past KeyPath, and the table would not compile).
constexpr SuiteService Service(const char* name, const char* programFile) {
    SuiteService service{name, {}, programFile};
    std::size_t length = 0;
    for (const char* c = postern::kServicesKey; *c != '\0'; ++c)
        service.KeyPath[length++] = *c;
    service.KeyPath[length++] = '\\';
    for (const char* c = name; *c != '\0'; ++c)
        service.KeyPath[length++] = *c;
    return service;
}

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

inline constexpr std::array<SuiteService, SuiteServiceCount> kSuiteServices = {{
    Service("RELAYSVC", "RELAYSVC.exe"),
    Service("DROPSVC", "DROPSVC.exe"),
    Service("PLANSVC", "PLANSVC.exe"),
    Service("DIRSVC", "DIRSVC.exe"),
    Service("PASSSVC", "PASSSVC.exe"),
    Service("WATCHSVC", "WatchSvc.exe"),
    Service("TERMSVC", nullptr),
    Service("LOGSVC", "LOGSVC.exe"),
}};

// Install commands are formatted into a buffer of this many bytes.
constexpr std::size_t kInstallCommandSize = 256;

// The install command of a service program in the top directory, its path
// quoted so that a directory with a space names one program:
// "\"TOPDIR\\PROGRAM\" -installquiet". False (out left empty) when the
// service has no program or the command does not fit.
bool FormatInstallCommand(std::span<char> out, const char* topDir, const SuiteService& service);
