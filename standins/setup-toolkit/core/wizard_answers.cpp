// Unattended runs: the installer's add-user wizard answered from the [Users]
// entries of the answer file, in order, through the wizard's own dialogs, so
// that its rules judge each entry as they judge an operator's. An entry that
// the dialogs refuse (a message box appears while it is entered) is logged
// with the message's text and the next entry follows; when none remain the
// question is answered Continue.
#include <windows.h>

#include <string>

#include "toolkit_core.h"
#include "wizard_dialogs.h"

namespace stf {

namespace {

// How far the entry in progress has been typed.
enum class Stage { None, UserId, FullName, Password };

struct Entry {
    std::string userId;
    std::string fullName;
    std::string password;
    std::size_t line = 0;
};

std::size_t g_next = 0;    // index of the next [Users] entry to take
bool g_inProgress = false; // g_entry is being entered
Entry g_entry;
Stage g_stage = Stage::None;
bool g_refused = false; // a message box came while the entry was entered
std::string g_refusal;  // and this was its text

void WarnNotAdded(std::size_t line, const std::string& userId, const char* why) {
    const std::string text =
        "[Users] line " + std::to_string(line) + ": " + userId + " not added: " + why;
    LogWarning(text.c_str());
}

// Takes the next [Users] entry; false when none remains. The answer file was
// checked when it was read, so every entry splits.
bool TakeNextEntry() {
    const AnswerSection* users = Answers().Section("Users");
    while (users != nullptr && g_next < users->entries.size()) {
        const AnswerEntry& entry = users->entries[g_next++];
        std::string_view fullName, password;
        if (!SplitUserEntry(entry.value, fullName, password)) {
            LogLine("unattended: [Users] line %zu: %s has no password; it is skipped", entry.line,
                    entry.key.c_str());
            continue;
        }
        g_entry = Entry{entry.key, std::string(fullName), std::string(password), entry.line};
        g_inProgress = true;
        g_stage = Stage::None;
        g_refused = false;
        g_refusal.clear();
        return true;
    }
    g_inProgress = false;
    return false;
}

// The entry in progress has gone as far as it will: it was refused (a
// message box came) or taken by the dialogs.
void FinishEntry() {
    if (!g_inProgress)
        return;
    if (g_refused) {
        LogLine("unattended: [Users] line %zu: %s refused: %s", g_entry.line,
                g_entry.userId.c_str(), g_refusal.c_str());
        WarnNotAdded(g_entry.line, g_entry.userId, g_refusal.c_str());
    } else if (g_stage == Stage::Password) {
        LogLine("unattended: [Users] line %zu: %s entered", g_entry.line, g_entry.userId.c_str());
    } else {
        LogLine("unattended: [Users] line %zu: %s given up after an unexpected dialog",
                g_entry.line, g_entry.userId.c_str());
        WarnNotAdded(g_entry.line, g_entry.userId, "given up after an unexpected dialog");
    }
    g_inProgress = false;
    g_refused = false;
    g_refusal.clear();
}

void Answered(WizardDialog dialog, const char* outcome) {
    NoteDialogAnswered();
    LogLine("installer dialog \"%s\": %s", WizardTitle(dialog), outcome);
}

// Types one field of the entry and presses OK; a field longer than the edit
// field accepts is noted, since the dialog keeps only what fits.
void TypeAndConfirm(HWND window, WizardDialog dialog, const std::string& text, const char* what,
                    const std::string& shown) {
    const std::size_t limit = WizardFieldLimit(window);
    if (limit > 0 && text.size() > limit)
        NoteFailure("unattended: [Users] line %zu: the %s of %s has %zu characters; dialog "
                    "\"%s\" keeps %zu",
                    g_entry.line, what, g_entry.userId.c_str(), text.size(), WizardTitle(dialog),
                    limit);
    TypeIntoWizardField(window, text);
    Answered(dialog, ("OK " + shown).c_str());
    PressWizardButton(window, kWizardFirstButton);
}

void AnswerAddMore(HWND window) {
    FinishEntry();
    if (TakeNextEntry()) {
        const std::string outcome = "Add a user ([Users] line " + std::to_string(g_entry.line) +
                                    ": " + g_entry.userId + ")";
        Answered(WizardDialog::AddMore, outcome.c_str());
        PressWizardButton(window, kWizardSecondButton);
    } else {
        Answered(WizardDialog::AddMore, "Continue (no [Users] entry left)");
        PressWizardButton(window, kWizardFirstButton);
    }
}

void TypeUserId(HWND window) {
    g_stage = Stage::UserId;
    TypeAndConfirm(window, WizardDialog::UserId, g_entry.userId, "user id",
                   "\"" + g_entry.userId + "\"");
}

void AnswerUserId(HWND window) {
    if (g_inProgress && g_stage == Stage::None) {
        TypeUserId(window);
        return;
    }
    // Shown again: the id just typed was refused. The dialog still asks for
    // an id, so the next entry's id goes in here.
    if (g_inProgress && !g_refused) {
        g_refused = true;
        g_refusal = "the dialog asked again without a message";
    }
    FinishEntry();
    if (TakeNextEntry()) {
        TypeUserId(window);
        return;
    }
    Answered(WizardDialog::UserId, "Cancel (no [Users] entry left)");
    PressWizardButton(window, kWizardSecondButton);
}

void AnswerDataDialog(HWND window, WizardDialog dialog) {
    const bool fullName = dialog == WizardDialog::FullName;
    const Stage before = fullName ? Stage::UserId : Stage::FullName;
    if (!g_inProgress || g_stage != before || g_refused) {
        // These dialogs apply no rule of their own, so this is not the order
        // the wizard asks in: the entry is given up and the wizard cancelled.
        if (g_inProgress && !g_refused) {
            g_refused = true;
            g_refusal = std::string("dialog \"") + WizardTitle(dialog) + "\" came out of turn";
        }
        FinishEntry();
        NoteFailure("unattended: dialog \"%s\" is not answered out of turn; it is cancelled",
                    WizardTitle(dialog));
        Answered(dialog, "Cancel");
        PressWizardButton(window, kWizardSecondButton);
        return;
    }
    if (fullName) {
        g_stage = Stage::FullName;
        TypeAndConfirm(window, dialog, g_entry.fullName, "full name",
                       "\"" + g_entry.fullName + "\"");
    } else {
        g_stage = Stage::Password;
        TypeAndConfirm(window, dialog, g_entry.password, "password",
                       "(" + std::to_string(g_entry.password.size()) + " characters)");
    }
}

} // namespace

bool AnswerWizardDialog(HWND window) {
    const WizardDialog dialog = WizardDialogOf(window);
    switch (dialog) {
    case WizardDialog::None:
        return false;
    case WizardDialog::AddMore:
        AnswerAddMore(window);
        return true;
    case WizardDialog::UserId:
        AnswerUserId(window);
        return true;
    case WizardDialog::FullName:
    case WizardDialog::Password:
        AnswerDataDialog(window, dialog);
        return true;
    }
    return false;
}

void NoteMessageBoxForEntry(const char* text) {
    if (g_inProgress && !g_refused) {
        g_refused = true;
        g_refusal = text ? text : "";
    }
}

void WarnEntriesNotTaken() {
    FinishEntry();
    const AnswerSection* users = Answers().Section("Users");
    for (; users != nullptr && g_next < users->entries.size(); ++g_next) {
        const AnswerEntry& entry = users->entries[g_next];
        WarnNotAdded(entry.line, entry.key, "the installer did not ask for it");
    }
}

void ResetWizardAnswers() {
    g_next = 0;
    g_inProgress = false;
    g_entry = Entry{};
    g_stage = Stage::None;
    g_refused = false;
    g_refusal.clear();
}

} // namespace stf
