// The setup toolkit's exported functions, as the installer, the dialog library
// and the tests call them. Each function lives in the DLL named in its group;
// MSSHLSTF.dll holds the implementation and the shared state, the other DLLs
// forward their exports to it.
#pragma once

#include <windows.h>

extern "C" {

// ---- MSSHLSTF.dll: frame, symbols, cursor ----------------------------------

// Starts the frame window from the program's command line (options /answers,
// /log, /src, /record). Returns a positive frame marker, 0 when the frame could
// not start (the reason is logged), or -1 when another setup run already owns
// the machine (nothing was started).
int WINAPI InitializeFrame(LPSTR commandLine);
HWND WINAPI HwndFrame(void);
HINSTANCE WINAPI HinstFrame(void);
// Destroys the frame, writes the run's last log line and closes the log.
void WINAPI TerminateFrame(void);
// Paints bitmap `bitmapId` of `library` as the frame's background.
BOOL WINAPI FSetBitmap(LPCSTR library, UINT bitmapId);
// Sets a symbol to a one-item value (an empty value empties it).
BOOL WINAPI FSetSymbolValue(LPCSTR name, LPCSTR value);
HCURSOR WINAPI HShowWaitCursor(void);
BOOL WINAPI FRestoreCursor(HCURSOR previous);

// ---- MSCOMSTF.dll: INF file, symbols, message box, directories -------------

// Opens and reads the installation description file. `checkSyntax`: refuse a
// file with lines that are neither sections, entries nor comments.
// `reserved` must be 0.
BOOL WINAPI FOpenInf(LPCSTR path, BOOL checkSyntax, BOOL reserved);
// A message box owned by the frame; returns the button pressed (IDOK...).
int WINAPI DoMsgBox(LPCSTR text, LPCSTR caption, UINT type);
// Copies the symbol's value (items joined with ",") into buffer, cut to
// limit - 1 characters and terminated, and returns the value's full length;
// 0 and an empty buffer for an unknown symbol.
UINT WINAPI CbGetSymbolValue(LPCSTR name, LPSTR buffer, UINT limit);
// Appends one item to a list symbol (creating it).
BOOL WINAPI FAddListItem(LPCSTR name, LPCSTR item);
// Number of items of a list symbol, 0 when unknown.
UINT WINAPI UsGetListLength(LPCSTR name);
// Item `index` (1-based) of a list symbol, as CbGetSymbolValue copies values.
UINT WINAPI CbGetListItem(LPCSTR name, UINT index, LPSTR buffer, UINT limit);
// Adds every entry of an INF section to the copy list.
BOOL WINAPI FAddSectionFilesToCopyList(LPCSTR section, LPCSTR source, LPCSTR destination);
// Nonzero when `path` is a well-formed full directory path ("C:\dir",
// "\\server\share\dir").
BOOL WINAPI FValidDir(LPCSTR path);

// ---- MSINSSTF.dll: install session, copy engine, program groups ------------

BOOL WINAPI FInitializeInstall(HINSTANCE frameInstance, HWND frameWindow);
void WINAPI TerminateInstall(void);
void WINAPI ResetCopyList(void);
// Copies every file of the copy list with the gauge and the billboards.
// Returns grcOkay (0), grcUserQuit (48) or another positive error code.
int WINAPI GrcCopyFilesInCopyList(HINSTANCE frameInstance);
// Deletes one file; nonzero when it is gone (or was never there).
int WINAPI YnrcRemoveFile(LPCSTR path, int option);
BOOL WINAPI FAddToBillboardList(LPCSTR library, UINT number, LPCSTR procedure, LONG ticks);
// Places the copy gauge at (x, y) pixels of the frame's client area.
void WINAPI ProSetPos(int x, int y);
// A program group is a folder of the Start menu's programs; items are shortcuts.
BOOL WINAPI FCreateProgManGroup(LPCSTR group, LPCSTR path, int option);
BOOL WINAPI FShowProgManGroup(LPCSTR group, LPCSTR showCommand, int option);
BOOL WINAPI FCreateProgManItem(LPCSTR group, LPCSTR caption, LPCSTR commandLine, int option);

// ---- MSUILSTF.dll: custom dialogs ------------------------------------------

// Shows dialog `number` of `library` with the exported procedure `procedure`
// (`helpNumber` 0: no help) and returns once the dialog has reported an event
// in DLGEVENT; the dialog stays open until FKillNDialogs closes it. A dialog
// that is still open is shown again.
BOOL WINAPI FDoDialogExt(HWND parent, LPCSTR library, UINT number, LPCSTR procedure,
                         LPCSTR helpLibrary, UINT helpNumber, LPCSTR helpProcedure);
// Closes the `count` most recently opened dialogs; -1 closes all.
BOOL WINAPI FKillNDialogs(int count);
// Called by a dialog procedure: store `eventWord` in DLGEVENT and end the
// wait of FDoDialogExt for this dialog.
void WINAPI ReportDialogEvent(HWND dialog, LPCSTR eventWord);
// Called by a dialog procedure for its Help button: shows the help dialog
// given to FDoDialogExt (modal). FALSE when the dialog has none.
BOOL WINAPI FShowDialogHelp(HWND dialog);

// ---- MSDETSTF.dll ----------------------------------------------------------

// The toolkit's version, 0x0100 for this one. The installer links it only so
// that MSDETSTF.dll loads with the program.
UINT WINAPI UsDetectVersion(void);

} // extern "C"

// The list symbol of the program's warnings: each item added with
// FAddListItem is written to the run log at once as "warning: <item>", and an
// unattended run that completes with one ends with status 4.
inline constexpr const char* STF_WARNINGS_SYMBOL = "STF_WARNINGS";

// Results of GrcCopyFilesInCopyList.
constexpr int grcOkay = 0;
constexpr int grcUserQuit = 48;
constexpr int grcCopyFailed = 2;    // a file could not be copied
constexpr int grcSourceMissing = 3; // a source file does not exist
