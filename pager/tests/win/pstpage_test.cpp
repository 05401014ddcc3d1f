// pstpage run from a command script in the prefix, against the modem simulator
// (accept scenario): the exit status of every case, and what reached the terminal.
#include "pagelink_harness.h"

#include "common/win_test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

std::string WindowsPath(std::string unixPath) {
    for (char& c : unixPath)
        c = c == '/' ? '\\' : c;
    return "Z:" + unixPath;
}

// Runs the command line and returns what it wrote to standard output.
std::string RunCapturing(const std::string& commandLine, DWORD& exitCode) {
    const postern::ProcessResult run =
        postern::RunProcess(commandLine, {.captureOutput = true, .timeoutMs = INFINITE});
    EXPECT_TRUE(run.Started()) << commandLine << ": error " << run.startError;
    exitCode = run.exitStatus;
    return run.output;
}

} // namespace

TEST(Pstpage, ExitCodesFromACommandScript) {
    ASSERT_TRUE(HaveModemSim());
    const std::string script = WindowsPath(PSTPAGE_SCRIPT);
    DWORD exitCode = 0;
    const std::string output = RunCapturing(
        "cmd.exe /c \"" + script + "\" " + postern::ExeFolder() + "pstpage.exe", exitCode);
    std::map<std::string, int> cases;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string tag, name;
        int status = -1;
        if (words >> tag >> name >> status && tag == "case")
            cases[name] = status;
    }
    EXPECT_EQ(cases["alpha-accepted"], 0) << output;
    EXPECT_EQ(cases["alpha-stdin"], 0) << output;
    EXPECT_EQ(cases["alpha-no-port"], 1) << output;
    EXPECT_EQ(cases["alpha-usage"], 2) << output;
    EXPECT_EQ(cases["numeric-sent"], 0) << output;
    EXPECT_EQ(cases["numeric-unsigned"], 0) << output;
    EXPECT_EQ(cases["numeric-usage"], 2) << output;
    // The live trace reached standard output.
    EXPECT_NE(output.find("Sending message to 123 via 5551234 on COM1"), std::string::npos);
    EXPECT_NE(output.find("usage: pstpage"), std::string::npos);
    auto record = SimRecord();
    ASSERT_EQ(record.size(), 2u);
    EXPECT_NE(record[0].find("message=script page "), std::string::npos) << record[0];
    // Lines from standard input reach the pager separated by a space.
    EXPECT_NE(record[1].find("pager=456 message=first line second line "), std::string::npos)
        << record[1];
    EXPECT_NE(SimLog().find("DTE> ATDT5551234,,42<13>"), std::string::npos);
    EXPECT_NE(SimLog().find("DTE> ATDT4294967295<13>"), std::string::npos) << SimLog();
}
