// Appending trace lines to the caller's edit control.
#include "pager/trace_window.h"

#include "pager/trace_expand.h"

namespace pager {

void TraceText(HWND window, const char* text) {
    if (window == nullptr || !IsWindow(window))
        return;
    TraceLine line;
    ExpandTraceText(text, line);
    // Caret to the end, then insert: the text already there stays.
    const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    SendMessageA(window, EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessageA(window, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.data()));
}

} // namespace pager
