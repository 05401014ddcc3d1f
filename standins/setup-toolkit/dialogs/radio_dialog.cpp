// Radio dialogs (installation type, user database): option n is control
// IDC_OPTION1 + n - 1 with digit n. RadioDefault names the preset option,
// OptionsGreyed lists options shown unavailable, and every button but Help
// stores the checked option's digit in ButtonChecked before it reports.
#include "dialog_common.h"
#include "dialog_procs.h"

#include "res/mscuistf_rc.h"
#include "setup_toolkit.h"
#include "toolkit_dialogs.h"

#include <array>

namespace {

constexpr int kOptionCount = IDC_OPTIONMAX - IDC_OPTION1 + 1;

// The option digit a one-character text names, or 0.
int DigitOf(const char* text) {
    if (text[0] >= '1' && text[0] <= '9' && text[1] == '\0')
        return text[0] - '0';
    return 0;
}

// greyed[n] for n = 1..9; list items that are not a single digit are ignored.
std::array<bool, kOptionCount + 1> GreyedOptions() {
    std::array<bool, kOptionCount + 1> greyed{};
    const UINT count = UsGetListLength("OptionsGreyed");
    for (UINT index = 1; index <= count; ++index) {
        std::array<char, 8> item{};
        CbGetListItem("OptionsGreyed", index, item.data(), static_cast<UINT>(item.size()));
        if (const int digit = DigitOf(item.data()); digit != 0)
            greyed[digit] = true;
    }
    return greyed;
}

// The checked option is the group's tab stop, so Tab reaches the group even
// when its first option is greyed.
void SetTabStop(HWND option, bool on) {
    const LONG_PTR style = GetWindowLongPtrA(option, GWL_STYLE);
    SetWindowLongPtrA(option, GWL_STYLE,
                      on ? (style | WS_TABSTOP) : (style & ~LONG_PTR{WS_TABSTOP}));
}

// Enables the available options, checks RadioDefault's option (or the first
// available one when it names none that can be chosen) and focuses it.
INT_PTR LoadOptions(HWND dialog) {
    std::array<char, 8> preset{};
    CbGetSymbolValue("RadioDefault", preset.data(), static_cast<UINT>(preset.size()));
    const int wanted = DigitOf(preset.data());
    const auto greyed = GreyedOptions();

    int chosen = 0;
    int firstAvailable = 0;
    for (int digit = 1; digit <= kOptionCount; ++digit) {
        HWND option = GetDlgItem(dialog, IDC_OPTION1 + digit - 1);
        if (option == nullptr)
            continue;
        EnableWindow(option, !greyed[digit]);
        if (HWND note = GetDlgItem(dialog, IDC_OPTIONNOTE1 + digit - 1); note != nullptr)
            EnableWindow(note, !greyed[digit]);
        if (greyed[digit])
            continue;
        if (firstAvailable == 0)
            firstAvailable = digit;
        if (digit == wanted)
            chosen = digit;
    }
    if (chosen == 0)
        chosen = firstAvailable;
    for (int digit = 1; digit <= kOptionCount; ++digit) {
        HWND option = GetDlgItem(dialog, IDC_OPTION1 + digit - 1);
        if (option == nullptr)
            continue;
        SendMessageA(option, BM_SETCHECK, digit == chosen ? BST_CHECKED : BST_UNCHECKED, 0);
        SetTabStop(option, digit == chosen);
    }
    return dlg::FocusControl(dialog, chosen != 0 ? IDC_OPTION1 + chosen - 1 : IDC_CONTINUE);
}

void StoreChoice(HWND dialog) {
    std::array<char, 2> digit{};
    for (int n = 1; n <= kOptionCount; ++n) {
        if (IsDlgButtonChecked(dialog, IDC_OPTION1 + n - 1) == BST_CHECKED) {
            digit[0] = static_cast<char>('0' + n);
            break;
        }
    }
    dlg::StoreSymbol("ButtonChecked", digit.data());
}

} // namespace

extern "C" INT_PTR CALLBACK FRadioDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        dlg::ApplyHeadingFont(dialog);
        return LoadOptions(dialog);
    case WM_STF_REFRESH:
        LoadOptions(dialog);
        return TRUE;
    case WM_COMMAND:
        return dlg::HandleButton(dialog, wParam, StoreChoice);
    default:
        return FALSE;
    }
}
