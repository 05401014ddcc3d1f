// Billboards and work dialogs: they report Continue while they are created
// (and when they are asked for again while still open), so FDoDialogExt
// returns at once, and stay up until the toolkit closes them.
#include "dialog_common.h"
#include "dialog_procs.h"

#include "setup_toolkit.h"
#include "toolkit_dialogs.h"

extern "C" INT_PTR CALLBACK FModelessDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        dlg::ApplyHeadingFont(dialog);
        ReportDialogEvent(dialog, STF_EVENT_CONTINUE);
        return TRUE;
    case WM_STF_REFRESH:
        ReportDialogEvent(dialog, STF_EVENT_CONTINUE);
        return TRUE;
    case WM_CLOSE: // neither the close box nor Escape takes them down
        return TRUE;
    case WM_COMMAND:
        return LOWORD(wParam) == IDCANCEL ? TRUE : FALSE;
    default:
        return FALSE;
    }
}
