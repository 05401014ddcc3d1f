// SendServiceControl and the Quiet command against the prefix's service control
// manager: a service that does not exist, one that is stopped, and a running
// one (monitor_test_service.exe) registered as WATCHSVC.
#include "monitor_win_harness.h"

#include "monitor/res/pstview_rc.h"
#include "monitor/service_control.h"

#include <gtest/gtest.h>

#include <array>

using namespace monitor;
using namespace monitor_test;

namespace {

// Opens the service of that name with all access, or null.
SC_HANDLE OpenAll(const char* name) {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE service = manager ? OpenServiceA(manager, name, SERVICE_ALL_ACCESS) : nullptr;
    if (manager)
        CloseServiceHandle(manager);
    return service;
}

bool WaitForState(SC_HANDLE service, DWORD state) {
    const DWORD start = GetTickCount();
    SERVICE_STATUS status{};
    while (QueryServiceStatus(service, &status) && status.dwCurrentState != state) {
        if (GetTickCount() - start > 15000)
            return false;
        Sleep(50);
    }
    return status.dwCurrentState == state;
}

class ServiceControl : public PanelTest {
  protected:
    void TearDown() override {
        if (service_ != nullptr) {
            SERVICE_STATUS status{};
            if (ControlService(service_, SERVICE_CONTROL_STOP, &status))
                WaitForState(service_, SERVICE_STOPPED);
            DeleteService(service_);
            CloseServiceHandle(service_);
        }
        DeleteFileA(Marker().c_str());
        PanelTest::TearDown();
    }
    std::string Marker() const { return TestFolder() + "\\service-controls.txt"; }
    // Registers monitor_test_service.exe under name, not started.
    void Register(const char* name) {
        SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        ASSERT_NE(manager, nullptr);
        const std::string command =
            "\"" + ExeFolder() + "monitor_test_service.exe\" \"" + Marker() + "\"";
        service_ =
            CreateServiceA(manager, name, name, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                           SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, command.c_str(), nullptr,
                           nullptr, nullptr, nullptr, nullptr);
        const DWORD error = GetLastError();
        CloseServiceHandle(manager);
        ASSERT_NE(service_, nullptr) << "CreateServiceA " << name << ": error " << error;
    }
    void SkipIfWatchServiceExists() {
        SC_HANDLE existing = OpenAll(kWatchServiceName);
        if (existing != nullptr) {
            CloseServiceHandle(existing);
            GTEST_SKIP() << "WATCHSVC is installed in this prefix";
        }
    }
    SC_HANDLE service_ = nullptr;
};

} // namespace

TEST_F(ServiceControl, ServiceThatDoesNotExist) {
    std::array<char, 256> message{};
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SendServiceControl("PSTVIEW_NO_SUCH_SERVICE", 135, message), 0);
    EXPECT_STREQ(message.data(), "Open PSTVIEW_NO_SUCH_SERVICE failed 1060");
    // A short buffer holds the start of the line, terminated.
    std::array<char, 12> small{};
    EXPECT_EQ(SendServiceControl("PSTVIEW_NO_SUCH_SERVICE", 135, small), 0);
    EXPECT_STREQ(small.data(), "Open PSTVIE");
}

TEST_F(ServiceControl, QuietWithoutWatchServiceShowsTheFailure) {
    SkipIfWatchServiceExists();
    OpenPanel();
    BoxWatcher boxes;
    SendMessageA(panel_, WM_COMMAND, IDC_QUIET, 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    const auto& box = boxes.Boxes()[0];
    EXPECT_EQ(box.caption, "Control Service");
    EXPECT_EQ(box.text, "Open WATCHSVC failed 1060");
    EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
    EXPECT_FALSE(box.hasIcon);
    EXPECT_TRUE(IsWindow(panel_)) << "the panel goes on";
}

TEST_F(ServiceControl, StoppedServiceRefusesTheControl) {
    Register("PstviewTestStopped");
    std::array<char, 256> message{};
    EXPECT_EQ(SendServiceControl("PstviewTestStopped", 135, message), 0);
    EXPECT_STREQ(message.data(), "Control PstviewTestStopped failed 1062");
}

TEST_F(ServiceControl, QuietReachesARunningWatchService) {
    SkipIfWatchServiceExists();
    Register(kWatchServiceName);
    ASSERT_TRUE(StartServiceA(service_, 0, nullptr)) << "error " << GetLastError();
    ASSERT_TRUE(WaitForState(service_, SERVICE_RUNNING));
    OpenPanel();
    BoxWatcher boxes;
    SendMessageA(panel_, WM_COMMAND, IDC_QUIET, 0);
    PumpPending();
    EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Boxes()[0].text;
    // The control is handled on the service's own thread.
    const DWORD start = GetTickCount();
    while (ReadWholeFile(Marker()) == "<absent>" && GetTickCount() - start < 5000)
        Sleep(20);
    EXPECT_EQ(ReadWholeFile(Marker()), "control 135\n");

    std::array<char, 256> message{};
    EXPECT_EQ(SendServiceControl(kWatchServiceName, 200, message), 1);
    EXPECT_STREQ(message.data(), "") << "no message on success";
}
