// The add-user wizard driven like an operator under Wine: its four dialogs
// shown from the installer's resources on the installer's thread, the rules
// and messages of the user id, the duplicate check, the question counter,
// and the users it adds to the user database (usrvault.dll beside the test).
#include "../config/config_test_support.h"
#include "wizard_harness.h"

#include "common/suite_registry.h"
#include "common/win_test_support.h"
#include "setup/res/pstsetup_rc.h"
#include "setup/setup_session.h"
#include "setup/userdb/add_user_wizard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>

using namespace wizard_test;

namespace {

constexpr char kFirstQuestion[] = "Do you wish to add a user at this time? \n\n";
constexpr char kAnotherQuestion[] = "Do you wish to add another user?";

class Wizard : public ::testing::Test {
  protected:
    void SetUp() override {
        FreshDatabase();
        Session.AddUserQuestions = 0;
    }
    void TearDown() override {
        if (thread_)
            thread_->Join(1000);
        thread_.reset();
        FreshDatabase();
    }

    // Runs the wizard for the domain on the installer's thread, its dialogs
    // owned by a window of that thread.
    void Start(const char* domainName = kDomain) {
        thread_ = std::make_unique<InstallerThread>([this, domainName] {
            HWND owner = CreateOwnerWindow();
            owner_ = owner;
            result_ = RunAddUserWizard(owner, GetModuleHandleA(nullptr), domainName);
            DestroyWindow(owner);
        });
    }
    // Waits for the wizard to return.
    ::testing::AssertionResult Ended() {
        if (!thread_->Join())
            return ::testing::AssertionFailure() << "the wizard did not end";
        if (result_ != 1)
            return ::testing::AssertionFailure() << "the wizard returned " << result_;
        return ::testing::AssertionSuccess();
    }
    HWND Dialog(const char* caption) { return WaitForDialog(thread_->Id(), caption); }

    // The question: "Add a user" (button 2) or Continue (button 1); checks
    // the question's text first.
    void Answer(const char* expectedQuestion, int button) {
        HWND question = Dialog("Add a user?");
        ASSERT_NE(question, nullptr) << "no question";
        EXPECT_EQ(ItemText(question, IDC_QUESTION), expectedQuestion);
        Click(question, button);
        ASSERT_TRUE(WaitGone(question));
    }
    // Types into a data dialog and presses OK; the dialog must close.
    void Enter(const char* caption, const std::string& text) {
        HWND dialog = Dialog(caption);
        ASSERT_NE(dialog, nullptr) << "no dialog \"" << caption << "\"";
        Type(dialog, text);
        Click(dialog, IDOK);
        ASSERT_TRUE(WaitGone(dialog)) << caption << ": " << text;
    }
    // Types a user id that the rules refuse: the message box with its
    // caption, stop icon and text, and the dialog still open after it.
    void Refused(const std::string& userId, const std::string& message) {
        HWND dialog = Dialog("Enter a UserID");
        ASSERT_NE(dialog, nullptr);
        Type(dialog, userId);
        Click(dialog, IDOK);
        HWND box = Dialog("Invalid UserID");
        ASSERT_NE(box, nullptr) << "no message for \"" << userId << "\"";
        EXPECT_EQ(ItemText(box, 0xFFFF), message) << userId;
        EXPECT_TRUE(ShowsIcon(box)) << userId;
        EXPECT_EQ(GetWindow(box, GW_OWNER), dialog) << "the message box belongs to the dialog";
        Click(box, IDOK);
        ASSERT_TRUE(WaitGone(box));
        EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << userId;
        EXPECT_EQ(Dialog("Enter a UserID"), dialog);
    }
    void Add(const char* userId, const char* fullName, const char* password) {
        Enter("Enter a UserID", userId);
        Enter("Enter the full name", fullName);
        Enter("Enter the password", password);
    }

    std::unique_ptr<InstallerThread> thread_;
    std::atomic<HWND> owner_{nullptr};
    std::atomic<int> result_{-5};
};

} // namespace

TEST_F(Wizard, EnterOnTheFirstQuestionEndsItWithoutAUser) {
    Start();
    HWND question = Dialog("Add a user?");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(ItemText(question, IDC_QUESTION), kFirstQuestion);
    EXPECT_EQ(ItemText(question, IDOK), "Continue");
    EXPECT_EQ(ItemText(question, IDCANCEL), "Add a user");
    Key(question, VK_RETURN);
    EXPECT_TRUE(Ended());
    EXPECT_TRUE(StoredUserIds().empty());
    EXPECT_EQ(Session.AddUserQuestions, 1);
}

TEST_F(Wizard, UserIdRulesKeepTheDialogOpenWithTheirMessage) {
    Start();
    Answer(kFirstQuestion, IDCANCEL);
    Refused("ab", "UserID length error.");
    Refused("a b#c", "Invalid character ' ' in userid!");
    Refused("x@y", "Invalid character '@' in userid!");
    Refused("mail-admin", "Invalid character '-' in userid!");
    Refused(std::string(30, 'u'), "UserID length error."); // longer than kept: not cut
    Refused("", "UserID length error.");
    Enter("Enter a UserID", "mail.admin");
    HWND name = Dialog("Enter the full name");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(ItemText(name, 1000), "mail.admin"); // proposed: the id just entered
    Click(name, IDCANCEL);
    EXPECT_TRUE(Ended());
    EXPECT_TRUE(StoredUserIds().empty());
}

TEST_F(Wizard, AnAddedUserHasItsAnswersAndFlagsExactly0x80) {
    Start();
    Answer(kFirstQuestion, IDCANCEL);
    Enter("Enter a UserID", "mail.admin");

    HWND name = Dialog("Enter the full name");
    ASSERT_NE(name, nullptr);
    HWND field = GetDlgItem(name, 1000);
    EXPECT_EQ(Text(field), "mail.admin");
    DWORD start = 1, end = 0;
    SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 10u); // selected, so typing replaces it
    EXPECT_EQ(SendMessageA(field, EM_GETLIMITTEXT, 0, 0), 61);
    Type(name, "Mail Administrator");
    Click(name, IDOK);
    ASSERT_TRUE(WaitGone(name));

    HWND password = Dialog("Enter the password");
    ASSERT_NE(password, nullptr);
    field = GetDlgItem(password, 1000);
    EXPECT_EQ(Text(field), "kestrels");
    EXPECT_EQ(GetWindowLongA(field, GWL_STYLE) & ES_PASSWORD, 0) << "shown in plain";
    EXPECT_EQ(SendMessageA(field, EM_GETLIMITTEXT, 0, 0), 29);
    Type(password, "secret pw");
    Click(password, IDOK);
    ASSERT_TRUE(WaitGone(password));

    Answer(kAnotherQuestion, IDOK);
    ASSERT_TRUE(Ended());
    UserRecord user{};
    ASSERT_TRUE(FindStoredUser("mail.admin", user));
    EXPECT_STREQ(user.UserId.data(), "mail.admin");
    EXPECT_STREQ(user.FullName.data(), "Mail Administrator");
    EXPECT_STREQ(user.Password.data(), "secret pw");
    // Exactly 0x80: the library's defaults for a new user (0x03) are replaced.
    EXPECT_EQ(user.Flags, 0x80u);
    for (const char c : user.LibraryData2)
        ASSERT_EQ(c, '\0') << "the other bytes are as the library left them";
    EXPECT_EQ(Session.AddUserQuestions, 2);
}

TEST_F(Wizard, ADuplicateIsReportedAndTheQuestionAsksForAnother) {
    StoreUser("postmaster", "Post Master", "old-pw");
    UserRecord before{};
    ASSERT_TRUE(FindStoredUser("postmaster", before));
    Start();
    Answer(kFirstQuestion, IDCANCEL);
    Add("postmaster", "Someone Else", "new-pw");
    HWND box = Dialog("Duplicate");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ItemText(box, 0xFFFF), "UserID 'postmaster' already exists.");
    EXPECT_FALSE(ShowsIcon(box));
    EXPECT_EQ(GetWindow(box, GW_OWNER), owner_.load()) << "owned by the wizard's owner";
    Click(box, IDOK);
    ASSERT_TRUE(WaitGone(box));
    Answer(kAnotherQuestion, IDCANCEL);
    // The three answers were discarded: the next user starts afresh.
    HWND userId = Dialog("Enter a UserID");
    ASSERT_NE(userId, nullptr);
    EXPECT_EQ(ItemText(userId, 1000), "");
    Type(userId, "carol");
    Click(userId, IDOK);
    ASSERT_TRUE(WaitGone(userId));
    HWND name = Dialog("Enter the full name");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(ItemText(name, 1000), "carol");
    Click(name, IDOK);
    HWND password = Dialog("Enter the password");
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(ItemText(password, 1000), "kestrels");
    Click(password, IDOK);
    Answer(kAnotherQuestion, IDOK);
    ASSERT_TRUE(Ended());

    UserRecord after{};
    ASSERT_TRUE(FindStoredUser("postmaster", after));
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << "the stored user is unchanged";
    UserRecord carol{};
    ASSERT_TRUE(FindStoredUser("carol", carol));
    EXPECT_STREQ(carol.FullName.data(), "carol");
    EXPECT_STREQ(carol.Password.data(), "kestrels");
    EXPECT_EQ(carol.Flags, 0x80u);
    EXPECT_EQ(StoredUserIds(), (std::vector<std::string>{"carol", "postmaster"}));
    EXPECT_EQ(Session.AddUserQuestions, 3);
}

TEST_F(Wizard, AUserTheLibraryDoesNotAddIsReportedAndTheQuestionAsksAgain) {
    Start(kUnstoredDomain);
    Answer(kFirstQuestion, IDCANCEL);
    Add("mail.admin", "Mail Admin", "secret");
    HWND box = Dialog("Install Failed");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ItemText(box, 0xFFFF),
              "UserID 'mail.admin' could not be added to the domain unstored.example.com.");
    EXPECT_TRUE(ShowsIcon(box));
    EXPECT_EQ(GetWindow(box, GW_OWNER), owner_.load()) << "owned by the wizard's owner";
    Click(box, IDOK);
    ASSERT_TRUE(WaitGone(box));
    Answer(kAnotherQuestion, IDOK);
    ASSERT_TRUE(Ended());
    EXPECT_FALSE(
        config_test::KeyExists(std::string(postern::kSuiteDomainsKey) + "\\" + kUnstoredDomain));
    EXPECT_EQ(Session.AddUserQuestions, 2);
}

TEST_F(Wizard, CancelInAnyDataDialogEndsItWithoutAddingTheUser) {
    for (const char* cancelled : {"Enter a UserID", "Enter the full name", "Enter the password"}) {
        Session.AddUserQuestions = 0;
        Start();
        Answer(kFirstQuestion, IDCANCEL);
        for (const char* caption :
             {"Enter a UserID", "Enter the full name", "Enter the password"}) {
            if (std::string(caption) == cancelled) {
                HWND dialog = Dialog(caption);
                ASSERT_NE(dialog, nullptr);
                Type(dialog, "dave");
                Click(dialog, IDCANCEL);
                break;
            }
            Enter(caption, "dave");
        }
        ASSERT_TRUE(Ended()) << cancelled;
        EXPECT_FALSE(AnyDialog(thread_->Id())) << "the question is not asked again";
        EXPECT_TRUE(StoredUserIds().empty()) << cancelled;
        EXPECT_EQ(Session.AddUserQuestions, 1) << cancelled;
        thread_.reset();
    }
}

TEST_F(Wizard, EscapeAndTheCloseBoxAtTheQuestionMeanAddAUser) {
    for (const bool closeBox : {false, true}) {
        Start();
        HWND question = Dialog("Add a user?");
        ASSERT_NE(question, nullptr);
        if (closeBox)
            PostMessageA(question, WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            Key(question, VK_ESCAPE);
        HWND userId = Dialog("Enter a UserID");
        ASSERT_NE(userId, nullptr) << (closeBox ? "close box" : "Escape");
        Click(userId, IDCANCEL);
        ASSERT_TRUE(Ended());
        thread_.reset();
    }
    EXPECT_EQ(Session.AddUserQuestions, 2);
}

TEST_F(Wizard, TheQuestionCounterSpansTheRun) {
    // A second wizard in the same run starts with "another user".
    Start();
    Answer(kFirstQuestion, IDOK);
    ASSERT_TRUE(Ended());
    thread_.reset();
    Start();
    Answer(kAnotherQuestion, IDOK);
    ASSERT_TRUE(Ended());
    EXPECT_EQ(Session.AddUserQuestions, 2);
}

TEST_F(Wizard, EveryDialogIsCentredOnItsOwnerTenPixelsLower) {
    Start();
    // The owner window's client centre, on the screen.
    ASSERT_TRUE(postern::WaitFor([this] { return owner_.load() != nullptr; }));
    RECT client{};
    GetClientRect(owner_, &client);
    POINT centre{client.right / 2, client.bottom / 2};
    ClientToScreen(owner_, &centre);
    const auto expectCentred = [&](HWND dialog, const char* caption) {
        ASSERT_NE(dialog, nullptr) << caption;
        RECT r{};
        GetWindowRect(dialog, &r);
        EXPECT_EQ(r.left, centre.x - (r.right - r.left) / 2) << caption;
        EXPECT_EQ(r.top, centre.y - (r.bottom - r.top) / 2 + 10) << caption;
    };
    HWND question = Dialog("Add a user?");
    expectCentred(question, "Add a user?");
    Click(question, IDCANCEL);
    for (const char* caption : {"Enter a UserID", "Enter the full name", "Enter the password"}) {
        HWND dialog = Dialog(caption);
        expectCentred(dialog, caption);
        Type(dialog, "erin");
        Click(dialog, caption == std::string("Enter the password") ? IDCANCEL : IDOK);
        ASSERT_TRUE(WaitGone(dialog));
    }
    ASSERT_TRUE(Ended());
}

TEST_F(Wizard, TheDialogsAreTheTemplatesOfTheResources) {
    struct Expected {
        const char* caption;
        int id;
        const char* text;
    };
    const Expected texts[] = {
        {"Enter a UserID", IDOK, "OK"},
        {"Enter a UserID", IDCANCEL, "Cancel"},
        {"Enter a UserID", 1003, "Please enter the userid for this user."},
        {"Enter a UserID", 1004,
         "Userid's are used to identify users on the system. This can be from 4 to 30 characters "
         "long consisting of the characters a-z, A-Z, 0-9 and _.  Commas, spaces, hypens and "
         "equal signs are not allowed."},
        {"Enter the full name", 1003, "Please enter the full name of this user."},
        {"Enter the full name", 1004,
         "The full name is used by the system administrator to identify this user and MAY be "
         "used in certain outgoing mail messages from this system.  This name must be shorter "
         "than 62 characters."},
        {"Enter the password", 1003,
         "Please enter a password for this user. (This will be visible in this dialog to "
         "simplify verification.)"},
        {"Enter the password", 1004,
         "The password is used to connect to the POP3 server to retrieve mail.  It may be from 4 "
         "to 30 characters long and should not contain spaces."},
    };
    Start();
    Answer(kFirstQuestion, IDCANCEL);
    for (const char* caption : {"Enter a UserID", "Enter the full name", "Enter the password"}) {
        HWND dialog = Dialog(caption);
        ASSERT_NE(dialog, nullptr);
        for (const Expected& e : texts) {
            if (std::string(e.caption) == caption) {
                EXPECT_EQ(ItemText(dialog, e.id), e.text) << caption << " " << e.id;
            }
        }
        // 186 x 95 dialog units.
        RECT units{0, 0, 186, 95};
        MapDialogRect(dialog, &units);
        RECT client{};
        GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, units.right) << caption;
        EXPECT_EQ(client.bottom, units.bottom) << caption;
        EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
        Type(dialog, "frank");
        Click(dialog, caption == std::string("Enter the password") ? IDCANCEL : IDOK);
        ASSERT_TRUE(WaitGone(dialog));
    }
    ASSERT_TRUE(Ended());
}
