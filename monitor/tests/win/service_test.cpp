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

class ServiceControl : public PanelTest {
  protected:
    void TearDown() override {
        service_.reset(); // a handle left open would keep the service marked for deletion
        if (!name_.empty())
            postern::RemoveNamedService(name_);
        DeleteFileA(Marker().c_str());
        PanelTest::TearDown();
    }
    std::string Marker() const { return TestFolder() + "\\service-controls.txt"; }
    // Registers monitor_test_service.exe under name, not started.
    void Register(const char* name) {
        postern::UniqueScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        ASSERT_TRUE(manager);
        const std::string command =
            "\"" + ExeFolder() + "monitor_test_service.exe\" \"" + Marker() + "\"";
        service_.reset(CreateServiceA(manager.get(), name, name, SERVICE_ALL_ACCESS,
                                      SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                      SERVICE_ERROR_IGNORE, command.c_str(), nullptr, nullptr,
                                      nullptr, nullptr, nullptr));
        ASSERT_TRUE(service_) << "CreateServiceA " << name << ": error " << GetLastError();
        name_ = name;
    }
    void SkipIfWatchServiceExists() {
        if (postern::OpenNamedService(kWatchServiceName, SERVICE_QUERY_STATUS))
            GTEST_SKIP() << "WATCHSVC is installed in this prefix";
    }
    postern::UniqueScHandle service_;
    std::string name_;
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
    ASSERT_TRUE(StartServiceA(service_.get(), 0, nullptr)) << "error " << GetLastError();
    ASSERT_TRUE(postern::WaitForServiceState(kWatchServiceName, SERVICE_RUNNING, 15000));
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
