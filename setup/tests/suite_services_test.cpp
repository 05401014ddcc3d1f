// The service table and the install command lines.
#include "setup/config/suite_services.h"

#include <gtest/gtest.h>

#include <array>
#include <iterator>
#include <string>

// The documented table: service name, key under HKEY_LOCAL_MACHINE, program
// that registers it (none for TERMSVC), in the installer's order.
TEST(kSuiteServices, TheTableHoldsTheEightServicesInOrder) {
    struct Row {
        const char* name;
        const char* keyPath;
        const char* program;
    };
    constexpr Row documented[] = {
        {"RELAYSVC", "SYSTEM\\CurrentControlSet\\Services\\RELAYSVC", "RELAYSVC.exe"},
        {"DROPSVC", "SYSTEM\\CurrentControlSet\\Services\\DROPSVC", "DROPSVC.exe"},
        {"PLANSVC", "SYSTEM\\CurrentControlSet\\Services\\PLANSVC", "PLANSVC.exe"},
        {"DIRSVC", "SYSTEM\\CurrentControlSet\\Services\\DIRSVC", "DIRSVC.exe"},
        {"PASSSVC", "SYSTEM\\CurrentControlSet\\Services\\PASSSVC", "PASSSVC.exe"},
        {"WATCHSVC", "SYSTEM\\CurrentControlSet\\Services\\WATCHSVC", "WatchSvc.exe"},
        {"TERMSVC", "SYSTEM\\CurrentControlSet\\Services\\TERMSVC", nullptr},
        {"LOGSVC", "SYSTEM\\CurrentControlSet\\Services\\LOGSVC", "LOGSVC.exe"},
    };
    ASSERT_EQ(kSuiteServices.size(), std::size(documented));
    for (std::size_t i = 0; i < kSuiteServices.size(); ++i) {
        const SuiteService& s = kSuiteServices[i];
        EXPECT_STREQ(s.Name, documented[i].name) << "entry " << i;
        EXPECT_STREQ(s.KeyPath, documented[i].keyPath) << "entry " << i;
        EXPECT_STREQ(s.ProgramFile, documented[i].program) << "entry " << i;
    }
    // The names the code uses for positions.
    EXPECT_STREQ(kSuiteServices[RelaySvc].Name, "RELAYSVC");
    EXPECT_STREQ(kSuiteServices[WatchSvc].Name, "WATCHSVC");
    EXPECT_STREQ(kSuiteServices[TermSvc].Name, "TERMSVC");
    EXPECT_STREQ(kSuiteServices[LogSvc].Name, "LOGSVC");
}

TEST(kSuiteServices, InstallCommandsQuoteTheProgramPath) {
    std::array<char, kInstallCommandSize> command;
    ASSERT_TRUE(FormatInstallCommand(command, "C:\\POSTERN", kSuiteServices[RelaySvc]));
    EXPECT_STREQ(command.data(), "\"C:\\POSTERN\\RELAYSVC.exe\" -installquiet");
    ASSERT_TRUE(
        FormatInstallCommand(command, "C:\\Program Files\\Postern", kSuiteServices[WatchSvc]));
    EXPECT_STREQ(command.data(), "\"C:\\Program Files\\Postern\\WatchSvc.exe\" -installquiet");
}

TEST(kSuiteServices, NoCommandForTermsvcOrOneThatDoesNotFit) {
    std::array<char, kInstallCommandSize> command;
    command.fill('#');
    EXPECT_FALSE(FormatInstallCommand(command, "C:\\POSTERN", kSuiteServices[TermSvc]));
    EXPECT_STREQ(command.data(), "");
    // 256 bytes: quote, directory, backslash, "LOGSVC.exe", quote, " -installquiet", NUL.
    const std::size_t fixed = 1 + 1 + 10 + 1 + 14 + 1;
    const std::string fits(kInstallCommandSize - fixed, 'd');
    EXPECT_TRUE(FormatInstallCommand(command, fits.c_str(), kSuiteServices[LogSvc]));
    EXPECT_EQ(std::string(command.data()).size(), kInstallCommandSize - 1);
    command.fill('#');
    EXPECT_FALSE(FormatInstallCommand(command, (fits + "d").c_str(), kSuiteServices[LogSvc]));
    EXPECT_STREQ(command.data(), "") << "a cut command is never run";
}
