// The debug log; see log_window.h.
#include "monitor/log_window.h"

#include "common/unique_handle.h"
#include "monitor/debug_trace.h"
#include "monitor/monitor_reader.h"
#include "monitor/res/pstview_rc.h"
#include "monitor/snapshot_dump.h"

#include <algorithm>

namespace monitor {

HWND LogEdit = nullptr;

namespace {

// The template places Clear Log 7 dialog units left of OK (213 + 50 to 270).
constexpr int kButtonGapUnits = 7;

void AppendDumpLine(void* edit, const char* line) {
    AppendLogText(static_cast<HWND>(edit), line);
}

// The log is modeless under the panel's modal loop, which gives only the panel
// the dialog keys. While the log is open, a message filter on the thread passes
// the log's own messages to IsDialogMessage for it: Tab and Shift+Tab move
// between its controls, Enter presses OK (Return in the edit control inserts a
// line break), Escape closes it. The modal loop calls the filter from its own
// IsDialogMessage; the flag keeps the call made here from coming back in.
postern::UniqueHook LogKeyboardHook;
HWND LogWindowForKeys = nullptr;
bool InLogKeys = false;

LRESULT CALLBACK LogKeyboardFilter(int code, WPARAM wParam, LPARAM lParam) {
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (code >= 0 && !InLogKeys && msg != nullptr && LogWindowForKeys != nullptr &&
        (msg->hwnd == LogWindowForKeys || IsChild(LogWindowForKeys, msg->hwnd))) {
        InLogKeys = true;
        const BOOL handled = IsDialogMessageA(LogWindowForKeys, msg);
        InLogKeys = false;
        if (handled)
            return TRUE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void StartLogKeys(HWND log) {
    LogWindowForKeys = log;
    if (!LogKeyboardHook)
        LogKeyboardHook.reset(
            SetWindowsHookExA(WH_MSGFILTER, LogKeyboardFilter, nullptr, GetCurrentThreadId()));
    if (!LogKeyboardHook)
        TraceFailure("no keyboard filter for the debug log (error %lu)", GetLastError());
}

void StopLogKeys(HWND log) {
    if (LogWindowForKeys != log)
        return;
    LogWindowForKeys = nullptr;
    LogKeyboardHook.reset();
}

} // namespace

void ShowLogWindow(HWND panel, HINSTANCE instance) {
    if (LogEdit != nullptr && IsWindow(LogEdit)) {
        SetFocus(LogEdit);
        return;
    }
    LogEdit = nullptr;
    if (CreateDialogParamA(instance, "DLG_LOG", panel, LogDialogProc, 0) == nullptr)
        TraceFailure("the debug log DLG_LOG could not be created (error %lu)", GetLastError());
}

INT_PTR CALLBACK LogDialogProc(HWND log, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(log, "Debug log");
        LogEdit = GetDlgItem(log, IDC_LOGEDIT);
        SendMessageA(LogEdit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)),
                     FALSE);
        StartLogKeys(log);
        PostMessageA(log, WM_COMMAND, IDM_DUMPLOG, 0);
        return TRUE;
    case WM_SIZE:
        LayoutLogWindow(log);
        return FALSE;
    case WM_DESTROY:
        StopLogKeys(log);
        if (LogEdit != nullptr && GetParent(LogEdit) == log)
            LogEdit = nullptr;
        return FALSE;
    case WM_COMMAND:
        // The whole parameter: notification code 0 (a click, Escape) only.
        switch (wParam) {
        case IDC_CLEARLOG: {
            HWND edit = GetDlgItem(log, IDC_LOGEDIT);
            SetWindowTextA(edit, "");
            DumpSnapshot(edit);
            UpdateWindow(edit);
            return TRUE;
        }
        case IDOK:
        case IDCANCEL:
            LogEdit = nullptr;
            DestroyWindow(log);
            return TRUE;
        case IDM_DUMPLOG:
            DumpSnapshot(GetDlgItem(log, IDC_LOGEDIT));
            return FALSE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

// The edit control is hidden while the lines go in: a visible multi-line edit
// control with scroll bars updates them after every append, which under Wine
// made a dump of some 150 lines take two seconds (turning redraw off did not
// help). Shown again at the end, with the focus back if it had it; the dump
// runs inside one message, so nobody sees it hidden.
void DumpSnapshot(HWND edit) {
    if (edit == nullptr || !IsWindow(edit))
        return;
    const bool shown = IsWindowVisible(edit) != FALSE;
    const bool focused = GetFocus() == edit;
    if (shown)
        ShowWindow(edit, SW_HIDE);
    WriteSnapshotLines(MonitorImage, AppendDumpLine, edit);
    if (shown)
        ShowWindow(edit, SW_SHOWNA);
    if (focused)
        SetFocus(edit);
}

void AppendLogText(HWND edit, const char* text) {
    if (edit == nullptr || text == nullptr || !IsWindow(edit) || text[0] == '\0')
        return;
    const LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
    SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}

void LayoutLogWindow(HWND log) {
    HWND ok = GetDlgItem(log, IDOK);
    HWND clear = GetDlgItem(log, IDC_CLEARLOG);
    HWND edit = GetDlgItem(log, IDC_LOGEDIT);
    // The first size change comes while the window is created, before its controls.
    if (ok == nullptr || clear == nullptr || edit == nullptr)
        return;
    RECT client{};
    RECT button{};
    RECT editRect{};
    GetClientRect(log, &client);
    GetWindowRect(ok, &button);
    GetWindowRect(edit, &editRect);
    const int w = button.right - button.left;
    const int h = button.bottom - button.top;
    const int m = h / 2;
    const int x = client.right - w - m;
    RECT gap{0, 0, kButtonGapUnits, 0};
    MapDialogRect(log, &gap);

    MoveWindow(clear, x - w - gap.right, m, w, h, FALSE);
    MoveWindow(ok, x, m, w, h, FALSE);
    POINT corner{editRect.left, editRect.top};
    ScreenToClient(log, &corner);
    MoveWindow(edit, corner.x, corner.y, std::max(0L, client.right - 2 * corner.x),
               std::max(0L, client.bottom - corner.y - corner.x), FALSE);
    InvalidateRect(log, nullptr, TRUE);
}

} // namespace monitor
