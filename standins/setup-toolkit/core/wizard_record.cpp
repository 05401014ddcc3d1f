// /record: the users an operator adds through the installer's add-user wizard
// become [Users] entries of the record. The toolkit watches the wizard's
// dialogs from outside: which button ended each one, what its field held
// when it closed, and whether a message box (a duplicate) or the question
// again followed the password. Only a user the wizard went on from to its
// question without a message is recorded.
#include <windows.h>

#include <string>

#include "toolkit_core.h"
#include "wizard_dialogs.h"

namespace stf {

namespace {

// How far the user being added has come.
enum class Stage { None, UserId, FullName, Complete };

// The wizard dialog shown last and the button that ended it (0: none yet).
HWND g_window = nullptr;
WizardDialog g_dialog = WizardDialog::None;
int g_command = 0;

Stage g_stage = Stage::None;
std::string g_userId;
std::string g_fullName;
std::string g_password;

} // namespace

void ObserveActivated(HWND window) {
    if (!Recording())
        return;
    // The wizard's dialogs are told apart first: an unnumbered static text
    // of theirs has the id of a message box's text.
    const WizardDialog dialog = WizardDialogOf(window);
    if (dialog == WizardDialog::None) {
        // After the password a message box means the user was not added.
        if (IsMessageBox(window) && g_stage == Stage::Complete) {
            LogLine("record: %s is not recorded: the wizard answered with a message",
                    g_userId.c_str());
            g_stage = Stage::None;
        }
        return;
    }
    if (dialog == WizardDialog::AddMore && g_stage == Stage::Complete) {
        RecordUser(g_userId, g_fullName, g_password);
        g_stage = Stage::None;
    }
    if (window != g_window) {
        g_window = window;
        g_dialog = dialog;
        g_command = 0;
    }
}

void ObserveCommand(HWND window, UINT message, WPARAM wParam) {
    if (window == nullptr || window != g_window)
        return;
    if (message == WM_CLOSE) {
        g_command = kWizardSecondButton;
    } else if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
               (LOWORD(wParam) == kWizardFirstButton || LOWORD(wParam) == kWizardSecondButton)) {
        g_command = LOWORD(wParam);
    }
}

void ObserveDestroyed(HWND window) {
    if (window == nullptr || window != g_window)
        return;
    const bool ok = g_command == kWizardFirstButton;
    switch (g_dialog) {
    case WizardDialog::UserId:
        g_stage = ok ? Stage::UserId : Stage::None;
        if (ok)
            g_userId = WizardFieldText(window);
        break;
    case WizardDialog::FullName:
        g_stage = ok && g_stage == Stage::UserId ? Stage::FullName : Stage::None;
        if (g_stage == Stage::FullName)
            g_fullName = WizardFieldText(window);
        break;
    case WizardDialog::Password:
        g_stage = ok && g_stage == Stage::FullName ? Stage::Complete : Stage::None;
        if (g_stage == Stage::Complete)
            g_password = WizardFieldText(window);
        break;
    case WizardDialog::AddMore:
    case WizardDialog::None:
        break;
    }
    g_window = nullptr;
    g_dialog = WizardDialog::None;
    g_command = 0;
}

void ResetWizardRecord() {
    g_window = nullptr;
    g_dialog = WizardDialog::None;
    g_command = 0;
    g_stage = Stage::None;
    g_userId.clear();
    g_fullName.clear();
    g_password.clear();
}

} // namespace stf
