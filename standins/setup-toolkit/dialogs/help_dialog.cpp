// The help dialog: shown modally by the toolkit (FShowDialogHelp), closed by
// OK or Escape. It reports no event.
#include "dialog_common.h"
#include "dialog_procs.h"

extern "C" INT_PTR CALLBACK FHelpDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        dlg::ApplyHeadingFont(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
