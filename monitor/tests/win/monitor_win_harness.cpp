// Shared helpers of the Wine-run monitor tests; see monitor_win_harness.h.
#include "monitor_win_harness.h"

#include "common/win_test_support.h"

#include "monitor/monitor_reader.h"
#include "monitor/startup.h"
#include "monitor/status_panel.h"

#include <set>

namespace monitor_test {

std::string ExeFolder() {
    return postern::ExeFolder();
}

std::string TestFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder =
        std::string(temp) + "pstview-test-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                               &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadWholeFile(const std::string& path) {
    return postern::ReadFileBytes(path).value_or("<absent>");
}

bool SetWriteTime(const std::string& path, std::uint64_t time) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME ft{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    const BOOL ok = SetFileTime(file, nullptr, nullptr, &ft);
    CloseHandle(file);
    return ok != FALSE;
}

std::uint64_t WriteTimeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
           data.ftLastWriteTime.dwLowDateTime;
}

void SetPollTime(const char* value) {
    WritePrivateProfileStringA("options", "PollTime", value, "watchsvc.exe");
}

std::string TextOf(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

Colour ColourOf(HWND panel, int controlId) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetBkColor(dc, RGB(1, 2, 3));
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(panel, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(GetDlgItem(panel, controlId))));
    const COLORREF background = GetBkColor(dc);
    DeleteDC(dc);
    LOGBRUSH logBrush{};
    if (brush == nullptr || GetObjectA(brush, sizeof logBrush, &logBrush) != sizeof logBrush)
        return Colour::Other;
    if (logBrush.lbColor != background)
        return Colour::Other;
    if (background == RGB(0, 255, 0))
        return Colour::Green;
    if (background == RGB(255, 0, 0))
        return Colour::Red;
    // What the dialog manager answers for a static itself.
    if (brush == GetSysColorBrush(COLOR_3DFACE) && background == GetSysColor(COLOR_3DFACE))
        return Colour::Default;
    return Colour::Other;
}

const char* ColourName(Colour colour) {
    switch (colour) {
    case Colour::Default:
        return "default";
    case Colour::Green:
        return "green";
    case Colour::Red:
        return "red";
    default:
        return "other";
    }
}

void PumpPending() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::vector<DWORD> PumpAndCountTicks(HWND window, DWORD ms) {
    std::vector<DWORD> ticks;
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER && msg.hwnd == window && msg.wParam == 25)
                ticks.push_back(GetTickCount() - start);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return ticks;
}

// ---------------------------------------------------------------- message boxes

namespace {

std::vector<BoxWatcher::Box> Seen;
std::set<HWND> Answered;

BOOL CALLBACK AnswerBox(HWND window, LPARAM) {
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    // A message box is a dialog with its text in static 0xFFFF.
    HWND text = GetDlgItem(window, 0xFFFF);
    if (std::string(className) != "#32770" || text == nullptr || !IsWindowVisible(window) ||
        Answered.count(window))
        return TRUE;
    BoxWatcher::Box box{TextOf(window), TextOf(text), {}, false};
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        GetClassNameA(child, className, sizeof className);
        if (!IsWindowVisible(child))
            continue;
        if (std::string(className) == "Button")
            box.buttons.push_back(TextOf(child));
        else if (std::string(className) == "Static" && SendMessageA(child, STM_GETICON, 0, 0) != 0)
            box.hasIcon = true;
    }
    Seen.push_back(box);
    Answered.insert(window);
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

void CALLBACK WatchBoxes(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0);
}

} // namespace

BoxWatcher::BoxWatcher() {
    Seen.clear();
    Answered.clear();
    timer_ = SetTimer(nullptr, 0, 30, WatchBoxes);
}

BoxWatcher::~BoxWatcher() {
    KillTimer(nullptr, timer_);
}

const std::vector<BoxWatcher::Box>& BoxWatcher::Boxes() const {
    return Seen;
}

// ---------------------------------------------------------------- the panel

void PanelTest::SetUp() {
    monitor::AppInstance = GetModuleHandleA(nullptr);
    monitor::ResetMonitorState();
    snprintf(monitor::TopDir.data(), monitor::TopDir.size(), "%s", TestFolder().c_str());
    DeleteFileA(DataPath().c_str());
    SetPollTime(nullptr);
}

void PanelTest::TearDown() {
    if (panel_ != nullptr)
        DestroyWindow(panel_);
    PumpPending();
    SetPollTime(nullptr);
    DeleteFileA(DataPath().c_str());
    RemoveDirectoryA(TestFolder().c_str());
}

void PanelTest::OpenPanel() {
    panel_ =
        CreateDialogParamA(monitor::AppInstance, "DLG_MAIN", nullptr, monitor::PanelDialogProc, 0);
    ASSERT_NE(panel_, nullptr) << "DLG_MAIN: error " << GetLastError();
}

void PanelTest::Tick() {
    SendMessageA(panel_, WM_TIMER, 25, 0);
}

} // namespace monitor_test
