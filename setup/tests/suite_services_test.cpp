// The service table and the install command lines.
#include "setup/config/suite_services.h"

#include "common/suite_registry.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

TEST(SuiteServices, TheTableHoldsTheEightServicesInOrder) {
    const char* const names[] = {"RELAYSVC", "DROPSVC",  "PLANSVC", "DIRSVC",
                                 "PASSSVC",  "WATCHSVC", "TERMSVC", "LOGSVC"};
    const char* const programs[] = {"RELAYSVC.exe", "DROPSVC.exe",  "PLANSVC.exe", "DIRSVC.exe",
                                    "PASSSVC.exe",  "WatchSvc.exe", nullptr,       "LOGSVC.exe"};
    ASSERT_EQ(SuiteServices.size(), 8u);
    for (std::size_t i = 0; i < SuiteServices.size(); ++i) {
        const SuiteService& s = SuiteServices[i];
        EXPECT_STREQ(s.Name, names[i]) << "entry " << i;
        EXPECT_EQ(std::string(s.KeyPath), std::string(postern::ServicesKey) + "\\" + names[i]);
        if (programs[i] == nullptr)
            EXPECT_EQ(s.ProgramFile, nullptr) << s.Name << " is never installed by setup";
        else
            EXPECT_STREQ(s.ProgramFile, programs[i]);
    }
    EXPECT_STREQ(SuiteServices[WatchSvc].Name, "WATCHSVC");
    EXPECT_STREQ(SuiteServices[TermSvc].Name, "TERMSVC");
    EXPECT_STREQ(SuiteServices[LogSvc].Name, "LOGSVC");
}

TEST(SuiteServices, InstallCommandsQuoteTheProgramPath) {
    std::array<char, InstallCommandSize> command;
    ASSERT_TRUE(FormatInstallCommand(command, "C:\\POSTERN", SuiteServices[RelaySvc]));
    EXPECT_STREQ(command.data(), "\"C:\\POSTERN\\RELAYSVC.exe\" -installquiet");
    ASSERT_TRUE(
        FormatInstallCommand(command, "C:\\Program Files\\Postern", SuiteServices[WatchSvc]));
    EXPECT_STREQ(command.data(), "\"C:\\Program Files\\Postern\\WatchSvc.exe\" -installquiet");
}

TEST(SuiteServices, NoCommandForTermsvcOrOneThatDoesNotFit) {
    std::array<char, InstallCommandSize> command;
    command.fill('#');
    EXPECT_FALSE(FormatInstallCommand(command, "C:\\POSTERN", SuiteServices[TermSvc]));
    EXPECT_STREQ(command.data(), "");
    // 256 bytes: quote, directory, backslash, "LOGSVC.exe", quote, " -installquiet", NUL.
    const std::size_t fixed = 1 + 1 + 10 + 1 + 14 + 1;
    const std::string fits(InstallCommandSize - fixed, 'd');
    EXPECT_TRUE(FormatInstallCommand(command, fits.c_str(), SuiteServices[LogSvc]));
    EXPECT_EQ(std::string(command.data()).size(), InstallCommandSize - 1);
    command.fill('#');
    EXPECT_FALSE(FormatInstallCommand(command, (fits + "d").c_str(), SuiteServices[LogSvc]));
    EXPECT_STREQ(command.data(), "") << "a cut command is never run";
}
