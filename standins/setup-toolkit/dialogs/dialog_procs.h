// The dialog procedures that mscuistf.dll exports by name (mscuistf.def); the
// toolkit finds them with GetProcAddress and the tests call them the same way.
#pragma once

#include <windows.h>

extern "C" {
// Information dialogs: Continue, Back, Exit Setup, Escape and Help.
INT_PTR CALLBACK FInfoDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Information dialogs without help (the fatal stop, refused input).
INT_PTR CALLBACK FInfo0DlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The quit confirmation: Continue returns to setup, Exit Setup stops it.
INT_PTR CALLBACK FQuitDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// One edit field: EditTextIn / EditFocus in, EditTextOut out.
INT_PTR CALLBACK FEditDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Radio options: RadioDefault / OptionsGreyed in, ButtonChecked out.
INT_PTR CALLBACK FRadioDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The help dialog the toolkit shows with DialogBoxParamA; reports nothing.
INT_PTR CALLBACK FHelpDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Billboards and work dialogs: report Continue at once and stay up.
INT_PTR CALLBACK FModelessDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
}
