// Start-up: the program instance, the suite's top directory from the registry,
// and the program's run, which is the status panel as a modal dialog.
#pragma once

#include <windows.h>

#include <array>

namespace monitor {

// Recorded at start for loading the dialog templates.
extern HINSTANCE AppInstance;
// The suite's top directory, the folder of watchsvc.dat; filled once at start.
extern std::array<char, 256> TopDir;

// Fills TopDir from the value TopDir of HKLM\SOFTWARE\Corvane\Postern\Global,
// read as stored (an expandable text is not expanded) through a 150-byte
// buffer; "\MAIL" when the key or the value is missing or the value needs more
// than 150 bytes with its terminator.
void ReadConfiguration();

// The program: records the instance, reads the configuration and runs the
// status panel until it is closed. Returns 1.
int RunMonitorFrontend(HINSTANCE instance);

} // namespace monitor
