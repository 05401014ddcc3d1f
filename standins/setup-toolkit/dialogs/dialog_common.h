// What the dialog procedures of mscuistf.dll share: the mapping from a button
// to the event word reported to the toolkit, symbol storage, the bold heading
// and keyboard focus.
#pragma once

#include <windows.h>

namespace dlg {

// Handles WM_COMMAND for a dialog that reports to the toolkit: Continue, Back,
// Exit and Cancel (Escape, the close box) report their event word after
// beforeReport(dialog) has stored the dialog's result; Help shows the help
// dialog. Returns TRUE when the command was one of these buttons.
using StoreResult = void (*)(HWND dialog);
INT_PTR HandleButton(HWND dialog, WPARAM wParam, StoreResult beforeReport);

// The event word of a button, or null when the control is not a button that
// ends the dialog's turn.
const char* EventWordOf(int controlId);

// Sets a toolkit symbol; a refusal is written to the debugger output, since
// the value the installer reads would be stale.
void StoreSymbol(const char* name, const char* value);

// Shows the heading controls a template has (IDC_HEADING, IDC_SUBHEADING) in
// bold, one point larger than the text.
void ApplyHeadingFont(HWND dialog);

// Moves the keyboard focus to a control. Returns FALSE, the WM_INITDIALOG
// result that keeps this focus.
INT_PTR FocusControl(HWND dialog, int controlId);

} // namespace dlg
