// The debug log, DLG_LOG: a resizable modeless window owned by the panel whose
// edit control shows the whole image as text (see snapshot_dump.h). It is
// filled when it opens and again on Clear Log; polls do not touch it.
#pragma once

#include <windows.h>

namespace monitor {

// The log's edit control while the log is open, null otherwise.
extern HWND LogEdit;

// Focuses the log's edit control when the log is open; otherwise opens the log.
void ShowLogWindow(HWND panel, HINSTANCE instance);

INT_PTR CALLBACK LogDialogProc(HWND log, UINT message, WPARAM wParam, LPARAM lParam);

// Appends the image's dump to edit, one line at a time.
void DumpSnapshot(HWND edit);

// Appends text at the end of the edit control's text. Nothing happens for a
// missing or destroyed control or a missing or empty text.
void AppendLogText(HWND edit, const char* text);

// After a size change: both buttons at the top right, half a button height from
// the top and the right, side by side as the template has them; the edit
// control fills the rest with equal left, right and bottom margins.
void LayoutLogWindow(HWND log);

} // namespace monitor
