// The conversion of an old single-domain user database under Wine: the
// warning on the installer's thread, driven by the test or answered by the
// toolkit in unattended runs, and what the conversion leaves in the registry
// and in the user database (usrvault.dll beside the test).
#include "../config/config_test_support.h"
#include "wizard_harness.h"

#include "common/bounded_format.h"
#include "common/suite_registry.h"
#include "common/win_test_support.h"
#include "setup/res/pstsetup_rc.h"
#include "setup/setup_session.h"
#include "setup/userdb/multi_domain.h"
#include "setup_toolkit.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace wizard_test;
using config_test::KeyExists;
using config_test::SetText;

namespace {

const std::string Root = postern::kSuiteRootKey;
constexpr char kWarning[] = "WARNING! Please Read!";

void SetNumber(const std::string& key, const char* name, DWORD value) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_DWORD, &value, sizeof value);
}
std::string TextValue(const std::string& key, const char* name) {
    const auto bytes = postern::RegistryValueBytes(HKEY_LOCAL_MACHINE, key, name);
    return bytes ? std::string(bytes->c_str()) : std::string("(none)");
}
// Every key and value below `key`, as text, to tell whether anything changed.
std::string Tree(const std::string& key) {
    postern::UniqueHkey handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS)
        return "";
    std::string text = "[" + key + "]\n";
    for (DWORD i = 0;; ++i) {
        char name[600];
        BYTE data[2048];
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        if (RegEnumValueA(handle.get(), i, name, &nameSize, nullptr, &type, data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        text += std::string(name) + "=" + std::to_string(type) + ":" +
                std::string(reinterpret_cast<char*>(data), dataSize) + "\n";
    }
    for (DWORD i = 0;; ++i) {
        char name[600];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(handle.get(), i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        text += Tree(key + "\\" + name);
    }
    return text;
}

// The list box's entries, in order.
std::vector<std::string> Entries(HWND list) {
    std::vector<std::string> entries(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::array<char, 512> entry{};
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(entry.data()));
        entries[i] = entry.data();
    }
    return entries;
}

// The operator's message when users or aliases stay in the old database.
std::string LeftBehind(const std::string& reason, const std::string& counts) {
    return reason + " " + counts +
           " stay in the old user database. The next update offers the conversion again.";
}

class Conversion : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
        postern::CopyText(Session.HostName, kDomain);
        Session.Instance = GetModuleHandleA(nullptr);
        Session.ConversionIncomplete = false;
        base_ = config_test::TempFolder() + "multi-domain-" + std::to_string(GetCurrentProcessId());
    }
    void TearDown() override {
        thread_.reset();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
        DeleteFileA((base_ + ".ini").c_str());
        DeleteFileA((base_ + ".log").c_str());
    }
    // An installation before virtual domains, with its user database.
    void OldInstallation(DWORD addresses) {
        SetText(Root + "\\Global", "InstDate", "Mon Jan 06 10:00:00 1997");
        SetNumber(postern::kSuiteDomainsKey, "AddressCount", addresses);
        OldUser("alice", "alice-pw");
        OldUser("bob", "bob-pw");
        SetNumber(Root + "\\bob", "Flags", 0x41);
        SetText(Root + "\\bob", "FullName", "Bob Example");
        OldUser("carol", "carol-pw");
        SetText(Root + "\\carol", "FullName", std::string(70, 'c')); // not readable: stays
        SetText(Root + "\\Global", "Password", "global-pw"); // the suite's key, never a user
    }
    void OldUser(const std::string& id, const char* password) {
        SetText(Root + "\\" + id, "Password", password);
    }
    void OldAlias(const char* alias, const std::string& target) {
        SetText(Root + "\\_aliases", alias, target);
    }
    std::string Alias(const char* alias) {
        return TextValue(std::string(postern::kSuiteDomainsKey) + "\\" + kDomain + "\\Aliases",
                         alias);
    }
    void Start() {
        result_ = -5;
        thread_ =
            std::make_unique<InstallerThread>([this] { result_ = CheckMultiDomainUpgrade(); });
    }
    int Result() {
        EXPECT_TRUE(thread_->Join()) << "CheckMultiDomainUpgrade did not return";
        return result_;
    }

    // Runs `body` on the installer's thread inside an unattended frame whose
    // answer file holds `answer` (its message boxes are answered with their
    // default button); returns the run log.
    std::string Unattended(const std::function<void()>& body, const std::string& answer = "") {
        std::ofstream(base_ + ".ini", std::ios::binary) << "[Setup]\r\n" << answer << "\r\n";
        DeleteFileA((base_ + ".log").c_str());
        const std::string line =
            "/log \"" + base_ + ".log\" /noexit /answers \"" + base_ + ".ini\"";
        thread_ = std::make_unique<InstallerThread>([line, body] {
            std::string commandLine = line;
            // Marked as started, as StartFrame does, so that warnings reach the log.
            Session.FrameMarker = InitializeFrame(commandLine.data());
            if (Session.FrameMarker <= 0)
                return;
            body();
            TerminateFrame();
            Session.FrameMarker = 0;
        });
        EXPECT_TRUE(thread_->Join(30000)) << answer;
        return postern::ReadWholeFile(base_ + ".log");
    }
    // ConvertUserDatabase in an unattended frame, with the dialogs of
    // `instance`; its run log is kept in log_.
    int ConvertUnattended(HINSTANCE instance = GetModuleHandleA(nullptr)) {
        std::atomic<int> converted{-5};
        log_ = Unattended([&] { converted = ConvertUserDatabase(HwndFrame(), instance); });
        return converted;
    }
    // Whether the run's "Install Failed" box said `text` and made it a warning.
    ::testing::AssertionResult Reported(const std::string& text) {
        if (log_.find("message box \"Install Failed\": " + text + " -> OK") == std::string::npos)
            return ::testing::AssertionFailure() << "no box \"" << text << "\" in\n" << log_;
        if (!config_test::LogHasWarning(log_, "Install Failed: " + text))
            return ::testing::AssertionFailure() << "no warning \"" << text << "\" in\n" << log_;
        return ::testing::AssertionSuccess();
    }

    std::unique_ptr<InstallerThread> thread_;
    std::atomic<int> result_{-5};
    std::string base_;
    std::string log_;
};

} // namespace

TEST_F(Conversion, WithoutAnOldInstallationNothingIsAsked) {
    struct Case {
        bool instDate;
        bool multiFlag;
    };
    for (const Case c : {Case{true, true}, Case{false, false}, Case{false, true}}) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
        OldUser("alice", "alice-pw");
        if (c.instDate)
            SetText(Root + "\\Global", "InstDate", "Mon Jan 06 10:00:00 1997");
        if (c.multiFlag)
            SetNumber(Root + "\\Global", "MultiFlag", 1);
        Start();
        EXPECT_EQ(Result(), 1) << c.instDate << c.multiFlag;
        EXPECT_TRUE(KeyExists(Root + "\\alice"));
        EXPECT_FALSE(KeyExists(std::string(postern::kSuiteDomainsKey) + "\\" + kDomain));
        EXPECT_TRUE(KeyExists(Root + "\\Global")) << "opened with creation";
    }
}

TEST_F(Conversion, TheWarningCountsTheAddressesAndItsCancelChangesNothing) {
    struct Case {
        DWORD addresses;
        const char* plural;
        int close; // button 2, Escape or the close box
    };
    for (const Case c : {Case{0, "", IDCANCEL}, Case{1, "", VK_ESCAPE}, Case{2, "es", SC_CLOSE},
                         Case{12, "es", IDCANCEL}}) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
        OldInstallation(c.addresses);
        OldAlias("staff", "roster mylist");
        const std::string before = Tree(Root);
        Start();
        HWND dialog = WaitForDialog(thread_->Id(), kWarning);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(ItemText(dialog, IDOK), "Convert Database");
        EXPECT_EQ(ItemText(dialog, IDCANCEL), "Cancel Installation");
        EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
        RECT units{0, 0, 239, 171}, client{};
        MapDialogRect(dialog, &units);
        GetClientRect(dialog, &client);
        EXPECT_TRUE(EqualRect(&units, &client));
        EXPECT_EQ(ItemText(dialog, IDC_DOMAIN_NOTICE),
                  "The first virtual domain of example.com will be created for the " +
                      std::to_string(c.addresses) + " IP address" + c.plural +
                      " assigned to this system from your existing user database.");
        if (c.close == VK_ESCAPE)
            Key(dialog, VK_ESCAPE);
        else if (c.close == SC_CLOSE)
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            Click(dialog, c.close);
        EXPECT_EQ(Result(), 0) << c.addresses;
        EXPECT_EQ(Tree(Root), before) << c.addresses;
    }
}

TEST_F(Conversion, TheProgressDialogIsItsTemplate) {
    postern::UniqueWindow progress(CreateDialogParamA(
        GetModuleHandleA(nullptr), "DLG_CONVERTING", nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0));
    ASSERT_TRUE(progress);
    EXPECT_EQ(Text(progress.get()), "Converting Users");
    EXPECT_EQ(ItemText(progress.get(), IDC_PROGRESS_LINE),
              "Converting %u of %u users to the domain %s.");
    for (const int id : {IDC_OLD_ENTRIES, IDC_CONVERTED_USERS}) {
        // Sorted, and scrolled once the entries outgrow the list.
        HWND list = GetDlgItem(progress.get(), id);
        for (int i = 40; i > 0; --i)
            SendMessageA(list, LB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(("user" + std::to_string(100 + i)).c_str()));
        std::array<char, 32> first{};
        SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first.data()));
        EXPECT_STREQ(first.data(), "user101");
        const LONG style = GetWindowLongA(list, GWL_STYLE);
        EXPECT_EQ(style & (LBS_SORT | LBS_NOTIFY | WS_VSCROLL), LBS_SORT | LBS_NOTIFY | WS_VSCROLL);
    }
}

TEST_F(Conversion, ConvertDatabaseMovesTheOldUsersAndAliasesIntoTheHostsDomain) {
    // dave and the alias taken are in the domain already, so the library
    // refuses them; carol cannot be read.
    FreshDatabase();
    StoreUser("dave", "Dave Stored", "stored-pw");
    StoreAlias("taken", "stored-target");
    OldInstallation(1);
    OldUser("dave", "dave-pw");
    OldAlias("taken", "roster mylist");
    OldAlias("staff", "roster mylist");
    OldAlias("prog", "|c:\\pst\\roster.exe   mylist");
    OldAlias("alone", "roster");
    OldAlias("mixed", "Roster mylist");
    OldAlias("post", "alice@example.net");
    // "roster " and the host take 19 of the 511 characters a target holds.
    OldAlias("fits", "roster " + std::string(492, 'x'));
    OldAlias("over", "roster " + std::string(493, 'x'));
    Start();
    HWND dialog = WaitForDialog(thread_->Id(), kWarning);
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDOK);
    // The box counts what stays while the progress shows the users added.
    HWND box = WaitForDialog(thread_->Id(), "Install Failed");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ItemText(box, 0xFFFF),
              LeftBehind("Not all of the user database could be converted to the domain "
                         "\"example.com\":",
                         "2 users and 1 alias"));
    EXPECT_TRUE(ShowsIcon(box));
    HWND progress = WaitForDialog(thread_->Id(), "Converting Users");
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(Entries(GetDlgItem(progress, IDC_CONVERTED_USERS)),
              (std::vector<std::string>{"alice", "bob"}));
    Click(box, IDOK);
    ASSERT_EQ(Result(), 1);
    EXPECT_TRUE(Session.ConversionIncomplete);

    EXPECT_EQ(StoredUserIds(), (std::vector<std::string>{"alice", "bob", "dave"}));
    UserRecord user{};
    ASSERT_TRUE(FindStoredUser("dave", user));
    EXPECT_STREQ(user.FullName.data(), "Dave Stored");
    EXPECT_TRUE(KeyExists(Root + "\\dave")) << "refused, so not deleted";
    ASSERT_TRUE(FindStoredUser("alice", user));
    EXPECT_STREQ(user.Password.data(), "alice-pw");
    EXPECT_EQ(user.Flags, 0x83u); // the old default 0x03 kept
    ASSERT_TRUE(FindStoredUser("bob", user));
    EXPECT_STREQ(user.FullName.data(), "Bob Example");
    EXPECT_EQ(user.Flags, 0xC1u);
    EXPECT_FALSE(KeyExists(Root + "\\alice"));
    EXPECT_FALSE(KeyExists(Root + "\\bob"));
    EXPECT_TRUE(KeyExists(Root + "\\carol")) << "not read, so not deleted";
    EXPECT_EQ(TextValue(Root + "\\Global", "InstDate"), "Mon Jan 06 10:00:00 1997");
    EXPECT_TRUE(KeyExists(std::string(postern::kSuiteDomainsKey)));

    EXPECT_EQ(Alias("staff"), "roster example.com mylist");
    EXPECT_EQ(Alias("prog"), "|c:\\pst\\roster.exe example.com mylist");
    EXPECT_EQ(Alias("alone"), "roster example.com");
    EXPECT_EQ(Alias("mixed"), "Roster mylist");
    EXPECT_EQ(Alias("post"), "alice@example.net");
    EXPECT_EQ(Alias("fits"), "roster example.com " + std::string(492, 'x'));
    EXPECT_EQ(Alias("over"), "roster " + std::string(493, 'x')) << "handed over unchanged";
    // Each alias taken went from the old key; the refused one stays there.
    EXPECT_EQ(Alias("taken"), "stored-target");
    EXPECT_EQ(config_test::ValueCount(Root + "\\_aliases"), 1);
    EXPECT_EQ(TextValue(Root + "\\_aliases", "taken"), "roster mylist");
}

TEST_F(Conversion, TheAliasesKeyStaysWhenNoAliasWasListed) {
    OldInstallation(1);
    struct Case {
        const char* what;
        bool numberValue;   // a value the library cannot list fails the listing
        const char* user;   // a new old user each time
        int converted;      // the users left: alice and bob, then the new one
        const char* counts; // what stays: carol, who cannot be read, and the aliases
    };
    for (const Case c : {Case{"empty", false, "dave", 3, "1 user and 0 aliases"},
                         Case{"not listable", true, "erin", 1, "1 user and all aliases"}}) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (Root + "\\_aliases").c_str());
        postern::UniqueHkey aliases;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, (Root + "\\_aliases").c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, aliases.put(), nullptr);
        if (c.numberValue)
            SetNumber(Root + "\\_aliases", "staff", 7);
        OldUser(c.user, "new-pw");
        EXPECT_EQ(ConvertUnattended(), c.converted) << c.what;
        EXPECT_TRUE(KeyExists(Root + "\\_aliases")) << c.what;
        EXPECT_FALSE(KeyExists(Root + "\\" + c.user)) << c.what;
        EXPECT_TRUE(Reported(LeftBehind("Not all of the user database could be converted to the "
                                        "domain \"example.com\":",
                                        c.counts)));
    }
}

TEST_F(Conversion, NothingIsConvertedWithoutTheDomainOrTheProgressDialog) {
    const std::string percents(90, '%'); // a key name of 270 characters: too long for a key
    struct Case {
        std::string host;
        HINSTANCE instance; // kernel32 has no DLG_CONVERTING
        std::string reason;
    };
    const Case cases[] = {
        {"", nullptr, "The domain \"\" cannot be created"},
        {percents, nullptr, "The domain \"" + percents + "\" cannot be created"},
        {kDomain, GetModuleHandleA("kernel32.dll"),
         "The progress of the conversion cannot be shown"},
    };
    for (const Case& c : cases) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
        Session.ConversionIncomplete = false;
        postern::CopyText(Session.HostName, c.host.c_str());
        OldInstallation(1);
        OldAlias("staff", "roster mylist");
        OldAlias("post", "alice@example.net");
        const std::string before = Tree(Root);
        EXPECT_EQ(ConvertUnattended(c.instance ? c.instance : GetModuleHandleA(nullptr)), 0)
            << c.reason;
        // Every old user and alias where it was, and no domain.
        EXPECT_EQ(Tree(Root), before) << c.reason;
        EXPECT_TRUE(Reported(LeftBehind(c.reason + ", so the user database was not converted:",
                                        "3 users and 2 aliases")));
        EXPECT_TRUE(Session.ConversionIncomplete) << c.reason;
    }
}

TEST_F(Conversion, UnattendedRunsAnswerTheWarningFromConvertDatabase) {
    struct Case {
        const char* answer; // the [Setup] line
        int result;
        const char* logged;
        std::size_t quits; // the run quits with the reason
    };
    const Case cases[] = {
        {"ConvertDatabase=yes", 1, "Convert Database (answer ConvertDatabase=yes)", 0},
        {"ConvertDatabase=No", 0, "Cancel Installation (answer ConvertDatabase=No)", 0},
        {"", 1, "Convert Database (default)", 0},
        {"ConvertDatabase=maybe", 0, "Cancel Installation (quitting)", 1},
    };
    for (const Case& c : cases) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
        OldInstallation(2);
        result_ = -5;
        const std::string log =
            Unattended([this] { result_ = CheckMultiDomainUpgrade(); }, c.answer);
        const auto count = [&log](const std::string& text) {
            std::size_t n = 0;
            for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
                ++n;
            return n;
        };
        EXPECT_EQ(result_, c.result) << c.answer;
        EXPECT_EQ(count(std::string("installer dialog \"WARNING! Please Read!\": ") + c.logged), 1u)
            << log;
        EXPECT_EQ(count("installer dialog \"Converting Users\": shown"), c.result == 1 ? 1u : 0u)
            << log;
        EXPECT_EQ(KeyExists(Root + "\\alice"), c.result == 0) << c.answer;
        EXPECT_EQ(count("unattended run quits: answer ConvertDatabase=maybe is not one of yes, no"),
                  c.quits);
        EXPECT_EQ(count("failed:"), 0u) << log;
    }
}
