// The installer on systems it must refuse or treat as older Windows NT, made
// with Wine's per-program Windows version.
#include "installed_suite.h"
#include "setup_run.h"

#include "common/win_test_support.h"

#include <gtest/gtest.h>

using namespace setup_test;
using Numbers = std::vector<unsigned>;

namespace {

constexpr const char* kAppDefaults = "Software\\Wine\\AppDefaults\\pstsetup.exe";

// Makes Wine report `version` ("win98", "nt351"...) to pstsetup.exe while the
// object lives.
class ReportedVersion {
  public:
    explicit ReportedVersion(const char* version) {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr);
        RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>(strlen(version) + 1));
        RegCloseKey(key);
    }
    ~ReportedVersion() { RegDeleteTreeA(HKEY_CURRENT_USER, kAppDefaults); }
};

// A top-level dialog of the process with the given caption.
HWND CaptionedWindow(DWORD pid, const char* caption) {
    struct Search {
        DWORD pid;
        const char* caption;
        HWND found;
    } search{pid, caption, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s->pid && IsWindowVisible(window) &&
                postern::TextOf(window) == s->caption) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

TEST(SetupPlatform, OnlyWindowsNtIsAccepted) {
    RemoveSuiteRegistry();
    ReportedVersion win98("win98");
    Distribution dist("win98");
    postern::UniqueKernelHandle process = dist.Start("");
    ASSERT_TRUE(process);
    HWND box = nullptr;
    ASSERT_TRUE(postern::WaitFor([&] {
        return (box = CaptionedWindow(GetProcessId(process.get()), "Postern Setup")) != nullptr;
    }));
    EXPECT_EQ(postern::TextOf(GetDlgItem(box, 0xFFFF)),
              "This product may only be installed on Windows NT.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
    DWORD status = 99;
    GetExitCodeProcess(process.get(), &status);
    EXPECT_EQ(status, 0u);
    // Nothing else was started: no toolkit, no run log.
    EXPECT_EQ(GetFileAttributesA(dist.LogPath().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(SetupPlatform, WindowsNt351AsksForTheUserDatabase) {
    SuiteSandbox sandbox({"C:\\POSTERN"});
    ReportedVersion nt351("nt351");
    Distribution dist("nt351");
    const std::string answers =
        dist.WriteAnswers("new.ini", "[Setup]\r\nMode=new\r\nUserDatabase=nt\r\n"
                                     "HostName=mail.example.com\r\n");
    EXPECT_EQ(dist.Run("/answers \"" + answers + "\""), kWarnedOfMissingPrograms);
    EXPECT_EQ(dist.DialogNumbers(), (Numbers{100, 800, 801, 7801, 300, 5006, 5005, 700}));
    EXPECT_EQ(dist.LastLine(), "end: completed");
    // 3.51 takes the copy list's "F351" section.
    EXPECT_TRUE(dist.LogContains("F351"));
    EXPECT_TRUE(dist.LogContains("Postern Server for Windows NT 3.51")) << "frame title";
}

// usrvault.dll is bound at load: without it the program never runs, so
// nothing (not even the toolkit's run log) is started.
TEST(SetupPlatform, TheInstallerDoesNotStartWithoutTheUserDatabaseLibrary) {
    RemoveSuiteRegistry();
    Distribution dist("no-usrvault");
    ASSERT_TRUE(DeleteFileA(dist.Path("usrvault.dll").c_str()));
    const std::string answers = dist.WriteAnswers("new.ini", "[Setup]\r\nMode=new\r\n");
    const DWORD status = dist.Run("/answers \"" + answers + "\"");
    EXPECT_EQ(status, 0xC0000135u) << "expected STATUS_DLL_NOT_FOUND";
    EXPECT_EQ(GetFileAttributesA(dist.LogPath().c_str()), INVALID_FILE_ATTRIBUTES);
}
