// Edit dialogs (destination directory, mail host name): the field starts from
// EditTextIn with the caret placed as EditFocus says, and every button but
// Help stores the field in EditTextOut before it reports. Shown again, the
// field keeps what the operator typed unless EditTextIn has been given a new
// value since (so a refused entry can be corrected rather than retyped).
#include "dialog_common.h"
#include "dialog_procs.h"

#include "setup_toolkit.h"
#include "toolkit_dialogs.h"

#include <array>
#include <new>

namespace {

constexpr int kMaxEditText = 254;
using EditText = std::array<char, kMaxEditText + 1>;

// Each edit dialog's own state, in its DWLP_USER from WM_INITDIALOG to
// WM_DESTROY: the EditTextIn its field was last filled from.
struct EditState {
    EditText filledFrom{};
};

EditState* StateOf(HWND dialog) {
    return reinterpret_cast<EditState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// Without memory for its state the dialog still works; a refresh then always
// fills the field anew.
void AttachState(HWND dialog) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(new (std::nothrow) EditState));
}

void DetachState(HWND dialog) {
    delete StateOf(dialog);
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
}

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

// Fills the field from the symbols (on a refresh only when EditTextIn is new);
// the caret is placed after the focus moves there, since focusing an edit
// field by the dialog manager selects it all.
INT_PTR LoadField(HWND dialog, bool refresh) {
    HWND field = GetDlgItem(dialog, IDC_EDITFIELD);
    if (field == nullptr)
        return TRUE;
    EditText text{};
    CbGetSymbolValue("EditTextIn", text.data(), static_cast<UINT>(text.size()));
    EditState* state = StateOf(dialog);
    const bool keepTyped =
        refresh && state != nullptr && lstrcmpA(state->filledFrom.data(), text.data()) == 0;
    SendMessageA(field, EM_LIMITTEXT, kMaxEditText, 0);
    if (!keepTyped) {
        SetWindowTextA(field, text.data());
        if (state != nullptr)
            state->filledFrom = text;
    }
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
        AttachState(dialog);
        dlg::ApplyHeadingFont(dialog);
        return LoadField(dialog, false);
    case WM_STF_REFRESH:
        LoadField(dialog, true);
        return TRUE;
    case WM_DESTROY:
        DetachState(dialog);
        return FALSE;
    case WM_COMMAND:
        return dlg::HandleButton(dialog, wParam, StoreField);
    default:
        return FALSE;
    }
}
