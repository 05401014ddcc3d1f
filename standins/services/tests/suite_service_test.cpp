// The seven server programs in the prefix's service control manager: each
// registers itself with "-installquiet" under its own name and quoted path,
// runs, stops and removes itself; and what the command line says on errors.
#include "service_test_support.h"

#include "common/win_test_support.h"
#include "common/suite_registry.h"

#include <gtest/gtest.h>

namespace {

struct SuiteProgram {
    const char* name;
    const char* displayName;
};

const SuiteProgram kPrograms[] = {
    {"RELAYSVC", "Postern SMTP server"},    {"DROPSVC", "Postern POP3 server"},
    {"PLANSVC", "Postern Finger server"},   {"DIRSVC", "Postern Whois server"},
    {"PASSSVC", "Postern password server"}, {"LOGSVC", "Postern Syslog server"},
    {"TERMSVC", "Postern Telnet server"},
};

std::string Exe(const char* name) {
    return std::string(name) + ".exe";
}
std::string QuotedPath(const char* name) {
    return "\"" + ProgramDir() + Exe(name) + "\"";
}

// QueryServiceConfigA's image path, display name and start type, and the
// ImagePath of the service's key as stored.
std::string Registration(const char* name) {
    postern::UniqueScHandle service = OpenNamedService(name, SERVICE_QUERY_CONFIG);
    alignas(QUERY_SERVICE_CONFIGA) unsigned char buffer[8192];
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer);
    DWORD needed = 0;
    if (!service || !QueryServiceConfigA(service.get(), config, sizeof buffer, &needed))
        return "no configuration, error " + std::to_string(GetLastError());
    const std::string key = std::string(postern::kServicesKey) + "\\" + name;
    const std::string image = postern::RegistryText(HKEY_LOCAL_MACHINE, key, "ImagePath");
    return std::string(config->lpBinaryPathName) + " | " + config->lpDisplayName + " | type " +
           std::to_string(config->dwServiceType) + " | start " +
           std::to_string(config->dwStartType) + " | key " + image;
}

std::string Expected(const SuiteProgram& p) {
    return QuotedPath(p.name) + " | " + p.displayName + " | type 16 | start 2 | key " +
           QuotedPath(p.name); // own process, automatic start
}

class SuiteService : public ::testing::TestWithParam<SuiteProgram> {};

} // namespace

TEST_P(SuiteService, InstallsRunsStopsAndRemovesItself) {
    const SuiteProgram p = GetParam();
    ServiceCleanup cleanup{p.name};

    const RunResult install = RunProgram(Exe(p.name), "-installquiet");
    ASSERT_EQ(install.exitCode, 0u) << install.output;
    EXPECT_EQ(install.output, "") << "-installquiet tells nothing on success";
    EXPECT_EQ(Registration(p.name), Expected(p));

    ASSERT_EQ(StartNamedService(p.name), 0u);
    ASSERT_TRUE(WaitForServiceState(p.name, SERVICE_RUNNING)) << "state " << ServiceState(p.name);
    // Only the monitor service knows control code 135; the others refuse it and
    // keep running. Windows passes the handler's ERROR_CALL_NOT_IMPLEMENTED back;
    // Wine 8's service manager reports success for every control the service
    // process received, whatever its handler answered.
    const DWORD quiet = ControlNamedService(p.name, 135);
    EXPECT_TRUE(quiet == ERROR_CALL_NOT_IMPLEMENTED || quiet == 0) << "error " << quiet;
    ASSERT_EQ(ControlNamedService(p.name, SERVICE_CONTROL_STOP), 0u);
    ASSERT_TRUE(WaitForServiceState(p.name, SERVICE_STOPPED)) << "state " << ServiceState(p.name);

    // Removing a running service stops it first.
    ASSERT_EQ(StartNamedService(p.name), 0u);
    ASSERT_TRUE(WaitForServiceState(p.name, SERVICE_RUNNING));
    const RunResult remove = RunProgram(Exe(p.name), "-remove");
    EXPECT_EQ(remove.exitCode, 0u) << remove.output;
    EXPECT_FALSE(OpenNamedService(p.name, SERVICE_QUERY_STATUS)) << "the service is gone";
}

INSTANTIATE_TEST_SUITE_P(AllServers, SuiteService, ::testing::ValuesIn(kPrograms),
                         [](const auto& info) { return std::string(info.param.name); });

// The installer runs the command again over an earlier registration: it is
// brought up to date instead of failing.
TEST(SuiteServiceInstall, UpdatesAnEarlierRegistration) {
    ServiceCleanup cleanup{"RELAYSVC"};
    {
        postern::UniqueScHandle scm(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        postern::UniqueScHandle old(
            CreateServiceA(scm.get(), "RELAYSVC", "old relay", SERVICE_QUERY_STATUS,
                           SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                           "C:\\OLD\\RELAYSVC.exe", nullptr, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(old) << "CreateServiceA failed, error " << GetLastError();
    }
    for (int run = 1; run <= 2; ++run) {
        const RunResult install = RunProgram("RELAYSVC.exe", "-installquiet");
        EXPECT_EQ(install.exitCode, 0u) << "run " << run << ": " << install.output;
        EXPECT_EQ(Registration("RELAYSVC"), Expected(kPrograms[0])) << "run " << run;
    }
}

TEST(SuiteServiceCommandLine, FailuresSayWhyOnStandardError) {
    ServiceCleanup cleanup{"DIRSVC"};
    RunResult run = RunProgram("DIRSVC.exe", "-remove");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.output, "DIRSVC: the service is not installed (error 1060)\r\n");

    // By hand, outside the service manager (Wine 8 sometimes takes up to 10 s
    // to refuse the dispatcher; Windows refuses it at once).
    run = RunProgram("DIRSVC.exe", "");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.output.rfind("DIRSVC: this program runs as a service;", 0), 0u) << run.output;
    EXPECT_NE(run.output.find("(error 1063)"), std::string::npos) << run.output;

    run = RunProgram("DIRSVC.exe", "-install");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.output.rfind("usage: DIRSVC ", 0), 0u) << run.output;
    EXPECT_FALSE(OpenNamedService("DIRSVC", SERVICE_QUERY_STATUS)) << "nothing was registered";
}
