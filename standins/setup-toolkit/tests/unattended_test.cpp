// Unattended runs under Wine: dialogs answered from the answer file without
// windows, the proposals taken for absent keys, every way the run quits, the
// fatal stop, and the hook that answers message boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "setup_toolkit.h"
#include "toolkit_win_harness.h"

using namespace toolkit_test;

namespace {

class Unattended : public testing::Test {
  protected:
    void Start(const std::string& answers) {
        ASSERT_TRUE(WriteText(dir_.File("answers.ini"), answers));
        std::string line =
            "/log \"" + Log() + "\" /answers \"" + dir_.File("answers.ini") + "\" /noexit";
        ASSERT_GT(InitializeFrame(line.data()), 0);
        started_ = true;
    }
    void TearDown() override {
        End();
        if (HasFailure())
            std::printf("run log:\n%s", ReadText(Log()).c_str());
    }
    void End() {
        if (started_)
            TerminateFrame();
        started_ = false;
    }
    std::string Log() const { return dir_.File("run.log"); }

    // FDoDialogExt of mscuistf.dll as the installer calls it.
    static BOOL Ask(UINT number, const char* procedure) {
        return FDoDialogExt(HwndFrame(), "mscuistf.dll", number, procedure, "mscuistf.dll", 900,
                            "FHelpDlgProc");
    }

    static int VisibleDialogs() {
        int count = 0;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM param) -> BOOL {
                char cls[16] = "";
                GetClassNameA(window, cls, sizeof cls);
                if (std::string(cls) == "#32770")
                    ++*reinterpret_cast<int*>(param);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&count));
        return count;
    }

    TempDir dir_;
    bool started_ = false;
};

constexpr char kFullAnswers[] = "[Setup]\r\n"
                                "Mode=Update\r\n"
                                "UserDatabase=own\r\n"
                                "HostName=mail.example.com\r\n"
                                "Destination=\"C:\\Postern Server\"\r\n";

} // namespace

TEST_F(Unattended, DialogsAreAnsweredFromTheFileWithoutWindows) {
    Start(kFullAnswers);
    ASSERT_TRUE(FSetSymbolValue("RadioDefault", "1"));
    ASSERT_TRUE(Ask(800, "FRadioDlgProc"));
    EXPECT_EQ(Symbol("DLGEVENT"), "CONTINUE");
    EXPECT_EQ(Symbol("ButtonChecked"), "2");
    ASSERT_TRUE(Ask(801, "FRadioDlgProc"));
    EXPECT_EQ(Symbol("ButtonChecked"), "2");
    ASSERT_TRUE(FSetSymbolValue("EditTextIn", "localhost"));
    ASSERT_TRUE(Ask(7801, "FEditDlgProc"));
    EXPECT_EQ(Symbol("EditTextOut"), "mail.example.com");
    ASSERT_TRUE(Ask(300, "FEditDlgProc"));
    EXPECT_EQ(Symbol("EditTextOut"), "C:\\Postern Server");
    ASSERT_TRUE(Ask(100, "FInfoDlgProc"));
    EXPECT_EQ(Symbol("DLGEVENT"), "CONTINUE");
    EXPECT_EQ(VisibleDialogs(), 0);
    EXPECT_TRUE(HasLine(Log(), "dialog 800 FRadioDlgProc: CONTINUE ButtonChecked=\"2\" "
                               "(answer Mode=Update)"));
    EXPECT_TRUE(HasLine(Log(), "dialog 801 FRadioDlgProc: CONTINUE ButtonChecked=\"2\" "
                               "(answer UserDatabase=own)"));
    EXPECT_TRUE(HasLine(Log(),
                        "dialog 7801 FEditDlgProc: CONTINUE "
                        "EditTextOut=\"mail.example.com\" (answer HostName=mail.example.com)"));
    EXPECT_TRUE(HasLine(Log(), "dialog 100 FInfoDlgProc: CONTINUE"));
    End();
    EXPECT_EQ(LastLine(Log()), "end: completed");
}

TEST_F(Unattended, AbsentKeysTakeTheDialogsProposal) {
    Start("[Setup]\r\n");
    ASSERT_TRUE(FSetSymbolValue("RadioDefault", "3"));
    ASSERT_TRUE(Ask(800, "FRadioDlgProc"));
    EXPECT_EQ(Symbol("ButtonChecked"), "3");
    ASSERT_TRUE(FSetSymbolValue("EditTextIn", "C:\\POSTERN"));
    ASSERT_TRUE(Ask(300, "FEditDlgProc"));
    EXPECT_EQ(Symbol("EditTextOut"), "C:\\POSTERN");
    EXPECT_TRUE(HasLine(Log(), "dialog 800 FRadioDlgProc: CONTINUE ButtonChecked=\"3\" (default)"));
    EXPECT_TRUE(HasLine(Log(), "dialog 300 FEditDlgProc: CONTINUE EditTextOut=\"C:\\POSTERN\" "
                               "(default)"));
}

TEST_F(Unattended, UnknownWordQuitsThroughTheQuitConfirmation) {
    Start("[Setup]\r\nMode=upgrade\r\n");
    ASSERT_TRUE(FSetSymbolValue("RadioDefault", "1"));
    ASSERT_TRUE(Ask(800, "FRadioDlgProc"));
    EXPECT_EQ(Symbol("DLGEVENT"), "EXIT");
    const std::string reason = "answer Mode=upgrade is not one of new, update, remove";
    EXPECT_TRUE(HasLine(Log(), "unattended run quits: " + reason));
    EXPECT_TRUE(HasLine(Log(), "dialog 800 FRadioDlgProc: EXIT (answer Mode=upgrade)"));
    ASSERT_TRUE(Ask(200, "FQuitDlgProc"));
    EXPECT_EQ(Symbol("DLGEVENT"), "EXIT");
    End();
    EXPECT_EQ(LastLine(Log()), "end: quit (" + reason + ")");
}

TEST_F(Unattended, ADialogThatDoesNotTakeExitWhileQuittingGetsContinue) {
    Start("[Setup]\r\nMode=upgrade\r\n");
    ASSERT_TRUE(FSetSymbolValue("RadioDefault", "1"));
    ASSERT_TRUE(Ask(800, "FRadioDlgProc")); // the run begins to quit
    // A program that asks the same dialog until it gets Continue (like a
    // completion dialog) is let go after twenty Exits.
    int asked = 0;
    do {
        ASSERT_TRUE(Ask(700, "FInfoDlgProc"));
        ++asked;
    } while (Symbol("DLGEVENT") == "EXIT" && asked < 100);
    EXPECT_EQ(Symbol("DLGEVENT"), "CONTINUE");
    EXPECT_EQ(asked, 21);
    EXPECT_TRUE(
        HasLine(Log(), "dialog 700 FInfoDlgProc: CONTINUE (quitting; Exit is not taken here)"));
}

TEST_F(Unattended, GreyedOptionCannotBeAnswered) {
    Start("[Setup]\r\nMode=update\r\nUserDatabase=own\r\n");
    ASSERT_TRUE(FAddListItem("OptionsGreyed", " ")); // not a digit: ignored
    ASSERT_TRUE(FAddListItem("OptionsGreyed", "3"));
    ASSERT_TRUE(Ask(800, "FRadioDlgProc"));
    EXPECT_EQ(Symbol("DLGEVENT"), "CONTINUE");
    ASSERT_TRUE(FSetSymbolValue("OptionsGreyed", "2"));
    ASSERT_TRUE(Ask(801, "FRadioDlgProc"));
    EXPECT_EQ(Symbol("DLGEVENT"), "EXIT");
    ASSERT_TRUE(Ask(200, "FQuitDlgProc"));
    End();
    EXPECT_EQ(LastLine(Log()), "end: quit (answer UserDatabase=own: option 2 is unavailable)");
}

TEST_F(Unattended, RefusedAnswerGivenAgainQuits) {
    Start("[Setup]\r\nDestination=C:\\bad dir.\r\n");
    ASSERT_TRUE(Ask(300, "FEditDlgProc"));
    EXPECT_EQ(Symbol("DLGEVENT"), "CONTINUE");
    ASSERT_TRUE(Ask(6400, "FInfo0DlgProc")); // the installer refused the directory
    EXPECT_EQ(Symbol("DLGEVENT"), "CONTINUE");
    ASSERT_TRUE(Ask(300, "FEditDlgProc"));
    EXPECT_EQ(Symbol("DLGEVENT"), "EXIT");
    ASSERT_TRUE(Ask(200, "FQuitDlgProc"));
    EXPECT_EQ(Symbol("DLGEVENT"), "EXIT");
    End();
    EXPECT_EQ(LastLine(Log()), "end: quit (Destination=C:\\bad dir. was refused)");
}

TEST_F(Unattended, QuitConfirmationContinuesWhenTheRunIsNotQuitting) {
    Start("[Setup]\r\n");
    ASSERT_TRUE(Ask(200, "FQuitDlgProc"));
    EXPECT_EQ(Symbol("DLGEVENT"), "CONTINUE");
    End();
    EXPECT_EQ(LastLine(Log()), "end: completed");
}

TEST_F(Unattended, DialogAskedMoreThanTwentyTimesQuits) {
    Start("[Setup]\r\n");
    for (int i = 1; i <= 20; ++i) {
        ASSERT_TRUE(Ask(100, "FInfoDlgProc"));
        ASSERT_EQ(Symbol("DLGEVENT"), "CONTINUE") << i;
    }
    ASSERT_TRUE(Ask(100, "FInfoDlgProc"));
    EXPECT_EQ(Symbol("DLGEVENT"), "EXIT");
    ASSERT_TRUE(Ask(200, "FQuitDlgProc"));
    End();
    EXPECT_EQ(LastLine(Log()), "end: quit (dialog 100 asked more than 20 times)");
}

TEST_F(Unattended, KillCountsTheRecordsOfAnsweredDialogs) {
    Start(kFullAnswers);
    ASSERT_TRUE(Ask(100, "FInfoDlgProc"));
    ASSERT_TRUE(Ask(800, "FRadioDlgProc"));
    ASSERT_TRUE(Ask(800, "FRadioDlgProc")); // still open: the same record
    ASSERT_TRUE(FDoDialogExt(HwndFrame(), "mscuistf.dll", 5001, "FModelessDlgProc", "", 0, ""));
    ASSERT_TRUE(FKillNDialogs(2));
    EXPECT_TRUE(HasLine(Log(), "dialogs closed: 5001 800"));
    ASSERT_TRUE(FKillNDialogs(-1));
    EXPECT_TRUE(HasLine(Log(), "dialogs closed: 100"));
}

TEST_F(Unattended, BufferOverflowBoxAndFatalDialogEndInFatalStop) {
    Start(kFullAnswers);
    EXPECT_EQ(DoMsgBox("Buffer Overflow", "MS-Setup Error", MB_ICONHAND), IDOK);
    EXPECT_TRUE(HasLine(Log(), "message box \"MS-Setup Error\": Buffer Overflow -> OK"));
    ASSERT_TRUE(Ask(400, "FInfo0DlgProc"));
    EXPECT_EQ(Symbol("DLGEVENT"), "CONTINUE");
    EXPECT_EQ(VisibleDialogs(), 0);
    End();
    EXPECT_EQ(LastLine(Log()), "end: fatal stop (Buffer Overflow)");
}

TEST_F(Unattended, HookAnswersTheInstallersOwnMessageBoxesWithTheDefaultButton) {
    Start(kFullAnswers);
    EXPECT_EQ(MessageBoxA(HwndFrame(), "Replace the old files?", "Postern Setup",
                          MB_YESNO | MB_DEFBUTTON2),
              IDNO);
    EXPECT_TRUE(HasLine(Log(), "message box \"Postern Setup\": Replace the old files? -> No"));
    EXPECT_EQ(MessageBoxA(nullptr, "Continue?", "Postern Setup", MB_OKCANCEL), IDOK);
    EXPECT_TRUE(HasLine(Log(), "message box \"Postern Setup\": Continue? -> OK"));
    End();
    EXPECT_EQ(LastLine(Log()), "end: stopped before the first dialog");
}

namespace {

// A captioned modal dialog without controls, as the installer's own dialogs
// (not yet answerable) will be; Cancel ends it.
INT_PTR CALLBACK CancelOnly(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

} // namespace

TEST_F(Unattended, UnanswerableInstallerDialogIsCancelledAsAFailure) {
    Start(kFullAnswers);
    struct Template {
        DLGTEMPLATE head;
        WORD menu, cls;
        wchar_t title[17];
    } form{};
    form.head.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME;
    form.head.cx = 120;
    form.head.cy = 40;
    std::wstring title = L"Convert database";
    title.copy(form.title, title.size());
    EXPECT_EQ(
        DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &form.head, HwndFrame(), CancelOnly, 0),
        IDCANCEL);
    EXPECT_TRUE(HasLine(Log(), "failed: unattended: no answer for dialog \"Convert database\"; "
                               "it is cancelled"));
}

// The add-user wizard's dialogs are known by their titles and controls: a
// dialog with the title of the question but without its controls is not
// taken for it.
TEST_F(Unattended, ADialogWithTheWizardsTitleButNotItsControlsIsNotAnswered) {
    Start("[Setup]\r\n[Users]\r\nalice=Alice Example,alice-pw\r\n");
    struct Template {
        DLGTEMPLATE head;
        WORD menu, cls;
        wchar_t title[12];
    } form{};
    form.head.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME;
    form.head.cx = 120;
    form.head.cy = 40;
    std::wstring title = L"Add a user?";
    title.copy(form.title, title.size());
    EXPECT_EQ(
        DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &form.head, HwndFrame(), CancelOnly, 0),
        IDCANCEL);
    EXPECT_TRUE(HasLine(Log(), "failed: unattended: no answer for dialog \"Add a user?\"; "
                               "it is cancelled"));
    EXPECT_FALSE(HasLine(Log(), "installer dialog", true));
}
