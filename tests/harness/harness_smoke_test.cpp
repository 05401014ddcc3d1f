// Tests of the Wine test harness itself: a test program gets an X display that
// windows really draw on, a writable registry in the run's own prefix with
// COM1..COM4 mapped to the harness's links, crashes that end the program instead
// of hanging it, and a COM1 that reaches the peer program on the other end of a
// pseudo-terminal.
//
// HarnessDisplay, HarnessRegistry and HarnessCrash run as ordinary Wine tests;
// SerialEcho runs with socat echoing on COM1, ModemAt with the modem simulator
// (see CMakeLists.txt).
#include "common/unique_handle.h"
#include "common/win_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

using postern::UniqueFile;
using postern::UniqueGdiObject;
using postern::UniqueHkey;

namespace {

// The screen that scripts/wine-run.sh gives Xvfb.
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

constexpr char kClassName[] = "PosternHarnessSmoke";
constexpr UINT kSumMessage = WM_APP + 7;

LRESULT CALLBACK SmokeWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kSumMessage)
        return static_cast<LRESULT>(wp) + lp;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

class WindowClass {
  public:
    WindowClass() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = SmokeWndProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kClassName;
        SetLastError(0xdeadbeef);
        atom_ = RegisterClassA(&wc);
        error_ = GetLastError();
    }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;
    ~WindowClass() {
        if (atom_ != 0)
            UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
    }
    bool registered() const { return atom_ != 0; }
    DWORD error() const { return error_; }

  private:
    ATOM atom_ = 0;
    DWORD error_ = 0;
};

class Window {
  public:
    explicit Window(HWND hwnd) : hwnd_(hwnd) {}
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    ~Window() {
        if (hwnd_ != nullptr && IsWindow(hwnd_))
            DestroyWindow(hwnd_);
    }
    HWND get() const { return hwnd_; }

  private:
    HWND hwnd_;
};

class WindowDc {
  public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_ != nullptr)
            ReleaseDC(hwnd_, dc_);
    }
    HDC get() const { return dc_; }

  private:
    HWND hwnd_;
    HDC dc_;
};

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Reads a text value; empty when it is missing or not text.
std::string ReadText(HKEY key, const char* name) {
    DWORD type = 0;
    const auto bytes = postern::RegistryValueBytes(key, "", name, &type);
    return bytes && type == REG_SZ ? std::string(bytes->c_str()) : std::string();
}

// Opens COM1 at 9600 8N1 with the given read time-out; the port is invalid on failure.
UniqueFile OpenCom1(DWORD read_timeout_ms) {
    SetLastError(0xdeadbeef);
    UniqueFile port(CreateFileA("\\\\.\\COM1", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!port) {
        ADD_FAILURE() << "CreateFileA(COM1) failed, error " << GetLastError();
        return port;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port.get(), &dcb)) {
        ADD_FAILURE() << "GetCommState(COM1) failed, error " << GetLastError();
        return UniqueFile();
    }
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!SetCommState(port.get(), &dcb)) {
        ADD_FAILURE() << "SetCommState(COM1, 9600 8N1) failed, error " << GetLastError();
        return UniqueFile();
    }
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 50; // a pause after the first byte ends a read
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = read_timeout_ms;
    timeouts.WriteTotalTimeoutConstant = 2000;
    if (!SetCommTimeouts(port.get(), &timeouts)) {
        ADD_FAILURE() << "SetCommTimeouts(COM1) failed, error " << GetLastError();
        return UniqueFile();
    }
    return port;
}

bool WriteAll(HANDLE port, std::string_view data) {
    DWORD written = 0;
    return WriteFile(port, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
           written == data.size();
}

// Reads until `until` has arrived or a read times out with nothing.
std::string ReadUntil(HANDLE port, std::string_view until) {
    std::string got;
    char buf[64];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(port, buf, sizeof buf, &n, nullptr) || n == 0)
            return got;
        got.append(buf, n);
        if (got.find(until) != std::string::npos)
            return got;
    }
}

} // namespace

TEST(HarnessDisplay, ScreenIsTheHarnessXvfb) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), kScreenWidth);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), kScreenHeight);
}

TEST(HarnessDisplay, WindowIsCreatedShownAndPainted) {
    WindowClass cls;
    ASSERT_TRUE(cls.registered()) << "RegisterClassA failed, error " << cls.error();

    SetLastError(0xdeadbeef);
    Window window(CreateWindowExA(0, kClassName, "harness smoke", WS_OVERLAPPEDWINDOW, 40, 40, 320,
                                  200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
    ASSERT_NE(window.get(), nullptr)
        << "CreateWindowExA failed, error " << GetLastError() << " (is there an X display?)";
    ShowWindow(window.get(), SW_SHOWNORMAL);
    UpdateWindow(window.get());
    PumpMessages();

    EXPECT_TRUE(IsWindowVisible(window.get()));
    RECT client{};
    ASSERT_TRUE(GetClientRect(window.get(), &client));
    EXPECT_GT(client.right, 100);
    EXPECT_GT(client.bottom, 50);

    char title[64] = {};
    EXPECT_EQ(GetWindowTextA(window.get(), title, sizeof title), 13);
    EXPECT_STREQ(title, "harness smoke");
    EXPECT_EQ(SendMessageA(window.get(), kSumMessage, 40, 2), 42);

    // Paint a square and read its pixels back through the window's DC.
    const COLORREF colour = RGB(200, 30, 60);
    {
        WindowDc dc(window.get());
        ASSERT_NE(dc.get(), nullptr);
        UniqueGdiObject brush(CreateSolidBrush(colour));
        ASSERT_TRUE(brush);
        RECT square{10, 10, 30, 30};
        ASSERT_NE(FillRect(dc.get(), &square, static_cast<HBRUSH>(brush.get())), 0);
        GdiFlush();
        EXPECT_EQ(GetPixel(dc.get(), 20, 20), colour);
        EXPECT_EQ(GetPixel(dc.get(), 50, 50), RGB(255, 255, 255)); // the class background
    }

    HWND hwnd = window.get();
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(HarnessRegistry, ValuesAreWrittenAndReadBack) {
    static constexpr char kKey[] = "Software\\Postern\\HarnessSmoke";
    static constexpr char kText[] = "written by the harness smoke test";
    constexpr DWORD kNumber = 0x50535452;
    {
        UniqueHkey key;
        DWORD disposition = 0;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_WRITE, nullptr, key.put(), &disposition),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key.get(), "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(kText),
                                 sizeof kText),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key.get(), "Number", 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&kNumber), sizeof kNumber),
                  ERROR_SUCCESS);
    }
    {
        UniqueHkey key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, key.put()), ERROR_SUCCESS);
        char text[64] = {};
        DWORD type = 0;
        DWORD size = sizeof text;
        ASSERT_EQ(RegQueryValueExA(key.get(), "Text", nullptr, &type, reinterpret_cast<BYTE*>(text),
                                   &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(size, sizeof kText);
        EXPECT_STREQ(text, kText);

        DWORD number = 0;
        size = sizeof number;
        ASSERT_EQ(RegQueryValueExA(key.get(), "Number", nullptr, &type,
                                   reinterpret_cast<BYTE*>(&number), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(number, kNumber);
    }
    ASSERT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey), ERROR_SUCCESS);
    UniqueHkey gone;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, gone.put()),
              ERROR_FILE_NOT_FOUND);
}

// COM1..COM4 lead to the fixed links <build>/wine/com1..com4, which each serial
// test points at its own pseudo-terminal.
TEST(HarnessRegistry, ComPortsMapToTheHarnessLinks) {
    UniqueHkey ports;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine\\Ports", 0, KEY_READ, ports.put()),
              ERROR_SUCCESS);
    for (int n = 1; n <= 4; ++n) {
        const std::string name = "COM" + std::to_string(n);
        const std::string target = ReadText(ports.get(), name.c_str());
        const std::string suffix = "/wine/com" + std::to_string(n);
        ASSERT_GT(target.size(), suffix.size()) << name << " is not mapped";
        EXPECT_EQ(target.front(), '/') << name << " maps to " << target;
        EXPECT_EQ(target.substr(target.size() - suffix.size()), suffix)
            << name << " maps to " << target;
    }
}

// A crashing program ends with its exception code (after Wine prints a
// backtrace) instead of waiting for someone to close a crash dialog.
TEST(HarnessCrash, CrashingProgramEndsWithItsExceptionCode) {
    const std::string command = "\"" + postern::ExeFolder() + "harness_smoke_test.exe\"" +
                                " --gtest_filter=HarnessCrashChild.* --gtest_catch_exceptions=0";
    ASSERT_TRUE(SetEnvironmentVariableA("POSTERN_SMOKE_CRASH", "1"));
    // The backtrace goes to the captured output, which is noise here.
    const postern::ProcessResult run = postern::RunProcess(command, {.captureOutput = true});
    SetEnvironmentVariableA("POSTERN_SMOKE_CRASH", nullptr);
    ASSERT_TRUE(run.Started()) << "CreateProcessA failed, error " << run.startError;
    ASSERT_FALSE(run.timedOut)
        << "the crashed child was still running after 30 s (waiting for a debugger?)";
    EXPECT_EQ(run.exitStatus, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
}

// A program run with its output captured: what it wrote to standard output and
// standard error, in order, and its exit status; one that outlasts its limit
// is ended.
TEST(HarnessProcess, RunCapturesOutputAndExitStatusAndEndsALateProgram) {
    const postern::ProcessResult run =
        postern::RunProcess("cmd.exe /c echo out& echo err 1>&2& exit 7", {.captureOutput = true});
    ASSERT_TRUE(run.Started()) << "error " << run.startError;
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 7u);
    const std::size_t out = run.output.find("out");
    ASSERT_NE(out, std::string::npos) << run.output;
    EXPECT_NE(run.output.find("err", out), std::string::npos) << run.output;

    const DWORD start = GetTickCount();
    const postern::ProcessResult late = postern::RunProcess(
        "\"" + postern::ExeFolder() + "harness_smoke_test.exe\" --gtest_filter=HarnessSleepChild.*",
        {.captureOutput = true, .timeoutMs = 500});
    EXPECT_TRUE(late.timedOut);
    EXPECT_EQ(late.exitStatus, postern::kNoExitStatus);
    EXPECT_LT(GetTickCount() - start, 10000u);
}

// Run only as the child of HarnessProcess (postern_add_wine_gtest filters it out).
TEST(HarnessSleepChild, Sleep) {
    Sleep(60000);
}

// Run only as the child of HarnessCrash (postern_add_wine_gtest filters it out).
TEST(HarnessCrashChild, Crash) {
    ASSERT_NE(std::getenv("POSTERN_SMOKE_CRASH"), nullptr)
        << "run by HarnessCrash.CrashingProgramEndsWithItsExceptionCode only";
    RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    FAIL() << "RaiseException returned";
}

TEST(SerialEcho, BytesComeBackThroughThePseudoTerminal) {
    UniqueFile port = OpenCom1(3000);
    ASSERT_TRUE(port);
    const std::string ping = "harness ping 0123456789 \x01\x7f\xfe\r\n";
    ASSERT_TRUE(WriteAll(port.get(), ping)) << "WriteFile failed, error " << GetLastError();
    EXPECT_EQ(ReadUntil(port.get(), ping), ping);
}

TEST(SerialEcho, ReadTimesOutWhenThePeerIsSilent) {
    UniqueFile port = OpenCom1(400);
    ASSERT_TRUE(port);
    char buf[16];
    DWORD n = 1;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(ReadFile(port.get(), buf, sizeof buf, &n, nullptr));
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
    EXPECT_EQ(n, 0u);
    EXPECT_GE(elapsed, 350);
    EXPECT_LT(elapsed, 2000);
}

// With the modem simulator on COM1 ("accept" scenario). The harness hands the test
// the simulator's log and record as Windows paths.
TEST(ModemAt, AnswersOkToAt) {
    UniqueFile port = OpenCom1(5000);
    ASSERT_TRUE(port);
    ASSERT_TRUE(WriteAll(port.get(), "AT\r")) << "WriteFile failed, error " << GetLastError();
    const std::string reply = ReadUntil(port.get(), "OK\r\n");
    EXPECT_NE(reply.find("OK\r\n"), std::string::npos) << "reply: " << reply;

    for (const char* name : {"MODEMSIM_LOG", "MODEMSIM_RECORD"}) {
        const char* path = std::getenv(name);
        ASSERT_NE(path, nullptr) << name << " is not set";
        EXPECT_EQ(std::string_view(path).substr(0, 3), "Z:\\") << name << "=" << path;
    }
    // The simulator logged the command; its log is readable through the Windows path.
    const auto text = postern::ReadFileBytes(std::getenv("MODEMSIM_LOG"));
    ASSERT_TRUE(text) << "cannot open " << std::getenv("MODEMSIM_LOG") << ", error "
                      << GetLastError();
    EXPECT_NE(text->find("DTE> AT<13>"), std::string::npos) << "log: " << *text;
}
