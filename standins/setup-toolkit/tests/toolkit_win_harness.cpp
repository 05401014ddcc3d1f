// The toolkit's Wine test program: main (GoogleTest, or a child role when
// run with --toolkit-child) and the helpers of toolkit_win_harness.h.
#include "toolkit_win_harness.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "common/unique_handle.h"
#include "common/win_test_support.h"
#include "setup_toolkit.h"

namespace toolkit_test {

namespace {

// Child roles, run as "--toolkit-child <role> [command line...]":
//   start-and-exit CMD  InitializeFrame(CMD), then the process ends without
//                       TerminateFrame; exit code 10 + InitializeFrame's result
//   start CMD           InitializeFrame(CMD) then TerminateFrame; same code
int ChildMain(int argc, char** argv) {
    if (argc < 3)
        return 2;
    std::string commandLine;
    for (int i = 3; i < argc; ++i) {
        if (!commandLine.empty())
            commandLine += ' ';
        commandLine += std::string("\"") + argv[i] + "\"";
    }
    const std::string role = argv[2];
    const int result = InitializeFrame(commandLine.data());
    if (role == "start-and-exit")
        ExitProcess(static_cast<UINT>(10 + result));
    if (role == "start") {
        if (result > 0)
            TerminateFrame();
        return 10 + result;
    }
    return 3;
}

} // namespace

TempDir::TempDir() {
    std::array<char, MAX_PATH> temp{};
    GetTempPathA(static_cast<DWORD>(temp.size()), temp.data());
    static unsigned counter = 0;
    for (;;) {
        std::array<char, 64> name{};
        std::snprintf(name.data(), name.size(), "tk%lu_%u_%lu", GetCurrentProcessId(), ++counter,
                      GetTickCount());
        path_ = std::string(temp.data()) + name.data();
        if (CreateDirectoryA(path_.c_str(), nullptr))
            break;
    }
}

TempDir::~TempDir() {
    postern::RemoveTree(path_);
}

std::string ReadText(const std::string& path) {
    return postern::ReadWholeFile(path);
}

bool WriteText(const std::string& path, const std::string& text) {
    postern::UniqueFile file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file &&
           WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

std::vector<std::string> LogLines(const std::string& path) {
    std::vector<std::string> lines;
    const std::string text = ReadText(path);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 2;
        const bool stamped = line.size() >= 9 && line[2] == ':' && line[5] == ':' && line[8] == ' ';
        EXPECT_TRUE(stamped) << "line without its time stamp: " << line;
        lines.push_back(stamped ? line.substr(9) : line);
    }
    return lines;
}

std::string LastLine(const std::string& path) {
    const std::vector<std::string> lines = LogLines(path);
    return lines.empty() ? std::string() : lines.back();
}

bool HasLine(const std::string& path, const std::string& line, bool part) {
    for (const std::string& l : LogLines(path)) {
        if (part ? l.find(line) != std::string::npos : l == line)
            return true;
    }
    return false;
}

std::string ThisProgram() {
    std::array<char, MAX_PATH> path{};
    GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    return path.data();
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('\\'));
}

int RunChild(const std::string& args, DWORD timeoutMs) {
    return static_cast<int>(postern::RunProcess("\"" + ThisProgram() + "\" --toolkit-child " + args,
                                                {.timeoutMs = timeoutMs})
                                .exitStatus);
}

std::string Symbol(const char* name) {
    std::array<char, 2048> value{};
    CbGetSymbolValue(name, value.data(), static_cast<UINT>(value.size()));
    return value.data();
}

Frame::Frame(const std::string& commandLine) {
    // The frame lives in this test process, which goes on after it.
    std::string line = commandLine + " /noexit";
    result_ = InitializeFrame(line.data());
    running_ = result_ > 0;
}

Frame::~Frame() {
    Terminate();
}

void Frame::Terminate() {
    if (running_)
        TerminateFrame();
    running_ = false;
}

HWND FindDialog(DWORD thread, const std::string& heading) {
    struct Search {
        const std::string* heading;
        HWND found;
    } search{&heading, nullptr};
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            std::array<char, 16> cls{};
            GetClassNameA(window, cls.data(), static_cast<int>(cls.size()));
            if (std::strcmp(cls.data(), "#32770") != 0 || !IsWindowVisible(window))
                return TRUE;
            HWND headingControl = GetDlgItem(window, 110);
            std::array<char, 256> text{};
            DWORD_PTR copied = 0;
            SendMessageTimeoutA(headingControl ? headingControl : window, WM_GETTEXT, text.size(),
                                reinterpret_cast<LPARAM>(text.data()), SMTO_BLOCK, 1000, &copied);
            if (*s->heading == text.data()) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL ShowAndDrive(UINT number, const char* procedure, const std::string& heading,
                  const std::function<void(HWND)>& drive, bool* found, UINT helpNumber) {
    const DWORD self = GetCurrentThreadId();
    std::atomic<bool> appeared{false};
    std::atomic<bool> returned{false};
    std::thread driver([&] {
        HWND dialog = nullptr;
        appeared = postern::WaitFor([&] { return (dialog = FindDialog(self, heading)) != nullptr; },
                                    10000);
        if (appeared) {
            drive(dialog);
        } else {
            EnumThreadWindows(
                self,
                [](HWND window, LPARAM) -> BOOL {
                    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                    return TRUE;
                },
                0);
        }
        if (!postern::WaitFor([&] { return returned.load(); }, 20000))
            PostThreadMessageA(self, WM_QUIT, 0, 0);
    });
    const BOOL shown = FDoDialogExt(HwndFrame(), "mscuistf.dll", number, procedure, "mscuistf.dll",
                                    helpNumber, helpNumber ? "FHelpDlgProc" : "");
    returned = true;
    driver.join();
    if (found != nullptr)
        *found = appeared;
    return shown;
}

void Press(HWND dialog, int controlId) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, controlId)));
}

} // namespace toolkit_test

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--toolkit-child") == 0)
        return toolkit_test::ChildMain(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
