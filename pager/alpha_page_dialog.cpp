// The interactive send dialog: the operator types a message and sends it as an
// alphanumeric page; the message field shows the modem conversation meanwhile.
#include "pager/pagelink.h"

#include "pager/module_instance.h"
#include "pager/page_settings.h"
#include "pager/res/pagelink_rc.h"

#include <array>

using namespace pager;

namespace {

// Dialog read sizes, terminating zero included.
constexpr int kTerminalRead = 25;
constexpr int kPagerIdRead = 15;
constexpr int kPasswordRead = 15;
constexpr int kInitRead = 75;
constexpr int kMessageRead = 200;

PageSettings Settings;

void FillControls(HWND dialog) {
    SetDlgItemInt(dialog, IDC_PORT, Settings.port, FALSE);
    SetDlgItemTextA(dialog, IDC_TERMINAL, Settings.terminal.data());
    SetDlgItemTextA(dialog, IDC_PASSWORD, Settings.password.data());
    SetDlgItemTextA(dialog, IDC_INITSTRING, Settings.initString.data());
    SetDlgItemTextA(dialog, IDC_PAGERID, Settings.pagerId.data());
    CheckDlgButton(dialog, IDC_BAUD300, Baud300 ? BST_CHECKED : BST_UNCHECKED);
}

void ReadControls(HWND dialog, std::array<char, kMessageRead>& message) {
    // Text that is not a number gives port 0, which then fails to open.
    Settings.port = GetDlgItemInt(dialog, IDC_PORT, nullptr, FALSE);
    Baud300 = IsDlgButtonChecked(dialog, IDC_BAUD300) == BST_CHECKED;
    GetDlgItemTextA(dialog, IDC_INITSTRING, Settings.initString.data(), kInitRead);
    GetDlgItemTextA(dialog, IDC_TERMINAL, Settings.terminal.data(), kTerminalRead);
    GetDlgItemTextA(dialog, IDC_PASSWORD, Settings.password.data(), kPasswordRead);
    GetDlgItemTextA(dialog, IDC_PAGERID, Settings.pagerId.data(), kPagerIdRead);
    GetDlgItemTextA(dialog, IDC_MESSAGE, message.data(), kMessageRead);
}

// The typed message back in its field (the trace goes), caret at the end.
void RestoreMessage(HWND dialog, const char* message) {
    HWND field = GetDlgItem(dialog, IDC_MESSAGE);
    SetWindowTextA(field, message);
    const LRESULT length = SendMessageA(field, WM_GETTEXTLENGTH, 0, 0);
    SendMessageA(field, EM_SETSEL, static_cast<WPARAM>(length), length);
    SetFocus(field);
}

void SendTypedMessage(HWND dialog) {
    std::array<char, kMessageRead> message{};
    ReadControls(dialog, message);
    StorePageSettings(Settings);
    HWND trace = GetDlgItem(dialog, IDC_MESSAGE);
    for (;;) {
        const int sent = SendAlphaMessage(trace, Settings.initString.data(),
                                          Settings.terminal.data(), Settings.pagerId.data(),
                                          message.data(), Settings.port, Baud300 ? 0 : 1);
        if (sent) {
            MessageBoxA(dialog, "Message sent successfully", "Alpha Pager", MB_OK);
            break;
        }
        if (MessageBoxA(dialog, "Message transmission failed.", "Alpha Pager",
                        MB_RETRYCANCEL | MB_ICONERROR) != IDRETRY)
            break;
    }
    RestoreMessage(dialog, message.data());
}

INT_PTR CALLBACK AlphaPageDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        LoadPageSettings(Settings);
        FillControls(dialog);
        SetFocus(GetDlgItem(dialog, IDC_MESSAGE));
        return FALSE; // the focus is set
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        case IDOK:
            SendTypedMessage(dialog);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

} // namespace

extern "C" INT_PTR WINAPI CreateSendAlphaMessage(HWND parent) {
    return DialogBoxParamA(ModuleInstance, "DLG_ALPHAPAGE", parent, AlphaPageDialogProc, 0);
}
