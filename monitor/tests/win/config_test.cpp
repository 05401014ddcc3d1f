// ReadConfiguration against the prefix's registry, and where the data file is
// then looked for.
#include "monitor_win_harness.h"

#include "common/suite_registry.h"
#include "monitor/monitor_reader.h"
#include "monitor/startup.h"

#include <gtest/gtest.h>

using namespace monitor;
using namespace monitor_test;

namespace {

constexpr const char* kGlobal = postern::kSuiteGlobalKey;

class Configuration : public PanelTest {
  protected:
    void SetUp() override {
        PanelTest::SetUp();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kGlobal);
        TopDir.fill('#'); // whatever ReadConfiguration leaves must be terminated by it
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kGlobal);
        PanelTest::TearDown();
    }
    static HKEY CreateGlobal() {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kGlobal, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        return key;
    }
    static void SetTopDir(const std::string& value, DWORD type = REG_EXPAND_SZ) {
        HKEY key = CreateGlobal();
        EXPECT_EQ(RegSetValueExA(key, "TopDir", 0, type,
                                 reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    // The data file's path after the first read with the configuration.
    std::string PathAfterFirstRead() {
        ResetMonitorState();
        OpenPanel();
        return MonitorFilePath();
    }
};

} // namespace

TEST_F(Configuration, NoKeyMeansMail) {
    ReadConfiguration();
    EXPECT_STREQ(TopDir.data(), "\\MAIL");
    EXPECT_EQ(PathAfterFirstRead(), "\\MAIL\\watchsvc.dat");
}

TEST_F(Configuration, KeyWithoutTheValueMeansMail) {
    RegCloseKey(CreateGlobal());
    ReadConfiguration();
    EXPECT_STREQ(TopDir.data(), "\\MAIL");
}

TEST_F(Configuration, TopDirGivesTheDataFilesFolder) {
    SetTopDir("D:\\SUITE");
    ReadConfiguration();
    EXPECT_STREQ(TopDir.data(), "D:\\SUITE");
    EXPECT_EQ(PathAfterFirstRead(), "D:\\SUITE\\watchsvc.dat");
}

TEST_F(Configuration, ExpandableTextIsUsedAsStored) {
    SetTopDir("%SystemDrive%\\POSTERN");
    ReadConfiguration();
    EXPECT_STREQ(TopDir.data(), "%SystemDrive%\\POSTERN");
    SetTopDir("C:\\PLAIN", REG_SZ);
    ReadConfiguration();
    EXPECT_STREQ(TopDir.data(), "C:\\PLAIN");
}

TEST_F(Configuration, LongestValueIs149Characters) {
    const std::string longest = "C:\\" + std::string(146, 'd');
    SetTopDir(longest);
    ReadConfiguration();
    EXPECT_EQ(std::string(TopDir.data()), longest);
    SetTopDir(longest + "e");
    ReadConfiguration();
    EXPECT_STREQ(TopDir.data(), "\\MAIL") << "150 characters need 151 bytes";
}

TEST_F(Configuration, ValueStoredWithoutItsTerminator) {
    // Written with the byte count of the text alone and a character that is
    // not zero after it, so that the registry adds no terminator either.
    auto setWithoutZero = [](const std::wstring& text) {
        HKEY key = CreateGlobal();
        const std::wstring withTail = text + L"X";
        ASSERT_EQ(RegSetValueExW(key, L"TopDir", 0, REG_EXPAND_SZ,
                                 reinterpret_cast<const BYTE*>(withTail.c_str()),
                                 static_cast<DWORD>(text.size() * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        DWORD stored = 0;
        RegQueryValueExW(key, L"TopDir", nullptr, nullptr, nullptr, &stored);
        EXPECT_EQ(stored, text.size() * sizeof(wchar_t)) << "stored without its terminator";
        RegCloseKey(key);
    };
    setWithoutZero(L"E:\\NOZERO");
    ReadConfiguration();
    EXPECT_STREQ(TopDir.data(), "E:\\NOZERO");
    setWithoutZero(L"C:\\" + std::wstring(147, L'z'));
    TopDir.fill('#');
    ReadConfiguration();
    EXPECT_STREQ(TopDir.data(), "\\MAIL") << "150 characters leave no room for the terminator";
}
