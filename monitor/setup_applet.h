// The suite's setup applet, postern.cpl, opened by the panel's Config button.
#pragma once

#include <windows.h>

namespace monitor {

// The applet's entry points ("SetupMONITOR"): the window that owns whatever the
// applet shows; 0 when nothing changed, anything else when the display should
// be refreshed with a word to the operator.
using SetupEntryPoint = INT(WINAPI*)(HWND owner);

// Loads postern.cpl from the program's own folder or the system folder (never
// from the current directory or PATH, where a planted copy could wait), calls
// entryName with owner and unloads the applet again. Returns the entry point's
// result, or -1 when the applet or the entry point cannot be found.
int RunSetupApplet(HWND owner, const char* entryName);

} // namespace monitor
