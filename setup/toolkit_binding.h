// The installer's only contact with the setup toolkit. Every operation that
// can fail ends the run through FatalStop when the toolkit reports failure,
// so callers never test results.
#pragma once

#include <windows.h>

#include <span>

// Names of the dialog library and of its dialog procedures.
inline constexpr const char* kDialogLibraryName = "mscuistf.dll";
inline constexpr const char* kInfoDlgProc = "FInfoDlgProc";
inline constexpr const char* kQuitDlgProc = "FQuitDlgProc";
inline constexpr const char* kEditDlgProc = "FEditDlgProc";
inline constexpr const char* kInfo0DlgProc = "FInfo0DlgProc";
inline constexpr const char* kRadioDlgProc = "FRadioDlgProc";
inline constexpr const char* kHelpDlgProc = "FHelpDlgProc";
inline constexpr const char* kModelessDlgProc = "FModelessDlgProc";
constexpr UINT kHelpDialogNumber = 900;

// Limits of the dialog-event reads: 15 for option dialogs, 16 in the work step.
constexpr UINT kEventLimit = 15;
constexpr UINT kWorkEventLimit = 16;

// Toolkit option values the installer passes.
constexpr int kGroupOption = 1;
constexpr int kItemOption = 1024;
constexpr int kRemoveOption = 256;

// Starts the frame with the program's command line: positive when the frame
// is up, 0 when it is not (the toolkit is already ended), -1 when the run must
// end at once without ending the toolkit.
int StartFrame(LPSTR commandLine);

// Shows a dialog of the dialog library, drains the queue and reads DLGEVENT
// into `event` (at most limit - 1 characters).
void RunDialog(const char* library, UINT number, const char* procedure, UINT helpNumber,
               const char* helpProcedure, std::span<char> event, UINT limit);
// Closes the `count` most recent dialogs (-1: all), then drains the queue.
void CloseDialogs(int count);
// Reads a symbol; a value of `limit` characters or more shows "Buffer
// Overflow" and stops the run. Returns the value's length.
UINT GetSymbol(const char* name, std::span<char> buffer, UINT limit);
void SetSymbol(const char* name, const char* value);
void AddSymbolItem(const char* name, const char* value);
// Hands one warning to the toolkit's run log (STF_WARNINGS); a refusal is
// traced, never a fatal stop. Nothing is handed over before the frame starts.
void HandWarningToToolkit(const char* text);
// Dispatches every waiting message; WM_QUIT ends the run through FatalStop.
void PumpMessages();
// Ends the run: dialog 400 once, then EndToolkit and exit status 0.
[[noreturn]] void FatalStop();
// Ends the toolkit and releases the registry library.
void EndToolkit();
// `directory` (ending in a backslash) followed by `file`, in a buffer that the
// next call overwrites.
const char* JoinPath(const char* directory, const char* file);

// Wrappers of the remaining toolkit calls.
HWND FrameWindow();
void SetFrameBitmap(const char* library, UINT bitmapNumber);
void SetFrameTitle(const char* title);
void OpenInf(const char* path);
HCURSOR ShowWaitCursor();
void RestoreCursor(HCURSOR previous);
void ClearCopyList();
void AddSectionToCopyList(const char* section, const char* source, const char* destination);
void CopyFilesInCopyList();
void RemoveFile(const char* path, int option);
void AddBillboard(const char* library, UINT number, const char* procedure, LONG ticks);
void PlaceGauge(int x, int y);
void CreateProgramGroup(const char* group, const char* path, int option);
void ShowProgramGroup(const char* group, int showCommand, int option);
void CreateProgramItem(const char* group, const char* caption, const char* commandLine, int option);
bool IsValidDirectory(const char* path);
