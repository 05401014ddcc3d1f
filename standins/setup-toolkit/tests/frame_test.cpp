// The frame under Wine: start-up from the command line, the window, the
// one-run-per-machine guard, the run log and its last line.
#include <windows.h>

#include <gtest/gtest.h>

#include "setup_toolkit.h"
#include "toolkit_win_harness.h"

using namespace toolkit_test;

namespace {

std::string LogArg(const TempDir& dir) {
    return "/log \"" + dir.File("run.log") + "\"";
}

} // namespace

TEST(Frame, InteractiveFrameIsShownCentredAndEndsCompleted) {
    TempDir dir;
    const std::string log = dir.File("run.log");
    {
        Frame frame(LogArg(dir));
        ASSERT_GT(frame.result(), 0);
        HWND window = HwndFrame();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_EQ(HinstFrame(), GetModuleHandleA(nullptr));
        RECT r{};
        GetWindowRect(window, &r);
        EXPECT_EQ(r.right - r.left, 640);
        EXPECT_EQ(r.bottom - r.top, 480);
        RECT work{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_NEAR((r.left + r.right) / 2, (work.left + work.right) / 2, 2);
        EXPECT_NEAR((r.top + r.bottom) / 2, (work.top + work.bottom) / 2, 2);
        EXPECT_EQ(Symbol("STF_SRCDIR"), FolderOf(ThisProgram()) + "\\");
        EXPECT_TRUE(HasLine(log, "frame started: interactive"));
    }
    EXPECT_EQ(HwndFrame(), nullptr);
    EXPECT_EQ(HinstFrame(), nullptr);
    // Nothing was asked: the run did not complete anything.
    EXPECT_EQ(LastLine(log), "end: stopped before the first dialog");
}

TEST(Frame, LogIsAppendedAndTheFrameStartsAgain) {
    TempDir dir;
    const std::string log = dir.File("run.log");
    ASSERT_TRUE(WriteText(log, "00:00:00 earlier run\r\n"));
    for (int run = 0; run < 2; ++run) {
        Frame frame(LogArg(dir));
        ASSERT_GT(frame.result(), 0) << "run " << run;
    }
    const std::vector<std::string> lines = LogLines(log);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "earlier run");
    int ends = 0;
    for (const std::string& line : lines)
        ends += line == "end: stopped before the first dialog";
    EXPECT_EQ(ends, 2);
}

TEST(Frame, SourceFolderEndsInOneBackslash) {
    TempDir dir;
    Frame frame(LogArg(dir) + " /src \"" + dir.path() + "\\\\\"");
    ASSERT_GT(frame.result(), 0);
    EXPECT_EQ(Symbol("STF_SRCDIR"), dir.path() + "\\");
}

TEST(Frame, UnattendedFrameExistsButIsHidden) {
    TempDir dir;
    ASSERT_TRUE(WriteText(dir.File("a.ini"), "[Setup]\r\nMode=new\r\n"));
    Frame frame(LogArg(dir) + " /answers \"" + dir.File("a.ini") + "\"");
    ASSERT_GT(frame.result(), 0);
    ASSERT_NE(HwndFrame(), nullptr);
    EXPECT_FALSE(IsWindowVisible(HwndFrame()));
    EXPECT_TRUE(HasLine(dir.File("run.log"),
                        "frame started: unattended, answers from " + dir.File("a.ini")));
}

TEST(Frame, BadStartsReturnZeroWithTheReasonLogged) {
    TempDir dir;
    const std::string log = dir.File("run.log");
    ASSERT_TRUE(WriteText(dir.File("bad.ini"), "[Setup]\r\nno equals\r\n"));
    struct Case {
        std::string args;
        std::string cause;
    };
    const std::vector<Case> cases = {
        {"/bogus", "bad command line: unknown option /bogus (options: /answers FILE, /log FILE, "
                   "/src DIR, /record FILE, /noexit)"},
        {"/answers", "bad command line: option /answers needs a value"},
        {"/answers \"" + dir.File("missing.ini") + "\"",
         "answer file " + dir.File("missing.ini") + ": cannot be opened (error 2)"},
        {"/answers \"" + dir.File("bad.ini") + "\"",
         "answer file " + dir.File("bad.ini") +
             ": line 2: expected [section], key=value or a comment"},
    };
    for (const Case& c : cases) {
        Frame frame(LogArg(dir) + " " + c.args);
        EXPECT_EQ(frame.result(), 0) << c.args;
        EXPECT_EQ(HwndFrame(), nullptr);
        EXPECT_TRUE(HasLine(log, "failed: InitializeFrame: " + c.cause)) << c.args;
        EXPECT_EQ(LastLine(log), "end: fatal stop (" + c.cause + ")");
    }
    Frame good(LogArg(dir)); // nothing of the failed starts is left behind
    EXPECT_GT(good.result(), 0);
}

TEST(Frame, SecondRunOnTheMachineGetsMinusOne) {
    TempDir dir;
    ASSERT_TRUE(WriteText(dir.File("a.ini"), "[Setup]\r\n"));
    const std::string childLog = dir.File("child.log");
    const std::string childArgs =
        "start /answers \"" + dir.File("a.ini") + "\" /log \"" + childLog + "\"";
    {
        Frame frame(LogArg(dir));
        ASSERT_GT(frame.result(), 0);
        // An unattended run ends its process itself: 3, nothing was asked.
        EXPECT_EQ(RunChild(childArgs), 3);
        EXPECT_TRUE(HasLine(childLog, "message box \"Setup\": Setup is already running. -> OK"));
        EXPECT_EQ(LastLine(childLog), "end: fatal stop (Setup is already running.)");
        std::string again = "/log x";
        EXPECT_EQ(InitializeFrame(again.data()), -1); // and in the same process
    }
    EXPECT_EQ(RunChild(childArgs), 3); // started, then ended in TerminateFrame
    EXPECT_EQ(LastLine(childLog), "end: stopped before the first dialog");
}

TEST(Frame, ProcessEndingWithoutTerminateFrameSaysSo) {
    TempDir dir;
    const std::string log = dir.File("run.log");
    EXPECT_EQ(RunChild("start-and-exit /log \"" + log + "\""), 10 + 1);
    EXPECT_EQ(LastLine(log), "end: ended without closing the toolkit");
}

TEST(Frame, CloseBoxWithNoDialogWaitingLeavesTheFrame) {
    TempDir dir;
    Frame frame(LogArg(dir));
    ASSERT_GT(frame.result(), 0);
    SendMessageA(HwndFrame(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(HwndFrame()));
    EXPECT_TRUE(HasLine(dir.File("run.log"), "frame close ignored: no dialog waits"));
}

TEST(Frame, BitmapFromTheDialogLibrary) {
    TempDir dir;
    const std::string log = dir.File("run.log");
    EXPECT_FALSE(FSetBitmap("mscuistf.dll", 1)); // no frame yet
    Frame frame(LogArg(dir));
    ASSERT_GT(frame.result(), 0);
    EXPECT_TRUE(FSetBitmap("mscuistf.dll", 1));
    EXPECT_TRUE(HasLine(log, "frame bitmap mscuistf.dll 1"));
    EXPECT_FALSE(FSetBitmap("mscuistf.dll", 999));
    EXPECT_TRUE(HasLine(log, "failed: FSetBitmap: mscuistf.dll has no bitmap 999"));
    EXPECT_FALSE(FSetBitmap("no_such_library.dll", 1));
    EXPECT_TRUE(HasLine(log, "failed: dialog library no_such_library.dll does not load", true));
    // The background around a centred bitmap is the dark frame colour.
    UpdateWindow(HwndFrame());
    HDC dc = GetDC(HwndFrame());
    const COLORREF corner = GetPixel(dc, 1, 1);
    ReleaseDC(HwndFrame(), dc);
    EXPECT_EQ(corner, RGB(0, 0, 64));
}

TEST(Frame, InstallSessionAndTheFailureBeforeTerminateFrame) {
    TempDir dir;
    const std::string log = dir.File("run.log");
    {
        Frame frame(LogArg(dir));
        ASSERT_GT(frame.result(), 0);
        EXPECT_TRUE(FInitializeInstall(HinstFrame(), HwndFrame()));
        EXPECT_TRUE(HasLine(log, "install session started"));
        TerminateInstall();
        EXPECT_TRUE(HasLine(log, "install session ended"));
        EXPECT_FALSE(FInitializeInstall(HinstFrame(), nullptr));
    }
    EXPECT_EQ(LastLine(log),
              "end: fatal stop (FInitializeInstall: not the running frame's instance and window)");
    {
        Frame frame(LogArg(dir));
        ASSERT_GT(frame.result(), 0);
        EXPECT_FALSE(FInitializeInstall(nullptr, HwndFrame()));
        EXPECT_TRUE(FSetSymbolValue("Later", "call")); // a later success clears it
    }
    EXPECT_EQ(LastLine(log), "end: stopped before the first dialog");
}
