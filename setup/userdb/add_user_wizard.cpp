// The add-user wizard (see add_user_wizard.h): its four dialogs and the loop
// that adds each user through usrvault.
#include "setup/userdb/add_user_wizard.h"

#include "common/bounded_format.h"
#include "setup/centre_dialog.h"
#include "setup/res/pstsetup_rc.h"
#include "setup/setup_session.h"
#include "setup/setup_trace.h"
#include "setup/userdb/userid_rules.h"
#include "setup/userdb/usrvault.h"

#include <array>
#include <span>
#include <string>

namespace {

// What the dialogs fill, kept for one pass of the wizard.
struct WizardAnswers {
    std::array<char, 30> UserId{};
    std::array<char, 62> FullName{};
    std::array<char, 30> Password{};
    std::array<char, 320> Message{}; // formatted message texts
};

constexpr int kDialogShift = 10;
constexpr char kDefaultPassword[] = "kestrels";
constexpr char kAnotherUserQuestion[] = "Do you wish to add another user?";
constexpr char kInvalidUserIdCaption[] = "Invalid UserID";

WizardAnswers& AnswersOf(HWND dialog) {
    return *reinterpret_cast<WizardAnswers*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// The edit field gets the focus with its whole text selected, so that typing
// replaces it.
void FocusField(HWND dialog) {
    HWND field = GetDlgItem(dialog, IDC_FIELD);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
}

// Start-up of a data dialog: centred, the answers at hand, the field filled
// (nothing for null), limited to what its buffer keeps (no limit for 0) and
// focused.
void StartDataDialog(HWND dialog, LPARAM answers, const char* text, WPARAM limit) {
    CentreDialogOnParent(dialog, kDialogShift);
    SetWindowLongPtrA(dialog, DWLP_USER, answers);
    if (text != nullptr)
        SetDlgItemTextA(dialog, IDC_FIELD, text);
    if (limit != 0)
        SendDlgItemMessageA(dialog, IDC_FIELD, EM_LIMITTEXT, limit, 0);
    FocusField(dialog);
}

INT_PTR CALLBACK AddMoreProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        CentreDialogOnParent(dialog, kDialogShift);
        if (Session.AddUserQuestions > 0)
            SetDlgItemTextA(dialog, IDC_QUESTION, kAnotherUserQuestion);
        ++Session.AddUserQuestions;
        return TRUE;
    case WM_COMMAND:
        // Continue (and Enter) ends the wizard; "Add a user", Escape and the
        // close box all arrive as id 2 and add one.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam) == IDCANCEL ? 1 : 0);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

// The user id: refused ones keep the dialog open with the reason.
bool AcceptUserId(HWND dialog) {
    WizardAnswers& answers = AnswersOf(dialog);
    HWND field = GetDlgItem(dialog, IDC_FIELD);
    // The whole text is checked, so that a longer one is refused, not cut.
    std::string typed(static_cast<std::size_t>(GetWindowTextLengthA(field)) + 1, '\0');
    typed.resize(static_cast<std::size_t>(
        GetWindowTextA(field, typed.data(), static_cast<int>(typed.size()))));
    const UserIdCheck check = CheckUserId(typed);
    if (check.problem != UserIdProblem::None) {
        UserIdMessage(check, answers.Message);
        MessageBoxA(dialog, answers.Message.data(), kInvalidUserIdCaption, MB_OK | MB_ICONSTOP);
        FocusField(dialog);
        return false;
    }
    postern::CopyText(answers.UserId, typed.c_str());
    return true;
}

INT_PTR CALLBACK UserIdProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        // Empty and without a typing limit: an id longer than the 29
        // characters kept is refused by the length rule, never cut.
        StartDataDialog(dialog, lParam, nullptr, 0);
        return FALSE; // the focus is set
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            if (AcceptUserId(dialog))
                EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

// OK in the full-name or password dialog: the field is read into `field`
// (the edit control takes no more than fits) and the dialog ends with 1;
// Cancel ends it with 0. No rule is applied to the text.
INT_PTR EndDataDialog(HWND dialog, WORD command, std::span<char> field) {
    if (command == IDOK) {
        GetDlgItemTextA(dialog, IDC_FIELD, field.data(), static_cast<int>(field.size()));
        EndDialog(dialog, 1);
        return TRUE;
    }
    if (command == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK FullNameProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const WizardAnswers& answers = *reinterpret_cast<const WizardAnswers*>(lParam);
        StartDataDialog(dialog, lParam, answers.UserId.data(), answers.FullName.size() - 1);
        return FALSE;
    }
    if (message == WM_COMMAND)
        return EndDataDialog(dialog, LOWORD(wParam), AnswersOf(dialog).FullName);
    return FALSE;
}

INT_PTR CALLBACK PasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const WizardAnswers& answers = *reinterpret_cast<const WizardAnswers*>(lParam);
        StartDataDialog(dialog, lParam, kDefaultPassword, answers.Password.size() - 1);
        return FALSE;
    }
    if (message == WM_COMMAND)
        return EndDataDialog(dialog, LOWORD(wParam), AnswersOf(dialog).Password);
    return FALSE;
}

// Shows one dialog of the wizard; its result, or 0 (with a message) when it
// cannot be shown.
int Ask(HWND owner, HINSTANCE instance, const char* name, DLGPROC procedure,
        WizardAnswers& answers) {
    const INT_PTR result =
        DialogBoxParamA(instance, name, owner, procedure, reinterpret_cast<LPARAM>(&answers));
    if (result == -1) {
        postern::FormatText(answers.Message, "The dialog %s cannot be shown (error %lu).", name,
                            GetLastError());
        ShowFailureBox(owner, answers.Message.data(), "Install Failed");
        return 0;
    }
    return static_cast<int>(result);
}

} // namespace

int RunAddUserWizard(HWND owner, HINSTANCE instance, const char* domainName) {
    // Both records start zeroed, so no stray bytes of this program reach the
    // library's storage.
    DomainRecord domain{};
    UserRecord user{};
    UvReadDomain(&domain, domainName);
    for (;;) {
        WizardAnswers answers;
        if (Ask(owner, instance, "DLG_ADDMORE", AddMoreProc, answers) != 1)
            break;
        if (Ask(owner, instance, "DLG_USERID", UserIdProc, answers) != 1 ||
            Ask(owner, instance, "DLG_FULLNAME", FullNameProc, answers) != 1 ||
            Ask(owner, instance, "DLG_PASSWORD", PasswordProc, answers) != 1)
            break;
        if (UvFindUser(&user, &domain, answers.UserId.data()) != 0) {
            postern::FormatText(answers.Message, "UserID '%s' already exists.",
                                answers.UserId.data());
            MessageBoxA(owner, answers.Message.data(), "Duplicate", MB_OK);
            continue;
        }
        postern::CopyText(user.UserId, answers.UserId.data());
        postern::CopyText(user.FullName, answers.FullName.data());
        postern::CopyText(user.Password, answers.Password.data());
        user.Flags = kUserFlagsAddedBySetup;
        if (UvAddUser(&user, &domain) == 0) {
            postern::FormatText(answers.Message, "UserID '%s' could not be added to the domain %s.",
                                answers.UserId.data(), domainName);
            ShowFailureBox(owner, answers.Message.data(), "Install Failed");
        }
    }
    return 1;
}
