// The option dialogs and their loop (see option_dialogs.h).
#include "setup/option_dialogs.h"

#include "common/bounded_format.h"
#include "setup/dialog_event.h"
#include "setup/path_text.h"
#include "setup/setup_session.h"
#include "setup/setup_paths.h"
#include "setup/toolkit_binding.h"

#include <array>

namespace {

constexpr UINT kWelcomeDialog = 100;
constexpr UINT kQuitDialog = 200;
constexpr UINT kDestinationDialog = 300;
constexpr UINT kSetupTypeDialog = 800;
constexpr UINT kUserDatabaseDialog = 801;
constexpr UINT kBadDirectoryDialog = 6400;
constexpr UINT kHostNameDialog = 7801;

// The symbols' read limit: a value must be shorter than this.
constexpr UINT kValueLimit = 255;
constexpr UINT kChoiceLimit = 15;

using EventWord = std::array<char, 16>;

// Shows one dialog of the dialog library with the common help dialog and
// returns the classified event.
DialogEvent Show(UINT number, const char* procedure) {
    EventWord event{};
    RunDialog(kDialogLibraryName, number, procedure, kHelpDialogNumber, kHelpDlgProc, event,
              kEventLimit);
    return ClassifyDialogEvent(event.data());
}

// A dialog with no help.
DialogEvent ShowWithoutHelp(UINT number, const char* procedure) {
    EventWord event{};
    RunDialog(kDialogLibraryName, number, procedure, 0, nullptr, event, kEventLimit);
    return ClassifyDialogEvent(event.data());
}

// Closes the dialog on top.
void Close() {
    CloseDialogs(1);
}

// The first character of ButtonChecked.
char CheckedButton() {
    std::array<char, 16> checked{};
    GetSymbol("ButtonChecked", checked, kChoiceLimit);
    return checked[0];
}

// EditTextIn gets a directory without its trailing backslash.
void OfferDirectory(const char* directory) {
    std::array<char, 272> text{};
    postern::CopyText(text, directory);
    StripTrailingBackslash(text, CharStep);
    SetSymbol("EditTextIn", text.data());
    SetSymbol("EditFocus", "END");
}

// The destination's checks, in order; true when it is accepted into DestDir.
bool DestinationAccepted() {
    std::array<char, 256> text{};
    GetSymbol("EditTextOut", text, kValueLimit);
    if (text[0] == '\0' || !IsValidDirectory(text.data()) || !TopDirFits(text.data())) {
        ShowBadDirectory();
        return false;
    }
    postern::CopyText(Session.DestDir, text.data());
    AddTrailingBackslash(Session.DestDir, CharStep);
    // Windows paths ignore letter case: the source folder in another case is
    // still the source folder.
    if (lstrcmpiA(Session.DestDir.data(), Session.SourceDir.data()) == 0) {
        ShowBadDirectory();
        return false;
    }
    return true;
}

// The loop of a dialog that can be declined. Before each showing `prepare`
// sets its symbols; Continue (and any other event) hands over to `accept`,
// which returns true when the answer is taken (the dialog then closes) or
// false to show it again; Back and Cancel close it, not accepted; Exit asks to
// quit and shows it again.
template <typename Prepare, typename Accept>
bool AskUntilAnswered(UINT number, const char* procedure, Prepare prepare, Accept accept) {
    for (;;) {
        prepare();
        switch (Show(number, procedure)) {
        case DialogEvent::Continue:
        case DialogEvent::Other:
            if (accept()) {
                Close();
                return true;
            }
            break;
        case DialogEvent::Back:
        case DialogEvent::Cancel:
            Close();
            return false;
        case DialogEvent::Exit:
            ConfirmQuit();
            break;
        }
    }
}

void NothingToPrepare() {}

// The loop of a dialog that must be answered with Continue: `prepare` before
// each showing, `taken` on Continue before the dialog closes; Cancel and Exit
// ask to quit, Back and other events show it again.
template <typename Prepare, typename Taken>
void ShowUntilContinued(UINT number, const char* procedure, Prepare prepare, Taken taken) {
    for (;;) {
        prepare();
        switch (Show(number, procedure)) {
        case DialogEvent::Continue:
            taken();
            Close();
            return;
        case DialogEvent::Cancel:
        case DialogEvent::Exit:
            ConfirmQuit();
            break;
        case DialogEvent::Back:
        case DialogEvent::Other:
            break;
        }
    }
}

} // namespace

void ShowWelcome() {
    ShowUntilContinued(kWelcomeDialog, kInfoDlgProc, NothingToPrepare, [] {});
}

void AskSetupMode() {
    const auto presetType = [] {
        SetSymbol("RadioDefault", Session.TypeDefault.data());
        if (Session.TypeDefault[0] == '1') {
            // Without an installation only a new one can be chosen.
            SetSymbol("OptionsGreyed", " ");
            AddSymbolItem("OptionsGreyed", "2");
            AddSymbolItem("OptionsGreyed", "3");
        }
    };
    ShowUntilContinued(kSetupTypeDialog, kRadioDlgProc, presetType,
                       [] { Session.SetupMode = CheckedButton() - '0'; });
}

bool AskUserDatabase() {
    OfferDirectory(Session.DestDir.data());
    const auto presetChoice = [] {
        const char preset[2] = {static_cast<char>('1' + Session.UserDbOption), '\0'};
        SetSymbol("RadioDefault", preset);
    };
    return AskUntilAnswered(kUserDatabaseDialog, kRadioDlgProc, presetChoice, [] {
        // Option 1 is the Windows NT user database (0), option 2 the suite's
        // own (1); any other answer keeps the current choice.
        const char checked = CheckedButton();
        if (checked == '1' || checked == '2')
            Session.UserDbOption = checked - '1';
        return true;
    });
}

bool AskHostName() {
    SetSymbol("EditTextIn", Session.HostName.data());
    SetSymbol("EditFocus", "END");
    return AskUntilAnswered(kHostNameDialog, kEditDlgProc, NothingToPrepare, [] {
        GetSymbol("EditTextOut", Session.HostName, kValueLimit);
        return true;
    });
}

bool AskDestination() {
    OfferDirectory(Session.DestDir.data());
    return AskUntilAnswered(kDestinationDialog, kEditDlgProc, NothingToPrepare,
                            DestinationAccepted);
}

void ShowBadDirectory() {
    for (;;) {
        switch (ShowWithoutHelp(kBadDirectoryDialog, kInfo0DlgProc)) {
        case DialogEvent::Continue:
        case DialogEvent::Cancel:
            Close();
            return;
        case DialogEvent::Exit:
            ConfirmQuit();
            break;
        case DialogEvent::Back:
        case DialogEvent::Other:
            break;
        }
    }
}

void ConfirmQuit() {
    for (;;) {
        switch (Show(kQuitDialog, kQuitDlgProc)) {
        case DialogEvent::Continue:
        case DialogEvent::Cancel:
            Close();
            return;
        case DialogEvent::Exit:
            CloseDialogs(-1);
            EndToolkit();
            ExitProcess(0);
        case DialogEvent::Back:
        case DialogEvent::Other:
            break;
        }
    }
}

void RunOptionDialogs() {
    for (;;) {
        AskSetupMode();
        if (Session.SetupMode == kSetupModeNew && Session.Nt351OrLater && !AskUserDatabase())
            continue;
        if (Session.SetupMode == kSetupModeRemove)
            return;
        if (!AskHostName() || !AskDestination())
            continue;
        return;
    }
}
