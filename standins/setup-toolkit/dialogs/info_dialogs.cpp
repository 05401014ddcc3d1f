// Information dialogs and the quit confirmation: nothing to read or store,
// each button reports its event word.
#include "dialog_common.h"
#include "dialog_procs.h"

#include "toolkit_dialogs.h"

namespace {

INT_PTR InfoProcedure(HWND dialog, UINT message, WPARAM wParam) {
    switch (message) {
    case WM_INITDIALOG:
        dlg::ApplyHeadingFont(dialog);
        return dlg::FocusControl(dialog, IDC_CONTINUE);
    case WM_STF_REFRESH:
        dlg::FocusControl(dialog, IDC_CONTINUE);
        return TRUE;
    case WM_COMMAND:
        return dlg::HandleButton(dialog, wParam, nullptr);
    default:
        return FALSE;
    }
}

} // namespace

extern "C" INT_PTR CALLBACK FInfoDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return InfoProcedure(dialog, message, wParam);
}

// Same buttons; these templates simply have no Help button.
extern "C" INT_PTR CALLBACK FInfo0DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return InfoProcedure(dialog, message, wParam);
}

// Continue (back to setup), Exit Setup, and Escape as Cancel.
extern "C" INT_PTR CALLBACK FQuitDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return InfoProcedure(dialog, message, wParam);
}
