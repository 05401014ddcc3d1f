// The trace window: an edit control that receives one line per step of a
// transaction.
#pragma once

#include <windows.h>

namespace pager {

// Appends text, expanded for display, at the end of the control's text. A null
// handle or one that names no window turns the trace off.
void TraceText(HWND window, const char* text);

} // namespace pager
