// Interactive dialogs under Wine with the real dialog library: the modal
// wait, dialogs staying open until FKillNDialogs, asking an open dialog
// again, modeless dialogs, the frame's close box, WM_QUIT, help, outcome
// lines, the end of the run and /record.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/win_test_support.h"
#include "setup_toolkit.h"
#include "toolkit_dialogs.h"
#include "toolkit_win_harness.h"

using namespace toolkit_test;

namespace {

constexpr char kWelcome[] = "Welcome to Postern Setup";
constexpr char kQuit[] = "Exit Setup?";
constexpr char kDestination[] = "Destination directory";
constexpr char kFatal[] = "Setup stopped because of an error";
constexpr char kInstallType[] = "Installation type";
constexpr char kHelp[] = "What Setup asks";

class Dialogs : public testing::Test {
  protected:
    void SetUp() override { Start(""); }
    void TearDown() override {
        if (HwndFrame() != nullptr)
            TerminateFrame();
        if (HasFailure())
            std::printf("run log:\n%s", ReadText(Log()).c_str());
    }
    void Start(const std::string& extra) {
        std::string line = "/log \"" + Log() + "\" /noexit " + extra;
        ASSERT_GT(InitializeFrame(line.data()), 0);
    }
    std::string Log() const { return dir_.File("run.log"); }

    // Shows `number` and presses `button` on it; expects it to appear.
    BOOL ShowAndPress(UINT number, const char* procedure, const char* heading, int button) {
        bool found = false;
        const BOOL shown = ShowAndDrive(
            number, procedure, heading, [&](HWND dialog) { Press(dialog, button); }, &found);
        EXPECT_TRUE(found) << heading;
        return shown;
    }

    TempDir dir_;
};

} // namespace

TEST_F(Dialogs, ModalDialogReturnsOnItsEventAndStaysOpenUntilKilled) {
    ASSERT_TRUE(ShowAndPress(100, "FInfoDlgProc", kWelcome, IDC_CONTINUE));
    EXPECT_EQ(Symbol("DLGEVENT"), "CONTINUE");
    HWND dialog = FindDialog(GetCurrentThreadId(), kWelcome);
    ASSERT_NE(dialog, nullptr) << "the dialog closed after its event";
    EXPECT_TRUE(HasLine(Log(), "dialog 100 FInfoDlgProc: CONTINUE"));
    ASSERT_TRUE(FKillNDialogs(1));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(HasLine(Log(), "dialogs closed: 100"));
}

TEST_F(Dialogs, OnlyTheWaitingDialogTakesInput) {
    ASSERT_TRUE(ShowAndPress(100, "FInfoDlgProc", kWelcome, IDC_CONTINUE));
    HWND welcome = FindDialog(GetCurrentThreadId(), kWelcome);
    ASSERT_NE(welcome, nullptr);
    EXPECT_FALSE(IsWindowEnabled(welcome)) << "its turn is over";
    ASSERT_TRUE(FSetSymbolValue("RadioDefault", "2"));
    bool frameEnabled = false;
    bool welcomeEnabled = true;
    bool selfEnabled = false;
    HWND type = nullptr;
    ASSERT_TRUE(ShowAndDrive(800, "FRadioDlgProc", kInstallType, [&](HWND dialog) {
        type = dialog;
        frameEnabled = IsWindowEnabled(HwndFrame()); // its close box asks to exit
        welcomeEnabled = IsWindowEnabled(welcome);
        selfEnabled = IsWindowEnabled(dialog);
        Press(dialog, IDC_CONTINUE);
    }));
    EXPECT_TRUE(frameEnabled);
    EXPECT_FALSE(welcomeEnabled);
    EXPECT_TRUE(selfEnabled);
    EXPECT_TRUE(IsWindowEnabled(HwndFrame()));
    EXPECT_FALSE(IsWindowEnabled(type));
    EXPECT_TRUE(HasLine(Log(), "dialog 800 FRadioDlgProc: CONTINUE ButtonChecked=\"2\""));

    // A click that reaches a dialog after its turn changes nothing.
    SendMessageA(type, WM_COMMAND, MAKEWPARAM(IDC_BACK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(type, IDC_BACK)));
    EXPECT_EQ(Symbol("DLGEVENT"), "CONTINUE");

    // Asked for again, the welcome takes input again.
    bool welcomeAgain = false;
    ASSERT_TRUE(ShowAndDrive(100, "FInfoDlgProc", kWelcome, [&](HWND dialog) {
        welcomeAgain = IsWindowEnabled(dialog) != FALSE;
        Press(dialog, IDC_CONTINUE);
    }));
    EXPECT_TRUE(welcomeAgain);
    ASSERT_TRUE(FKillNDialogs(-1));
    EXPECT_TRUE(HasLine(Log(), "dialogs closed: 800 100"));
}

TEST_F(Dialogs, AModelessDialogAskedForAgainReportsAtOnce) {
    ASSERT_TRUE(FDoDialogExt(HwndFrame(), "mscuistf.dll", 5006, "FModelessDlgProc", "", 0, ""));
    ASSERT_TRUE(FSetSymbolValue("DLGEVENT", ""));
    ASSERT_TRUE(FDoDialogExt(HwndFrame(), "mscuistf.dll", 5006, "FModelessDlgProc", "", 0, ""));
    EXPECT_EQ(Symbol("DLGEVENT"), "CONTINUE");
    ASSERT_TRUE(FKillNDialogs(1));
    EXPECT_TRUE(HasLine(Log(), "dialogs closed: 5006"));
}

TEST_F(Dialogs, AskingForAnOpenDialogShowsTheSameWindowRefreshed) {
    ASSERT_TRUE(FSetSymbolValue("EditTextIn", "C:\\FIRST"));
    HWND first = nullptr;
    ASSERT_TRUE(ShowAndDrive(300, "FEditDlgProc", kDestination, [&](HWND dialog) {
        first = dialog;
        Press(dialog, IDC_CONTINUE);
    }));
    EXPECT_EQ(Symbol("EditTextOut"), "C:\\FIRST");
    EXPECT_TRUE(HasLine(Log(), "dialog 300 FEditDlgProc: CONTINUE EditTextOut=\"C:\\FIRST\""));
    ASSERT_TRUE(FSetSymbolValue("EditTextIn", "D:\\SECOND"));
    HWND second = nullptr;
    std::string field;
    ASSERT_TRUE(ShowAndDrive(300, "FEditDlgProc", kDestination, [&](HWND dialog) {
        second = dialog;
        field = postern::TextOf(GetDlgItem(dialog, IDC_EDITFIELD));
        Press(dialog, IDC_BACK);
    }));
    EXPECT_EQ(second, first);
    EXPECT_EQ(field, "D:\\SECOND");
    EXPECT_EQ(Symbol("DLGEVENT"), "BACK");
    ASSERT_TRUE(FKillNDialogs(-1));
    EXPECT_TRUE(HasLine(Log(), "dialogs closed: 300")); // one window, one record
}

TEST_F(Dialogs, ModelessDialogsReturnAtOnceAndCountForKill) {
    ASSERT_TRUE(FDoDialogExt(HwndFrame(), "mscuistf.dll", 5001, "FModelessDlgProc", "", 0, ""));
    EXPECT_EQ(Symbol("DLGEVENT"), "CONTINUE");
    EXPECT_TRUE(HasLine(Log(), "dialog 5001 FModelessDlgProc: CONTINUE"));
    ASSERT_TRUE(ShowAndPress(100, "FInfoDlgProc", kWelcome, IDC_EXIT));
    EXPECT_EQ(Symbol("DLGEVENT"), "EXIT");
    ASSERT_TRUE(FKillNDialogs(3));
    EXPECT_TRUE(HasLine(Log(), "dialogs closed: 100 5001 (3 asked, 2 were open)"));
    EXPECT_EQ(FindDialog(GetCurrentThreadId(), kWelcome), nullptr);
}

TEST_F(Dialogs, FrameCloseBoxIsExitForTheWaitingDialog) {
    ASSERT_TRUE(ShowAndDrive(100, "FInfoDlgProc", kWelcome,
                             [](HWND) { PostMessageA(HwndFrame(), WM_CLOSE, 0, 0); }));
    EXPECT_EQ(Symbol("DLGEVENT"), "EXIT");
    EXPECT_TRUE(IsWindow(HwndFrame()));
    EXPECT_TRUE(HasLine(Log(), "frame closed by the operator: EXIT to the waiting dialog"));
}

TEST_F(Dialogs, WmQuitEndsTheWaitAsAFailure) {
    const DWORD self = GetCurrentThreadId();
    EXPECT_FALSE(ShowAndDrive(100, "FInfoDlgProc", kWelcome,
                              [self](HWND) { PostThreadMessageA(self, WM_QUIT, 0, 0); }));
    EXPECT_TRUE(HasLine(Log(), "failed: FDoDialogExt 100: WM_QUIT received"));
    EXPECT_TRUE(IsWindowEnabled(HwndFrame()));
}

TEST_F(Dialogs, HelpButtonShowsTheHelpDialogAndTheTurnGoesOn) {
    bool helpSeen = false;
    ASSERT_TRUE(ShowAndDrive(100, "FInfoDlgProc", kWelcome, [&](HWND dialog) {
        Press(dialog, IDC_HELPBUTTON);
        HWND help = nullptr;
        helpSeen = postern::WaitFor(
            [&] {
                return (help = FindDialog(GetWindowThreadProcessId(dialog, nullptr), kHelp)) !=
                       nullptr;
            },
            10000);
        if (helpSeen) {
            Press(help, IDOK);
            postern::WaitFor([&] { return !IsWindow(help); }, 10000);
        }
        Press(dialog, IDC_CONTINUE);
    }));
    EXPECT_TRUE(helpSeen);
    EXPECT_EQ(Symbol("DLGEVENT"), "CONTINUE");
    EXPECT_TRUE(HasLine(Log(), "help dialog 900 FHelpDlgProc: CONTINUE"));
}

TEST_F(Dialogs, MissingLibraryOrProcedureFails) {
    EXPECT_FALSE(FDoDialogExt(HwndFrame(), "no_such.dll", 100, "FInfoDlgProc", "", 0, ""));
    EXPECT_TRUE(HasLine(Log(), "failed: dialog library no_such.dll does not load", true));
    EXPECT_FALSE(FDoDialogExt(HwndFrame(), "mscuistf.dll", 100, "NoSuchProc", "", 0, ""));
    EXPECT_TRUE(
        HasLine(Log(), "failed: dialog procedure NoSuchProc is not exported by its library"));
    EXPECT_FALSE(FDoDialogExt(HwndFrame(), "mscuistf.dll", 12345, "FInfoDlgProc", "", 0, ""));
    EXPECT_TRUE(HasLine(Log(),
                        "failed: FDoDialogExt: dialog 12345 of mscuistf.dll could not be "
                        "created",
                        true));
}

TEST_F(Dialogs, QuitConfirmationEndsTheRunAsOperatorQuit) {
    ASSERT_TRUE(ShowAndPress(200, "FQuitDlgProc", kQuit, IDC_EXIT));
    TerminateFrame();
    EXPECT_EQ(LastLine(Log()), "end: quit (operator quit)");
}

TEST_F(Dialogs, FatalDialogEndsTheRunWithTheLastFailure) {
    EXPECT_FALSE(FSetBitmap("mscuistf.dll", 999));
    ASSERT_TRUE(ShowAndPress(400, "FInfo0DlgProc", kFatal, IDC_CONTINUE));
    ASSERT_TRUE(FKillNDialogs(1));
    TerminateFrame();
    EXPECT_EQ(LastLine(Log()), "end: fatal stop (FSetBitmap: mscuistf.dll has no bitmap 999)");
}

TEST_F(Dialogs, AFailureJustBeforeTheEndStaysTheOutcomeWithDialogsStillOpen) {
    ASSERT_TRUE(ShowAndPress(100, "FInfoDlgProc", kWelcome, IDC_CONTINUE));
    EXPECT_FALSE(FOpenInf(dir_.File("missing.inf").c_str(), TRUE, FALSE));
    // Closing the welcome at TerminateFrame is logged, but is no new event.
    TerminateFrame();
    EXPECT_TRUE(HasLine(Log(), "dialogs closed at TerminateFrame: 100"));
    EXPECT_EQ(LastLine(Log()).rfind("end: fatal stop (FOpenInf", 0), 0u) << LastLine(Log());
}

TEST_F(Dialogs, RecordWritesAnAnswerFileThatReplays) {
    TerminateFrame();
    const std::string record = dir_.File("record.ini");
    Start("/record \"" + record + "\"");
    ASSERT_TRUE(FSetSymbolValue("RadioDefault", "3"));
    ASSERT_TRUE(ShowAndPress(800, "FRadioDlgProc", kInstallType, IDC_CONTINUE));
    ASSERT_TRUE(FSetSymbolValue("EditTextIn", "C:\\POSTERN"));
    ASSERT_TRUE(ShowAndDrive(300, "FEditDlgProc", kDestination, [](HWND dialog) {
        SendMessageA(GetDlgItem(dialog, IDC_EDITFIELD), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>("D:\\Mail Server"));
        Press(dialog, IDC_CONTINUE);
    }));
    const std::string text = ReadText(record);
    EXPECT_NE(text.find("[Setup]\r\nMode=remove\r\nDestination=D:\\Mail Server\r\n"),
              std::string::npos)
        << text;
    FKillNDialogs(-1);
    TerminateFrame();

    Start("/answers \"" + record + "\"");
    ASSERT_TRUE(FSetSymbolValue("RadioDefault", "1"));
    ASSERT_TRUE(FDoDialogExt(HwndFrame(), "mscuistf.dll", 800, "FRadioDlgProc", "", 0, ""));
    EXPECT_EQ(Symbol("ButtonChecked"), "3");
    ASSERT_TRUE(FDoDialogExt(HwndFrame(), "mscuistf.dll", 300, "FEditDlgProc", "", 0, ""));
    EXPECT_EQ(Symbol("EditTextOut"), "D:\\Mail Server");
}

TEST_F(Dialogs, EventsFromWindowsNothingWaitsForAreIgnored) {
    ASSERT_TRUE(FSetSymbolValue("DLGEVENT", "BACK"));
    HWND other =
        CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    ReportDialogEvent(other, "CONTINUE"); // as a billboard the copy engine shows does
    DestroyWindow(other);
    EXPECT_EQ(Symbol("DLGEVENT"), "BACK");
    EXPECT_FALSE(HasLine(Log(), "failed: ", true));
    ReportDialogEvent(nullptr, "EXIT");
    EXPECT_TRUE(HasLine(Log(), "failed: ReportDialogEvent EXIT: no such window"));
}
