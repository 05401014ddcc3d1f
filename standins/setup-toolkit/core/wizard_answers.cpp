// Unattended runs: the installer's add-user wizard answered from the [Users]
// entries of the answer file, in order, through the wizard's own dialogs, so
// that its rules judge each entry as they judge an operator's. An entry that
// the dialogs refuse (a message box appears while it is entered) is logged
// with the message's text and the next entry follows; when none remain the
// question is answered Continue.
#include <windows.h>

#include <string>
#include <utility>

#include "run_state.h"
#include "toolkit_core.h"
#include "wizard_dialogs.h"

namespace stf {

namespace {

// This file's part of the run's state.
WizardAnswerState& Wizard() {
    return g_run.wizardAnswers;
}

void WarnNotAdded(std::size_t line, const std::string& userId, const char* why) {
    const std::string text =
        "[Users] line " + std::to_string(line) + ": " + userId + " not added: " + why;
    LogWarning(text.c_str());
}

// Takes the next [Users] entry; false when none remains. The answer file was
// checked when it was read, so every entry splits.
bool TakeNextEntry() {
    const AnswerSection* users = Answers().Section("Users");
    while (users != nullptr && Wizard().next < users->entries.size()) {
        const AnswerEntry& entry = users->entries[Wizard().next++];
        std::string_view fullName, password;
        if (!SplitUserEntry(entry.value, fullName, password)) {
            LogLine("unattended: [Users] line %zu: %s has no password; it is skipped", entry.line,
                    entry.key.c_str());
            continue;
        }
        Wizard().entry =
            UserEntry{entry.key, std::string(fullName), std::string(password), entry.line};
        Wizard().inProgress = true;
        Wizard().stage = EntryStage::None;
        Wizard().refused = false;
        Wizard().refusal.clear();
        return true;
    }
    Wizard().inProgress = false;
    return false;
}

// The entry in progress is refused for `why`, unless it already was.
void RefuseEntry(std::string why) {
    if (Wizard().inProgress && !Wizard().refused) {
        Wizard().refused = true;
        Wizard().refusal = std::move(why);
    }
}

// The entry in progress has gone as far as it will: it was refused (a
// message box came) or taken by the dialogs.
void FinishEntry() {
    WizardAnswerState& wizard = Wizard();
    if (!wizard.inProgress)
        return;
    const UserEntry& entry = wizard.entry;
    if (wizard.refused) {
        LogLine("unattended: [Users] line %zu: %s refused: %s", entry.line, entry.userId.c_str(),
                wizard.refusal.c_str());
        WarnNotAdded(entry.line, entry.userId, wizard.refusal.c_str());
    } else if (wizard.stage == EntryStage::Password) {
        LogLine("unattended: [Users] line %zu: %s entered", entry.line, entry.userId.c_str());
    } else {
        LogLine("unattended: [Users] line %zu: %s given up after an unexpected dialog", entry.line,
                entry.userId.c_str());
        WarnNotAdded(entry.line, entry.userId, "given up after an unexpected dialog");
    }
    wizard.inProgress = false;
    wizard.refused = false;
    wizard.refusal.clear();
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
                    Wizard().entry.line, what, Wizard().entry.userId.c_str(), text.size(),
                    WizardTitle(dialog), limit);
    TypeIntoWizardField(window, text);
    Answered(dialog, ("OK " + shown).c_str());
    PressWizardButton(window, kWizardFirstButton);
}

void AnswerAddMore(HWND window) {
    FinishEntry();
    if (TakeNextEntry()) {
        const std::string outcome = "Add a user ([Users] line " +
                                    std::to_string(Wizard().entry.line) + ": " +
                                    Wizard().entry.userId + ")";
        Answered(WizardDialog::AddMore, outcome.c_str());
        PressWizardButton(window, kWizardSecondButton);
    } else {
        Answered(WizardDialog::AddMore, "Continue (no [Users] entry left)");
        PressWizardButton(window, kWizardFirstButton);
    }
}

void TypeUserId(HWND window) {
    Wizard().stage = EntryStage::UserId;
    TypeAndConfirm(window, WizardDialog::UserId, Wizard().entry.userId, "user id",
                   "\"" + Wizard().entry.userId + "\"");
}

void AnswerUserId(HWND window) {
    if (Wizard().inProgress && Wizard().stage == EntryStage::None) {
        TypeUserId(window);
        return;
    }
    // Shown again: the id just typed was refused. The dialog still asks for
    // an id, so the next entry's id goes in here.
    RefuseEntry("the dialog asked again without a message");
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
    const EntryStage before = fullName ? EntryStage::UserId : EntryStage::FullName;
    if (!Wizard().inProgress || Wizard().stage != before || Wizard().refused) {
        // These dialogs apply no rule of their own, so this is not the order
        // the wizard asks in: the entry is given up and the wizard cancelled.
        RefuseEntry(std::string("dialog \"") + WizardTitle(dialog) + "\" came out of turn");
        FinishEntry();
        NoteFailure("unattended: dialog \"%s\" is not answered out of turn; it is cancelled",
                    WizardTitle(dialog));
        Answered(dialog, "Cancel");
        PressWizardButton(window, kWizardSecondButton);
        return;
    }
    if (fullName) {
        Wizard().stage = EntryStage::FullName;
        TypeAndConfirm(window, dialog, Wizard().entry.fullName, "full name",
                       "\"" + Wizard().entry.fullName + "\"");
    } else {
        Wizard().stage = EntryStage::Password;
        TypeAndConfirm(window, dialog, Wizard().entry.password, "password",
                       "(" + std::to_string(Wizard().entry.password.size()) + " characters)");
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
    RefuseEntry(text ? text : "");
}

void WarnEntriesNotTaken() {
    FinishEntry();
    const AnswerSection* users = Answers().Section("Users");
    for (; users != nullptr && Wizard().next < users->entries.size(); ++Wizard().next) {
        const AnswerEntry& entry = users->entries[Wizard().next];
        WarnNotAdded(entry.line, entry.key, "the installer did not ask for it");
    }
}

} // namespace stf
