// The installer's dialogs driven like an operator would: buttons pressed in the
// real dialog windows of the running installer, the run log telling which
// dialog answered what. A recorded run replays along the same path.
#include "installed_suite.h"
#include "setup_run.h"

#include "common/win_test_support.h"

#include <gtest/gtest.h>

using namespace setup_test;
using Numbers = std::vector<unsigned>;

namespace {

constexpr int kContinue = IDOK;
constexpr int kCancelKey = IDCANCEL;
constexpr int kBack = 101;
constexpr int kExit = 102;
constexpr int kEditField = 201;
constexpr int kOption1 = 301;

// An installer run that the test operates, one dialog outcome at a time.
class Operator {
  public:
    Operator(const Distribution& dist, const std::string& arguments)
        : dist_(dist), process_(dist.Start(arguments)) {
        if (process_)
            pid_ = GetProcessId(process_.get());
    }
    ~Operator() {
        if (process_ && WaitForSingleObject(process_.get(), 30000) != WAIT_OBJECT_0)
            TerminateProcess(process_.get(), 99);
    }

    bool Started() const { return process_.valid(); }

    // Presses a button of the waiting dialog and waits for its outcome.
    ::testing::AssertionResult Press(int id) {
        const std::size_t before = dist_.Dialogs().size();
        HWND dialog = WaitingDialog();
        if (dialog == nullptr)
            return ::testing::AssertionFailure() << "no dialog waits for button " << id;
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        if (!WaitForDialogs(dist_, before + 1))
            return ::testing::AssertionFailure() << "button " << id << " gave no outcome";
        return ::testing::AssertionSuccess();
    }

    // Types into the edit field of the waiting dialog.
    ::testing::AssertionResult Type(const std::string& text) {
        HWND dialog = WaitingDialog();
        if (dialog == nullptr)
            return ::testing::AssertionFailure() << "no dialog waits";
        SendMessageA(GetDlgItem(dialog, kEditField), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(text.c_str()));
        return ::testing::AssertionSuccess();
    }

    // The edit field of the waiting dialog (WM_GETTEXT: GetWindowText does
    // not ask a window of another process).
    std::string FieldText() const {
        char text[300] = "";
        SendMessageA(GetDlgItem(WaitingDialog(), kEditField), WM_GETTEXT, sizeof text,
                     reinterpret_cast<LPARAM>(text));
        return text;
    }

    // Checks option `n` (1-based) of the waiting radio dialog.
    ::testing::AssertionResult Choose(int n) {
        HWND dialog = WaitingDialog();
        if (dialog == nullptr)
            return ::testing::AssertionFailure() << "no dialog waits";
        for (int id = kOption1; id < kOption1 + 9; ++id)
            if (HWND option = GetDlgItem(dialog, id))
                SendMessageA(option, BM_SETCHECK, id == kOption1 + n - 1 ? BST_CHECKED : 0, 0);
        return ::testing::AssertionSuccess();
    }

    HWND WaitingDialog() const { return setup_test::WaitingDialog(dist_, pid_); }

    // Presses a button of the installer's own dialog with this title once it
    // is up.
    ::testing::AssertionResult PressInInstallerDialog(const char* title, int id) const {
        HWND dialog = nullptr;
        postern::WaitFor([&] {
            dialog = FindWindowA("#32770", title);
            return dialog != nullptr && IsWindowVisible(dialog);
        });
        if (dialog == nullptr)
            return ::testing::AssertionFailure() << "no dialog \"" << title << "\"";
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        return ::testing::AssertionSuccess();
    }

    // The frame: the visible top-level window of the run that is no dialog.
    HWND Frame() const {
        struct Search {
            DWORD pid;
            HWND found;
        } search{pid_, nullptr};
        EnumWindows(
            [](HWND window, LPARAM param) -> BOOL {
                auto* s = reinterpret_cast<Search*>(param);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                char cls[16] = "";
                GetClassNameA(window, cls, sizeof cls);
                if (owner == s->pid && IsWindowVisible(window) && std::string(cls) != "#32770") {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // Posts WM_QUIT to the thread of the waiting dialog (the installer's).
    bool PostQuit() const {
        HWND dialog = WaitingDialog();
        return dialog != nullptr &&
               PostThreadMessageA(GetWindowThreadProcessId(dialog, nullptr), WM_QUIT, 0, 0);
    }

    bool Ended(DWORD timeoutMs = 30000) const {
        return WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
    }
    DWORD ExitStatus() const {
        DWORD status = 99;
        GetExitCodeProcess(process_.get(), &status);
        return status;
    }

  private:
    const Distribution& dist_;
    postern::UniqueKernelHandle process_;
    DWORD pid_ = 0;
};

std::vector<std::string> Events(const Distribution& dist) {
    std::vector<std::string> events;
    for (const DialogOutcome& outcome : dist.Dialogs())
        events.push_back(std::to_string(outcome.number) + " " + outcome.event);
    return events;
}

class InteractiveRun : public ::testing::Test {
  protected:
    SuiteSandbox sandbox_{{"C:\\PSTREC"}};
};

} // namespace

TEST_F(InteractiveRun, BackAndExitFollowTheDialogTablesAndTheRecordReplays) {
    Distribution dist("operator");
    const std::string record = dist.Folder() + "..\\recorded.ini";
    {
        Operator op(dist, "/record \"" + record + "\"");
        ASSERT_TRUE(op.Started());
        ASSERT_TRUE(op.Press(kContinue)); // welcome
        ASSERT_TRUE(op.Press(kContinue)); // installation type: new, preset
        ASSERT_TRUE(op.Press(kBack));     // user database: back to the type
        ASSERT_TRUE(op.Press(kContinue));
        ASSERT_TRUE(op.Choose(2)); // the suite's own user database
        ASSERT_TRUE(op.Press(kContinue));
        ASSERT_TRUE(op.Type("mail.recorded.test"));
        ASSERT_TRUE(op.Press(kContinue)); // host name
        ASSERT_TRUE(op.Press(kExit));     // destination: the quit confirmation...
        ASSERT_TRUE(op.Press(kContinue)); // ...returns to the destination
        ASSERT_TRUE(op.Type("C:\\PSTREC"));
        ASSERT_TRUE(op.Press(kContinue));
        // The configuration's add-user wizard: no user.
        ASSERT_TRUE(op.PressInInstallerDialog("Add a user?", kContinue));
        // The completion dialog only goes on kContinue.
        ASSERT_TRUE(op.Press(kBack));
        ASSERT_TRUE(op.Press(kCancelKey));
        ASSERT_TRUE(op.Press(kExit));
        ASSERT_TRUE(op.Press(kContinue));
        ASSERT_TRUE(op.Ended());
        EXPECT_EQ(op.ExitStatus(), 0u);
    }
    EXPECT_EQ(Events(dist),
              (std::vector<std::string>{"100 CONTINUE", "800 CONTINUE", "801 BACK", "800 CONTINUE",
                                        "801 CONTINUE", "7801 CONTINUE", "300 EXIT", "200 CONTINUE",
                                        "300 CONTINUE", "5006 CONTINUE", "5005 CONTINUE",
                                        "700 BACK", "700 CANCEL", "700 EXIT", "700 CONTINUE"}));
    EXPECT_EQ(dist.LastLine(), "end: completed");

    const std::string recorded = ReadWholeFile(record);
    EXPECT_NE(recorded.find("Mode=new"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("UserDatabase=own"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("HostName=mail.recorded.test"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("Destination=C:\\PSTREC"), std::string::npos) << recorded;

    // The replay answers the same questions the same way, without the detours.
    const auto interactive = dist.Dialogs();
    DeleteFileA(dist.LogPath().c_str());
    EXPECT_EQ(dist.Run("/answers \"" + record + "\""), kWarnedOfMissingPrograms);
    EXPECT_EQ(dist.DialogNumbers(), (Numbers{100, 800, 801, 7801, 300, 5006, 5005, 700}));
    EXPECT_EQ(dist.LastLine(), "end: completed");
    const auto replayed = dist.Dialogs();
    ASSERT_EQ(replayed.size(), 8u);
    EXPECT_NE(replayed[2].line.find("ButtonChecked=\"2\""), std::string::npos);
    EXPECT_NE(replayed[3].line.find("EditTextOut=\"mail.recorded.test\""), std::string::npos);
    EXPECT_NE(replayed[4].line.find("EditTextOut=\"C:\\PSTREC\""), std::string::npos);
}

TEST_F(InteractiveRun, BadDestinationsLeadBackToTheDestinationDialog) {
    Distribution dist("bad-dest-operator");
    Operator op(dist, "");
    ASSERT_TRUE(op.Started());
    ASSERT_TRUE(op.Press(kContinue)); // welcome
    ASSERT_TRUE(op.Press(kContinue)); // new
    ASSERT_TRUE(op.Press(kContinue)); // user database
    ASSERT_TRUE(op.Press(kContinue)); // host name
    ASSERT_TRUE(op.Type(""));
    ASSERT_TRUE(op.Press(kContinue)); // empty
    ASSERT_TRUE(op.Press(kContinue)); // bad directory: kContinue returns
    std::string source = dist.Folder();
    for (char& c : source)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    ASSERT_TRUE(op.Type(source));
    ASSERT_TRUE(op.Press(kContinue));  // the source folder in other letters
    ASSERT_TRUE(op.Press(kCancelKey)); // bad directory: Cancel returns too
    // The refused text is still there to be corrected.
    EXPECT_EQ(op.FieldText(), source);
    ASSERT_TRUE(op.Press(kBack)); // destination: back to the type
    ASSERT_TRUE(op.Press(kExit)); // type: the quit confirmation
    ASSERT_TRUE(op.Press(kExit)); // quit
    ASSERT_TRUE(op.Ended());
    EXPECT_EQ(op.ExitStatus(), 0u);
    EXPECT_EQ(Events(dist), (std::vector<std::string>{
                                "100 CONTINUE", "800 CONTINUE", "801 CONTINUE", "7801 CONTINUE",
                                "300 CONTINUE", "6400 CONTINUE", "300 CONTINUE", "6400 CANCEL",
                                "300 BACK", "800 EXIT", "200 EXIT"}));
    EXPECT_EQ(dist.LastLine().rfind("end: quit (", 0), 0u) << dist.LastLine();
}

// A destination refused in an update is no installed folder: choosing the
// removal afterwards still names, and tells the library of, the registered one.
TEST_F(InteractiveRun, ARemovalAfterARefusedDestinationWorksOnTheRegisteredFolder) {
    RegisteredInstallation installed("C:\\PSTREC", "rec.example.com");
    Distribution dist("remove-after-refusal");
    Operator op(dist, "");
    ASSERT_TRUE(op.Started());
    ASSERT_TRUE(op.Press(kContinue)); // welcome
    ASSERT_TRUE(op.Press(kContinue)); // type: update, preset
    ASSERT_TRUE(op.Press(kContinue)); // host name
    ASSERT_TRUE(op.Type(dist.Folder()));
    ASSERT_TRUE(op.Press(kContinue)); // the source folder: refused
    ASSERT_TRUE(op.Press(kContinue)); // bad directory
    ASSERT_TRUE(op.Press(kBack));     // destination: back to the type
    ASSERT_TRUE(op.Choose(3));
    ASSERT_TRUE(op.Press(kContinue)); // removal
    std::string text;
    ASSERT_TRUE(postern::WaitFor([&] {
        HWND box = FindWindowA("#32770", "Manual Remove");
        if (box == nullptr)
            return false;
        char buffer[400] = "";
        SendMessageA(GetDlgItem(box, 0xFFFF), WM_GETTEXT, sizeof buffer,
                     reinterpret_cast<LPARAM>(buffer));
        text = buffer;
        return !text.empty();
    }));
    ASSERT_TRUE(op.PressInInstallerDialog("Manual Remove", IDOK));
    ASSERT_TRUE(op.Ended());
    EXPECT_EQ(text, "You must manually delete the files in the directory\nC:\\PSTREC that belong "
                    "to Postern");
    EXPECT_NE(ReadWholeFile(dist.Path("usrvault.log"))
                  .find("521 MarkInstallation(\"C:\\PSTREC\\reg_term\")"),
              std::string::npos);
    EXPECT_EQ(dist.LastLine(), "end: completed");
}

TEST_F(InteractiveRun, WelcomeAndTypeShowAgainOnBackAndTheFrameNamesTheSystem) {
    Distribution dist("frame");
    Operator op(dist, "");
    ASSERT_TRUE(op.Started());
    ASSERT_TRUE(op.Press(kBack)); // welcome again
    ASSERT_TRUE(op.Press(kContinue));
    ASSERT_TRUE(op.Press(kBack));      // type again
    ASSERT_TRUE(op.Press(kCancelKey)); // type: Cancel asks to quit
    ASSERT_TRUE(op.Press(kCancelKey)); // the confirmation's Cancel returns

    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    const std::string title = "Postern Server for Windows NT " +
                              std::to_string(version.dwMajorVersion) + "." +
                              std::to_string(version.dwMinorVersion);
    EXPECT_EQ(postern::TextOf(op.Frame()), title);

    ASSERT_TRUE(op.Press(kExit));
    ASSERT_TRUE(op.Press(kExit));
    ASSERT_TRUE(op.Ended());
    EXPECT_EQ(Events(dist),
              (std::vector<std::string>{"100 BACK", "100 CONTINUE", "800 BACK", "800 CANCEL",
                                        "200 CANCEL", "800 EXIT", "200 EXIT"}));
}

TEST_F(InteractiveRun, QuitMessageWhileADialogWaitsEndsInTheFatalStop) {
    Distribution dist("wm-quit");
    Operator op(dist, "");
    ASSERT_TRUE(op.Started());
    ASSERT_TRUE(op.Press(kContinue)); // welcome
    ASSERT_TRUE(op.PostQuit());       // while the installation type waits
    // The type dialog ends without an outcome, so wait for the next one.
    ASSERT_TRUE(
        postern::WaitFor([&] { return dist.LogContains("dialog 400 FInfo0DlgProc shown"); }));
    ASSERT_TRUE(op.Press(kContinue)); // the fatal-stop dialog
    ASSERT_TRUE(op.Ended());
    EXPECT_EQ(op.ExitStatus(), 0u);
    EXPECT_EQ(Events(dist), (std::vector<std::string>{"100 CONTINUE", "400 CONTINUE"}));
    EXPECT_EQ(dist.LastLine().rfind("end: fatal stop (", 0), 0u) << dist.LastLine();
    EXPECT_TRUE(dist.LogContains("WM_QUIT"));
}
