// Shared pieces of the Wine-run pager tests.
#include "pagelink_harness.h"

#include "common/win_test_support.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

HMODULE PagelinkModule() {
    static HMODULE module = [] {
        char path[MAX_PATH];
        DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string dir(path, n);
        dir.resize(dir.find_last_of('\\') + 1);
        return LoadLibraryA((dir + "pagelink.dll").c_str());
    }();
    return module;
}

template <typename Fn> static Fn Export(const char* name) {
    HMODULE m = PagelinkModule();
    // FARPROC is a generic function pointer: go through void* to the real type.
    return m ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

SendAlphaMessageFn SendAlpha() {
    return Export<SendAlphaMessageFn>("SendAlphaMessage");
}
SendBeeperMessageFn SendBeeper() {
    return Export<SendBeeperMessageFn>("SendBeeperMessage");
}
CreateSendAlphaMessageFn CreateSendAlpha() {
    return Export<CreateSendAlphaMessageFn>("CreateSendAlphaMessage");
}

TimedTrace::TimedTrace() : start_(GetTickCount()) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PosternTimedTrace";
    RegisterClassA(&wc); // fails harmlessly when already registered
    hwnd_ = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            wc.hInstance, nullptr);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TimedTrace::~TimedTrace() {
    if (hwnd_)
        DestroyWindow(hwnd_);
}

LRESULT CALLBACK TimedTrace::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TimedTrace*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && msg == WM_GETTEXTLENGTH)
        return static_cast<LRESULT>(self->Text().size());
    if (self && msg == EM_SETSEL)
        return 0;
    if (self && msg == EM_REPLACESEL) {
        self->lines_.push_back(
            {GetTickCount() - self->start_, reinterpret_cast<const char*>(lParam)});
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

std::string TimedTrace::Text() const {
    std::string all;
    for (const Line& l : lines_)
        all += l.text;
    return all;
}

long TimedTrace::AtMs(const std::string& text) const {
    for (const Line& l : lines_) {
        if (l.text.find(text) != std::string::npos)
            return static_cast<long>(l.atMs);
    }
    return -1;
}

TraceEdit::TraceEdit()
    : hwnd_(CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 400, 300,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)) {
    // The trace of a long conversation exceeds the default 32K limit of an edit control.
    SendMessageA(hwnd_, EM_SETLIMITTEXT, 0x100000, 0);
}

TraceEdit::~TraceEdit() {
    if (hwnd_)
        DestroyWindow(hwnd_);
}

std::string TraceEdit::Text() const {
    int n = GetWindowTextLengthA(hwnd_);
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    GetWindowTextA(hwnd_, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

// The file that an environment variable names; "" when it is not set.
static std::string ReadWhole(const char* variable) {
    const char* path = std::getenv(variable);
    return path ? postern::ReadWholeFile(path) : std::string();
}

std::vector<std::string> SimRecord() {
    std::vector<std::string> lines;
    std::istringstream in(ReadWhole("MODEMSIM_RECORD"));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

std::string SimLog() {
    return ReadWhole("MODEMSIM_LOG");
}

bool HaveModemSim() {
    return std::getenv("MODEMSIM_RECORD") != nullptr;
}

int CountOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

DWORD HandleCount() {
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}
