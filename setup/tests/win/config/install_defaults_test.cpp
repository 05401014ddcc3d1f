// The proposals of the setup dialogs read from a prefix seeded with TCP/IP
// values, a legacy POSTERN.INI in the Windows folder and in the current
// folder, and an earlier installation's kGlobal key.
#include "config_test_support.h"

#include "common/suite_registry.h"
#include "setup/config/install_defaults.h"
#include "setup/setup_session.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace config_test;
using namespace std::string_literals;

namespace {

constexpr const char* kParameters = postern::kTcpipParametersKey;
constexpr const char* kGlobal = postern::kSuiteGlobalKey;

const std::string WindowsIni = "[_GLOBAL]\r\nMAILDIR=D:\\WINMAIL\r\nHOSTNAME=win.example\r\n";
const std::string CurrentIni = "[_GLOBAL]\r\nMAILDIR=E:\\CURMAIL\r\nHOSTNAME=cur.example\r\n";

// A registry text of the kGlobal key to seed: absent, with or without its NUL.
struct RegText {
    enum Kind { Absent, Text, NoNul } kind = Absent;
    std::string text;
};
const RegText None{};
RegText Stored(std::string text) {
    return {RegText::Text, std::move(text)};
}
RegText StoredWithoutNul(std::string text) {
    return {RegText::NoNul, std::move(text)};
}

// One seeding of the sources and the proposals expected from it; a row names
// only what differs from a fresh machine without TCP/IP values.
struct Case {
    const char* name = "";
    bool tcpip = false;                     // Hostname "tcpip-host", Domain "example.net"
    std::optional<std::string> winIni = {}; // POSTERN.INI in the Windows folder
    std::optional<std::string> curIni = {}; // POSTERN.INI in the current folder
    RegText topDir = None;                  // values of the kGlobal key
    RegText hostName = None;
    std::string expectTopDir = "C:\\POSTERN";
    std::string expectHost = "hostname_not_set";
    std::string expectType = "1";
    bool iniInCurrent = false; // LegacyIniPath names the current folder's file
};

std::string WindowsFolder() {
    char dir[MAX_PATH];
    const UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir, n);
}

class InstallDefaults : public ::testing::Test {
  protected:
    SavedValue hostname_{kParameters, "Hostname"};
    SavedValue domain_{kParameters, "Domain"};
    SavedValue bind_{postern::kTcpipLinkageKey, "Bind"};
    ScratchKey net1_{std::string(postern::kServicesKey) + "\\PstTestNet1"};
    ScratchKey net0_{std::string(postern::kServicesKey) + "\\PstTestNet0"};
    ScratchKey net2_{std::string(postern::kServicesKey) + "\\PstTestNet2"};
    ScratchKey suite_{postern::kSuiteRootKey};
    std::string windowsIni_ = WindowsFolder() + "\\POSTERN.INI";
    std::optional<std::string> savedWindowsIni_ = ReadFileBytes(windowsIni_);
    std::string folder_;
    std::string previousDir_;

    void SetUp() override {
        char current[MAX_PATH];
        previousDir_.assign(current, GetCurrentDirectoryA(MAX_PATH, current));
        folder_ = TempFolder() + "pst-defaults-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
        ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str())) << folder_;
        DeleteFileA(windowsIni_.c_str());
        // Two adapters and one without an address.
        ASSERT_TRUE(SetValue(postern::kTcpipLinkageKey, "Bind", REG_MULTI_SZ,
                             "\\Device\\PstTestNet1\0\\Device\\PstTestNet0\0"
                             "\\Device\\PstTestNet2\0\0"s));
        ASSERT_TRUE(SetValue(Adapter("PstTestNet1"), "IPAddress", REG_MULTI_SZ, "192.0.2.5\0\0"s));
        ASSERT_TRUE(SetValue(Adapter("PstTestNet0"), "IPAddress", REG_MULTI_SZ, "0.0.0.0\0\0"s));
        ASSERT_TRUE(SetValue(Adapter("PstTestNet2"), "IPAddress", REG_MULTI_SZ,
                             "192.0.2.7\000192.0.2.8\0\0"s));
        ResetSession();
    }

    void TearDown() override {
        SetCurrentDirectoryA(previousDir_.c_str());
        DeleteFileA((folder_ + "\\POSTERN.INI").c_str());
        RemoveDirectoryA(folder_.c_str());
        DeleteFileA(windowsIni_.c_str());
        if (savedWindowsIni_)
            WriteBytes(windowsIni_, *savedWindowsIni_);
        FlushProfiles();
    }

    static std::string Adapter(const char* name) {
        return std::string(postern::kServicesKey) + "\\" + name + "\\Parameters\\TCPIP";
    }
    static void ResetSession() {
        Session.TopDir.fill('\0');
        Session.HostName.fill('\0');
        Session.AddressList.fill('#');
        Session.LegacyIniPath.fill('#');
        Session.TypeDefault = {'1'};
    }
    // The profile functions cache files; a test rewrites them within a second.
    static void FlushProfiles() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr); }

    void Seed(const Case& c) {
        ResetSession();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
        if (c.tcpip) {
            ASSERT_TRUE(SetText(kParameters, "Hostname", "tcpip-host"));
            ASSERT_TRUE(SetText(kParameters, "Domain", "example.net"));
        } else {
            DeleteValue(kParameters, "Hostname");
            DeleteValue(kParameters, "Domain");
        }
        DeleteFileA(windowsIni_.c_str());
        DeleteFileA((folder_ + "\\POSTERN.INI").c_str());
        if (c.winIni) {
            ASSERT_TRUE(WriteBytes(windowsIni_, *c.winIni));
        }
        if (c.curIni) {
            ASSERT_TRUE(WriteBytes(folder_ + "\\POSTERN.INI", *c.curIni));
        }
        FlushProfiles();
        SeedGlobal("TopDir", c.topDir);
        SeedGlobal("HostName", c.hostName);
    }

    static void SeedGlobal(const char* name, const RegText& value) {
        if (value.kind == RegText::Text) {
            ASSERT_TRUE(SetText(kGlobal, name, value.text, REG_EXPAND_SZ));
        }
        if (value.kind == RegText::NoNul) {
            ASSERT_TRUE(SetTextWithoutNul(kGlobal, name, value.text, REG_EXPAND_SZ));
            ASSERT_EQ(StoredWideBytes(kGlobal, name), static_cast<long>(2 * value.text.size()));
        }
    }
};

} // namespace

TEST_F(InstallDefaults, EachSourceInItsOrder) {
    const std::string dir78 = "C:\\" + std::string(75, 'd');
    const std::string dir79 = dir78 + "9";
    const std::string maildir90 = "[_GLOBAL]\r\nMAILDIR=F:\\" + std::string(87, 'm') + "\r\n";
    const Case cases[] = {
        {.name = "fresh machine", .tcpip = true, .expectHost = "tcpip-host.example.net"},
        {.name = "no TCP/IP host, no INI"},
        {.name = "INI in the Windows folder",
         .winIni = WindowsIni,
         .expectTopDir = "D:\\WINMAIL",
         .expectHost = "win.example"},
        {.name = "TCP/IP comes before the INI host name",
         .tcpip = true,
         .winIni = WindowsIni,
         .expectTopDir = "D:\\WINMAIL",
         .expectHost = "tcpip-host.example.net"},
        {.name = "the current folder's INI wins",
         .winIni = WindowsIni,
         .curIni = CurrentIni,
         .expectTopDir = "E:\\CURMAIL",
         .expectHost = "cur.example",
         .iniInCurrent = true},
        {.name = "earlier installation wins over all",
         .tcpip = true,
         .winIni = WindowsIni,
         .curIni = CurrentIni,
         .topDir = Stored("C:\\OLDPOSTERN"),
         .hostName = Stored("old.example.com"),
         .expectTopDir = "C:\\OLDPOSTERN",
         .expectHost = "old.example.com",
         .expectType = "2",
         .iniInCurrent = true},
        {.name = "installation without a host name",
         .tcpip = true,
         .winIni = WindowsIni,
         .topDir = Stored("C:\\OLDPOSTERN"),
         .expectTopDir = "C:\\OLDPOSTERN",
         .expectHost = "tcpip-host.example.net",
         .expectType = "2"},
        {.name = "installation, host name from the INI",
         .curIni = CurrentIni,
         .topDir = Stored("C:\\OLDPOSTERN"),
         .expectTopDir = "C:\\OLDPOSTERN",
         .expectHost = "cur.example",
         .expectType = "2",
         .iniInCurrent = true},
        {.name = "host name without a top directory",
         .tcpip = true,
         .curIni = CurrentIni,
         .hostName = Stored("old.example.com"),
         .expectTopDir = "E:\\CURMAIL",
         .expectHost = "old.example.com",
         .iniInCurrent = true},
        {.name = "TopDir of 78 characters",
         .topDir = Stored(dir78),
         .expectTopDir = dir78,
         .expectType = "2"},
        {.name = "TopDir of 79 characters does not fit", .topDir = Stored(dir79)},
        {.name = "TopDir of 78 without its NUL",
         .topDir = StoredWithoutNul(dir78),
         .expectTopDir = dir78,
         .expectType = "2"},
        {.name = "TopDir of 79 without its NUL does not fit", .topDir = StoredWithoutNul(dir79)},
        {.name = "texts without their NULs",
         .topDir = StoredWithoutNul("C:\\NONUL"),
         .hostName = StoredWithoutNul("nonul.example"),
         .expectTopDir = "C:\\NONUL",
         .expectHost = "nonul.example",
         .expectType = "2"},
        {.name = "an empty TopDir is no installation",
         .winIni = WindowsIni,
         .topDir = Stored(""),
         .hostName = Stored(""),
         .expectTopDir = "D:\\WINMAIL",
         .expectHost = "win.example"},
        {.name = "INI texts are read up to 78 characters",
         .winIni = maildir90,
         .expectTopDir = "F:\\" + std::string(75, 'm')},
        {.name = "a host name of 254 characters, as the host-name dialog takes it",
         .tcpip = true,
         .topDir = Stored("C:\\OLDPOSTERN"),
         .hostName = Stored(std::string(254, 'h')),
         .expectTopDir = "C:\\OLDPOSTERN",
         .expectHost = std::string(254, 'h'),
         .expectType = "2"},
        {.name = "a host name that does not fit the session's 256 bytes",
         .tcpip = true,
         .topDir = Stored("C:\\OLDPOSTERN"),
         .hostName = Stored(std::string(256, 'h')),
         .expectTopDir = "C:\\OLDPOSTERN",
         .expectHost = "tcpip-host.example.net",
         .expectType = "2"},
        {.name = "INI without the keys",
         .winIni = "[_GLOBAL]\r\nOTHER=1\r\n[_SMTP]\r\nGATE=g\r\n"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Seed(c);
        EXPECT_EQ(ReadInstallDefaults(Session.TopDir, Session.HostName), 1);
        EXPECT_EQ(std::string(Session.TopDir.data()), c.expectTopDir);
        EXPECT_EQ(std::string(Session.HostName.data()), c.expectHost);
        EXPECT_EQ(std::string(Session.TypeDefault.data()), c.expectType);
        EXPECT_EQ(std::string(Session.LegacyIniPath.data()),
                  c.iniInCurrent ? folder_ + "\\POSTERN.INI" : "POSTERN.INI");
        EXPECT_EQ(std::string(Session.AddressList.data()), "192.0.2.5 192.0.2.7 192.0.2.8");
    }
}

TEST_F(InstallDefaults, AMissingGlobalKeyIsCreatedEmpty) {
    Seed({.name = "fresh", .tcpip = true});
    ASSERT_FALSE(KeyExists(kGlobal));
    ReadInstallDefaults(Session.TopDir, Session.HostName);
    EXPECT_TRUE(KeyExists(kGlobal));
    EXPECT_EQ(ValueCount(kGlobal), 0);
}

TEST_F(InstallDefaults, AnIniFileInTheRootFolderIsNamedWithOneBackslash) {
    const std::string rootIni = "C:\\POSTERN.INI";
    const std::optional<std::string> saved = ReadFileBytes(rootIni);
    ASSERT_TRUE(WriteBytes(rootIni, CurrentIni));
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    FlushProfiles();
    DeleteValue(kParameters, "Hostname");
    ReadInstallDefaults(Session.TopDir, Session.HostName);
    EXPECT_STREQ(Session.LegacyIniPath.data(), "C:\\POSTERN.INI");
    EXPECT_STREQ(Session.TopDir.data(), "E:\\CURMAIL");
    EXPECT_STREQ(Session.HostName.data(), "cur.example");
    SetCurrentDirectoryA(folder_.c_str());
    DeleteFileA(rootIni.c_str());
    if (saved)
        WriteBytes(rootIni, *saved);
}
