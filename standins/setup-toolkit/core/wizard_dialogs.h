// The installer's add-user wizard as the toolkit sees it from outside: its
// four dialogs, told apart by their titles and control ids, their edit field
// and their buttons. Used to answer them in unattended runs
// (wizard_answers.cpp) and to record what an operator added (wizard_record.cpp).
#pragma once

#include <windows.h>

#include <string>

namespace stf {

enum class WizardDialog { None, AddMore, UserId, FullName, Password };

// Control ids of the wizard's dialogs: buttons 1 and 2, the question of
// "Add a user?" and the edit field of the others.
constexpr int kWizardFirstButton = 1;  // Continue; OK
constexpr int kWizardSecondButton = 2; // Add a user; Cancel
constexpr int kWizardQuestion = 1015;
constexpr int kWizardField = 1000;

// Which wizard dialog a top-level window is, or None.
WizardDialog WizardDialogOf(HWND window);
const char* WizardTitle(WizardDialog dialog);
// A message box (its text is the static control 0xFFFF). A dialog's
// unnumbered static has that id too: tell the wizard's dialogs apart first.
bool IsMessageBox(HWND window);

// The edit field's text, cut to the characters the field accepts.
std::string WizardFieldText(HWND dialog);
// The number of characters the edit field accepts.
std::size_t WizardFieldLimit(HWND dialog);
// Replaces the edit field's text (WM_SETTEXT: the field's typing limit does
// not apply, so the dialog's own rules see the whole text).
void TypeIntoWizardField(HWND dialog, const std::string& text);
// Presses a button, as a click does: the command is posted to the dialog.
void PressWizardButton(HWND dialog, int id);

} // namespace stf
