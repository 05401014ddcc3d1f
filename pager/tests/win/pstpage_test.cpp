// pstpage run from a command script in the prefix, against the modem simulator
// (accept scenario): the exit status of every case, and what reached the terminal.
#include "pagelink_harness.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

std::string WindowsPath(std::string unixPath) {
    for (char& c : unixPath)
        c = c == '/' ? '\\' : c;
    return "Z:" + unixPath;
}

std::string ProgramDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    dir.resize(dir.find_last_of('\\') + 1);
    return dir;
}

// Runs the command line and returns what it wrote to standard output.
std::string RunCapturing(std::string commandLine, DWORD& exitCode) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    EXPECT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    std::string output;
    if (started) {
        char chunk[512];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0)
            output.append(chunk, got);
        WaitForSingleObject(pi.hProcess, INFINITE);
        GetExitCodeProcess(pi.hProcess, &exitCode);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(readEnd);
    EXPECT_TRUE(started) << commandLine << ": error " << GetLastError();
    return output;
}

} // namespace

TEST(Pstpage, ExitCodesFromACommandScript) {
    ASSERT_TRUE(HaveModemSim());
    const std::string script = WindowsPath(PSTPAGE_SCRIPT);
    DWORD exitCode = 0;
    const std::string output =
        RunCapturing("cmd.exe /c \"" + script + "\" " + ProgramDir() + "pstpage.exe", exitCode);
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
