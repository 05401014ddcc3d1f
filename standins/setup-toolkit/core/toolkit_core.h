// What the parts of MSSHLSTF.dll share: the run log, failure notes, the frame,
// the unattended switch and the loaded dialog libraries.
#pragma once

#include <windows.h>

#include "common/bounded_format.h"

namespace stf {

// ---- run log (run_log.cpp) ----
// Appends one time-stamped line to the run log (a no-op before the log opens).
void LogLine(const char* format, ...) POSTERN_PRINTF(1, 2);
// A toolkit call failed: logs "failed: <text>" and keeps the text as the cause
// that the last line names if the run then ends in the fatal stop.
void NoteFailure(const char* format, ...) POSTERN_PRINTF(1, 2);

// ---- frame (frame.cpp) ----
HWND FrameWindow();          // null before InitializeFrame and after TerminateFrame
HINSTANCE ToolkitInstance(); // MSSHLSTF.dll itself (its own resources)
bool Unattended();           // an answer file drives the run

// ---- dialog libraries (dialogs.cpp) ----
// Loads a dialog library by name (kept loaded until TerminateFrame); null and a
// failure note when it does not load.
HMODULE DialogLibrary(const char* name);
// An exported dialog procedure of a loaded library; null and a failure note
// when it is missing.
DLGPROC DialogProcedure(HMODULE library, const char* name);

} // namespace stf

namespace stf {
// ---- billboards (billboards.cpp) ----
// Forgets every billboard added with FAddToBillboardList (TerminateInstall).
void ClearBillboards();
} // namespace stf
