// SetupMONITOR: the dialog in which the operator sets the poll period of the
// monitor service and of the monitor window, PollTime in section "options" of
// the profile file "watchsvc.exe" (in the Windows directory).
#include "standins/applet/module_instance.h"
#include "standins/applet/poll_time.h"
#include "standins/applet/res/applet_rc.h"

#include "common/bounded_format.h"

using namespace applet;

namespace {

constexpr char kProfile[] = "watchsvc.exe";
constexpr char kSection[] = "options";
constexpr char kKey[] = "PollTime";
constexpr char kCaption[] = "Postern Monitor Setup";
constexpr int kDigitsLimit = 5; // kMaxPollSeconds has five digits

void ShowPollTime(HWND dialog) {
    const UINT seconds = GetPrivateProfileIntA(kSection, kKey, kDefaultPollSeconds, kProfile);
    SetDlgItemInt(dialog, IDC_POLLTIME, seconds, FALSE);
    SendDlgItemMessageA(dialog, IDC_POLLTIME, EM_LIMITTEXT, kDigitsLimit, 0);
}

void SelectPollTime(HWND dialog) {
    HWND edit = GetDlgItem(dialog, IDC_POLLTIME);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
}

// Stores the typed poll time; false (after telling the operator why) when it is
// not valid or cannot be stored, so the dialog stays open.
bool StorePollTime(HWND dialog) {
    char typed[32] = "";
    GetDlgItemTextA(dialog, IDC_POLLTIME, typed, sizeof typed);
    unsigned seconds = 0;
    if (!ParsePollSeconds(typed, seconds)) {
        char message[160];
        postern::FormatText(message,
                            "The poll time must be a whole number of seconds from %u to %u.",
                            kMinPollSeconds, kMaxPollSeconds);
        MessageBoxA(dialog, message, kCaption, MB_OK | MB_ICONEXCLAMATION);
        SelectPollTime(dialog);
        return false;
    }
    char value[16];
    postern::FormatText(value, "%u", seconds);
    if (!WritePrivateProfileStringA(kSection, kKey, value, kProfile)) {
        char message[160];
        postern::FormatText(message, "The poll time could not be saved in %s (error %lu).",
                            kProfile, GetLastError());
        MessageBoxA(dialog, message, kCaption, MB_OK | MB_ICONSTOP);
        return false;
    }
    return true;
}

INT_PTR CALLBACK MonitorDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        ShowPollTime(dialog);
        SelectPollTime(dialog);
        return FALSE; // the focus is set
    case WM_COMMAND: {
        const WORD id = LOWORD(wParam);
        if (id != IDOK && id != IDCANCEL)
            return FALSE;
        if (id == IDOK && !StorePollTime(dialog))
            return TRUE;
        EndDialog(dialog, id);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

} // namespace

// Returns 1 when the operator stored a poll time with OK, 0 on Cancel (nothing
// changes) or when the dialog cannot be shown (after saying so).
extern "C" int WINAPI SetupMONITOR(HWND owner) {
    SetLastError(0);
    const INT_PTR result =
        DialogBoxParamA(ModuleInstance, "DLG_MONITOR", owner, MonitorDialogProc, 0);
    if (result == -1 || result == 0) {
        char message[128];
        postern::FormatText(message, "The monitor setup dialog could not be shown (error %lu).",
                            GetLastError());
        MessageBoxA(owner, message, kCaption, MB_OK | MB_ICONSTOP);
        return 0;
    }
    return result == IDOK ? 1 : 0;
}
