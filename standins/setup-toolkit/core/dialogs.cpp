// Custom dialogs of the dialog library: the stack of open dialogs, showing a
// dialog and waiting for its event (modal) or returning at once (modeless),
// closing the most recent ones, the help dialog, and the loaded libraries.
// In an unattended run no window is created: the stack keeps a record of each
// "open" dialog and unattended.cpp gives the answer.
#include <windows.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "run_state.h"
#include "setup_toolkit.h"
#include "toolkit_core.h"
#include "toolkit_dialogs.h"

namespace stf {

namespace {

constexpr std::size_t kMaxOpenDialogs = 32;
constexpr std::size_t kMaxLibraries = 8;

// The open dialogs, the oldest first.
std::vector<OpenDialog>& Stack() {
    return g_run.dialogs.open;
}

OpenDialog* ById(unsigned id) {
    for (OpenDialog& d : Stack()) {
        if (d.id == id)
            return &d;
    }
    return nullptr;
}

OpenDialog* ByWindow(HWND window) {
    if (window == nullptr)
        return nullptr;
    for (OpenDialog& d : Stack()) {
        if (d.window == window)
            return &d;
    }
    return nullptr;
}

// The most recent dialog `number` of `library`.
OpenDialog* ByNumber(const char* library, UINT number) {
    for (auto d = Stack().rbegin(); d != Stack().rend(); ++d) {
        if (d->number == number && SameName(d->library.data(), library))
            return &*d;
    }
    return nullptr;
}

OpenDialog* Push(const char* library, UINT number, const char* procedure) {
    if (Stack().size() >= kMaxOpenDialogs) {
        NoteFailure("FDoDialogExt: more than %u dialogs open", unsigned(kMaxOpenDialogs));
        return nullptr;
    }
    OpenDialog& d = Stack().emplace_back();
    d.id = g_run.dialogs.nextId++;
    d.number = number;
    postern::CopyText(d.library, library);
    postern::CopyText(d.procedure, procedure);
    return &d;
}

void Remove(unsigned id) {
    std::erase_if(Stack(), [id](const OpenDialog& d) { return d.id == id; });
}

// Closes the `count` most recent dialogs, the newest first; returns their
// numbers, each after a space.
std::string CloseNewest(std::size_t count) {
    std::string numbers;
    for (std::size_t n = 0; n < count && !Stack().empty(); ++n) {
        const OpenDialog& newest = Stack().back();
        numbers += " " + std::to_string(newest.number);
        const HWND window = newest.window;
        Stack().pop_back();
        if (window != nullptr)
            DestroyWindow(window);
    }
    return numbers;
}

void CentreOnFrame(HWND dialog) {
    RECT frame{};
    RECT box{};
    HWND owner = FrameWindow();
    if (owner == nullptr || !GetWindowRect(owner, &frame) || !GetWindowRect(dialog, &box))
        return;
    const int w = box.right - box.left;
    const int h = box.bottom - box.top;
    const int x = frame.left + ((frame.right - frame.left) - w) / 2;
    const int y = frame.top + ((frame.bottom - frame.top) - h) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// By index: a message a dialog handles may change the stack.
bool IsToolkitDialogMessage(MSG& msg) {
    for (std::size_t i = Stack().size(); i-- > 0;) {
        const HWND window = Stack()[i].window;
        if (window != nullptr && IsDialogMessageA(window, &msg))
            return true;
    }
    return false;
}

// Disables every open dialog but `self`; returns those it disabled. The
// frame stays enabled so that its close box can ask to exit; it has nothing
// else that takes input.
std::vector<HWND> DisableOthers(HWND self) {
    std::vector<HWND> disabled;
    for (std::size_t i = 0; i < Stack().size(); ++i) {
        const HWND window = Stack()[i].window;
        if (window != nullptr && window != self && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            disabled.push_back(window);
        }
    }
    return disabled;
}

void EnableAgain(const std::vector<HWND>& disabled) {
    for (auto window = disabled.rbegin(); window != disabled.rend(); ++window) {
        if (IsWindow(*window))
            EnableWindow(*window, TRUE);
    }
}

enum class WaitResult { Reported, Closed, Quit };

// Pumps messages until dialog `id` reports its event or goes away.
WaitResult PumpUntilReported(unsigned id) {
    for (;;) {
        const OpenDialog* d = ById(id);
        if (d == nullptr || !IsWindow(d->window))
            return WaitResult::Closed;
        if (d->reported)
            return WaitResult::Reported;
        MSG msg;
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1)
            return WaitResult::Quit;
        if (!IsToolkitDialogMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// Its turn is over: until it is asked for again it takes no input, so a late
// click cannot change the event the caller is reading.
void EndTurn(unsigned id) {
    OpenDialog* d = ById(id);
    if (d == nullptr)
        return;
    d->waiting = false;
    d->accepting = false;
    if (IsWindow(d->window))
        EnableWindow(d->window, FALSE);
}

// Waits for dialog `id` to report its event. The other toolkit dialogs are
// disabled meanwhile and enabled again afterwards.
WaitResult WaitForEvent(unsigned id) {
    const OpenDialog* self = ById(id);
    if (self == nullptr)
        return WaitResult::Closed;
    const std::vector<HWND> disabled = DisableOthers(self->window);
    OpenDialog* waiting = ById(id);
    waiting->waiting = true;
    // Said once the dialog is the only one that takes input, so that whoever
    // reads the log (a person, a test) knows which dialog waits.
    LogLine("dialog %u %s shown", waiting->number, waiting->procedure.data());
    const WaitResult result = PumpUntilReported(id);
    EndTurn(id);
    EnableAgain(disabled);
    return result;
}

// The dialog's outcome line, and what the outcome means for the run.
void Outcome(UINT number, const char* procedure, const char* event, unsigned long mark,
             const DialogAnswerRule& answer, const std::string& note) {
    NoteDialogAnswered();
    std::string line = "dialog " + std::to_string(number) + " " + procedure + ": " + event;
    if (SymbolSetSince("ButtonChecked", mark))
        line += " ButtonChecked=\"" + SymbolText("ButtonChecked") + "\"";
    if (SymbolSetSince("EditTextOut", mark))
        line += " EditTextOut=\"" + SymbolText("EditTextOut") + "\"";
    line += note;
    LogLine("%s", line.c_str());
    const bool haveRule = answer.valid;
    const AnswerRule& rule = answer.rule;
    if (haveRule && rule.kind == AnswerKind::Fatal)
        NoteFatalDialog();
    if (SameName(procedure, "FQuitDlgProc") && SameName(event, STF_EVENT_EXIT))
        NoteQuitConfirmed(Unattended() ? QuitReason() : "operator quit");
    if (haveRule && SameName(event, STF_EVENT_CONTINUE))
        RecordAnswer(rule);
    // The unavailable options are given for one showing of one radio dialog;
    // the next radio dialog starts with all its options available.
    if (SameName(procedure, "FRadioDlgProc"))
        SetSymbolQuietly("OptionsGreyed", "");
}

BOOL ShowUnattended(const char* library, UINT number, const char* procedure,
                    const DialogAnswerRule& rule, unsigned long mark) {
    if (ByNumber(library, number) == nullptr && Push(library, number, procedure) == nullptr)
        return FALSE;
    const DialogAnswer answer = AnswerDialog(number, procedure, rule);
    SetSymbolQuietly("DLGEVENT", answer.event);
    Outcome(number, procedure, answer.event, mark, rule, answer.note);
    return TRUE;
}

// One interactive FDoDialogExt call: the dialog asked for and its procedure.
struct Request {
    HWND parent;
    const char* library;
    UINT number;
    const char* procedure;
    HMODULE module;
    DLGPROC proc;
};

// Asked for again while its window is still open: it takes input again and
// reads its symbols anew.
void ShowAgain(OpenDialog& d, const char* procedure) {
    d.reported = false;
    d.accepting = true;
    postern::CopyText(d.procedure, procedure);
    // The dialog handles the messages below; d may have moved by then.
    const HWND window = d.window;
    EnableWindow(window, TRUE);
    SendMessageA(window, WM_STF_REFRESH, 0, 0);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
}

// Creates the dialog's window as the newest open dialog; its id, or 0 after a
// failure note.
unsigned Create(const Request& request) {
    OpenDialog* pushed = Push(request.library, request.number, request.procedure);
    if (pushed == nullptr)
        return 0;
    pushed->accepting = true;
    const unsigned id = pushed->id;
    g_run.dialogs.creatingId = id;
    const HWND window =
        CreateDialogParamA(request.module, MAKEINTRESOURCEA(request.number),
                           request.parent ? request.parent : FrameWindow(), request.proc, 0);
    g_run.dialogs.creatingId = 0;
    OpenDialog* d = ById(id);
    if (window == nullptr || d == nullptr) {
        const DWORD error = GetLastError();
        Remove(id);
        NoteFailure("FDoDialogExt: dialog %u of %s could not be created (error %lu)",
                    request.number, request.library, error);
        return 0;
    }
    d->window = window;
    CentreOnFrame(window);
    ShowWindow(window, SW_SHOW);
    return id;
}

// Shows the dialog: the open one again, or a new one. Its id, or 0 after a
// failure note.
unsigned Show(const Request& request) {
    OpenDialog* d = ByNumber(request.library, request.number);
    if (d != nullptr && d->window != nullptr && IsWindow(d->window)) {
        const unsigned id = d->id;
        ShowAgain(*d, request.procedure);
        return id;
    }
    if (d != nullptr)
        Remove(d->id); // its window went away behind our back
    return Create(request);
}

// The help dialog FShowDialogHelp shows for it; none unless all three are given.
void KeepHelp(OpenDialog& d, const char* library, UINT number, const char* procedure) {
    if (library != nullptr && procedure != nullptr && number != 0) {
        postern::CopyText(d.helpLibrary, library);
        postern::CopyText(d.helpProcedure, procedure);
        d.helpNumber = number;
    } else {
        d.helpNumber = 0;
    }
}

// Waits for the dialog's event unless it reported it while it was shown (a
// modeless dialog); false after a failure note.
bool AwaitEvent(unsigned id, UINT number, const char* procedure) {
    if (OpenDialog* d = ById(id); d != nullptr && d->reported) {
        LogLine("dialog %u %s shown", number, procedure);
        d->accepting = false;
        EnableWindow(d->window, FALSE);
        return true;
    }
    switch (WaitForEvent(id)) {
    case WaitResult::Reported:
        return true;
    case WaitResult::Quit:
        NoteFailure("FDoDialogExt %u: WM_QUIT received", number);
        return false;
    case WaitResult::Closed:
        break;
    }
    NoteFailure("FDoDialogExt %u: the dialog closed before reporting an event", number);
    return false;
}

} // namespace

HMODULE DialogLibrary(const char* name) {
    if (name == nullptr || name[0] == '\0') {
        NoteFailure("no dialog library named");
        return nullptr;
    }
    std::vector<LoadedLibrary>& libraries = g_run.dialogs.libraries;
    for (const LoadedLibrary& library : libraries) {
        if (SameName(library.name.data(), name))
            return library.module.get();
    }
    if (libraries.size() >= kMaxLibraries) {
        NoteFailure("dialog library %s: more than %u libraries", name, unsigned(kMaxLibraries));
        return nullptr;
    }
    LoadedLibrary loaded;
    if (!postern::CopyText(loaded.name, name)) {
        NoteFailure("dialog library name too long: %.64s...", name);
        return nullptr;
    }
    loaded.module.reset(LoadLibraryA(name));
    if (!loaded.module) {
        NoteFailure("dialog library %s does not load (error %lu)", name, GetLastError());
        return nullptr;
    }
    return libraries.emplace_back(std::move(loaded)).module.get();
}

DLGPROC DialogProcedure(HMODULE library, const char* name) {
    FARPROC address = library && name ? GetProcAddress(library, name) : nullptr;
    if (address == nullptr) {
        NoteFailure("dialog procedure %s is not exported by its library", name ? name : "(null)");
        return nullptr;
    }
    return reinterpret_cast<DLGPROC>(reinterpret_cast<void*>(address));
}

DialogAnswerRule DialogAnswerRuleOf(HMODULE library, UINT number) {
    DialogAnswerRule answer;
    HRSRC found = FindResourceA(library, MAKEINTRESOURCEA(number), STF_ANSWER_TYPE);
    HGLOBAL loaded = found ? LoadResource(library, found) : nullptr;
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (data == nullptr)
        return answer;
    // The text ends at its first NUL or at the resource's end.
    const std::string_view text(data, SizeofResource(library, found));
    answer.present = !text.empty() && text[0] != '\0';
    answer.valid = answer.present && ParseAnswerRule(text, answer.rule, answer.error);
    return answer;
}

HWND WaitingDialog() {
    for (auto d = Stack().rbegin(); d != Stack().rend(); ++d) {
        if (d->waiting && d->window != nullptr)
            return d->window;
    }
    return nullptr;
}

void CloseAllDialogs() {
    const std::string numbers = CloseNewest(Stack().size());
    if (!numbers.empty())
        LogLine("dialogs closed at TerminateFrame:%s", numbers.c_str());
}

} // namespace stf

using namespace stf;

extern "C" BOOL WINAPI FDoDialogExt(HWND parent, LPCSTR library, UINT number, LPCSTR procedure,
                                    LPCSTR helpLibrary, UINT helpNumber, LPCSTR helpProcedure) {
    if (!FrameStarted()) {
        NoteFailure("FDoDialogExt %u: the frame is not started", number);
        return FALSE;
    }
    if (library == nullptr || procedure == nullptr) {
        NoteFailure("FDoDialogExt %u: no library or procedure", number);
        return FALSE;
    }
    HMODULE module = DialogLibrary(library);
    if (module == nullptr)
        return FALSE;
    DLGPROC proc = DialogProcedure(module, procedure);
    if (proc == nullptr)
        return FALSE;
    const unsigned long mark = SymbolMark();
    const DialogAnswerRule answer = DialogAnswerRuleOf(module, number);
    if (Unattended())
        return ShowUnattended(library, number, procedure, answer, mark);

    const unsigned id = Show(Request{parent, library, number, procedure, module, proc});
    if (id == 0)
        return FALSE;
    if (OpenDialog* d = ById(id))
        KeepHelp(*d, helpLibrary, helpNumber, helpProcedure);
    if (!AwaitEvent(id, number, procedure))
        return FALSE;
    const OpenDialog* d = ById(id);
    Outcome(number, procedure, d != nullptr ? d->event.data() : "", mark, answer, "");
    return TRUE;
}

extern "C" BOOL WINAPI FKillNDialogs(int count) {
    if (count < -1) {
        NoteFailure("FKillNDialogs: bad count %d", count);
        return FALSE;
    }
    const std::size_t open = Stack().size();
    const std::size_t wanted = count == -1 ? open : static_cast<std::size_t>(count);
    const std::size_t closing = std::min(wanted, open);
    if (closing == 0 && wanted == 0)
        return TRUE;
    const std::string numbers = CloseNewest(closing);
    if (wanted > closing)
        LogLine("dialogs closed:%s (%d asked, %u were open)", numbers.c_str(), count,
                unsigned(closing));
    else
        LogLine("dialogs closed:%s", numbers.c_str());
    return TRUE;
}

extern "C" void WINAPI ReportDialogEvent(HWND dialog, LPCSTR eventWord) {
    OpenDialog* d = ByWindow(dialog);
    if (d == nullptr && g_run.dialogs.creatingId != 0 && dialog != nullptr) {
        d = ById(g_run.dialogs.creatingId);
        if (d != nullptr)
            d->window = dialog;
    }
    if (d == nullptr) {
        // Billboards that the copy engine shows itself report Continue too;
        // nothing waits for them. Only a window that is no window is wrong.
        if (dialog == nullptr || !IsWindow(dialog))
            NoteFailure("ReportDialogEvent %s: no such window", eventWord ? eventWord : "(null)");
        return;
    }
    if (!d->accepting)
        return; // its turn is over: the caller may be reading the event already
    postern::CopyText(d->event, eventWord ? eventWord : "");
    d->reported = true;
    SetSymbolQuietly("DLGEVENT", d->event.data());
    PostMessageA(dialog, WM_NULL, 0, 0); // wakes the wait if it sleeps in GetMessage
}

extern "C" BOOL WINAPI FShowDialogHelp(HWND dialog) {
    OpenDialog* owner = ByWindow(dialog);
    if (owner == nullptr || owner->helpNumber == 0)
        return FALSE;
    const std::array<char, MAX_PATH> library = owner->helpLibrary;
    const std::array<char, kDialogNameSize> procedure = owner->helpProcedure;
    const UINT number = owner->helpNumber;
    HMODULE module = DialogLibrary(library.data());
    DLGPROC proc = module ? DialogProcedure(module, procedure.data()) : nullptr;
    if (proc == nullptr)
        return FALSE;
    // The help dialog is an ordinary modal dialog over the one that asked
    // for it; it ends itself and reports no event.
    const INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(number), dialog, proc, 0);
    if (result == -1 || result == 0) {
        NoteFailure("FShowDialogHelp: dialog %u of %s could not be shown (error %lu)", number,
                    library.data(), GetLastError());
        return FALSE;
    }
    LogLine("help dialog %u %s: %s", number, procedure.data(),
            result == IDCANCEL ? STF_EVENT_CANCEL : STF_EVENT_CONTINUE);
    return TRUE;
}
