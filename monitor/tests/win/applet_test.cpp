// RunSetupApplet and the panel's Config command, with test_applet.dll copied as
// postern.cpl into the program's folder, or planted in the current directory.
#include "monitor_win_harness.h"

#include "monitor/monitor_reader.h"
#include "monitor/res/pstview_rc.h"
#include "monitor/setup_applet.h"

#include <gtest/gtest.h>

using namespace monitor;
using namespace monitor_test;

namespace {

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string SystemApplet() {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    return std::string(system) + "\\postern.cpl";
}

class Applet : public PanelTest {
  protected:
    void SetUp() override {
        PanelTest::SetUp();
        GetCurrentDirectoryA(MAX_PATH, savedDirectory_);
        marker_ = TestFolder() + "\\applet-ran.txt";
        DeleteFileA(marker_.c_str());
        SetEnvironmentVariableA("PSTVIEW_APPLET_MARKER", marker_.c_str());
        SetEnvironmentVariableA("PSTVIEW_APPLET_RESULT", nullptr);
        SetEnvironmentVariableA("PSTVIEW_APPLET_POLLTIME", nullptr);
    }
    void TearDown() override {
        SetCurrentDirectoryA(savedDirectory_);
        DeleteFileA((ExeFolder() + "postern.cpl").c_str());
        DeleteFileA(planted_.c_str());
        DeleteFileA(marker_.c_str());
        PanelTest::TearDown();
    }
    void InstallBesideProgram(const char* dll) {
        ASSERT_TRUE(
            CopyFileA((ExeFolder() + dll).c_str(), (ExeFolder() + "postern.cpl").c_str(), FALSE))
            << "error " << GetLastError();
    }
    void SkipIfInSystemFolder() {
        if (Exists(SystemApplet()))
            GTEST_SKIP() << SystemApplet() << " exists in this prefix";
    }
    std::string Marker() const { return ReadWholeFile(marker_); }
    static std::string OwnerLine(HWND owner, int timerRunning) {
        return "owner " + std::to_string(reinterpret_cast<UINT_PTR>(owner)) + " timer " +
               std::to_string(timerRunning) + "\n";
    }

    std::string marker_;
    std::string planted_;
    char savedDirectory_[MAX_PATH] = "";
};

} // namespace

TEST_F(Applet, MissingAppletGivesMinusOne) {
    SkipIfInSystemFolder();
    OpenPanel();
    EXPECT_EQ(RunSetupApplet(panel_, "SetupMONITOR"), -1);
}

TEST_F(Applet, EntryPointGetsTheWindowAndItsResultComesBack) {
    InstallBesideProgram("test_applet.dll");
    OpenPanel();
    SetEnvironmentVariableA("PSTVIEW_APPLET_RESULT", "42");
    EXPECT_EQ(RunSetupApplet(panel_, "SetupMONITOR"), 42);
    EXPECT_EQ(Marker(), OwnerLine(panel_, 1));
    EXPECT_EQ(GetModuleHandleA("postern.cpl"), nullptr) << "unloaded once the entry returned";
}

TEST_F(Applet, MissingEntryPointGivesMinusOneAndUnloads) {
    InstallBesideProgram("test_applet_bare.dll");
    OpenPanel();
    EXPECT_EQ(RunSetupApplet(panel_, "SetupMONITOR"), -1);
    EXPECT_EQ(GetModuleHandleA("postern.cpl"), nullptr);
}

TEST_F(Applet, CopyPlantedInTheCurrentDirectoryIsNotLoaded) {
    SkipIfInSystemFolder();
    planted_ = TestFolder() + "\\postern.cpl";
    ASSERT_TRUE(CopyFileA((ExeFolder() + "test_applet.dll").c_str(), planted_.c_str(), FALSE));
    ASSERT_TRUE(SetCurrentDirectoryA(TestFolder().c_str()));
    // A load by bare name would take the planted copy.
    HMODULE bare = LoadLibraryA("postern.cpl");
    ASSERT_NE(bare, nullptr) << "the planted copy is not where a bare-name load looks";
    FreeLibrary(bare);

    OpenPanel();
    SetEnvironmentVariableA("PSTVIEW_APPLET_RESULT", "7");
    EXPECT_EQ(RunSetupApplet(panel_, "SetupMONITOR"), -1);
    EXPECT_EQ(Marker(), "<absent>") << "the planted applet ran";
}

TEST_F(Applet, ConfigWithoutAppletRereadsAndSaysWhen) {
    SkipIfInSystemFolder();
    OpenPanel();
    FileBytes file;
    file.Header(0, 0, "after Config");
    WriteData(file);
    BoxWatcher boxes;
    SendMessageA(panel_, WM_COMMAND, IDC_CONFIG, 0);
    EXPECT_EQ(Field(IDC_TOPTEXT), "after Config");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    const auto& box = boxes.Boxes()[0];
    EXPECT_EQ(box.caption, "WatchSvc");
    EXPECT_EQ(box.text, "Display will be updated in 60 seconds.");
    EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
    EXPECT_TRUE(box.hasIcon);
}

TEST_F(Applet, ConfigWhenTheAppletAnswersZeroShowsNoMessage) {
    InstallBesideProgram("test_applet.dll");
    OpenPanel();
    FileBytes file;
    file.Header(0, 0, "re-read at once");
    WriteData(file);
    BoxWatcher boxes;
    SendMessageA(panel_, WM_COMMAND, IDC_CONFIG, 0);
    PumpPending();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(Field(IDC_TOPTEXT), "re-read at once");
    EXPECT_EQ(Marker(), OwnerLine(panel_, 0)) << "the poll timer is stopped while the applet runs";
    // The read after the applet started it again.
    EXPECT_TRUE(KillTimer(panel_, kPollTimerId));
}

TEST_F(Applet, PollTimeChangedByTheAppletShowsInTheMessage) {
    InstallBesideProgram("test_applet.dll");
    OpenPanel();
    SetEnvironmentVariableA("PSTVIEW_APPLET_POLLTIME", "15");
    SetEnvironmentVariableA("PSTVIEW_APPLET_RESULT", "1");
    BoxWatcher boxes;
    SendMessageA(panel_, WM_COMMAND, IDC_CONFIG, 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Display will be updated in 15 seconds.");
    EXPECT_EQ(PollSeconds, 15u);
}
