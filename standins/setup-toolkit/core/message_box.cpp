// DoMsgBox and the message box log line. In an unattended run the box is
// answered by the thread hook (unattended.cpp), which writes its line.
#include <windows.h>

#include "setup_toolkit.h"
#include "toolkit_core.h"

namespace stf {

const char* ButtonName(int id) {
    switch (id) {
    case IDOK:
        return "OK";
    case IDCANCEL:
        return "Cancel";
    case IDABORT:
        return "Abort";
    case IDRETRY:
        return "Retry";
    case IDIGNORE:
        return "Ignore";
    case IDYES:
        return "Yes";
    case IDNO:
        return "No";
    case IDCLOSE:
        return "Close";
    case IDHELP:
        return "Help";
    case IDTRYAGAIN:
        return "Try Again";
    case IDCONTINUE:
        return "Continue";
    default:
        return "(none)";
    }
}

int DefaultButton(UINT type) {
    static constexpr int kButtons[][3] = {
        {IDOK, 0, 0},                      // MB_OK
        {IDOK, IDCANCEL, 0},               // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE},      // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},           // MB_YESNOCANCEL
        {IDYES, IDNO, 0},                  // MB_YESNO
        {IDRETRY, IDCANCEL, 0},            // MB_RETRYCANCEL
        {IDCANCEL, IDTRYAGAIN, IDCONTINUE} // MB_CANCELTRYCONTINUE
    };
    const UINT set = type & MB_TYPEMASK;
    if (set >= sizeof kButtons / sizeof kButtons[0])
        return IDOK;
    const UINT which = (type & MB_DEFMASK) >> 8; // 0, 1, 2 (MB_DEFBUTTON1..3)
    const int button = which < 3 ? kButtons[set][which] : 0;
    return button != 0 ? button : kButtons[set][0];
}

void LogMessageBox(const char* caption, const char* text, int button, bool failure) {
    LogLine("message box \"%s\": %s -> %s", caption ? caption : "", text ? text : "",
            ButtonName(button));
    NoteMessageBoxCause(text ? text : "", failure);
}

} // namespace stf

using namespace stf;

extern "C" int WINAPI DoMsgBox(LPCSTR text, LPCSTR caption, UINT type) {
    const bool failure = (type & MB_ICONMASK) == MB_ICONHAND;
    if (Unattended()) {
        // The hook answers the box with its default button and logs it; the
        // error icon still makes the text the run's failure.
        const int button = MessageBoxA(FrameWindow(), text, caption, type);
        if (failure)
            NoteMessageBoxCause(text ? text : "", true);
        return button;
    }
    const int button = MessageBoxA(FrameWindow(), text, caption, type);
    if (button == 0) {
        NoteFailure("DoMsgBox: the message box could not be shown (error %lu)", GetLastError());
        return 0;
    }
    LogMessageBox(caption, text, button, failure);
    return button;
}
