// The installer's service passes against the prefix's service control
// manager, with the suite's service programs copied into a top directory
// whose name has a space in it.
#include "config_test_support.h"
#include "traced_warnings.h"

#include "common/suite_registry.h"
#include "common/unique_handle.h"
#include "common/win_test_support.h"
#include "setup/config/service_control.h"
#include "setup/config/suite_services.h"
#include "setup/setup_session.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace config_test;
using postern::UniqueKernelHandle;
using postern::UniqueScHandle;

namespace {

constexpr const char* kTopDir = "C:\\Program Files\\Postern test";
// What an unquoted command line "C:\Program Files\Postern test\X.exe ..." would
// run instead: a service program that, given the rest of the line as its
// arguments, only prints its usage.
constexpr const char* kDecoy = "C:\\Program Files\\Postern.exe";
// Every service program of the table, TERMSVC's too (it registers itself when
// run, though setup never runs it).
std::vector<std::string> Programs() {
    std::vector<std::string> programs;
    for (const SuiteService& service : kSuiteServices)
        programs.push_back(service.ProgramFile ? service.ProgramFile
                                               : std::string(service.Name) + ".exe");
    return programs;
}

// The built service programs, seen through Wine's Z: drive.
std::string BuildDir() {
    std::string dir = "Z:" SERVICES_BUILD_DIR "\\";
    for (char& c : dir)
        c = c == '/' ? '\\' : c;
    return dir;
}

using postern::OpenNamedService;
using postern::RemoveNamedService;
using postern::ServiceState;
using postern::WaitForServiceState;

const char* StateName(DWORD state) {
    switch (state) {
    case 0:
        return "not registered";
    case SERVICE_STOPPED:
        return "stopped";
    case SERVICE_RUNNING:
        return "running";
    case SERVICE_START_PENDING:
        return "starting";
    case SERVICE_STOP_PENDING:
        return "stopping";
    default:
        return "other";
    }
}

std::string ImagePath(const char* name) {
    const std::string key = std::string(postern::kServicesKey) + "\\" + name;
    const auto image = postern::RegistryValueBytes(HKEY_LOCAL_MACHINE, key, "ImagePath");
    if (!image)
        return KeyExists(key) ? "(no ImagePath)" : "(no key)";
    return image->c_str();
}

std::string Quoted(const char* program) {
    return std::string("\"") + kTopDir + "\\" + program + "\"";
}

bool Start(const char* name) {
    return postern::StartServiceAndWait(name, 10000);
}

// Runs a program and waits for it (30 s at most); its exit status.
DWORD RunAndWait(const std::string& commandLine) {
    return postern::RunProcess(commandLine).exitStatus;
}

// What every service of the table should be after a pass.
using States = std::map<std::string, DWORD>;

class ServicePasses : public ::testing::Test {
  protected:
    void SetUp() override {
        RemoveAll();
        CreateDirectoryA(kTopDir, nullptr);
        for (const std::string& program : Programs())
            ASSERT_TRUE(CopyFileA((BuildDir() + program).c_str(),
                                  (std::string(kTopDir) + "\\" + program).c_str(), FALSE))
                << program << ": error " << GetLastError();
        ASSERT_TRUE(CopyFileA((BuildDir() + "DIRSVC.exe").c_str(), kDecoy, FALSE));
        Session.PlanWasRunning = Session.DirWasRunning = Session.PassWasRunning = 0;
        Session.WatchWasRunning = Session.TermWasRunning = 0;
    }
    void TearDown() override {
        RemoveAll();
        postern::RemoveTree(kTopDir);
        DeleteFileA(kDecoy);
    }
    static void RemoveAll() {
        for (const SuiteService& service : kSuiteServices)
            RemoveNamedService(service.Name);
    }
    static void RegisterTermsvc() {
        ASSERT_EQ(RunAndWait(Quoted("TERMSVC.exe") + " -installquiet"), 0u);
        ASSERT_EQ(ServiceState("TERMSVC"), static_cast<DWORD>(SERVICE_STOPPED));
    }
    // Compares every service's state with `expected`; a running one may
    // still be on its way up.
    static void ExpectStates(const States& expected) {
        for (const auto& [name, state] : expected) {
            if (state == SERVICE_RUNNING)
                WaitForServiceState(name.c_str(), SERVICE_RUNNING);
            EXPECT_STREQ(StateName(ServiceState(name.c_str())), StateName(state)) << name;
        }
    }
};

constexpr DWORD kRunning = SERVICE_RUNNING;
constexpr DWORD kStopped = SERVICE_STOPPED;
constexpr DWORD kAbsent = 0;

} // namespace

TEST_F(ServicePasses, ANewInstallationRegistersQuotedPathsAndStartsTwo) {
    InstallAndStartServices(kTopDir);
    StartTermsvcIfItRan();
    for (std::size_t i = 0; i < kSuiteServices.size(); ++i) {
        const SuiteService& service = kSuiteServices[i];
        if (service.ProgramFile == nullptr)
            EXPECT_EQ(ImagePath(service.Name), "(no key)") << "setup never registers TERMSVC";
        else
            EXPECT_EQ(ImagePath(service.Name), Quoted(service.ProgramFile)) << service.Name;
    }
    ExpectStates({{"RELAYSVC", kStopped},
                  {"DROPSVC", kStopped},
                  {"PLANSVC", kStopped},
                  {"DIRSVC", kStopped},
                  {"PASSSVC", kRunning},
                  {"WATCHSVC", kStopped},
                  {"TERMSVC", kAbsent},
                  {"LOGSVC", kRunning}});
}

TEST_F(ServicePasses, TheUpdateRestartsWhatWasRunning) {
    InstallAndStartServices(kTopDir);
    RegisterTermsvc();
    for (const char* name : {"PLANSVC", "WATCHSVC", "TERMSVC", "RELAYSVC"})
        ASSERT_TRUE(Start(name)) << name;
    // kRunning: LOGSVC, PASSSVC, PLANSVC, WATCHSVC, TERMSVC, RELAYSVC.

    StopSuiteServices();
    for (const SuiteService& service : kSuiteServices)
        EXPECT_EQ(ServiceState(service.Name), kStopped)
            << service.Name << " has stopped when the pass returns, state "
            << StateName(ServiceState(service.Name));
    EXPECT_EQ(Session.PlanWasRunning, 1);
    EXPECT_EQ(Session.DirWasRunning, 0);
    EXPECT_EQ(Session.PassWasRunning, 1);
    EXPECT_EQ(Session.WatchWasRunning, 1);
    EXPECT_EQ(Session.TermWasRunning, 1);

    RestartSuiteServices(kTopDir);
    StartTermsvcIfItRan();
    ExpectStates({{"RELAYSVC", kRunning},
                  {"DROPSVC", kRunning},
                  {"PLANSVC", kRunning},
                  {"DIRSVC", kStopped},
                  {"PASSSVC", kRunning},
                  {"WATCHSVC", kRunning},
                  {"TERMSVC", kRunning},
                  {"LOGSVC", kRunning}});
}

TEST_F(ServicePasses, AnUpdateAfterLittleRanStartsTheThreeAndInstallsTheMonitor) {
    InstallAndStartServices(kTopDir);
    RegisterTermsvc();
    RemoveNamedService("WATCHSVC"); // not installed
    ASSERT_TRUE(Start("DIRSVC"));
    ControlSuiteService("PASSSVC", kStopOperation); // installed but stopped

    StopSuiteServices();
    EXPECT_EQ(Session.PlanWasRunning, 0);
    EXPECT_EQ(Session.DirWasRunning, 1);
    EXPECT_EQ(Session.PassWasRunning, 0);
    EXPECT_EQ(Session.WatchWasRunning, 0) << "not installed";
    EXPECT_EQ(Session.TermWasRunning, 0) << "installed, stopped";

    RestartSuiteServices(kTopDir);
    StartTermsvcIfItRan();
    EXPECT_EQ(ImagePath("WATCHSVC"), Quoted("WatchSvc.exe")) << "its program registered it";
    ExpectStates({{"RELAYSVC", kRunning},
                  {"DROPSVC", kRunning},
                  {"PLANSVC", kStopped},
                  {"DIRSVC", kRunning},
                  {"PASSSVC", kStopped},
                  {"WATCHSVC", kStopped},
                  {"TERMSVC", kStopped},
                  {"LOGSVC", kRunning}});
}

TEST_F(ServicePasses, ANewInstallationOverAnEarlierOneKeepsTermsvc) {
    InstallAndStartServices(kTopDir);
    RegisterTermsvc();
    ASSERT_TRUE(Start("TERMSVC"));
    ASSERT_TRUE(Start("WATCHSVC"));

    StopSuiteServices();
    DeleteSuiteServices();
    for (const SuiteService& service : kSuiteServices) {
        const bool kept = std::string(service.Name) == "TERMSVC";
        postern::WaitFor([&] { return (ServiceState(service.Name) == 0) != kept; }, 10000);
        EXPECT_EQ(ServiceState(service.Name) != 0, kept) << service.Name;
    }

    InstallAndStartServices(kTopDir);
    StartTermsvcIfItRan();
    ExpectStates({{"RELAYSVC", kStopped},
                  {"DROPSVC", kStopped},
                  {"PLANSVC", kStopped},
                  {"DIRSVC", kStopped},
                  {"PASSSVC", kRunning},
                  {"WATCHSVC", kStopped},
                  {"TERMSVC", kRunning},
                  {"LOGSVC", kRunning}});
    EXPECT_EQ(ImagePath("RELAYSVC"), Quoted("RELAYSVC.exe"));
    EXPECT_EQ(ImagePath("TERMSVC"), Quoted("TERMSVC.exe")) << "its own registration";
}

TEST_F(ServicePasses, SingleOperationsAnswerWhatHappened) {
    ASSERT_EQ(RunAndWait(Quoted("RELAYSVC.exe") + " -installquiet"), 0u);
    struct Step {
        const char* what;
        int result;
        DWORD stateAfter;
        int (*operation)();
    };
    const Step steps[] = {
        {"operation 3 does nothing", 0, kStopped,
         [] { return ControlSuiteService("RELAYSVC", 3); }},
        {"operation 0 does nothing", 0, kStopped,
         [] { return ControlSuiteService("RELAYSVC", 0); }},
        {"stopping a stopped service", 0, kStopped,
         [] { return ControlSuiteService("RELAYSVC", kStopOperation); }},
        {"stopping it by its key", 0, kStopped,
         [] { return StopInstalledService(kSuiteServices[RelaySvc].KeyPath, "RELAYSVC"); }},
        {"starting it", 1, kRunning,
         [] { return ControlSuiteService("RELAYSVC", kStartOperation); }},
        {"starting it again", 0, kRunning,
         [] { return ControlSuiteService("RELAYSVC", kStartOperation); }},
        {"stopping it waits for the stop", 1, kStopped,
         [] { return ControlSuiteService("RELAYSVC", kStopOperation); }},
        {"starting it once more", 1, kRunning,
         [] { return ControlSuiteService("RELAYSVC", kStartOperation); }},
        {"stopping it by its key", 1, kStopped,
         [] { return StopInstalledService(kSuiteServices[RelaySvc].KeyPath, "RELAYSVC"); }},
        {"deleting it", 1, kAbsent, [] { return DeleteSuiteService("RELAYSVC"); }},
        {"deleting it again", 0, kAbsent, [] { return DeleteSuiteService("RELAYSVC"); }},
        {"a service that does not exist", 0, kAbsent,
         [] { return ControlSuiteService("RELAYSVC", kStartOperation); }},
        {"a key that does not exist", 0, kAbsent,
         [] { return StopInstalledService(kSuiteServices[RelaySvc].KeyPath, "RELAYSVC"); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const DWORD start = GetTickCount();
        EXPECT_EQ(step.operation(), step.result);
        EXPECT_LT(GetTickCount() - start, 5000u) << "a stopped service ends the wait at once";
        if (step.stateAfter == kRunning)
            WaitForServiceState("RELAYSVC", kRunning);
        if (step.stateAfter == kAbsent)
            postern::WaitFor([] { return ServiceState("RELAYSVC") == 0; }, 10000);
        EXPECT_STREQ(StateName(ServiceState("RELAYSVC")), StateName(step.stateAfter));
    }
}

TEST_F(ServicePasses, AKeyWithoutImagePathIsNotAnInstalledService) {
    ASSERT_EQ(RunAndWait(Quoted("DIRSVC.exe") + " -installquiet"), 0u);
    ASSERT_TRUE(Start("DIRSVC"));
    // A key of the same shape without ImagePath: the test asks by that key.
    const std::string other = std::string(postern::kServicesKey) + "\\PSTNOIMAGE";
    ScratchKey scratch(other);
    ASSERT_TRUE(SetText(other, "DisplayName", "no image"));
    EXPECT_EQ(StopInstalledService(other.c_str(), "DIRSVC"), 0);
    EXPECT_EQ(ServiceState("DIRSVC"), kRunning) << "no stop request was made";
}

TEST_F(ServicePasses, AnImagePathLongerThan200BytesStillCounts) {
    // The program in a folder deep enough that its quoted path exceeds 200 bytes.
    const std::string deep = std::string(kTopDir) + "\\" + std::string(180, 'd');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << "error " << GetLastError();
    const std::string program = deep + "\\PLANSVC.exe";
    ASSERT_TRUE(CopyFileA((BuildDir() + "PLANSVC.exe").c_str(), program.c_str(), FALSE));
    ASSERT_EQ(RunAndWait("\"" + program + "\" -installquiet"), 0u);
    ASSERT_GT(ImagePath("PLANSVC").size(), 200u);
    ASSERT_TRUE(Start("PLANSVC"));
    EXPECT_EQ(StopInstalledService(kSuiteServices[PlanSvc].KeyPath, "PLANSVC"), 1);
    EXPECT_EQ(ServiceState("PLANSVC"), kStopped);
}

TEST_F(ServicePasses, ACommandThatDoesNotFit256BytesIsNotRun) {
    // A top directory of 227 characters: the command of a 12-character program
    // takes 256 characters and is not run (never run cut short); those of the
    // shorter names fit.
    const std::string top = std::string(kTopDir) + "\\" + std::string(197, 'x');
    ASSERT_EQ(top.size(), 227u);
    ASSERT_TRUE(CreateDirectoryA(top.c_str(), nullptr)) << "error " << GetLastError();
    for (const std::string& program : Programs())
        ASSERT_TRUE(
            CopyFileA((BuildDir() + program).c_str(), (top + "\\" + program).c_str(), FALSE))
            << program;
    TracedWarnings warnings;
    InstallAndStartServices(top.c_str());
    for (const char* name : {"RELAYSVC", "WATCHSVC"}) {
        const std::vector<std::string> found = warnings.Mentioning(name);
        ASSERT_EQ(found.size(), 1u) << name << ": " << ::testing::PrintToString(warnings.Texts());
        EXPECT_NE(found[0].find("does not fit 256 bytes and was not run"), std::string::npos)
            << found[0];
    }
    EXPECT_EQ(warnings.Texts().size(), 2u) << ::testing::PrintToString(warnings.Texts());
    ExpectStates({{"RELAYSVC", kAbsent},
                  {"DROPSVC", kStopped},
                  {"PLANSVC", kStopped},
                  {"DIRSVC", kStopped},
                  {"PASSSVC", kRunning},
                  {"WATCHSVC", kAbsent},
                  {"TERMSVC", kAbsent},
                  {"LOGSVC", kRunning}});
    EXPECT_EQ(ImagePath("LOGSVC"), "\"" + top + "\\LOGSVC.exe\"");
}

// An install command that cannot be started, or whose program cannot register
// its service, is a warning; the pass goes on with the other services.
TEST_F(ServicePasses, AnInstallCommandThatFailsIsAWarning) {
    // PLANSVC's program is missing: its command cannot be started.
    ASSERT_TRUE(DeleteFileA((std::string(kTopDir) + "\\PLANSVC.exe").c_str()));
    // RELAYSVC is deleted while a handle still holds it open: until that handle
    // goes, its program cannot register it again and ends with status 1.
    ASSERT_EQ(RunAndWait(Quoted("RELAYSVC.exe") + " -installquiet"), 0u);
    UniqueScHandle held = OpenNamedService("RELAYSVC", DELETE | SERVICE_QUERY_STATUS);
    ASSERT_TRUE(held);
    ASSERT_TRUE(DeleteService(held.get())) << "error " << GetLastError();

    TracedWarnings warnings;
    InstallAndStartServices(kTopDir);
    held.reset();

    const std::vector<std::string> plan = warnings.Mentioning("PLANSVC");
    ASSERT_EQ(plan.size(), 1u) << ::testing::PrintToString(warnings.Texts());
    EXPECT_NE(plan[0].find("could not be started (error 2)"), std::string::npos) << plan[0];
    const std::vector<std::string> relay = warnings.Mentioning("RELAYSVC");
    ASSERT_EQ(relay.size(), 1u) << ::testing::PrintToString(warnings.Texts());
    EXPECT_NE(relay[0].find("ended with status 1"), std::string::npos) << relay[0];
    EXPECT_EQ(warnings.Texts().size(), 2u) << ::testing::PrintToString(warnings.Texts());
    ExpectStates({{"DROPSVC", kStopped},
                  {"PLANSVC", kAbsent},
                  {"DIRSVC", kStopped},
                  {"PASSSVC", kRunning},
                  {"WATCHSVC", kStopped},
                  {"LOGSVC", kRunning}});
}

namespace {

// A slow-stopping test service, registered for one test and removed after it
// (waiting out its stop).
class SlowService {
  public:
    explicit SlowService(const char* name) : name_(name) {
        RemoveNamedService(name_);
        const std::string program = "\"" + postern::ExeFolder() + name + ".exe\" -installquiet";
        registered_ = RunAndWait(program) == 0;
    }
    ~SlowService() {
        postern::WaitFor([&] { return ServiceState(name_) != SERVICE_STOP_PENDING; }, 30000);
        RemoveNamedService(name_);
    }
    SlowService(const SlowService&) = delete;
    SlowService& operator=(const SlowService&) = delete;
    bool Registered() const { return registered_; }

  private:
    const char* name_;
    bool registered_ = false;
};

// The process of a running service, opened to be waited on; empty when it has
// none.
UniqueKernelHandle ServiceProcess(const char* name) {
    UniqueScHandle service = OpenNamedService(name, SERVICE_QUERY_STATUS);
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!service ||
        !QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO,
                              reinterpret_cast<BYTE*>(&status), sizeof status, &needed) ||
        status.dwProcessId == 0)
        return UniqueKernelHandle();
    return UniqueKernelHandle(OpenProcess(SYNCHRONIZE, FALSE, status.dwProcessId));
}

bool Ended(HANDLE process) {
    return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

} // namespace

// The stop wait, seen by what holds when the installer's stop returns (the
// service's state, whether its process has ended, the warnings about it), never
// by how long it took.
TEST(StopWait, AStopEndsWithTheServiceAndItsProcessOrGivesUpWithAWarning) {
    {
        // The lingering service is seen stopped while its process still runs
        // (what its case below is about). This is checked apart from the
        // installer's stop, not beside it on a second thread: under Wine,
        // reading the state on another thread while the installer's code waits
        // for the stop makes that wait's status query fail with error 6.
        SlowService lingering("PSTLINGERSVC");
        ASSERT_TRUE(lingering.Registered());
        ASSERT_TRUE(Start("PSTLINGERSVC"));
        const UniqueKernelHandle process = ServiceProcess("PSTLINGERSVC");
        UniqueScHandle service = OpenNamedService("PSTLINGERSVC", SERVICE_STOP);
        SERVICE_STATUS status{};
        ASSERT_TRUE(process && ControlService(service.get(), SERVICE_CONTROL_STOP, &status));
        ASSERT_TRUE(WaitForServiceState("PSTLINGERSVC", SERVICE_STOPPED));
        ASSERT_FALSE(Ended(process.get())) << "stopped, and its process still runs";
        WaitForSingleObject(process.get(), 30000);
    }
    struct Case {
        const char* service;
        const char* what;
        const char* stateAfter;
        bool processEnded;
        const char* warning; // what the one warning naming the service says, or none
    };
    const Case cases[] = {
        {"PSTSLOWSVC", "stopping for 2.5 s", "stopped", true, nullptr},
        {"PSTLINGERSVC", "stopped at once, its process ends 2 s later", "stopped", true, nullptr},
        {"PSTSTAYSVC", "stopped at once, its process ends 8 s later", "stopped", false,
         "did not end within 5 s; its re-registration may fail until the machine restarts or "
         "the process ends"},
        {"PSTSTUCKSVC", "stopping for 18 s", "stopping", false,
         "did not stop within 15 s (state 3); its re-registration may fail until the machine "
         "restarts or its process ends"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.service) + ", " + c.what);
        SlowService slow(c.service);
        ASSERT_TRUE(slow.Registered());
        ASSERT_TRUE(Start(c.service));
        const UniqueKernelHandle process = ServiceProcess(c.service);
        ASSERT_TRUE(process);
        TracedWarnings warnings;
        EXPECT_EQ(ControlSuiteService(c.service, kStopOperation), 1);
        EXPECT_EQ(Ended(process.get()), c.processEnded);
        EXPECT_STREQ(StateName(ServiceState(c.service)), c.stateAfter);
        const std::vector<std::string> found = warnings.Mentioning(c.service);
        EXPECT_EQ(found.size(), c.warning ? 1u : 0u) << ::testing::PrintToString(found);
        if (c.warning != nullptr && found.size() == 1) {
            EXPECT_NE(found[0].find(c.warning), std::string::npos) << found[0];
        }
        WaitForSingleObject(process.get(), 30000);
    }
}
