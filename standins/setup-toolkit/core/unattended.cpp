// Unattended runs: the answer file, answering the toolkit's dialogs from it
// (by their STFANSWER text and their procedure's kind), the quit path with its
// reason, and the thread hooks: one answers message boxes and, through the
// same table, the installer's own dialogs (the conversion warning, the
// add-user wizard); with /record they also show the installer's add-user
// wizard to the record.
#include <windows.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "common/unique_handle.h"
#include "run_state.h"
#include "setup_toolkit.h"
#include "symbol_table.h"
#include "toolkit_core.h"
#include "toolkit_dialogs.h"

namespace stf {

namespace {

constexpr unsigned kMaxAsks = 20;
constexpr std::size_t kMaxAnswerFile = 64 * 1024;

// The dialog library that setups of this toolkit ship beside the installer;
// its STFANSWER resources name the [Setup] keys its dialogs take.
constexpr char kDialogLibrary[] = "mscuistf.dll";
// Keys of the installer's own dialogs, answered through the thread hook.
constexpr std::array<const char*, 1> kInstallerDialogKeys = {"ConvertDatabase"};

// What the run answered so far for dialog `number`.
AskedDialog& AskedFor(UINT number) {
    for (AskedDialog& asked : g_run.unattended.asked) {
        if (asked.number == number)
            return asked;
    }
    return g_run.unattended.asked.emplace_back(AskedDialog{number, 0, false, {}});
}

void StartQuit(const std::string& reason) {
    g_run.unattended.quitting = true;
    postern::CopyText(g_run.unattended.reason, reason.c_str());
    LogLine("unattended run quits: %s", reason.c_str());
}

bool Greyed(int digit) {
    std::string list = SymbolText("OptionsGreyed");
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        std::string item =
            list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item.size() == 1 && item[0] == static_cast<char>('0' + digit))
            return true;
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return false;
}

bool IsProcedure(const char* procedure, const char* name) {
    return SameName(procedure, name);
}

// A radio dialog: the option digit from the key's word or the preset option.
bool AnswerRadio(const AnswerRule& rule, std::string& given, DialogAnswer& answer,
                 std::string& reason) {
    const AnswerEntry* entry =
        rule.key.empty() ? nullptr : g_run.unattended.answers.Find("Setup", rule.key);
    int digit = 0;
    if (entry != nullptr) {
        given = rule.key + "=" + entry->value;
        answer.note = " (answer " + given + ")";
        digit = DigitForWord(rule, entry->value);
        if (digit == 0) {
            reason = "answer " + given + " is not one of " + WordList(rule);
            return false;
        }
        if (Greyed(digit)) {
            reason = "answer " + given + ": option " + std::to_string(digit) + " is unavailable";
            return false;
        }
    } else {
        const std::string preset = SymbolText("RadioDefault");
        answer.note = " (default)";
        if (preset.empty() || preset[0] < '1' || preset[0] > '9') {
            reason = "no answer for " + (rule.key.empty() ? std::string("the options") : rule.key) +
                     " and no preset option";
            return false;
        }
        digit = preset[0] - '0';
        given = "preset option " + std::to_string(digit);
        if (Greyed(digit)) {
            reason = "the " + given + " is unavailable";
            return false;
        }
    }
    SetSymbolQuietly("ButtonChecked", std::to_string(digit).c_str());
    return true;
}

// An edit dialog: the key's value or the proposed text.
bool AnswerEdit(const AnswerRule& rule, std::string& given, DialogAnswer& answer,
                std::string& reason) {
    const AnswerEntry* entry =
        rule.key.empty() ? nullptr : g_run.unattended.answers.Find("Setup", rule.key);
    std::string text;
    if (entry != nullptr) {
        text = entry->value;
        given = rule.key + "=" + text;
        answer.note = " (answer " + given + ")";
    } else {
        text = SymbolText("EditTextIn");
        given = "proposed text \"" + text + "\"";
        answer.note = " (default)";
    }
    if (text.size() > kMaxSymbolValue) {
        reason = given.substr(0, 80) + "... does not fit (at most 1024 characters)";
        return false;
    }
    SetSymbolQuietly("EditTextOut", text.c_str());
    return true;
}

// ---- the thread hook ----

// Answers one top-level dialog the installer's thread activates; true when
// the answerer took it.
using WindowAnswerer = bool (*)(HWND window);

// The visible push button drawn as the default, else the dialog's default id.
int DefaultButtonOf(HWND window) {
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongA(child, GWL_STYLE);
        if ((style & WS_VISIBLE) && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return GetDlgCtrlID(child);
    }
    const LRESULT def = SendMessageA(window, DM_GETDEFID, 0, 0);
    return HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
}

bool AnswerMessageBox(HWND window) {
    HWND textControl = GetDlgItem(window, 0xFFFF);
    if (textControl == nullptr)
        return false;
    std::array<char, 256> caption{};
    std::array<char, 1024> text{};
    GetWindowTextA(window, caption.data(), static_cast<int>(caption.size()));
    GetWindowTextA(textControl, text.data(), static_cast<int>(text.size()));
    const int button = DefaultButtonOf(window);
    LogMessageBox(caption.data(), text.data(), button, false);
    NoteMessageBoxForEntry(text.data());
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
    return true;
}

// The installer's warning before it converts an old single-domain user
// database: known by its title, its two buttons and its notice text.
constexpr char kConversionWarning[] = "WARNING! Please Read!";
constexpr int kConvertButton = 1;
constexpr int kCancelInstallationButton = 2;
constexpr int kDomainNotice = 1003;
// Its progress dialog, modeless: it works without a message loop and is left
// alone. Known by its title, its progress line and its two lists (the old
// entries and the converted users).
constexpr char kConversionProgress[] = "Converting Users";
constexpr int kProgressLine = 1003;
constexpr int kOldEntries = 1012;
constexpr int kConvertedUsers = 1013;

bool TitleIs(HWND window, const char* title) {
    std::array<char, 64> text{};
    GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    return std::string_view(text.data()) == title;
}

bool HasControlOfClass(HWND window, int id, const char* cls) {
    HWND control = GetDlgItem(window, id);
    std::array<char, 16> name{};
    return control != nullptr &&
           GetClassNameA(control, name.data(), static_cast<int>(name.size())) > 0 &&
           SameName(name.data(), cls);
}

bool IsConversionWarning(HWND window) {
    return TitleIs(window, kConversionWarning) &&
           HasControlOfClass(window, kConvertButton, "Button") &&
           HasControlOfClass(window, kCancelInstallationButton, "Button") &&
           HasControlOfClass(window, kDomainNotice, "Static");
}

bool IsConversionProgress(HWND window) {
    return TitleIs(window, kConversionProgress) &&
           HasControlOfClass(window, kProgressLine, "Static") &&
           HasControlOfClass(window, kOldEntries, "ListBox") &&
           HasControlOfClass(window, kConvertedUsers, "ListBox");
}

const char* ConversionButtonName(int id) {
    return id == kConvertButton ? "Convert Database" : "Cancel Installation";
}

// [Setup] ConvertDatabase: yes is "Convert Database", no is "Cancel
// Installation", absent takes the dialog's default button. Another word ends
// the run: the installation is cancelled here, so nothing is converted on a
// guess, and the run quits with the reason.
bool AnswerConversionWarning(HWND window) {
    if (!IsConversionWarning(window))
        return false;
    const AnswerEntry* entry = g_run.unattended.answers.Find("Setup", "ConvertDatabase");
    int button = kCancelInstallationButton;
    std::string note;
    if (entry == nullptr) {
        button = DefaultButtonOf(window);
        note = " (default)";
    } else {
        const std::string given = "ConvertDatabase=" + entry->value;
        if (SameName(entry->value, "yes")) {
            button = kConvertButton;
            note = " (answer " + given + ")";
        } else if (SameName(entry->value, "no")) {
            note = " (answer " + given + ")";
        } else {
            if (!g_run.unattended.quitting)
                StartQuit("answer " + given + " is not one of yes, no");
            note = " (quitting)";
        }
    }
    NoteDialogAnswered();
    LogLine("installer dialog \"%s\": %s%s", kConversionWarning, ConversionButtonName(button),
            note.c_str());
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
    return true;
}

// The installer's own dialogs get their answerers here, tried in order. The
// installer's dialogs come first: a dialog's unnumbered static text has the
// id that marks a message box's text (0xFFFF).
constexpr std::array<WindowAnswerer, 3> kAnswerers = {AnswerConversionWarning, AnswerWizardDialog,
                                                      AnswerMessageBox};

void AnswerWindow(HWND window) {
    for (WindowAnswerer answerer : kAnswerers) {
        if (answerer(window))
            return;
    }
    std::array<char, 256> title{};
    GetWindowTextA(window, title.data(), static_cast<int>(title.size()));
    NoteFailure("unattended: no answer for dialog \"%s\"; it is cancelled", title.data());
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

// Answers the dialog the hook saw activated once its modal loop runs, so that
// its initialisation (buttons, default button) is complete.
void CALLBACK AnswerPending(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    HWND window = g_run.unattended.pending;
    g_run.unattended.pending = nullptr;
    if (window != nullptr && IsWindow(window))
        AnswerWindow(window);
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_DESTROYWND)
        ObserveDestroyed(reinterpret_cast<HWND>(wParam));
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        std::array<char, 16> cls{};
        GetClassNameA(window, cls.data(), static_cast<int>(cls.size()));
        const bool dialog = std::string_view(cls.data()) == "#32770" &&
                            (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) == 0;
        if (dialog)
            ObserveActivated(window);
        if (dialog && Unattended() && window != g_run.unattended.lastAnswered) {
            g_run.unattended.lastAnswered = window;
            // The progress dialog is noted when it appears: the installer
            // destroys it before its thread takes a message again.
            if (IsConversionProgress(window)) {
                LogLine("installer dialog \"%s\": shown (left alone while it works)",
                        kConversionProgress);
                return CallNextHookEx(nullptr, code, wParam, lParam);
            }
            g_run.unattended.pending = window;
            if (SetTimer(nullptr, 0, 10, AnswerPending) == 0) {
                NoteFailure("unattended: no timer to answer dialog (error %lu)", GetLastError());
                g_run.unattended.pending = nullptr;
                AnswerWindow(window);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK CallHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call->message == WM_COMMAND || call->message == WM_CLOSE)
            ObserveCommand(call->hwnd, call->message, call->wParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MessageHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg->message == WM_COMMAND || msg->message == WM_CLOSE)
            ObserveCommand(msg->hwnd, msg->message, msg->wParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK CollectAnswerKey(HMODULE library, LPCSTR, LPSTR name, LONG_PTR keys) {
    if (!IS_INTRESOURCE(name))
        return TRUE;
    const UINT number = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
    const DialogAnswerRule answer = DialogAnswerRuleOf(library, number);
    if (answer.valid && !answer.rule.key.empty())
        reinterpret_cast<std::vector<std::string>*>(keys)->push_back(answer.rule.key);
    return TRUE;
}

// Every key a dialog of the run can take: those of the dialog library and the
// installer's own dialogs.
bool DialogKeys(std::vector<std::string>& keys, std::string& error) {
    HMODULE library = DialogLibrary(kDialogLibrary);
    if (library == nullptr) {
        error = std::string("the dialog library ") + kDialogLibrary +
                " does not load, so the keys cannot be checked";
        return false;
    }
    EnumResourceNamesA(library, STF_ANSWER_TYPE, CollectAnswerKey,
                       reinterpret_cast<LONG_PTR>(&keys));
    for (const char* key : kInstallerDialogKeys)
        keys.emplace_back(key);
    return true;
}

} // namespace

bool LoadAnswers(const char* path, std::string& error) {
    postern::UniqueFile file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = "cannot be opened (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    const DWORD size = GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE || size > kMaxAnswerFile) {
        error = "larger than 64 KB";
        return false;
    }
    std::string text(size, '\0');
    DWORD read = 0;
    if (size > 0 && (!ReadFile(file.get(), text.data(), size, &read, nullptr) || read != size)) {
        error = "cannot be read (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    std::vector<std::string> keys;
    if (!ParseAnswerFile(text, g_run.unattended.answers, error) || !DialogKeys(keys, error) ||
        !CheckAnswerKeys(g_run.unattended.answers, keys, error)) {
        g_run.unattended.answers = AnswerFile{};
        return false;
    }
    return true;
}

const AnswerFile& Answers() {
    return g_run.unattended.answers;
}

bool Quitting() {
    return g_run.unattended.quitting;
}
const char* QuitReason() {
    return g_run.unattended.reason.data();
}

bool StartAnswerHook() {
    g_run.unattended.hook.reset(SetWindowsHookExA(WH_CBT, CbtHook, nullptr, GetCurrentThreadId()));
    return g_run.unattended.hook.valid();
}

void StopAnswerHook() {
    g_run.unattended.hook.reset();
}

bool StartObserverHooks() {
    g_run.unattended.callHook.reset(
        SetWindowsHookExA(WH_CALLWNDPROC, CallHook, nullptr, GetCurrentThreadId()));
    g_run.unattended.messageHook.reset(
        SetWindowsHookExA(WH_GETMESSAGE, MessageHook, nullptr, GetCurrentThreadId()));
    if (g_run.unattended.callHook && g_run.unattended.messageHook)
        return true;
    StopObserverHooks();
    return false;
}

void StopObserverHooks() {
    g_run.unattended.callHook.reset();
    g_run.unattended.messageHook.reset();
}

DialogAnswer AnswerDialog(UINT number, const char* procedure, const DialogAnswerRule& stfAnswer) {
    DialogAnswer answer;
    AskedDialog& asked = AskedFor(number);
    ++asked.count;
    const bool afterRefused = g_run.unattended.afterRefused;
    g_run.unattended.afterRefused = false;

    const AnswerRule& rule = stfAnswer.rule;
    const bool haveRule = stfAnswer.present;
    if (haveRule && !stfAnswer.valid) {
        if (!g_run.unattended.quitting)
            StartQuit("dialog " + std::to_string(number) +
                      " has a bad STFANSWER text: " + stfAnswer.error);
        answer.event = STF_EVENT_EXIT;
        return answer;
    }
    const bool continues =
        IsProcedure(procedure, "FModelessDlgProc") || (haveRule && rule.kind == AnswerKind::Fatal);
    if (g_run.unattended.quitting) {
        // A dialog that is asked again and again while the run quits does not
        // take Exit (a completion dialog waits for Continue): it gets Continue,
        // so the run still ends.
        const bool deaf = ++g_run.unattended.quitAsks > kMaxAsks;
        answer.event = continues || deaf ? STF_EVENT_CONTINUE : STF_EVENT_EXIT;
        answer.note = deaf ? " (quitting; Exit is not taken here)" : " (quitting)";
        return answer;
    }
    if (asked.count > kMaxAsks) {
        StartQuit("dialog " + std::to_string(number) + " asked more than 20 times");
        answer.event = continues ? STF_EVENT_CONTINUE : STF_EVENT_EXIT;
        return answer;
    }
    if (haveRule && rule.kind == AnswerKind::Refused) {
        g_run.unattended.afterRefused = true;
        return answer;
    }
    const bool radio =
        haveRule ? rule.kind == AnswerKind::Radio : IsProcedure(procedure, "FRadioDlgProc");
    const bool edit =
        haveRule ? rule.kind == AnswerKind::Edit : IsProcedure(procedure, "FEditDlgProc");
    if (!radio && !edit)
        return answer; // information, help, modeless, fatal, quit confirmation

    std::string given;
    std::string reason;
    const bool ok =
        radio ? AnswerRadio(rule, given, answer, reason) : AnswerEdit(rule, given, answer, reason);
    if (ok && afterRefused && asked.answered && asked.answer == given)
        reason = given + " was refused";
    if (!reason.empty()) {
        StartQuit(reason);
        answer.event = STF_EVENT_EXIT;
        return answer;
    }
    asked.answered = true;
    asked.answer = given;
    return answer;
}

} // namespace stf
