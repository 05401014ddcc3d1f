// The setup frame: start-up from the command line (log, answers, source
// folder, record), the one-per-machine guard, the frame window with its
// background bitmap, the wait cursor and the install session calls.
#include <windows.h>

#include <array>
#include <string>

#include "command_line.h"
#include "common/unique_handle.h"
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

postern::UniqueKernelHandle g_running; // the one-per-machine guard
HWND g_frame = nullptr;
bool g_started = false;
bool g_unattended = false;
bool g_waitCursor = false;
// An unattended run ends its process with the run's status (not with /noexit).
bool g_exitWithStatus = false;
postern::UniqueGdiObject g_bitmap;

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
    if (g_bitmap && GetObjectA(g_bitmap.get(), sizeof info, &info) != 0 && info.bmWidth > 0 &&
        info.bmHeight > 0) {
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
        MemoryDc source(dc, g_bitmap.get());
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
        if (g_waitCursor && LOWORD(lParam) == HTCLIENT) {
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

// An unattended run's program always ends right after the toolkit does, with
// status 0; the toolkit ends it first with the status that tells a script how
// the run went.
void EndProcessIfUnattended(int status) {
    if (g_exitWithStatus)
        ExitProcess(static_cast<UINT>(status));
}

// Start-up failed after the log opened: the reason, the last line, and
// everything already started undone.
int FailStart(const char* reason) {
    NoteFailure("InitializeFrame: %s", reason);
    std::array<char, 600> end{};
    postern::FormatText(end, "fatal stop (%s)", reason);
    StopRecord();
    ResetUnattended();
    ClearSymbols();
    g_running.reset();
    EndRunLog(end.data());
    EndProcessIfUnattended(ExitNotStarted);
    return 0;
}

void CentreOnScreen(int& x, int& y) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    x = work.left + ((work.right - work.left) - kFrameWidth) / 2;
    y = work.top + ((work.bottom - work.top) - kFrameHeight) / 2;
}

} // namespace

HWND FrameWindow() {
    return g_frame;
}
bool Unattended() {
    return g_started && g_unattended;
}
bool FrameStarted() {
    return g_started;
}

} // namespace stf

using namespace stf;

extern "C" int WINAPI InitializeFrame(LPSTR commandLine) {
    if (g_started)
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
    g_exitWithStatus = !options.answers.empty() && !options.noExit;
    if (!parsed)
        return FailStart(("bad command line: " + error).c_str());

    HANDLE mutex = CreateMutexA(nullptr, FALSE, kRunningMutex);
    const bool another = mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS;
    g_running.reset(mutex);
    if (another) {
        g_running.reset();
        constexpr char kText[] = "Setup is already running.";
        constexpr UINT kType = MB_OK | MB_ICONEXCLAMATION;
        int button = IDOK;
        if (options.answers.empty())
            button = MessageBoxA(nullptr, kText, "Setup", kType);
        LogMessageBox("Setup", kText, button, false);
        EndRunLog("fatal stop (Setup is already running.)");
        EndProcessIfUnattended(ExitNotStarted);
        return -1;
    }

    if (!options.answers.empty() && !LoadAnswers(options.answers.c_str(), error))
        return FailStart(("answer file " + options.answers + ": " + error).c_str());
    g_unattended = !options.answers.empty();

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
    g_frame = CreateWindowExA(
        0, kFrameClass, "Setup",
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, x, y,
        kFrameWidth, kFrameHeight, nullptr, nullptr, ToolkitInstance(), nullptr);
    if (g_frame == nullptr)
        return FailStart("cannot create the frame window");
    g_started = true;
    // With /record the hooks also watch the installer's add-user wizard.
    const bool watch = Recording();
    if ((g_unattended || watch) && (!StartAnswerHook() || (watch && !StartObserverHooks()))) {
        StopAnswerHook();
        DestroyWindow(g_frame);
        g_frame = nullptr;
        g_started = false;
        return FailStart(g_unattended ? "cannot set the hook that answers message boxes"
                                      : "cannot set the hooks that watch the installer's dialogs");
    }
    if (g_unattended) {
        LogLine("frame started: unattended, answers from %s", options.answers.c_str());
    } else {
        ShowWindow(g_frame, SW_SHOW);
        UpdateWindow(g_frame);
        LogLine("frame started: interactive");
    }
    return 1;
}

extern "C" HWND WINAPI HwndFrame(void) {
    return g_frame;
}

extern "C" HINSTANCE WINAPI HinstFrame(void) {
    return g_started ? GetModuleHandleA(nullptr) : nullptr;
}

extern "C" void WINAPI TerminateFrame(void) {
    if (!g_started)
        return;
    FreezeRunOutcome(); // closing the dialogs below is no new event of the run
    CloseAllDialogs();
    StopAnswerHook();
    StopObserverHooks();
    if (g_frame != nullptr)
        DestroyWindow(g_frame);
    g_frame = nullptr;
    g_bitmap.reset();
    g_waitCursor = false;
    StopRecord();
    WarnEntriesNotTaken();
    const int status = FinishRunLog();
    ResetUnattended();
    ClearSymbols();
    UnregisterClassA(kFrameClass, ToolkitInstance());
    g_started = false;
    g_unattended = false;
    g_running.reset();
    EndProcessIfUnattended(status);
}

extern "C" BOOL WINAPI FSetBitmap(LPCSTR library, UINT bitmapId) {
    if (g_frame == nullptr) {
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
    g_bitmap.reset(bitmap);
    InvalidateRect(g_frame, nullptr, FALSE);
    LogLine("frame bitmap %s %u", library, bitmapId);
    return TRUE;
}

extern "C" HCURSOR WINAPI HShowWaitCursor(void) {
    g_waitCursor = true;
    return SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

extern "C" BOOL WINAPI FRestoreCursor(HCURSOR previous) {
    g_waitCursor = false;
    SetCursor(previous);
    return TRUE;
}

extern "C" BOOL WINAPI FInitializeInstall(HINSTANCE frameInstance, HWND frameWindow) {
    if (!g_started || frameWindow != g_frame || frameInstance != HinstFrame()) {
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
