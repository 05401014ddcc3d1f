// The setup frame: start-up from the command line (log, answers, source
// folder, record), the one-per-machine guard, the frame window with its
// background bitmap, the wait cursor and the install session calls.
#include <windows.h>

#include <array>
#include <string>
#include <utility>

#include "command_line.h"
#include "common/unique_handle.h"
#include "run_state.h"
#include "setup_toolkit.h"
#include "toolkit_core.h"
#include "toolkit_dialogs.h"

namespace stf {

namespace {

constexpr char kFrameClass[] = "PosternSetupFrame";
constexpr char kRunningMutex[] = "Global\\PosternSetupFrameRunning";
constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;
constexpr COLORREF kBackground = RGB(0, 0, 64);

// A memory DC with one object selected into it, both undone on every path.
class MemoryDc {
  public:
    MemoryDc(HDC like, HGDIOBJ object) : dc_(CreateCompatibleDC(like)) {
        if (dc_ != nullptr)
            previous_ = SelectObject(dc_, object);
    }
    ~MemoryDc() {
        if (dc_ != nullptr) {
            SelectObject(dc_, previous_);
            DeleteDC(dc_);
        }
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
    HGDIOBJ previous_ = nullptr;
};

// Dark background; the bitmap centred, or shrunk to fit (keeping its shape)
// when it is larger than the window.
void PaintFrame(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    postern::UniqueGdiObject brush(CreateSolidBrush(kBackground));
    FillRect(dc, &client, static_cast<HBRUSH>(brush.get()));
    BITMAP info{};
    if (g_run.frame.bitmap && GetObjectA(g_run.frame.bitmap.get(), sizeof info, &info) != 0 &&
        info.bmWidth > 0 && info.bmHeight > 0) {
        const int cw = client.right - client.left;
        const int ch = client.bottom - client.top;
        int w = info.bmWidth;
        int h = info.bmHeight;
        if (w > cw || h > ch) {
            // Scale by the tighter of the two ratios.
            if (static_cast<long long>(w) * ch > static_cast<long long>(h) * cw) {
                h = static_cast<int>(static_cast<long long>(h) * cw / w);
                w = cw;
            } else {
                w = static_cast<int>(static_cast<long long>(w) * ch / h);
                h = ch;
            }
        }
        MemoryDc source(dc, g_run.frame.bitmap.get());
        if (source.get() != nullptr) {
            SetStretchBltMode(dc, HALFTONE);
            StretchBlt(dc, (cw - w) / 2, (ch - h) / 2, w, h, source.get(), 0, 0, info.bmWidth,
                       info.bmHeight, SRCCOPY);
        }
    }
    EndPaint(window, &ps);
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        PaintFrame(window);
        return 0;
    case WM_ERASEBKGND:
        return 1; // WM_PAINT covers the whole client area
    case WM_SIZE:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_SETCURSOR:
        if (g_run.frame.waitCursor && LOWORD(lParam) == HTCLIENT) {
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_SETTEXT:
        // The installer titles the frame itself; the log keeps what it said.
        if (lParam != 0)
            LogLine("frame title \"%s\"", reinterpret_cast<const char*>(lParam));
        break;
    case WM_CLOSE: {
        // The frame lives until TerminateFrame: its close box is the
        // operator's Exit for the dialog that waits, if any.
        HWND waiting = WaitingDialog();
        if (waiting != nullptr) {
            LogLine("frame closed by the operator: EXIT to the waiting dialog");
            ReportDialogEvent(waiting, STF_EVENT_EXIT);
        } else {
            LogLine("frame close ignored: no dialog waits");
        }
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterFrameClass() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = ToolkitInstance();
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kFrameClass;
    return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

std::string DefaultLogPath() {
    std::array<char, MAX_PATH> temp{};
    DWORD n = GetTempPathA(static_cast<DWORD>(temp.size()), temp.data());
    if (n == 0 || n >= temp.size())
        postern::CopyText(temp, ".\\");
    return std::string(temp.data()) + "pstsetup.log";
}

// The source folder as a full path ending in exactly one backslash.
bool SourceFolder(const std::string& given, std::array<char, MAX_PATH>& folder) {
    std::array<char, MAX_PATH> path{};
    if (given.empty()) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0 || n >= path.size())
            return false;
        std::string_view full(path.data(), n);
        std::size_t slash = full.find_last_of('\\');
        if (slash == std::string_view::npos)
            return false;
        path[slash] = '\0';
    } else {
        DWORD n =
            GetFullPathNameA(given.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr);
        if (n == 0 || n >= path.size())
            return false;
    }
    std::size_t length = postern::BoundedLength(path);
    while (length > 0 && (path[length - 1] == '\\' || path[length - 1] == '/'))
        path[--length] = '\0';
    return postern::FormatText(folder, "%s\\", path.data());
}

// The run has ended with its last log line: its state starts afresh. An
// unattended run's program always ends right after the toolkit does, with
// status 0; the toolkit ends it first with the status that tells a script how
// the run went.
void EndRun(int status) {
    const bool exit = g_run.frame.exitWithStatus;
    EndRunState();
    if (exit)
        ExitProcess(static_cast<UINT>(status));
}

// Start-up failed after the log opened: the reason, the last line, and
// everything already started undone.
int FailStart(const char* reason) {
    NoteFailure("InitializeFrame: %s", reason);
    std::array<char, 600> end{};
    postern::FormatText(end, "fatal stop (%s)", reason);
    EndRunLog(end.data());
    EndRun(kExitNotStarted);
    return 0;
}

// The one-per-machine guard: true when this run holds it. The handle of a
// guard another run holds is closed at once, so that it does not keep the
// guard alive while the message box is shown.
bool ClaimMachine() {
    postern::UniqueKernelHandle mutex(CreateMutexA(nullptr, FALSE, kRunningMutex));
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS)
        return false;
    g_run.frame.running = std::move(mutex);
    return true;
}

// Another setup run holds the machine: says so and ends this run.
int RefuseSecondRun(bool unattended) {
    constexpr char kText[] = "Setup is already running.";
    constexpr UINT kType = MB_OK | MB_ICONEXCLAMATION;
    const int button = unattended ? IDOK : MessageBoxA(nullptr, kText, "Setup", kType);
    LogMessageBox("Setup", kText, button, false);
    EndRunLog("fatal stop (Setup is already running.)");
    EndRun(kExitNotStarted);
    return -1;
}

void CentreOnScreen(int& x, int& y) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    x = work.left + ((work.right - work.left) - kFrameWidth) / 2;
    y = work.top + ((work.bottom - work.top) - kFrameHeight) / 2;
}

} // namespace

HWND FrameWindow() {
    return g_run.frame.window;
}
bool Unattended() {
    return g_run.frame.started && g_run.frame.unattended;
}
bool FrameStarted() {
    return g_run.frame.started;
}

} // namespace stf

using namespace stf;

extern "C" int WINAPI InitializeFrame(LPSTR commandLine) {
    if (g_run.frame.started)
        return -1; // this process runs the frame already
    SetupOptions options;
    std::string error;
    const bool parsed = ParseSetupCommandLine(commandLine ? commandLine : "", options, error);
    const std::string logPath = options.log.empty() ? DefaultLogPath() : options.log;
    if (!OpenRunLog(logPath.c_str()) && !options.log.empty()) {
        // An unusable /log: the reason goes to the default log instead.
        OpenRunLog(DefaultLogPath().c_str());
        return FailStart(("cannot open the log " + options.log).c_str());
    }
    LogLine("InitializeFrame %s", commandLine ? commandLine : "");
    g_run.frame.exitWithStatus = !options.answers.empty() && !options.noExit;
    if (!parsed)
        return FailStart(("bad command line: " + error).c_str());

    if (!ClaimMachine())
        return RefuseSecondRun(!options.answers.empty());

    if (!options.answers.empty() && !LoadAnswers(options.answers.c_str(), error))
        return FailStart(("answer file " + options.answers + ": " + error).c_str());
    g_run.frame.unattended = !options.answers.empty();

    std::array<char, MAX_PATH> source{};
    if (!SourceFolder(options.source, source))
        return FailStart(("no usable source folder " + options.source).c_str());
    SetSymbolQuietly("STF_SRCDIR", source.data());
    LogLine("source folder %s", source.data());

    if (!options.record.empty() && !StartRecord(options.record.c_str()))
        return FailStart(("cannot write the record file " + options.record).c_str());

    if (!RegisterFrameClass())
        return FailStart("cannot register the frame window class");
    int x = 0;
    int y = 0;
    CentreOnScreen(x, y);
    g_run.frame.window = CreateWindowExA(
        0, kFrameClass, "Setup",
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, x, y,
        kFrameWidth, kFrameHeight, nullptr, nullptr, ToolkitInstance(), nullptr);
    if (g_run.frame.window == nullptr)
        return FailStart("cannot create the frame window");
    g_run.frame.started = true;
    // With /record the hooks also watch the installer's add-user wizard.
    const bool watch = Recording();
    if ((g_run.frame.unattended || watch) &&
        (!StartAnswerHook() || (watch && !StartObserverHooks()))) {
        StopAnswerHook();
        DestroyWindow(g_run.frame.window);
        return FailStart(g_run.frame.unattended
                             ? "cannot set the hook that answers message boxes"
                             : "cannot set the hooks that watch the installer's dialogs");
    }
    if (g_run.frame.unattended) {
        LogLine("frame started: unattended, answers from %s", options.answers.c_str());
    } else {
        ShowWindow(g_run.frame.window, SW_SHOW);
        UpdateWindow(g_run.frame.window);
        LogLine("frame started: interactive");
    }
    return 1;
}

extern "C" HWND WINAPI HwndFrame(void) {
    return g_run.frame.window;
}

extern "C" HINSTANCE WINAPI HinstFrame(void) {
    return g_run.frame.started ? GetModuleHandleA(nullptr) : nullptr;
}

extern "C" void WINAPI TerminateFrame(void) {
    if (!g_run.frame.started)
        return;
    FreezeRunOutcome(); // closing the dialogs below is no new event of the run
    CloseAllDialogs();
    // The hooks stop before the frame goes, so that they do not see it go.
    StopAnswerHook();
    StopObserverHooks();
    if (g_run.frame.window != nullptr)
        DestroyWindow(g_run.frame.window);
    WarnEntriesNotTaken();
    const int status = FinishRunLog();
    UnregisterClassA(kFrameClass, ToolkitInstance());
    EndRun(status);
}

extern "C" BOOL WINAPI FSetBitmap(LPCSTR library, UINT bitmapId) {
    if (g_run.frame.window == nullptr) {
        NoteFailure("FSetBitmap: the frame is not started");
        return FALSE;
    }
    HMODULE module = DialogLibrary(library ? library : "");
    if (module == nullptr)
        return FALSE;
    HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(bitmapId));
    if (bitmap == nullptr) {
        NoteFailure("FSetBitmap: %s has no bitmap %u", library, bitmapId);
        return FALSE;
    }
    g_run.frame.bitmap.reset(bitmap);
    InvalidateRect(g_run.frame.window, nullptr, FALSE);
    LogLine("frame bitmap %s %u", library, bitmapId);
    return TRUE;
}

extern "C" HCURSOR WINAPI HShowWaitCursor(void) {
    g_run.frame.waitCursor = true;
    return SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

extern "C" BOOL WINAPI FRestoreCursor(HCURSOR previous) {
    g_run.frame.waitCursor = false;
    SetCursor(previous);
    return TRUE;
}

extern "C" BOOL WINAPI FInitializeInstall(HINSTANCE frameInstance, HWND frameWindow) {
    if (!g_run.frame.started || frameWindow != g_run.frame.window ||
        frameInstance != HinstFrame()) {
        NoteFailure("FInitializeInstall: not the running frame's instance and window");
        return FALSE;
    }
    LogLine("install session started");
    return TRUE;
}

extern "C" void WINAPI TerminateInstall(void) {
    ResetCopyList();
    ClearBillboards();
    LogLine("install session ended");
}
