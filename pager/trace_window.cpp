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
    // A control of the calling thread is not painted while the transaction
    // holds the thread (the send dialog's own field): paint the line now so the
    // operator sees each step as it happens. Another thread's control paints
    // when that thread next takes its messages.
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        UpdateWindow(window);
        // A zero wait that takes no message: systems that buffer a window's
        // drawing (Wine among them) show what was just painted when the
        // thread waits, as it would between messages.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
    }
}

} // namespace pager
