// The add-user wizard in runs of the setup toolkit: unattended, its dialogs
// answered from the answer file's [Users] entries through the wizard's own
// rules, refused entries logged and the next one taken; with /record, the
// users an operator (or an answer file) added written as [Users] entries.
// The wizard runs on an installer thread that starts and ends the frame.
#include "../config/config_test_support.h"
#include "wizard_harness.h"

#include "common/suite_registry.h"
#include "common/win_test_support.h"
#include "setup/setup_session.h"
#include "setup/userdb/add_user_wizard.h"
#include "setup_toolkit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace wizard_test;

namespace {

class WizardRun : public ::testing::Test {
  protected:
    void SetUp() override {
        FreshDatabase();
        Session.AddUserQuestions = 0;
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "wizard-run-" + std::to_string(GetCurrentProcessId());
        postern::RemoveTree(folder_);
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        if (HasFailure())
            std::printf("run log:\n%s", postern::ReadWholeFile(Log()).c_str());
        thread_.reset();
        postern::RemoveTree(folder_);
        FreshDatabase();
    }

    std::string Path(const char* name) const { return folder_ + "\\" + name; }
    std::string Log() const { return Path("run.log"); }
    std::string Record() const { return Path("record.ini"); }

    // Starts the frame with `arguments` (and the log) on an installer
    // thread, runs the wizard owned by the frame, and ends the frame.
    void Start(const std::string& arguments, const char* domainName = kDomain) {
        const std::string line = "/log \"" + Log() + "\" /noexit " + arguments;
        thread_ = std::make_unique<InstallerThread>([this, line, domainName] {
            std::string commandLine = line;
            frame_ = InitializeFrame(commandLine.data());
            if (frame_ <= 0)
                return;
            // Marked as started, as StartFrame does, so that warnings reach the log.
            Session.FrameMarker = frame_;
            result_ = RunAddUserWizard(HwndFrame(), GetModuleHandleA(nullptr), domainName);
            TerminateFrame();
            Session.FrameMarker = 0;
        });
    }
    // An unattended run from an answer file with these [Users] lines.
    void RunUnattended(const std::string& users, const std::string& more = "",
                       const char* domainName = kDomain) {
        std::ofstream(Path("answers.ini"), std::ios::binary) << "[Setup]\r\n[Users]\r\n" + users;
        Start("/answers \"" + Path("answers.ini") + "\" " + more, domainName);
        ASSERT_TRUE(thread_->Join(30000)) << "the unattended wizard did not end by itself";
        ASSERT_GT(frame_, 0);
        EXPECT_EQ(result_, 1);
    }

    // The log without its time stamps.
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        std::istringstream in(postern::ReadWholeFile(Log()));
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line.size() > 9 ? line.substr(9) : line);
        }
        return lines;
    }
    bool Logged(const std::string& line) const {
        const auto lines = LogLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // The lines that begin with `prefix`, in order.
    std::vector<std::string> LinesStarting(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& line : LogLines())
            if (line.rfind(prefix, 0) == 0)
                found.push_back(line);
        return found;
    }

    std::string folder_;
    std::unique_ptr<InstallerThread> thread_;
    std::atomic<int> frame_{0};
    std::atomic<int> result_{-5};
};

} // namespace

TEST_F(WizardRun, UnattendedAddsTheValidEntriesAndLogsTheRefusedOnes) {
    StoreUser("postmaster", "Post Master", "old-pw");
    RunUnattended("ab=Too Short,pw-1\r\n"
                  "mail.admin=Mail Admin,secret\r\n"
                  "a b#c=Bad Character,pw-2\r\n"
                  "postmaster=Post Master Again,pw-3\r\n"
                  "carol=Carol Example,carol pw\r\n"
                  "mail.admin=Mail Admin Again,pw-4\r\n",
                  "/record \"" + Record() + "\"");

    EXPECT_EQ(StoredUserIds(), (std::vector<std::string>{"carol", "mail.admin", "postmaster"}));
    UserRecord user{};
    ASSERT_TRUE(FindStoredUser("mail.admin", user));
    EXPECT_STREQ(user.FullName.data(), "Mail Admin");
    EXPECT_STREQ(user.Password.data(), "secret");
    EXPECT_EQ(user.Flags, 0x80u);
    ASSERT_TRUE(FindStoredUser("carol", user));
    EXPECT_STREQ(user.Password.data(), "carol pw");
    EXPECT_EQ(user.Flags, 0x80u);
    ASSERT_TRUE(FindStoredUser("postmaster", user));
    EXPECT_STREQ(user.Password.data(), "old-pw") << "the stored user is unchanged";

    // Each message box with its caption and text, each entry's fate.
    EXPECT_EQ(LinesStarting("message box "),
              (std::vector<std::string>{
                  "message box \"Invalid UserID\": UserID length error. -> OK",
                  "message box \"Invalid UserID\": Invalid character ' ' in userid! -> OK",
                  "message box \"Duplicate\": UserID 'postmaster' already exists. -> OK",
                  "message box \"Duplicate\": UserID 'mail.admin' already exists. -> OK"}));
    EXPECT_EQ(LinesStarting("unattended: [Users]"),
              (std::vector<std::string>{
                  "unattended: [Users] line 3: ab refused: UserID length error.",
                  "unattended: [Users] line 4: mail.admin entered",
                  "unattended: [Users] line 5: a b#c refused: Invalid character ' ' in userid!",
                  "unattended: [Users] line 6: postmaster refused: UserID 'postmaster' already "
                  "exists.",
                  "unattended: [Users] line 7: carol entered",
                  "unattended: [Users] line 8: mail.admin refused: UserID 'mail.admin' already "
                  "exists."}));
    // The question was asked once per pass, the last answered Continue.
    const auto questions = LinesStarting("installer dialog \"Add a user?\": ");
    ASSERT_EQ(questions.size(), 5u);
    EXPECT_EQ(questions[0], "installer dialog \"Add a user?\": Add a user ([Users] line 3: ab)");
    EXPECT_EQ(questions[4], "installer dialog \"Add a user?\": Continue (no [Users] entry left)");
    EXPECT_EQ(Session.AddUserQuestions, 5);
    EXPECT_TRUE(Logged("installer dialog \"Enter the password\": OK (6 characters)"));
    EXPECT_EQ(LogLines().back(), "end: completed");
    // The record keeps the users that were added, for a replay.
    const std::string record = postern::ReadWholeFile(Record());
    EXPECT_NE(record.find("[Users]\r\nmail.admin=Mail Admin,secret\r\ncarol=Carol Example,carol "
                          "pw\r\n"),
              std::string::npos)
        << record;
    EXPECT_EQ(record.find("postmaster"), std::string::npos) << record;
}

TEST_F(WizardRun, AUserTheLibraryDoesNotAddIsRefusedWithAWarning) {
    RunUnattended("mail.admin=Mail Admin,secret\r\ncarol=Carol Example,carol-pw\r\n", "",
                  kUnstoredDomain);
    const auto text = [](const char* userId) {
        return std::string("UserID '") + userId +
               "' could not be added to the domain unstored.example.com.";
    };
    EXPECT_EQ(LinesStarting("message box "),
              (std::vector<std::string>{
                  "message box \"Install Failed\": " + text("mail.admin") + " -> OK",
                  "message box \"Install Failed\": " + text("carol") + " -> OK"}));
    EXPECT_EQ(LinesStarting("unattended: [Users]"),
              (std::vector<std::string>{
                  "unattended: [Users] line 3: mail.admin refused: " + text("mail.admin"),
                  "unattended: [Users] line 4: carol refused: " + text("carol")}));
    for (const char* userId : {"mail.admin", "carol"})
        EXPECT_TRUE(config_test::LogHasWarning(postern::ReadWholeFile(Log()),
                                               "Install Failed: " + text(userId)))
            << userId;
    EXPECT_EQ(LinesStarting("installer dialog \"Add a user?\": ").size(), 3u);
    EXPECT_FALSE(
        config_test::KeyExists(std::string(postern::kSuiteDomainsKey) + "\\" + kUnstoredDomain));
    EXPECT_EQ(LogLines().back(), "end: completed");
}

TEST_F(WizardRun, WithoutUsersTheQuestionIsAnsweredContinue) {
    RunUnattended("");
    EXPECT_TRUE(StoredUserIds().empty());
    EXPECT_EQ(LinesStarting("installer dialog "),
              std::vector<std::string>{
                  "installer dialog \"Add a user?\": Continue (no [Users] entry left)"});
    EXPECT_EQ(LogLines().back(), "end: completed");
}

TEST_F(WizardRun, ARefusedLastEntryEndsTheWizardAtTheUserIdDialog) {
    RunUnattended("ab=Too Short,pw\r\n");
    EXPECT_TRUE(StoredUserIds().empty());
    EXPECT_EQ(LinesStarting("installer dialog "),
              (std::vector<std::string>{
                  "installer dialog \"Add a user?\": Add a user ([Users] line 3: ab)",
                  "installer dialog \"Enter a UserID\": OK \"ab\"",
                  "installer dialog \"Enter a UserID\": Cancel (no [Users] entry left)"}));
    EXPECT_TRUE(Logged("unattended: [Users] line 3: ab refused: UserID length error."));
    EXPECT_EQ(Session.AddUserQuestions, 1);
    EXPECT_EQ(LogLines().back(), "end: completed");
}

TEST_F(WizardRun, AFullNameLongerThanTheFieldIsNotedAndCut) {
    const std::string name(70, 'n');
    RunUnattended("gina=" + name + ",gina-pw\r\n");
    UserRecord user{};
    ASSERT_TRUE(FindStoredUser("gina", user));
    EXPECT_EQ(std::string(user.FullName.data()), name.substr(0, 61));
    EXPECT_TRUE(Logged("failed: unattended: [Users] line 3: the full name of gina has 70 "
                       "characters; dialog \"Enter the full name\" keeps 61"));
    EXPECT_TRUE(Logged("unattended: [Users] line 3: gina entered"));
}

TEST_F(WizardRun, TheUsersAnOperatorAddsAreRecordedAndReplay) {
    StoreUser("postmaster", "Post Master", "old-pw");
    Start("/record \"" + Record() + "\"");
    const DWORD id = thread_->Id();
    const auto answer = [&](int button) {
        HWND question = WaitForDialog(id, "Add a user?");
        ASSERT_NE(question, nullptr);
        Click(question, button);
        ASSERT_TRUE(WaitGone(question));
    };
    const auto enter = [&](const char* caption, const char* text, bool withEnterKey = false) {
        HWND dialog = WaitForDialog(id, caption);
        ASSERT_NE(dialog, nullptr) << caption;
        Type(dialog, text);
        if (withEnterKey)
            Key(dialog, VK_RETURN);
        else
            Click(dialog, IDOK);
        ASSERT_TRUE(WaitGone(dialog)) << caption;
    };
    // alice is added; "ab" is refused first and Enter confirms her password.
    answer(IDCANCEL);
    HWND userId = WaitForDialog(id, "Enter a UserID");
    ASSERT_NE(userId, nullptr);
    Type(userId, "ab");
    Click(userId, IDOK);
    HWND box = WaitForDialog(id, "Invalid UserID");
    ASSERT_NE(box, nullptr);
    Click(box, IDOK);
    ASSERT_TRUE(WaitGone(box));
    enter("Enter a UserID", "alice");
    enter("Enter the full name", "Alice Example");
    enter("Enter the password", "alice-pw", true);
    // postmaster is a duplicate: not added, not recorded.
    answer(IDCANCEL);
    enter("Enter a UserID", "postmaster");
    enter("Enter the full name", "Someone");
    enter("Enter the password", "pw");
    box = WaitForDialog(id, "Duplicate");
    ASSERT_NE(box, nullptr);
    Click(box, IDOK);
    ASSERT_TRUE(WaitGone(box));
    // "Doe, Dan" cannot be written as an entry: added, not recorded.
    answer(IDCANCEL);
    enter("Enter a UserID", "dan");
    enter("Enter the full name", "Doe, Dan");
    enter("Enter the password", "dan-pw");
    // bob is cancelled at the password: the wizard ends without him.
    answer(IDCANCEL);
    enter("Enter a UserID", "bob");
    enter("Enter the full name", "Bob Example");
    HWND password = WaitForDialog(id, "Enter the password");
    ASSERT_NE(password, nullptr);
    Click(password, IDCANCEL);
    ASSERT_TRUE(thread_->Join());

    EXPECT_EQ(StoredUserIds(), (std::vector<std::string>{"alice", "dan", "postmaster"}));
    const std::string record = postern::ReadWholeFile(Record());
    EXPECT_NE(record.find("\r\n[Users]\r\nalice=Alice Example,alice-pw\r\n"), std::string::npos)
        << record;
    for (const char* absent : {"postmaster", "dan", "bob", "ab="})
        EXPECT_EQ(record.find(absent), std::string::npos) << absent << " in\n" << record;
    EXPECT_TRUE(Logged("record: [Users] alice"));
    EXPECT_TRUE(Logged("record: postmaster is not recorded: the wizard answered with a message"));
    EXPECT_TRUE(Logged("record: dan is not recorded: its full name \"Doe, Dan\" holds a comma, "
                       "which a [Users] entry cannot carry"));

    // The record replays: alice is added again in a fresh database.
    FreshDatabase();
    Session.AddUserQuestions = 0;
    thread_.reset();
    Start("/answers \"" + Record() + "\"");
    ASSERT_TRUE(thread_->Join(30000));
    EXPECT_EQ(StoredUserIds(), std::vector<std::string>{"alice"});
    UserRecord user{};
    ASSERT_TRUE(FindStoredUser("alice", user));
    EXPECT_STREQ(user.FullName.data(), "Alice Example");
    EXPECT_STREQ(user.Password.data(), "alice-pw");
    EXPECT_EQ(user.Flags, 0x80u);
}
