// /record: the users an operator adds through the installer's add-user wizard
// become [Users] entries of the record. The toolkit watches the wizard's
// dialogs from outside: which button ended each one, what its field held
// when it closed, and whether a message box (a duplicate) or the question
// again followed the password. Only a user the wizard went on from to its
// question without a message is recorded.
#include <windows.h>

#include <string>

#include "run_state.h"
#include "toolkit_core.h"
#include "wizard_dialogs.h"

namespace stf {

void ObserveActivated(HWND window) {
    if (!Recording())
        return;
    WizardRecordState& watch = g_run.wizardRecord;
    // The wizard's dialogs are told apart first: an unnumbered static text
    // of theirs has the id of a message box's text.
    const WizardDialog dialog = WizardDialogOf(window);
    if (dialog == WizardDialog::None) {
        // After the password a message box means the user was not added.
        if (IsMessageBox(window) && watch.stage == RecordStage::Complete) {
            LogLine("record: %s is not recorded: the wizard answered with a message",
                    watch.userId.c_str());
            watch.stage = RecordStage::None;
        }
        return;
    }
    if (dialog == WizardDialog::AddMore && watch.stage == RecordStage::Complete) {
        RecordUser(watch.userId, watch.fullName, watch.password);
        watch.stage = RecordStage::None;
    }
    if (window != watch.window) {
        watch.window = window;
        watch.dialog = dialog;
        watch.command = 0;
    }
}

void ObserveCommand(HWND window, UINT message, WPARAM wParam) {
    WizardRecordState& watch = g_run.wizardRecord;
    if (window == nullptr || window != watch.window)
        return;
    if (message == WM_CLOSE) {
        watch.command = kWizardSecondButton;
    } else if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
               (LOWORD(wParam) == kWizardFirstButton || LOWORD(wParam) == kWizardSecondButton)) {
        watch.command = LOWORD(wParam);
    }
}

void ObserveDestroyed(HWND window) {
    WizardRecordState& watch = g_run.wizardRecord;
    if (window == nullptr || window != watch.window)
        return;
    const bool ok = watch.command == kWizardFirstButton;
    switch (watch.dialog) {
    case WizardDialog::UserId:
        watch.stage = ok ? RecordStage::UserId : RecordStage::None;
        if (ok)
            watch.userId = WizardFieldText(window);
        break;
    case WizardDialog::FullName:
        watch.stage =
            ok && watch.stage == RecordStage::UserId ? RecordStage::FullName : RecordStage::None;
        if (watch.stage == RecordStage::FullName)
            watch.fullName = WizardFieldText(window);
        break;
    case WizardDialog::Password:
        watch.stage =
            ok && watch.stage == RecordStage::FullName ? RecordStage::Complete : RecordStage::None;
        if (watch.stage == RecordStage::Complete)
            watch.password = WizardFieldText(window);
        break;
    case WizardDialog::AddMore:
    case WizardDialog::None:
        break;
    }
    watch.window = nullptr;
    watch.dialog = WizardDialog::None;
    watch.command = 0;
}

} // namespace stf
