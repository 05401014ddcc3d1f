// The toolkit operations of the installer: each wraps one toolkit call, drains
// the message queue after dialog calls, and ends the run through the one fatal
// stop when the toolkit reports failure.
#include "setup/toolkit_binding.h"

#include "common/bounded_format.h"
#include "setup/dialog_event.h"
#include "setup/registry_library.h"
#include "setup/setup_session.h"
#include "setup_toolkit.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr UINT kFatalStopDialog = 400;

// Returns the toolkit result after stopping the run when it is zero.
template <typename Result> Result Checked(Result result) {
    if (!result)
        FatalStop();
    return result;
}

} // namespace

int StartFrame(LPSTR commandLine) {
    if (Session.FrameMarker > 0)
        return 0;
    const int marker = InitializeFrame(commandLine);
    if (marker == -1)
        return -1;
    if (marker == 0 || !FInitializeInstall(HinstFrame(), HwndFrame())) {
        EndToolkit();
        return 0;
    }
    Session.FrameMarker = marker;

    // A drive without a medium must not bring up a critical-error box here.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    auto& dir = Session.SetupDir;
    const DWORD length = GetCurrentDirectoryA(255, dir.data());
    SetErrorMode(previousMode);
    if (length == 0 || length >= 255)
        dir[0] = '\0'; // the description file is then looked up relative to it
    dir.back() = '\0';
    OemToCharA(dir.data(), dir.data());
    const std::size_t used = strnlen(dir.data(), dir.size());
    if (used > 0 && dir[used - 1] != '\\')
        postern::AppendText(dir, "\\");
    return marker;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            FatalStop();
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void RunDialog(const char* library, UINT number, const char* procedure, UINT helpNumber,
               const char* helpProcedure, std::span<char> event, UINT limit) {
    Checked(
        FDoDialogExt(HwndFrame(), library, number, procedure, library, helpNumber, helpProcedure));
    PumpMessages();
    GetSymbol("DLGEVENT", event, limit);
}

void CloseDialogs(int count) {
    Checked(FKillNDialogs(count));
    PumpMessages();
}

UINT GetSymbol(const char* name, std::span<char> buffer, UINT limit) {
    if (name == nullptr || name[0] == '\0' || buffer.empty())
        FatalStop();
    // The toolkit never writes past the caller's buffer, whatever limit says.
    limit = std::min<UINT>(limit, static_cast<UINT>(buffer.size()));
    const UINT length = CbGetSymbolValue(name, buffer.data(), limit);
    if (length >= limit) {
        buffer[0] = '\0'; // nothing half-read is left behind
        DoMsgBox("Buffer Overflow", "MS-Setup Error", MB_ICONSTOP);
        FatalStop();
    }
    buffer[length] = '\0';
    return length;
}

void SetSymbol(const char* name, const char* value) {
    Checked(FSetSymbolValue(name, value));
}

void AddSymbolItem(const char* name, const char* value) {
    Checked(FAddListItem(name, value));
}

void HandWarningToToolkit(const char* text) {
    // The toolkit logs each item of its warning list at once. A warning that
    // cannot be handed over stays in the trace; it does not stop the run.
    if (Session.FrameMarker > 0 && !FAddListItem(STF_WARNINGS_SYMBOL, text))
        OutputDebugStringA("pstsetup: the toolkit refused the warning above\n");
}

void FatalStop() {
    if (!Session.FatalStopping) {
        Session.FatalStopping = true;
        CloseDialogs(-1);
        std::array<char, 16> event{};
        DialogEvent outcome;
        do {
            RunDialog(kDialogLibraryName, kFatalStopDialog, kInfo0DlgProc, 0, nullptr, event,
                      kEventLimit);
            outcome = ClassifyDialogEvent(event.data());
        } while (outcome != DialogEvent::Continue && outcome != DialogEvent::Cancel);
        CloseDialogs(1);
    }
    EndToolkit();
    ExitProcess(0);
}

void EndToolkit() {
    TerminateFrame();
    TerminateInstall();
    ReleaseRegistryLibrary();
}

const char* JoinPath(const char* directory, const char* file) {
    static std::array<char, 2 * MAX_PATH> joined;
    postern::FormatText(joined, "%s%s", directory, file);
    return joined.data();
}

HWND FrameWindow() {
    return HwndFrame();
}

void SetFrameBitmap(const char* library, UINT bitmapNumber) {
    Checked(FSetBitmap(library, bitmapNumber));
}

void SetFrameTitle(const char* title) {
    SetWindowTextA(HwndFrame(), title);
}

void OpenInf(const char* path) {
    Checked(FOpenInf(path, TRUE, FALSE));
}

HCURSOR ShowWaitCursor() {
    return HShowWaitCursor();
}

void RestoreCursor(HCURSOR previous) {
    Checked(FRestoreCursor(previous));
}

void ClearCopyList() {
    ResetCopyList();
}

void AddSectionToCopyList(const char* section, const char* source, const char* destination) {
    Checked(FAddSectionFilesToCopyList(section, source, destination));
}

void CopyFilesInCopyList() {
    // Zero or below: copied. 48 (the operator quit) and every error code stop.
    if (GrcCopyFilesInCopyList(HinstFrame()) > 0)
        FatalStop();
}

void RemoveFile(const char* path, int option) {
    Checked(YnrcRemoveFile(path, option));
}

void AddBillboard(const char* library, UINT number, const char* procedure, LONG ticks) {
    Checked(FAddToBillboardList(library, number, procedure, ticks));
}

void PlaceGauge(int x, int y) {
    ProSetPos(x, y);
}

void CreateProgramGroup(const char* group, const char* path, int option) {
    Checked(FCreateProgManGroup(group, path, option));
}

void ShowProgramGroup(const char* group, int showCommand, int option) {
    std::array<char, 16> command;
    postern::FormatText(command, "%d", showCommand);
    Checked(FShowProgManGroup(group, command.data(), option));
}

void CreateProgramItem(const char* group, const char* caption, const char* commandLine,
                       int option) {
    // A failing item is left out; the rest of the group is still created.
    FCreateProgManItem(group, caption, commandLine, option);
}

bool IsValidDirectory(const char* path) {
    return FValidDir(path) != FALSE;
}
