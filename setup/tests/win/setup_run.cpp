// Running pstsetup.exe in a distribution folder and reading its run log.
#include "setup_run.h"

#include "common/suite_registry.h"
#include "common/win_test_support.h"

#include <fstream>
#include <regex>
#include <sstream>

namespace setup_test {
namespace {

constexpr const char* kPrograms[] = {"pstsetup.exe", "MSSHLSTF.dll", "MSCOMSTF.dll",
                                     "MSINSSTF.dll", "MSUILSTF.dll", "MSDETSTF.dll",
                                     "mscuistf.dll", "usrvault.dll"};

// A description file with the three sections the installer adds.
constexpr const char* kDescription = "; test distribution\r\n"
                                     "[Files]\r\n"
                                     "[F351]\r\n"
                                     "[F35]\r\n";

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

struct WindowSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindActiveDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (owner == search->pid && std::string(cls) == "#32770" && IsWindowVisible(window) &&
        IsWindowEnabled(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

Distribution::Distribution(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root_ =
        std::string(temp) + "pstsetup-test-" + std::to_string(GetCurrentProcessId()) + "-" + name;
    postern::RemoveTree(root_);
    CreateDirectoryA(root_.c_str(), nullptr);
    folder_ = root_ + "\\dist\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
    const std::string from = postern::ExeFolder();
    for (const char* program : kPrograms)
        CopyFileA((from + program).c_str(), (folder_ + program).c_str(), FALSE);
    WriteFile(folder_ + "pstsuite.inf", kDescription);
    log_ = root_ + "\\run.log";
}

Distribution::~Distribution() {
    postern::RemoveTree(root_);
}

std::string Distribution::WriteAnswers(const std::string& name, const std::string& text) const {
    const std::string path = root_ + "\\" + name;
    WriteFile(path, text);
    return path;
}

std::string Distribution::CommandLine(const std::string& arguments) const {
    return "\"" + folder_ + "pstsetup.exe\" /log \"" + log_ + "\" " + arguments;
}

postern::UniqueKernelHandle Distribution::Start(const std::string& arguments,
                                                const std::string& currentDir) const {
    return postern::StartProcess(CommandLine(arguments), currentDir.empty() ? folder_ : currentDir);
}

DWORD Distribution::Run(const std::string& arguments, DWORD timeoutMs,
                        const std::string& currentDir) const {
    return postern::RunProcess(
               CommandLine(arguments),
               {.currentDir = currentDir.empty() ? folder_ : currentDir, .timeoutMs = timeoutMs})
        .exitStatus;
}

std::vector<std::string> Distribution::LogLines() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadWholeFile(log_));
    std::string line;
    static const std::regex stamp(R"(^\d\d:\d\d:\d\d )");
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::regex_replace(line, stamp, ""));
    }
    return lines;
}

std::vector<DialogOutcome> Distribution::Dialogs() const {
    std::vector<DialogOutcome> outcomes;
    static const std::regex outcome(R"(^dialog (\d+) (\w+): (\w+))");
    for (const std::string& line : LogLines()) {
        std::smatch match;
        if (std::regex_search(line, match, outcome))
            outcomes.push_back(
                {static_cast<unsigned>(std::stoul(match[1])), match[2], match[3], line});
    }
    return outcomes;
}

std::vector<unsigned> Distribution::DialogNumbers() const {
    std::vector<unsigned> numbers;
    for (const DialogOutcome& outcome : Dialogs())
        numbers.push_back(outcome.number);
    return numbers;
}

std::size_t Distribution::ShownCount() const {
    static const std::regex shown(R"(^dialog \d+ \w+ shown$)");
    std::size_t count = 0;
    for (const std::string& line : LogLines())
        count += std::regex_search(line, shown) ? 1 : 0;
    return count;
}

std::string Distribution::LastLine() const {
    const auto lines = LogLines();
    return lines.empty() ? std::string() : lines.back();
}

bool Distribution::LogContains(const std::string& text) const {
    return ReadWholeFile(log_).find(text) != std::string::npos;
}

std::vector<std::string> Distribution::Warnings() const {
    static const std::string line = "warning: ";
    std::vector<std::string> warnings;
    for (const std::string& text : LogLines()) {
        if (text.rfind(line, 0) == 0)
            warnings.push_back(text.substr(line.size()));
    }
    return warnings;
}

RegisteredInstallation::RegisteredInstallation(const char* topDir, const char* hostName) {
    RemoveSuiteRegistry();
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, postern::kSuiteGlobalKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key, nullptr);
    RegSetValueExA(key, "TopDir", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(topDir),
                   static_cast<DWORD>(strlen(topDir) + 1));
    if (hostName != nullptr)
        RegSetValueExA(key, "HostName", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(hostName),
                       static_cast<DWORD>(strlen(hostName) + 1));
    RegCloseKey(key);
}

RegisteredInstallation::~RegisteredInstallation() {
    RemoveSuiteRegistry();
}

void RemoveSuiteRegistry() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, postern::kSuiteRootKey);
}

namespace {

std::string TcpipText(const char* name) {
    return postern::RegistryText(HKEY_LOCAL_MACHINE, postern::kTcpipParametersKey, name);
}

void SetTcpipText(const char* name, const std::string& text) {
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, postern::kTcpipParametersKey, name, REG_SZ, text.c_str(),
                    static_cast<DWORD>(text.size() + 1));
}

} // namespace

TcpipHostName::TcpipHostName(const char* host, const char* domain)
    : host_(TcpipText("Hostname")), domain_(TcpipText("Domain")) {
    SetTcpipText("Hostname", host);
    SetTcpipText("Domain", domain);
}

TcpipHostName::~TcpipHostName() {
    SetTcpipText("Hostname", host_);
    SetTcpipText("Domain", domain_);
}

long GlobalValueCount() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, postern::kSuiteGlobalKey, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return -1;
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return static_cast<long>(values);
}

HWND ActiveDialog(DWORD pid) {
    WindowSearch search{pid, nullptr};
    EnumWindows(FindActiveDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitForDialogs(const Distribution& dist, std::size_t count, DWORD timeoutMs) {
    return postern::WaitFor([&] { return dist.Dialogs().size() >= count; }, timeoutMs);
}

HWND WaitingDialog(const Distribution& dist, DWORD pid, DWORD timeoutMs) {
    HWND dialog = nullptr;
    postern::WaitFor(
        [&] {
            return dist.ShownCount() > dist.Dialogs().size() &&
                   (dialog = ActiveDialog(pid)) != nullptr;
        },
        timeoutMs);
    return dialog;
}

} // namespace setup_test
