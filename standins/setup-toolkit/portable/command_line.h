// The setup program's command line as the toolkit reads it: /answers FILE,
// /log FILE, /src DIR, /record FILE and /noexit (the installer itself parses
// nothing).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace stf {

struct SetupOptions {
    std::string answers; // answer file: run unattended
    std::string log;     // run log (default: pstsetup.log in the temporary folder)
    std::string source;  // source directory (default: the program's folder)
    std::string record;  // write the answers given to this file
    // /noexit (no value): the program hosts the frame in a process that goes
    // on after it, so an unattended run does not end the process with its
    // status in TerminateFrame.
    bool noExit = false;
};

// Splits a command line into words: blanks separate words, double quotes
// group (and are removed), "" inside quotes stands for one quote.
std::vector<std::string> SplitCommandLine(std::string_view line);

// Reads the options (names case-insensitive, '/' or '-' before them), each
// followed by its value. Returns false with a one-line reason for an unknown
// option, a stray word, a missing or empty value or an option given twice.
// /noexit takes no value.
bool ParseSetupCommandLine(std::string_view line, SetupOptions& options, std::string& error);

} // namespace stf
