// The monitor frontend against the suite's service programs and the monitor
// service as they run in a prefix: WatchSvc writes the data file from the
// service manager's real status, the panel shows it, Quiet reaches WATCHSVC.
#include "monitor_win_harness.h"

#include "common/suite_registry.h"
#include "monitor/res/pstview_rc.h"
#include "monitor/startup.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

using namespace monitor_test;

namespace {

// The suite's services in the order they are started here: the monitor
// service last, so that its first snapshot already sees the others running.
constexpr std::array<const char*, 8> kServices = {"RELAYSVC", "DROPSVC", "PLANSVC", "DIRSVC",
                                                  "PASSSVC",  "LOGSVC",  "TERMSVC", "WATCHSVC"};

std::string ServicesFolder() {
    std::string dir = "Z:" SERVICES_DIR "\\";
    for (char& c : dir)
        c = c == '/' ? '\\' : c;
    return dir;
}

// Runs "<program> -installquiet" and returns its exit status.
DWORD InstallQuiet(const char* service) {
    const std::string program = service == std::string("WATCHSVC") ? "WatchSvc" : service;
    return postern::RunProcess("\"" + ServicesFolder() + program + ".exe\" -installquiet")
        .exitStatus;
}

// Starts a service (when it does not run yet) and waits until it runs.
bool StartAndWait(const char* name) {
    postern::StartNamedService(name);
    return postern::WaitForServiceState(name, SERVICE_RUNNING, 15000);
}

// The 32-bit state and the status text of row in the data file's bytes.
constexpr std::size_t kRows = 88, kRowSize = 468;
std::uint32_t StateOf(const std::string& file, int row) {
    std::uint32_t state = 0;
    std::memcpy(&state, file.data() + kRows + row * kRowSize + 452, 4);
    return state;
}
std::string StatusOf(const std::string& file, int row) {
    return std::string(file.data() + kRows + row * kRowSize + 188).substr(0, 255);
}

// The top directory as the installer leaves it for both programs.
void SetRegistryTopDir(const std::string* folder) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, postern::kSuiteGlobalKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    if (folder)
        RegSetValueExA(key, "TopDir", 0, REG_EXPAND_SZ,
                       reinterpret_cast<const BYTE*>(folder->c_str()),
                       static_cast<DWORD>(folder->size() + 1));
    else
        RegDeleteValueA(key, "TopDir");
    RegCloseKey(key);
}

class EndToEnd : public PanelTest {
  protected:
    void SetUp() override {
        PanelTest::SetUp();
        const std::string folder = TestFolder();
        SetRegistryTopDir(&folder);
        monitor::TopDir.fill('\0');
        monitor::ReadConfiguration(); // pstview finds the folder as WatchSvc does
        ASSERT_EQ(std::string(monitor::TopDir.data()), folder);
        SetPollTime("1");
        for (const char* name : kServices) {
            ASSERT_EQ(InstallQuiet(name), 0u) << name << " -installquiet";
            ASSERT_TRUE(StartAndWait(name)) << name << " did not start";
        }
    }
    void TearDown() override {
        for (const char* name : kServices)
            postern::RemoveNamedService(name);
        SetRegistryTopDir(nullptr);
        SetPollTime(nullptr);
        PanelTest::TearDown();
    }
    // What the data file holds now, for a failure message.
    std::string Describe() {
        const std::string file = ReadWholeFile(DataPath());
        if (file.size() != 15920)
            return DataPath() + " has " + std::to_string(file.size()) + " bytes";
        return "row 0 state " + std::to_string(StateOf(file, 0)) + " \"" + StatusOf(file, 0) +
               "\", row 13 \"" + StatusOf(file, 13) + "\"";
    }
    // Waits until the file that WatchSvc writes satisfies done.
    bool WaitForFile(bool (*done)(const std::string&)) {
        const DWORD begin = GetTickCount();
        while (GetTickCount() - begin < 20000) {
            const std::string file = ReadWholeFile(DataPath());
            if (file.size() == 15920 && done(file))
                return true;
            Sleep(200);
        }
        return false;
    }
};

} // namespace

TEST_F(EndToEnd, PanelShowsTheRunningSuiteAndQuietReachesTheMonitorService) {
    ASSERT_TRUE(WaitForFile([](const std::string& f) { return StateOf(f, 0) == 4; }))
        << "WatchSvc wrote no file showing SMTP running: " << Describe();
    OpenPanel();
    Tick();
    // Rows of the suite's services: SMTP, POP3, PassSvc, Whois, Finger, Syslog,
    // Telnet and the monitor's own row, Disks.
    for (int row : {0, 1, 2, 3, 4, 5, 9, 13})
        EXPECT_EQ(ColourOfItem(IDC_LABEL_FIRST + row), Colour::Green) << "row " << row;
    for (int row : {6, 7, 8, 10, 11, 12})
        EXPECT_EQ(ColourOfItem(IDC_LABEL_FIRST + row), Colour::Default) << "row " << row;
    EXPECT_EQ(ColourOfItem(IDC_TOPTEXT), Colour::Green);

    {
        BoxWatcher boxes;
        SendMessageA(panel_, WM_COMMAND, IDC_QUIET, 0);
        PumpPending();
        EXPECT_TRUE(boxes.Boxes().empty());
    }
    EXPECT_TRUE(WaitForFile([](const std::string& f) {
        return StatusOf(f, 13).rfind("quiet", 0) == 0;
    })) << "WATCHSVC did not mark itself quiet";

    ASSERT_TRUE(postern::StopServiceAndWait("WATCHSVC"));
    BoxWatcher boxes;
    SendMessageA(panel_, WM_COMMAND, IDC_QUIET, 0);
    PumpPending();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    // 1062: the service has not been started.
    EXPECT_EQ(boxes.Boxes()[0].text, "Control WATCHSVC failed 1062");
}
