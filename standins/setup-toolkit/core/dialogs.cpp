// Custom dialogs of the dialog library: the stack of open dialogs, showing a
// dialog and waiting for its event (modal) or returning at once (modeless),
// closing the most recent ones, the help dialog, and the loaded libraries.
// In an unattended run no window is created: the stack keeps a record of each
// "open" dialog and unattended.cpp gives the answer.
#include <windows.h>

#include <array>
#include <string>

#include "common/unique_handle.h"
#include "setup_toolkit.h"
#include "toolkit_core.h"
#include "toolkit_dialogs.h"

namespace stf {

namespace {

constexpr std::size_t kMaxOpenDialogs = 32;
constexpr std::size_t kMaxLibraries = 8;
constexpr std::size_t kNameSize = 64;

struct OpenDialog {
    unsigned id = 0; // unique for the run; 0 marks a free slot
    UINT number = 0;
    std::array<char, MAX_PATH> library{};
    std::array<char, kNameSize> procedure{};
    HWND window = nullptr; // null when answered unattended
    std::array<char, MAX_PATH> helpLibrary{};
    UINT helpNumber = 0;
    std::array<char, kNameSize> helpProcedure{};
    bool waiting = false;
    bool reported = false;
    bool accepting = false; // its event is awaited: created, shown again or waiting
    std::array<char, 16> event{};
};

struct LoadedLibrary {
    std::array<char, MAX_PATH> name{};
    postern::UniqueModule module;
};

std::array<OpenDialog, kMaxOpenDialogs> g_stack;
std::size_t g_depth = 0;
unsigned g_nextId = 1;
unsigned g_creatingId = 0; // the dialog whose WM_INITDIALOG is running
std::array<LoadedLibrary, kMaxLibraries> g_libraries;

OpenDialog* ById(unsigned id) {
    for (std::size_t i = 0; i < g_depth; ++i) {
        if (g_stack[i].id == id)
            return &g_stack[i];
    }
    return nullptr;
}

OpenDialog* ByWindow(HWND window) {
    if (window == nullptr)
        return nullptr;
    for (std::size_t i = 0; i < g_depth; ++i) {
        if (g_stack[i].window == window)
            return &g_stack[i];
    }
    return nullptr;
}

OpenDialog* ByNumber(const char* library, UINT number) {
    for (std::size_t i = g_depth; i-- > 0;) {
        if (g_stack[i].number == number && SameName(g_stack[i].library.data(), library))
            return &g_stack[i];
    }
    return nullptr;
}

OpenDialog* Push(const char* library, UINT number, const char* procedure) {
    if (g_depth >= kMaxOpenDialogs) {
        NoteFailure("FDoDialogExt: more than %u dialogs open", unsigned(kMaxOpenDialogs));
        return nullptr;
    }
    OpenDialog& d = g_stack[g_depth++];
    d = OpenDialog{};
    d.id = g_nextId++;
    d.number = number;
    postern::CopyText(d.library, library);
    postern::CopyText(d.procedure, procedure);
    return &d;
}

// Removes the entry (by id) and everything keeps its order.
void Remove(unsigned id) {
    for (std::size_t i = 0; i < g_depth; ++i) {
        if (g_stack[i].id == id) {
            for (std::size_t j = i; j + 1 < g_depth; ++j)
                g_stack[j] = g_stack[j + 1];
            g_stack[--g_depth] = OpenDialog{};
            return;
        }
    }
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

bool IsToolkitDialogMessage(MSG& msg) {
    for (std::size_t i = g_depth; i-- > 0;) {
        if (g_stack[i].window != nullptr && IsDialogMessageA(g_stack[i].window, &msg))
            return true;
    }
    return false;
}

enum class WaitResult { Reported, Closed, Quit };

// Pumps messages until dialog `id` reports its event. The frame and the other
// toolkit dialogs are disabled meanwhile and enabled again afterwards.
WaitResult WaitForEvent(unsigned id) {
    std::array<HWND, kMaxOpenDialogs + 1> disabled{};
    std::size_t disabledCount = 0;
    HWND self = ById(id)->window;
    auto disable = [&](HWND window) {
        if (window != nullptr && window != self && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            disabled[disabledCount++] = window;
        }
    };
    // The frame stays enabled so that its close box can ask to exit; it has
    // nothing else that takes input.
    for (std::size_t i = 0; i < g_depth; ++i)
        disable(g_stack[i].window);
    OpenDialog* waiting = ById(id);
    waiting->waiting = true;
    // Said once the dialog is the only one that takes input, so that whoever
    // reads the log (a person, a test) knows which dialog waits.
    LogLine("dialog %u %s shown", waiting->number, waiting->procedure.data());

    WaitResult result = WaitResult::Closed;
    for (;;) {
        OpenDialog* d = ById(id);
        if (d == nullptr || !IsWindow(d->window)) {
            result = WaitResult::Closed;
            break;
        }
        if (d->reported) {
            result = WaitResult::Reported;
            break;
        }
        MSG msg;
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            result = WaitResult::Quit;
            break;
        }
        if (!IsToolkitDialogMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (OpenDialog* d = ById(id)) {
        d->waiting = false;
        // Its turn is over: until it is asked for again it takes no input,
        // so a late click cannot change the event the caller is reading.
        d->accepting = false;
        if (IsWindow(d->window))
            EnableWindow(d->window, FALSE);
    }
    for (std::size_t i = disabledCount; i-- > 0;) {
        if (IsWindow(disabled[i]))
            EnableWindow(disabled[i], TRUE);
    }
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

} // namespace

HMODULE DialogLibrary(const char* name) {
    if (name == nullptr || name[0] == '\0') {
        NoteFailure("no dialog library named");
        return nullptr;
    }
    LoadedLibrary* free = nullptr;
    for (LoadedLibrary& library : g_libraries) {
        if (library.module && SameName(library.name.data(), name))
            return library.module.get();
        if (!library.module && free == nullptr)
            free = &library;
    }
    if (free == nullptr) {
        NoteFailure("dialog library %s: more than %u libraries", name, unsigned(kMaxLibraries));
        return nullptr;
    }
    if (!postern::CopyText(free->name, name)) {
        NoteFailure("dialog library name too long: %.64s...", name);
        return nullptr;
    }
    free->module.reset(LoadLibraryA(name));
    if (!free->module) {
        NoteFailure("dialog library %s does not load (error %lu)", name, GetLastError());
        return nullptr;
    }
    return free->module.get();
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
    for (std::size_t i = g_depth; i-- > 0;) {
        if (g_stack[i].waiting && g_stack[i].window != nullptr)
            return g_stack[i].window;
    }
    return nullptr;
}

void CloseAllDialogs() {
    std::string numbers;
    for (std::size_t i = g_depth; i-- > 0;) {
        numbers += " " + std::to_string(g_stack[i].number);
        if (g_stack[i].window != nullptr)
            DestroyWindow(g_stack[i].window);
        g_stack[i] = OpenDialog{};
    }
    if (g_depth > 0)
        LogLine("dialogs closed at TerminateFrame:%s", numbers.c_str());
    g_depth = 0;
    g_creatingId = 0;
    for (LoadedLibrary& library : g_libraries) {
        library.module.reset();
        library.name[0] = '\0';
    }
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

    OpenDialog* d = ByNumber(library, number);
    if (d != nullptr && d->window != nullptr && IsWindow(d->window)) {
        d->reported = false;
        d->accepting = true;
        EnableWindow(d->window, TRUE);
        postern::CopyText(d->procedure, procedure);
        SendMessageA(d->window, WM_STF_REFRESH, 0, 0);
        ShowWindow(d->window, SW_SHOW);
        SetForegroundWindow(d->window);
    } else {
        if (d != nullptr)
            Remove(d->id); // its window went away behind our back
        d = Push(library, number, procedure);
        if (d == nullptr)
            return FALSE;
        const unsigned id = d->id;
        d->accepting = true;
        g_creatingId = id;
        HWND window = CreateDialogParamA(module, MAKEINTRESOURCEA(number),
                                         parent ? parent : FrameWindow(), proc, 0);
        g_creatingId = 0;
        d = ById(id);
        if (window == nullptr || d == nullptr) {
            const DWORD error = GetLastError();
            Remove(id);
            NoteFailure("FDoDialogExt: dialog %u of %s could not be created (error %lu)", number,
                        library, error);
            return FALSE;
        }
        d->window = window;
        CentreOnFrame(window);
        ShowWindow(window, SW_SHOW);
    }
    if (helpLibrary != nullptr && helpProcedure != nullptr && helpNumber != 0) {
        postern::CopyText(d->helpLibrary, helpLibrary);
        postern::CopyText(d->helpProcedure, helpProcedure);
        d->helpNumber = helpNumber;
    } else {
        d->helpNumber = 0;
    }
    const unsigned id = d->id;
    if (d->reported) {
        LogLine("dialog %u %s shown", number, procedure); // modeless: it reported at once
        d->accepting = false;
        EnableWindow(d->window, FALSE);
    } else {
        const WaitResult result = WaitForEvent(id);
        if (result == WaitResult::Quit) {
            NoteFailure("FDoDialogExt %u: WM_QUIT received", number);
            return FALSE;
        }
        if (result == WaitResult::Closed) {
            NoteFailure("FDoDialogExt %u: the dialog closed before reporting an event", number);
            return FALSE;
        }
    }
    d = ById(id);
    Outcome(number, procedure, d->event.data(), mark, answer, "");
    return TRUE;
}

extern "C" BOOL WINAPI FKillNDialogs(int count) {
    if (count < -1) {
        NoteFailure("FKillNDialogs: bad count %d", count);
        return FALSE;
    }
    const std::size_t wanted = count == -1 ? g_depth : static_cast<std::size_t>(count);
    const std::size_t closing = wanted < g_depth ? wanted : g_depth;
    if (closing == 0 && wanted == 0)
        return TRUE;
    std::string numbers;
    for (std::size_t n = 0; n < closing; ++n) {
        OpenDialog& d = g_stack[g_depth - 1];
        numbers += " " + std::to_string(d.number);
        HWND window = d.window;
        d = OpenDialog{};
        --g_depth;
        if (window != nullptr)
            DestroyWindow(window);
    }
    if (wanted > closing)
        LogLine("dialogs closed:%s (%d asked, %u were open)", numbers.c_str(), count,
                unsigned(closing));
    else
        LogLine("dialogs closed:%s", numbers.c_str());
    return TRUE;
}

extern "C" void WINAPI ReportDialogEvent(HWND dialog, LPCSTR eventWord) {
    OpenDialog* d = ByWindow(dialog);
    if (d == nullptr && g_creatingId != 0 && dialog != nullptr) {
        d = ById(g_creatingId);
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
    const std::array<char, kNameSize> procedure = owner->helpProcedure;
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
