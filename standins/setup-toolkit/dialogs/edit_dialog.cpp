// Edit dialogs (destination directory, mail host name): the field starts from
// EditTextIn with the caret placed as EditFocus says, and every button but
// Help stores the field in EditTextOut before it reports.
#include "dialog_common.h"
#include "dialog_procs.h"

#include "setup_toolkit.h"
#include "toolkit_dialogs.h"

#include <array>

namespace {

constexpr int kMaxEditText = 254;
using EditText = std::array<char, kMaxEditText + 1>;

void PlaceCaret(HWND field) {
    std::array<char, 16> focus{};
    CbGetSymbolValue("EditFocus", focus.data(), static_cast<UINT>(focus.size()));
    const auto length = static_cast<LPARAM>(GetWindowTextLengthA(field));
    if (lstrcmpiA(focus.data(), "ALL") == 0)
        SendMessageA(field, EM_SETSEL, 0, -1);
    else if (lstrcmpiA(focus.data(), "START") == 0)
        SendMessageA(field, EM_SETSEL, 0, 0);
    else // "END", and the default
        SendMessageA(field, EM_SETSEL, static_cast<WPARAM>(length), length);
}

// Fills the field from the symbols; the caret is placed after the focus moves
// there, since focusing an edit field by the dialog manager selects it all.
INT_PTR LoadField(HWND dialog) {
    HWND field = GetDlgItem(dialog, IDC_EDITFIELD);
    if (field == nullptr)
        return TRUE;
    EditText text{};
    CbGetSymbolValue("EditTextIn", text.data(), static_cast<UINT>(text.size()));
    SendMessageA(field, EM_LIMITTEXT, kMaxEditText, 0);
    SetWindowTextA(field, text.data());
    SetFocus(field);
    PlaceCaret(field);
    return FALSE;
}

void StoreField(HWND dialog) {
    EditText text{};
    GetDlgItemTextA(dialog, IDC_EDITFIELD, text.data(), static_cast<int>(text.size()));
    dlg::StoreSymbol("EditTextOut", text.data());
}

} // namespace

extern "C" INT_PTR CALLBACK FEditDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        dlg::ApplyHeadingFont(dialog);
        return LoadField(dialog);
    case WM_STF_REFRESH:
        LoadField(dialog);
        return TRUE;
    case WM_COMMAND:
        return dlg::HandleButton(dialog, wParam, StoreField);
    default:
        return FALSE;
    }
}
