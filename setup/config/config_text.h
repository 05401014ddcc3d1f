// Texts of the configuration writer that need no Windows: the key a section
// name stands for, and the installation date as the suite stores it.
#pragma once

#include <cstddef>
#include <span>

// Writes the key path (under HKEY_LOCAL_MACHINE) that a section name of the
// legacy INI file stands for, compared without regard to letter case:
//   "_smtp"   SYSTEM\CurrentControlSet\Services\RELAYSVC\Parameters
//   "_pop"    SYSTEM\CurrentControlSet\Services\DROPSVC\Parameters
//   "_global" SOFTWARE\Corvane\Postern\Global
//   other     SOFTWARE\Corvane\Postern\<name>
// Returns the path's length. A null name, or a path that would not fit, gives
// an empty path and 0, so that no key of another name is ever addressed.
std::size_t SectionKeyPath(const char* section, std::span<char> path);

struct InstallTime {
    unsigned year, month, day, hour, minute;
};

// "%04u%02u%02u-%02u%02u": 13 characters for any year of four digits. True
// when the text fitted.
bool FormatInstDate(const InstallTime& time, std::span<char> text);
