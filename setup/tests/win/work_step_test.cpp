// The whole work step, unattended, from the real distribution folder: a new
// installation, an update over an earlier single-domain installation, a
// declined conversion and a removal, each checked by what it left.
#include "delivery_windows.h"
#include "installed_suite.h"
#include "setup_run.h"
#include "userdb/wizard_harness.h"

#include "common/suite_registry.h"
#include "common/win_test_support.h"
#include "setup/config/suite_services.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

using namespace setup_test;
using config_test::KeyExists;
using config_test::SetText;
using Numbers = std::vector<unsigned>;

namespace {

constexpr char kInstallDir[] = "C:\\Program Files\\Postern";
constexpr char kHost[] = "mail.example.com";
const std::string Root = postern::kSuiteRootKey;
const std::string Global = postern::kSuiteGlobalKey;

std::string Installed(const std::string& file) {
    return std::string(kInstallDir) + "\\" + file;
}

bool FileThere(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Runs a service program with "-installquiet", as the installer would.
::testing::AssertionResult RegisterService(const std::string& program) {
    const postern::ProcessResult run = postern::RunProcess("\"" + program + "\" -installquiet");
    if (!run.Started())
        return ::testing::AssertionFailure()
               << "cannot run " << program << ", error " << run.startError;
    return ::testing::AssertionSuccess();
}

// The distribution folder as shipped, with the run's answer file.
class SuiteRun {
  public:
    explicit SuiteRun(const std::string& name)
        : dist_(name), copied_(CopySuiteDistribution(dist_.Folder())) {}
    const Distribution& Dist() const { return dist_; }
    // Runs the installer; its exit status must be `status` (0: completed, 4:
    // completed with warnings).
    void Run(const std::string& answers, DWORD status = 0) const {
        ASSERT_TRUE(copied_) << "no distribution folder to install from";
        const std::string path = dist_.WriteAnswers("answers.ini", answers);
        ASSERT_EQ(dist_.Run("/answers \"" + path + "\"", 120000), status)
            << ReadWholeFile(dist_.LogPath());
    }

    // The user-database library's call log, beside the library the installer loaded.
    std::string VaultLog() const { return ReadWholeFile(dist_.Path("usrvault.log")); }

  private:
    Distribution dist_;
    bool copied_;
};

std::string NewInstallation(const std::string& extra = "") {
    return std::string("[Setup]\r\nMode=new\r\nUserDatabase=own\r\nHostName=") + kHost +
           "\r\nDestination=\"" + kInstallDir + "\"\r\n" + extra;
}

class WorkStep : public ::testing::Test {
  protected:
    SuiteSandbox sandbox_{{kInstallDir, "C:\\PSTOLD"}};
};

} // namespace

TEST_F(WorkStep, ANewInstallationLeavesTheSuiteInstalledAndRunning) {
    SuiteRun run("new-full");
    // The pager client is in the current folder, the fax client is not.
    std::ofstream(run.Dist().Path("pagedesk.exe")) << "MZ";
    run.Run(NewInstallation("[Users]\r\nalice=Alice Example,alice-pw\r\n"
                            "bob=Bob Example,bob-pw\r\n"));
    const Distribution& dist = run.Dist();
    EXPECT_EQ(dist.LastLine(), "end: completed");
    EXPECT_EQ(dist.DialogNumbers(), (Numbers{100, 800, 801, 7801, 300, 5006, 5005, 700}));

    for (const char* file : {"RELAYSVC.exe", "WatchSvc.exe", "usrvault.dll", "pstview.exe",
                             "postern.cpl", "pstguide.wri", "readme.txt"})
        EXPECT_TRUE(FileThere(Installed(file))) << file;
    EXPECT_TRUE(FileThere(SystemApplet()));
    EXPECT_EQ(TextValue(Global, "TopDir"), kInstallDir);
    EXPECT_EQ(TextValue(Global, "HostName"), kHost);

    for (const SuiteService& entry : kSuiteServices) {
        const std::string service = entry.Name;
        EXPECT_EQ(ServiceImagePath(service),
                  entry.ProgramFile ? "\"" + Installed(entry.ProgramFile) + "\"" : "")
            << service;
        EXPECT_EQ(ServiceRunning(service), service == "LOGSVC" || service == "PASSSVC") << service;
    }
    EXPECT_NE(HostsText().find(std::string(kAdapterAddress) + " " + kHost + "\r\n"),
              std::string::npos)
        << HostsText();

    // Items 1 to 8, each with one backslash between folder and file.
    const std::pair<const char*, const char*> items[] = {
        {"Postern Client", "postern.exe"},         {"Postern User Manager", "usermgr.exe"},
        {"Postern Monitor", "pstview.exe"},        {"Postern List Server", "roster.exe"},
        {"Postern Documentation", "pstguide.wri"}, {"Postern User Utility", "pstuser.exe"},
        {"Postern Release Notes", "pstsuite.txt"}, {"Postern Pager Client", "pagedesk.exe"}};
    for (const auto& [caption, file] : items) {
        const std::string link = GroupFolder() + "\\" + caption + ".lnk";
        EXPECT_TRUE(FileThere(link)) << link;
        EXPECT_TRUE(dist.LogContains(link + " -> " + Installed(file) + "\r\n")) << caption;
    }
    EXPECT_FALSE(FileThere(GroupFolder() + "\\Postern Fax Client.lnk"));

    for (const char* user : {"alice", "bob"})
        EXPECT_EQ(StoredUserFlags(kHost, user), 0x80u) << user;
    EXPECT_NE(run.VaultLog().find("521 MarkInstallation(\"C:\\Program Files\\Postern\\reg_init\")"),
              std::string::npos)
        << run.VaultLog();
}

TEST_F(WorkStep, ARemovalEmptiesTheRegistryAndKeepsTheFiles) {
    SuiteRun run("remove-full");
    // This time the fax client is in the current folder and the pager client
    // is not: the group follows the folder.
    std::ofstream(run.Dist().Path("teleprint.exe")) << "MZ";
    run.Run(NewInstallation());
    ASSERT_EQ(run.Dist().LastLine(), "end: completed");
    EXPECT_TRUE(FileThere(GroupFolder() + "\\Postern Fax Client.lnk"));
    EXPECT_TRUE(run.Dist().LogContains(" -> " + Installed("teleprint.exe") + "\r\n"));
    EXPECT_FALSE(FileThere(GroupFolder() + "\\Postern Pager Client.lnk"));
    // TERMSVC registers itself when its program runs; no installation does.
    ASSERT_EQ(postern::WaitFor([] { return ServiceRunning("LOGSVC"); }), true);
    ASSERT_TRUE(RegisterService(Installed("TERMSVC.exe")));
    ASSERT_NE(ServiceImagePath("TERMSVC"), "");
    for (const char* service : {"RELAYSVC", "TERMSVC"})
        ASSERT_TRUE(postern::StartServiceAndWait(service)) << service;
    DeleteFileA(Installed("syslog.txt").c_str());
    // A tree three levels deep, and a value stored in the suite's key itself.
    SetText(Root + "\\Deep\\Deeper\\Deepest", "Leaf", "1");
    SetText(Root + "\\Deep", "Branch", "1");
    SetText(Root, "Kept", "yes");
    DeleteFileA(run.Dist().LogPath().c_str());

    // The delivery program's windows (two of one class) and look-alikes.
    DeliveryWindows windows({"RELAYWND", "RELAYOUT", "RELAYWNDX", "RELAY", "RELAYWND"},
                            [] { return ServiceRunning("LOGSVC"); });
    run.Run("[Setup]\r\nMode=remove\r\n");
    const Distribution& dist = run.Dist();
    EXPECT_EQ(dist.DialogNumbers(), (Numbers{100, 800, 5007}));
    EXPECT_EQ(dist.LastLine(), "end: completed");
    // The running servers stop in the table's order, the Syslog server last,
    // so that it hears every other one stop.
    EXPECT_EQ(ReadWholeFile(Installed("syslog.txt")),
              "RELAYSVC stopped\r\nPASSSVC stopped\r\nTERMSVC stopped\r\nLOGSVC stopped\r\n");

    // Exactly the windows of the two classes, each while the services ran.
    using Close = DeliveryWindows::Close;
    EXPECT_EQ(windows.Closes(),
              (std::vector<Close>{
                  {true, true}, {true, true}, {false, false}, {false, false}, {true, true}}));

    for (const SuiteService& service : kSuiteServices)
        EXPECT_EQ(ServiceImagePath(service.Name).empty(), std::string(service.Name) != "TERMSVC")
            << service.Name;
    EXPECT_FALSE(FileThere(SystemApplet()));
    EXPECT_TRUE(KeyExists(Root));
    EXPECT_EQ(SubkeyNames(Root), std::vector<std::string>{});
    EXPECT_EQ(TextValue(Root, "Kept"), "yes");
    EXPECT_TRUE(FileThere(Installed("RELAYSVC.exe")));
    EXPECT_TRUE(FileThere(GroupFolder() + "\\Postern Client.lnk"));
    EXPECT_NE(run.VaultLog().find("521 MarkInstallation(\"C:\\Program Files\\Postern\\reg_term\")"),
              std::string::npos);
    EXPECT_TRUE(dist.LogContains("message box \"Manual Remove\": You must manually delete the "
                                 "files in the directory\nC:\\Program Files\\Postern that belong "
                                 "to Postern -> OK"));
    EXPECT_FALSE(dist.LogContains("De-Install Failed"));
}

namespace {

// The installer's name for a window in its warnings.
std::string HandleText(HWND window) {
    char text[32] = "";
    std::snprintf(text, sizeof text, "%p", static_cast<void*>(window));
    return text;
}

std::size_t PositionOf(const std::vector<HWND>& windows, HWND window) {
    return static_cast<std::size_t>(std::find(windows.begin(), windows.end(), window) -
                                    windows.begin());
}

} // namespace

// A delivery program that hangs while it handles WM_CLOSE holds the removal up
// for 30 s, no longer: its window is given up with a warning that names it,
// and the windows after it are still closed. The installer is a child process
// with a time limit, so a wait without a bound fails the test instead of
// hanging it. (The one 30 s wait of the test suite.)
TEST_F(WorkStep, AHungDeliveryWindowIsGivenUpAfterItsBoundAndTheOthersStillClose) {
    RegisteredInstallation installed(kInstallDir, kHost);
    Distribution dist("remove-hung-window");
    // Windows are enumerated newest first: `later` is met before the hung
    // window, `earlier` after it.
    DeliveryWindows earlier({"RELAYWND", "RELAYOUT"});
    HungDeliveryWindow hung("RELAYOUT");
    DeliveryWindows later({"RELAYWND"});
    const std::vector<HWND> order = TopLevelWindows();
    const std::size_t hungAt = PositionOf(order, hung.Handle());
    ASSERT_LT(hungAt, order.size());
    ASSERT_LT(PositionOf(order, later.Handles()[0]), hungAt);
    for (HWND window : earlier.Handles()) {
        ASSERT_LT(PositionOf(order, window), order.size());
        ASSERT_GT(PositionOf(order, window), hungAt) << "a window met after the hung one";
    }

    const std::string answers = dist.WriteAnswers("remove.ini", "[Setup]\r\nMode=remove\r\n");
    const DWORD status = dist.Run("/answers \"" + answers + "\"", 90000);
    const bool arrived = hung.CloseArrived();
    hung.Release();
    ASSERT_NE(status, static_cast<DWORD>(-1))
        << "the installer still waited for the hung window after 90 s and was ended";
    EXPECT_EQ(status, 4u) << "completed with a warning";
    EXPECT_EQ(dist.DialogNumbers(), (Numbers{100, 800, 5007}));
    EXPECT_EQ(dist.LastLine(), "end: completed");

    EXPECT_TRUE(arrived) << "WM_CLOSE was sent to the hung window";
    using Close = DeliveryWindows::Close;
    EXPECT_EQ(later.Closes(), (std::vector<Close>{{true, false}}));
    EXPECT_EQ(earlier.Closes(), (std::vector<Close>{{true, false}, {true, false}}));

    // One warning, naming the window by class, handle and process, and why.
    const std::string handle = HandleText(hung.Handle());
    const std::vector<std::string> warnings = dist.Warnings();
    ASSERT_EQ(warnings.size(), 1u) << ::testing::PrintToString(warnings);
    const std::string& warning = warnings[0];
    EXPECT_NE(warning.find("RELAYOUT"), std::string::npos) << warning;
    EXPECT_NE(warning.find(handle), std::string::npos) << handle << " in " << warning;
    EXPECT_NE(warning.find("process " + std::to_string(GetCurrentProcessId())), std::string::npos)
        << warning;
    EXPECT_NE(warning.find("timed out"), std::string::npos) << warning;
    EXPECT_NE(warning.find("error 1460"), std::string::npos) << "ERROR_TIMEOUT: " << warning;
}

namespace {

constexpr char kOldDir[] = "C:\\PSTOLD";
constexpr char kOldHost[] = "mail.old.test";

bool ValueExists(const std::string& keyPath, const char* name) {
    return postern::RegistryValueBytes(HKEY_LOCAL_MACHINE, keyPath, name).has_value();
}

void SetDword(const std::string& keyPath, const char* name, DWORD value) {
    config_test::SetValue(keyPath, name, REG_DWORD,
                          std::string(reinterpret_cast<const char*>(&value), sizeof value));
}

// An installation of a release before virtual domains: InstDate without
// MultiFlag, users as keys beside Global (Global itself holding a password,
// as a user named "global" would), and, when asked for, aliases.
void SeedSingleDomainInstallation(bool withAliases) {
    SetText(Global, "TopDir", kOldDir);
    SetText(Global, "HostName", kOldHost);
    SetText(Global, "InstDate", "19970301-1200");
    SetText(Global, "Password", "global-pw");
    SetText(Root + "\\carol", "Password", "carol-pw");
    SetText(Root + "\\carol", "FullName", "Carol Old");
    SetDword(Root + "\\carol", "Flags", 0x05);
    SetText(Root + "\\dave", "Password", "dave-pw");
    SetDword(postern::kSuiteDomainsKey, "AddressCount", 2);
    if (withAliases) {
        SetText(Root + "\\_aliases", "list1", "roster mylist");
        SetText(Root + "\\_aliases", "list2", "|c:\\pst\\roster.exe team");
        SetText(Root + "\\_aliases", "postmaster", "carol");
    } else {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, (Root + "\\_aliases").c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegCloseKey(key);
    }
}

} // namespace

TEST_F(WorkStep, AnUpdateConvertsTheSingleDomainDatabase) {
    for (const bool withAliases : {true, false}) {
        SCOPED_TRACE(withAliases ? "with aliases" : "without aliases");
        RemoveSuiteRegistry();
        SeedSingleDomainInstallation(withAliases);
        SuiteRun run("update-convert");
        run.Run("[Setup]\r\nMode=update\r\nConvertDatabase=yes\r\n");
        const Distribution& dist = run.Dist();
        EXPECT_EQ(dist.LastLine(), "end: completed");
        EXPECT_EQ(dist.DialogNumbers(), (Numbers{100, 800, 7801, 300, 5007, 5005, 700}));
        EXPECT_TRUE(dist.LogContains("installer dialog \"WARNING! Please Read!\": "));
        EXPECT_TRUE(dist.LogContains("installer dialog \"Converting Users\": shown"));

        // The users, flag 0x80 added to what they had; their old keys gone
        // but Global's.
        EXPECT_EQ(StoredUserFlags(kOldHost, "carol"), 0x85u);
        EXPECT_EQ(StoredUserFlags(kOldHost, "dave"), 0x83u);
        EXPECT_EQ(TextValue(Global, "Password"), "global-pw");
        EXPECT_FALSE(KeyExists(Root + "\\carol"));
        EXPECT_FALSE(KeyExists(Root + "\\dave"));
        EXPECT_EQ(TextValue(Global, "InstDate").size(), 13u);
        EXPECT_TRUE(ValueExists(Global, "MultiFlag"));
        EXPECT_TRUE(FileThere(std::string(kOldDir) + "\\RELAYSVC.exe"));

        // Aliases moved, list-server targets given the domain; the old key
        // goes only when aliases were listed.
        EXPECT_EQ(KeyExists(Root + "\\_aliases"), !withAliases);
        if (withAliases) {
            EXPECT_EQ(StoredAlias(kOldHost, "list1"), "roster mail.old.test mylist");
            EXPECT_EQ(StoredAlias(kOldHost, "list2"), "|c:\\pst\\roster.exe mail.old.test team");
            EXPECT_EQ(StoredAlias(kOldHost, "postmaster"), "carol");
        }
    }
}

TEST_F(WorkStep, DecliningTheConversionCopiesAndConfiguresNothing) {
    SeedSingleDomainInstallation(true);
    SuiteRun run("decline");
    // The earlier installation's services, registered from their programs.
    for (const char* program : {"RELAYSVC.exe", "LOGSVC.exe"})
        ASSERT_TRUE(RegisterService(run.Dist().Path(program)));
    ASSERT_NE(ServiceImagePath("RELAYSVC"), "");

    run.Run(NewInstallation("ConvertDatabase=no\r\n"), 4);
    const Distribution& dist = run.Dist();
    EXPECT_EQ(dist.LastLine(), "end: completed");
    EXPECT_EQ(run.Dist().Warnings(),
              std::vector<std::string>{"new installation not done: the conversion was "
                                       "declined; the suite's services were removed and nothing "
                                       "was installed"});
    EXPECT_EQ(dist.DialogNumbers(), (Numbers{100, 800, 801, 7801, 300, 5006, 700}));
    EXPECT_EQ(ServiceImagePath("RELAYSVC"), "");
    EXPECT_EQ(ServiceImagePath("LOGSVC"), "");
    EXPECT_FALSE(FileThere(Installed("RELAYSVC.exe")));
    EXPECT_FALSE(FileThere(SystemApplet()));
    EXPECT_FALSE(FileThere(GroupFolder() + "\\Postern Client.lnk"));
    EXPECT_EQ(TextValue(Global, "InstDate"), "19970301-1200");
    EXPECT_FALSE(ValueExists(Global, "MultiFlag"));
    EXPECT_TRUE(KeyExists(Root + "\\carol"));
    EXPECT_EQ(SubkeyNames(postern::kSuiteDomainsKey), std::vector<std::string>{});
}

// An update that stops at the declined conversion starts what it stopped:
// SMTP, POP3 and Syslog always, the others as they ran before.
TEST_F(WorkStep, DecliningTheConversionInAnUpdateStartsTheServicesAgain) {
    SeedSingleDomainInstallation(true);
    SuiteRun run("decline-update");
    for (const char* program : {"RELAYSVC", "DROPSVC", "PLANSVC", "DIRSVC", "LOGSVC"})
        ASSERT_TRUE(RegisterService(run.Dist().Path(std::string(program) + ".exe")));
    for (const char* running : {"RELAYSVC", "PLANSVC"})
        ASSERT_TRUE(postern::StartServiceAndWait(running)) << running;

    run.Run("[Setup]\r\nMode=update\r\nConvertDatabase=no\r\n", 4);
    const Distribution& dist = run.Dist();
    EXPECT_EQ(dist.LastLine(), "end: completed");
    EXPECT_EQ(dist.DialogNumbers(), (Numbers{100, 800, 7801, 300, 5007, 700}));
    EXPECT_EQ(run.Dist().Warnings(),
              std::vector<std::string>{"update not done: the conversion was declined"});
    for (const char* service : {"RELAYSVC", "DROPSVC", "LOGSVC", "PLANSVC"})
        EXPECT_TRUE(postern::WaitFor([&] { return ServiceRunning(service); })) << service;
    EXPECT_FALSE(ServiceRunning("DIRSVC"));
    EXPECT_EQ(ServiceImagePath("WATCHSVC"), ""); // no install command ran
    EXPECT_FALSE(FileThere(std::string(kOldDir) + "\\RELAYSVC.exe"));
    EXPECT_FALSE(ValueExists(Global, "MultiFlag"));
    EXPECT_TRUE(KeyExists(Root + "\\carol"));
}

// What the installer could not do reaches the run log as a warning line, and
// the run's exit status tells the script that it completed with warnings.
TEST_F(WorkStep, AHostsFileThatCannotBeWrittenIsAWarning) {
    SuiteRun run("hosts-read-only");
    std::string hosts;
    {
        ASSERT_TRUE(config_test::WriteBytes(HostsPath(), "127.0.0.1 localhost\r\n"));
        config_test::ReadOnlyFile readOnly(HostsPath());
        ASSERT_TRUE(readOnly.Made()) << readOnly.Problem();
        run.Run(NewInstallation(), 4);
        hosts = HostsText();
    }
    EXPECT_EQ(run.Dist().LastLine(), "end: completed");
    const std::vector<std::string> warnings = run.Dist().Warnings();
    ASSERT_EQ(warnings.size(), 1u) << ::testing::PrintToString(warnings);
    EXPECT_EQ(warnings[0].rfind("HOSTS: ", 0), 0u) << warnings[0];
    EXPECT_NE(warnings[0].find(" cannot be written (error "), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("; not added: " + std::string(kAdapterAddress) + " " + kHost),
              std::string::npos)
        << warnings[0];
    EXPECT_EQ(hosts.find(kHost), std::string::npos);
    EXPECT_EQ(TextValue(Global, "HostName"), kHost); // the rest is installed
}

namespace {

const std::string OldAliases = Root + "\\_aliases";
const std::string OldDomain = std::string(postern::kSuiteDomainsKey) + "\\" + kOldHost;

// The old host's domain holds the user dave and the alias postmaster, so the
// library refuses both until the operator removes them from it.
void StoreDaveAndPostmaster() {
    wizard_test::StoreDomain(kOldHost);
    wizard_test::StoreUser("dave", "Dave Stored", "stored-pw", kOldHost);
    wizard_test::StoreAlias("postmaster", "root", kOldHost);
}
void RemoveDaveAndPostmaster() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, (OldDomain + "\\Users\\dave").c_str());
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, (OldDomain + "\\Aliases").c_str(), "postmaster");
}
// carol's full name does not fit the library's record, and an alias that is
// no text fails the listing, until the operator mends both.
void SpoilCarolAndTheAliases() {
    SetText(Root + "\\carol", "FullName", std::string(70, 'c'));
    SetDword(OldAliases, "numbered", 7);
}
void MendCarolAndTheAliases() {
    SetText(Root + "\\carol", "FullName", "Carol Old");
    config_test::DeleteValue(OldAliases, "numbered");
}

// The ids (users) or aliases that the library's call log shows it took.
std::vector<std::string> Taken(const std::string& log, const std::string& operation) {
    std::vector<std::string> taken;
    const std::string call = operation + "(\"" + kOldHost + "\", \"";
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find(call);
        if (at != std::string::npos && line.find(") -> 1") != std::string::npos)
            taken.push_back(
                line.substr(at + call.size(), line.find('"', at + call.size()) - at - call.size()));
    }
    return taken;
}

} // namespace

TEST_F(WorkStep, WhatAnUpdateCannotConvertStaysUntilTheNextUpdateConvertsIt) {
    struct Case {
        const char* what;
        const char* hostName; // the first update's
        void (*prepare)();    // after the seed
        void (*mend)();       // what the operator does before the next update
        const char* message;  // the first update's box
        std::vector<std::string> usersLeft, aliasesLeft;
    };
    const Case cases[] = {
        {"no domain",
         "",
         [] {},
         [] {},
         "The domain \"\" cannot be created, so the user database was not converted: 2 users "
         "and 3 aliases",
         {"carol", "dave"},
         {"list1", "list2", "postmaster"}},
        {"refused",
         kOldHost,
         StoreDaveAndPostmaster,
         RemoveDaveAndPostmaster,
         "Not all of the user database could be converted to the domain \"mail.old.test\": 1 "
         "user and 1 alias",
         {"dave"},
         {"postmaster"}},
        {"not readable, not listable",
         kOldHost,
         SpoilCarolAndTheAliases,
         MendCarolAndTheAliases,
         "Not all of the user database could be converted to the domain \"mail.old.test\": 1 "
         "user and all aliases",
         {"carol"},
         {"list1", "list2", "postmaster"}},
    };
    const auto in = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveSuiteRegistry();
        SeedSingleDomainInstallation(true);
        c.prepare();
        SuiteRun run("update-unconverted");
        const std::string update = "[Setup]\r\nMode=update\r\nConvertDatabase=yes\r\nHostName=";
        run.Run(update + c.hostName + "\r\n", 4);
        const std::string message = std::string(c.message) +
                                    " stay in the old user database. The next update offers the "
                                    "conversion again.";
        EXPECT_TRUE(
            run.Dist().LogContains("message box \"Install Failed\": " + message + " -> OK"));
        EXPECT_TRUE(config_test::LogHasWarning(ReadWholeFile(run.Dist().LogPath()),
                                               "Install Failed: " + message));
        for (const std::string user : {"carol", "dave"}) {
            EXPECT_EQ(KeyExists(Root + "\\" + user), in(c.usersLeft, user)) << user;
            if (!in(c.usersLeft, user)) {
                EXPECT_EQ(StoredUserFlags(kOldHost, user).value_or(0) & 0x80, 0x80u) << user;
            }
        }
        for (const std::string alias : {"list1", "list2", "postmaster"})
            EXPECT_EQ(ValueExists(OldAliases, alias.c_str()), in(c.aliasesLeft, alias)) << alias;
        EXPECT_EQ(SubkeyNames(postern::kSuiteDomainsKey).size(), c.hostName[0] ? 1u : 0u);
        // The rest of the configuration is written; MultiFlag is not.
        EXPECT_FALSE(ValueExists(Global, "MultiFlag"));
        EXPECT_EQ(TextValue(Global, "SendName"), std::string(kOldDir) + "\\RELAYOUT.exe");

        // The next update hands over only what stayed, and ends the conversion.
        c.mend();
        DeleteFileA(run.Dist().Path("usrvault.log").c_str());
        DeleteFileA(run.Dist().LogPath().c_str());
        run.Run(update + kOldHost + "\r\n");
        EXPECT_EQ(run.Dist().LastLine(), "end: completed");
        EXPECT_TRUE(run.Dist().LogContains("installer dialog \"WARNING! Please Read!\": "));
        EXPECT_FALSE(run.Dist().LogContains("Install Failed"));
        EXPECT_EQ(Taken(run.VaultLog(), "202 AddUser"), c.usersLeft);
        EXPECT_EQ(Taken(run.VaultLog(), "422 AddAlias"), c.aliasesLeft);
        EXPECT_FALSE(KeyExists(Root + "\\carol"));
        EXPECT_FALSE(KeyExists(Root + "\\dave"));
        EXPECT_FALSE(KeyExists(OldAliases));
        EXPECT_TRUE(ValueExists(Global, "MultiFlag"));
    }
}
