// The configuration writer run in this process against the prefix's registry:
// every Global value with its type and stored length, the values kept and
// replaced on an update, the directories, the SMTP defaults and the domain
// record's NT-database bit, read back through the registry and usrvault.
#include "common/bounded_format.h"
#include "common/suite_registry.h"
#include "common/unique_handle.h"
#include "common/win_test_support.h"
#include "setup/config/server_config.h"
#include "setup/setup_session.h"
#include "setup/userdb/usrvault.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cctype>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

constexpr char kSmtpKey[] = "SYSTEM\\CurrentControlSet\\Services\\RELAYSVC\\Parameters";
constexpr char kHost[] = "mail.example.com";

struct StoredValue {
    bool present = false;
    DWORD type = 0;
    std::string data; // the stored bytes, as many as the registry reports
};

// The value as stored: texts are read through the wide call, which reports the
// stored length as it is (the ANSI call adds a NUL to a text stored without one).
StoredValue Read(const char* keyPath, const char* name) {
    StoredValue value;
    postern::UniqueHkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return value;
    wchar_t wideName[64];
    MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, 64);
    BYTE data[2048];
    DWORD size = sizeof data;
    if (RegQueryValueExW(key.get(), wideName, nullptr, &value.type, data, &size) != ERROR_SUCCESS)
        return value;
    value.present = true;
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        char text[1024];
        const int length = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(data),
                                               static_cast<int>(size / sizeof(wchar_t)), text,
                                               sizeof text, nullptr, nullptr);
        value.data.assign(text, static_cast<std::size_t>(length));
    } else {
        value.data.assign(reinterpret_cast<const char*>(data), size);
    }
    return value;
}

StoredValue Global(const char* name) {
    return Read(postern::kSuiteGlobalKey, name);
}

// A text value as stored with its NUL counted.
std::string WithNul(const std::string& text) {
    return text + '\0';
}

DWORD DwordOf(const StoredValue& value) {
    DWORD number = 0;
    if (value.data.size() == sizeof number)
        std::memcpy(&number, value.data.data(), sizeof number);
    return number;
}

void SetGlobalText(const char* name, const std::string& text) {
    postern::UniqueHkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, postern::kSuiteGlobalKey, 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.get(), name, 0, REG_EXPAND_SZ,
                             reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
}

bool IsDirectory(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Presses Continue in the add-user question whenever it comes up, on any thread.
class AddUserQuestionAnswerer {
  public:
    AddUserQuestionAnswerer()
        : thread_([this] {
              while (!stop_) {
                  if (HWND question = FindWindowA("#32770", "Add a user?"))
                      PostMessageA(question, WM_COMMAND, IDOK, 0);
                  Sleep(50);
              }
          }) {}
    ~AddUserQuestionAnswerer() {
        stop_ = true;
        thread_.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class ServerConfig : public ::testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSmtpKey);
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        root_ = std::string(temp) + "pstsetup-writer-" + std::to_string(GetCurrentProcessId());
        postern::RemoveTree(root_);
        CreateDirectoryA(root_.c_str(), nullptr);
        top_ = root_ + "\\top";
        users_ = top_ + "\\users";
        ini_ = root_ + "\\POSTERN.INI";
        std::ofstream(ini_) << "[_SMTP]\r\nGATE=gw.example.com\r\nDEFHOST=ab\r\n";
        postern::CopyText(Session.LegacyIniPath, ini_.c_str());
        Session.UserDbOption = 0;
        Session.Instance = GetModuleHandleA(nullptr);
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSmtpKey);
        postern::RemoveTree(root_);
        Session = SetupSession{};
    }
    int Write(int newInstallation) {
        AddUserQuestionAnswerer answerer;
        return WriteServerConfiguration(top_.c_str(), users_.c_str(), kHost, newInstallation);
    }
    DWORD DomainFlags() {
        DomainRecord domain{};
        EXPECT_NE(UvReadDomain(&domain, kHost), 0) << "the host's domain exists";
        return domain.Flags;
    }
    void SeedDomainFlags(DWORD flags) {
        DomainRecord domain{};
        UvReadDomain(&domain, kHost);
        domain.Flags = flags;
        UvWriteDomain(&domain);
    }

    std::string root_, top_, users_, ini_;
};

} // namespace

TEST_F(ServerConfig, NewInstallationWritesEveryValueWithItsTypeAndLength) {
    EXPECT_EQ(Write(1), 1);
    const struct {
        const char* name;
        std::string data;
    } texts[] = {
        {"TopDir", WithNul(top_)},
        {"CfgDir", WithNul(top_ + "\\cfg")},
        {"SpoolDir", WithNul(top_ + "\\spool")},
        {"UsersDir", WithNul(users_)},
        {"HostName", WithNul(kHost)},
        {"SendName", WithNul(top_ + "\\RELAYOUT.exe")},
        // The SMTP hosts are stored without a terminating NUL.
        {"GateHost", "gw.example.com"},
        {"LogHost", "127.0.0.1"},
    };
    for (const auto& t : texts) {
        const StoredValue value = Global(t.name);
        EXPECT_TRUE(value.present) << t.name;
        EXPECT_EQ(value.type, DWORD(REG_EXPAND_SZ)) << t.name;
        EXPECT_EQ(value.data, t.data) << t.name;
    }
    EXPECT_FALSE(Global("DefHost").present) << "an INI text of 2 characters is not copied";
    const StoredValue multi = Global("MultiFlag");
    EXPECT_EQ(multi.type, DWORD(REG_DWORD));
    EXPECT_EQ(DwordOf(multi), 1u);
    const StoredValue date = Global("InstDate");
    ASSERT_EQ(date.data.size(), 14u) << "13 characters and the NUL";
    for (std::size_t i = 0; i < 13; ++i)
        EXPECT_TRUE(i == 8 ? date.data[i] == '-' : std::isdigit(date.data[i]) != 0) << date.data;
    for (const std::string& directory : {top_, users_, top_ + "\\cfg", top_ + "\\spool"})
        EXPECT_TRUE(IsDirectory(directory)) << directory;
    for (const char* name : {"AcceptAny", "Direct", "SMTPFlags", "RemoteLists"}) {
        const StoredValue value = Read(kSmtpKey, name);
        EXPECT_EQ(value.type, DWORD(REG_DWORD)) << name;
        EXPECT_EQ(DwordOf(value), std::strcmp(name, "SMTPFlags") == 0 ? 14u : 1u) << name;
    }
    EXPECT_EQ(DomainFlags() & 0x10, 0x10u) << "the NT user database was chosen";
}

TEST_F(ServerConfig, UpdateKeepsWhatIsPresentAndRewritesTheRest) {
    const std::string cfg99(98, 'c');    // 99 bytes with its NUL: present
    const std::string spool100(99, 's'); // 100 bytes: does not fit, replaced
    SetGlobalText("TopDir", "C:\\OLD");
    SetGlobalText("HostName", "old.example.com");
    SetGlobalText("SendName", "C:\\OLD\\RELAYOUT.exe");
    SetGlobalText("InstDate", "19990101-0101");
    SetGlobalText("CfgDir", cfg99);
    SetGlobalText("SpoolDir", spool100);
    SetGlobalText("UsersDir", "C:\\OLD\\users");
    SetGlobalText("GateHost", "old.gateway");
    SetGlobalText("LogHost", "10.0.0.1");
    SetGlobalText("UserDatabase", "123456789"); // 9 characters: no SMTP defaults
    Session.UserDbOption = 1;
    SeedDomainFlags(0x10 | 0x01);
    EXPECT_EQ(Write(0), 1);

    EXPECT_EQ(Global("TopDir").data, WithNul(top_));
    EXPECT_EQ(Global("HostName").data, WithNul(kHost));
    EXPECT_EQ(Global("SendName").data, WithNul(top_ + "\\RELAYOUT.exe"));
    EXPECT_EQ(Global("InstDate").data, WithNul("19990101-0101"));
    EXPECT_EQ(Global("CfgDir").data, WithNul(cfg99));
    EXPECT_EQ(Global("SpoolDir").data, WithNul(top_ + "\\spool"));
    EXPECT_TRUE(IsDirectory(top_ + "\\spool"));
    EXPECT_FALSE(IsDirectory(top_ + "\\cfg")) << "a kept CfgDir creates nothing";
    EXPECT_EQ(Global("UsersDir").data, WithNul("C:\\OLD\\users"));
    EXPECT_EQ(Global("GateHost").data, WithNul("old.gateway"));
    EXPECT_EQ(Global("LogHost").data, WithNul("10.0.0.1"));
    EXPECT_FALSE(Read(kSmtpKey, "AcceptAny").present);
    EXPECT_EQ(DomainFlags(), 0x11u) << "an update with the own database keeps the bit";
}

// Each value written only when absent is replaced when its data does not fit
// the buffer it is tested with, and kept when it just fits.
// After a conversion that left users or aliases in the old database, an
// update writes everything but MultiFlag, so that the next one converts again.
TEST_F(ServerConfig, AnIncompleteConversionLeavesOnlyMultiFlagUnwritten) {
    for (const bool incomplete : {false, true}) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
        SetGlobalText("InstDate", "19970301-1200");
        Session.ConversionIncomplete = incomplete;
        EXPECT_EQ(Write(0), 1);
        EXPECT_EQ(Global("MultiFlag").present, !incomplete) << incomplete;
        EXPECT_EQ(Global("TopDir").data, WithNul(top_)) << incomplete;
        EXPECT_EQ(Global("HostName").data, WithNul(kHost)) << incomplete;
        EXPECT_EQ(Global("SendName").data, WithNul(top_ + "\\RELAYOUT.exe")) << incomplete;
        EXPECT_EQ(Global("LogHost").data, "127.0.0.1") << incomplete;
        EXPECT_EQ(Global("InstDate").data, WithNul("19970301-1200")) << incomplete;
        EXPECT_EQ(DomainFlags() & 0x10, 0x10u) << "the host's domain is written";
    }
}

TEST_F(ServerConfig, PresenceBuffersDecideWhatIsKept) {
    const struct {
        const char* name;
        std::size_t room; // bytes, the NUL included
    } values[] = {{"InstDate", 39},  {"CfgDir", 99},   {"SpoolDir", 99}, {"UsersDir", 250},
                  {"GateHost", 245}, {"DefHost", 245}, {"LogHost", 99}};
    std::ofstream(ini_) << "[_SMTP]\r\nGATE=gw.example.com\r\nDEFHOST=def.example.com\r\n";
    for (bool fits : {true, false}) {
        for (const auto& v : values)
            SetGlobalText(v.name, std::string(fits ? v.room - 1 : v.room, 'k'));
        EXPECT_EQ(Write(0), 1);
        for (const auto& v : values) {
            const std::string kept = WithNul(std::string(v.room - 1, 'k'));
            if (fits)
                EXPECT_EQ(Global(v.name).data, kept) << v.name;
            else
                EXPECT_NE(Global(v.name).data.substr(0, 1), "k") << v.name << " replaced";
        }
    }
    EXPECT_EQ(Global("CfgDir").data, WithNul(top_ + "\\cfg"));
    EXPECT_EQ(Global("DefHost").data, "def.example.com");
}

TEST_F(ServerConfig, UserDatabaseOfEightCharactersLeavesTheSmtpDefaults) {
    SetGlobalText("UserDatabase", "12345678");
    EXPECT_EQ(Write(0), 1);
    EXPECT_EQ(DwordOf(Read(kSmtpKey, "SMTPFlags")), 14u);
}

TEST_F(ServerConfig, NewInstallationWithTheOwnDatabaseClearsTheNtBit) {
    Session.UserDbOption = 1;
    SeedDomainFlags(0x10 | 0x04);
    EXPECT_EQ(Write(1), 1);
    EXPECT_EQ(DomainFlags(), 0x04u);
}

TEST_F(ServerConfig, SectionKeysAndDwords) {
    EXPECT_EQ(ResolveSectionKey("_SMTP"), int(std::strlen(kSmtpKey)));
    EXPECT_STREQ(ResolvedSectionKey(), kSmtpKey);
    EXPECT_EQ(ResolveSectionKey(nullptr), 0);
    EXPECT_EQ(WriteServiceDword("Custom", "Number", 7), 0);
    const StoredValue value = Read("SOFTWARE\\Corvane\\Postern\\Custom", "Number");
    EXPECT_EQ(value.type, DWORD(REG_DWORD));
    EXPECT_EQ(DwordOf(value), 7u);
}

TEST_F(ServerConfig, CreateDirectoryTreeMakesTheMissingParents) {
    const std::string deep = root_ + "\\a\\b\\c\\d";
    EXPECT_EQ(CreateDirectoryTree(deep.c_str()), 0);
    EXPECT_TRUE(IsDirectory(deep));
    EXPECT_EQ(CreateDirectoryTree(deep.c_str()), -1) << "an existing directory";
    // A name that cannot be created and has no parent to try.
    EXPECT_EQ(CreateDirectoryTree("bad|name"), -1);
}
