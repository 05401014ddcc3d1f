// Tests of the INF file, the copy list and the copy engine under Wine: real
// copies between temporary folders through a started frame, unattended
// without any window, and interactive with the copy gauge, the billboards of
// mscuistf.dll in turn, Cancel and the Retry/Cancel box of a failing copy.
#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/unique_handle.h"
#include "common/win_test_support.h"
#include "setup_toolkit.h"
#include "toolkit_dialogs.h"
#include "toolkit_win_harness.h"

namespace {

using namespace toolkit_test;
using postern::WaitFor;

constexpr int kHeadingId = 110; // the first line of every dialog of mscuistf.dll
constexpr char kGaugeCaption[] = "Copying files";

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& wanted) {
    for (const std::string& line : lines)
        if (line == wanted)
            return true;
    return false;
}

int CountStarting(const std::vector<std::string>& lines, const std::string& start) {
    int count = 0;
    for (const std::string& line : lines)
        count += line.starts_with(start) ? 1 : 0;
    return count;
}

// A message box (#32770 with the static text 0xFFFF) of thread `thread`.
HWND FindMessageBox(DWORD thread) {
    HWND found = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM param) -> BOOL {
            std::array<char, 16> name{};
            GetClassNameA(window, name.data(), static_cast<int>(name.size()));
            if (std::string(name.data()) == "#32770" && IsWindowVisible(window) &&
                GetDlgItem(window, 0xFFFF) != nullptr) {
                *reinterpret_cast<HWND*>(param) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string DialogText(HWND dialog, int id) {
    std::array<char, 1024> text{};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_GETTEXT, text.size(),
                        reinterpret_cast<LPARAM>(text.data()), SMTO_BLOCK, 2000, &copied);
    return text.data();
}

// Answers the next message box of `thread` with `button` from another thread,
// after handing its text to `seen` and running `before`.
class BoxAnswerer {
  public:
    BoxAnswerer(DWORD thread, int button, std::function<void()> before = {})
        : worker_([this, thread, button, before] {
              HWND box = nullptr;
              if (!WaitFor([&] { return (box = FindMessageBox(thread)) != nullptr; }))
                  return;
              caption_ = postern::TextOf(box);
              text_ = DialogText(box, 0xFFFF);
              if (before)
                  before();
              PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
              answered_ = true;
          }) {}
    ~BoxAnswerer() { Join(); }
    void Join() {
        if (worker_.joinable())
            worker_.join();
    }
    bool answered() const { return answered_; }
    const std::string& caption() const { return caption_; }
    const std::string& text() const { return text_; }

  private:
    std::string caption_;
    std::string text_;
    std::atomic<bool> answered_{false};
    std::thread worker_;
};

// What the copying thread saw each time a dialog finished WM_INITDIALOG.
struct Sighting {
    HWND window;
    std::string heading; // of the billboard
    int filesThere;      // destination files that existed then
    bool gaugeVisible;
    std::string gaugeFile;
    int gaugePosition;
    RECT gaugeRect;  // screen
    RECT windowRect; // screen
};

class CopyEngine : public testing::Test {
  protected:
    void SetUp() override {
        root_ = work_.path();
        src_ = root_ + "\\src\\";
        dst_ = root_ + "\\dst";
        log_ = root_ + "\\run.log";
        inf_ = root_ + "\\setup.inf";
        ASSERT_TRUE(CreateDirectoryA(src_.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((src_ + "docs").c_str(), nullptr));
    }

    void TearDown() override {
        if (started_) {
            TerminateInstall();
            TerminateFrame();
        }
    }

    void Start(bool unattended) {
        std::string command = "/log \"" + log_ + "\" /src \"" + src_ + "\"";
        if (unattended) {
            ASSERT_TRUE(WriteText(root_ + "\\answers.ini", "[Setup]\r\nMode=new\r\n"));
            command += " /answers \"" + root_ + "\\answers.ini\" /noexit";
        }
        ASSERT_GT(InitializeFrame(command.data()), 0) << ReadText(log_);
        started_ = true;
        ASSERT_TRUE(FInitializeInstall(HinstFrame(), HwndFrame()));
        ResetCopyList(); // an earlier case of this process may have left files in it
    }

    // Ten source files of equal size, a subfolder and an INF with sections
    // Files (all ten), Docs (renamed into a subfolder) and Empty.
    void WriteDistribution() {
        std::string files = "[Files]\r\n";
        for (int i = 0; i < 10; ++i) {
            const std::string name = "file" + std::to_string(i) + ".dat";
            ASSERT_TRUE(WriteText(src_ + name, std::string(4000, static_cast<char>('a' + i))));
            files += name + "\r\n";
        }
        ASSERT_TRUE(WriteText(src_ + "docs\\readme.txt", "read me\r\n"));
        ASSERT_TRUE(WriteText(inf_, files + "[Docs] ; documentation\r\n"
                                            "manual\\readme.txt = docs\\readme.txt\r\n"
                                            "\r\n"
                                            "[Empty]\r\n"));
    }

    int FilesThere() const {
        int count = 0;
        for (int i = 0; i < 10; ++i)
            count += Exists(dst_ + "\\file" + std::to_string(i) + ".dat") ? 1 : 0;
        return count;
    }

    std::vector<std::string> Log() const { return LogLines(log_); }

    void DeleteCopies() const {
        for (int i = 0; i < 10; ++i)
            DeleteFileA((dst_ + "\\file" + std::to_string(i) + ".dat").c_str());
    }

    TempDir work_;
    std::string root_, src_, dst_, log_, inf_;
    bool started_ = false;
};

TEST_F(CopyEngine, CopiesSectionsIntoSubfoldersAndOverwrites) {
    WriteDistribution();
    Start(true);
    ASSERT_TRUE(CreateDirectoryA(dst_.c_str(), nullptr));
    ASSERT_TRUE(WriteText(dst_ + "\\file3.dat", "an older version"));

    ASSERT_TRUE(FOpenInf(inf_.c_str(), TRUE, FALSE));
    ASSERT_TRUE(FAddSectionFilesToCopyList("files", src_.c_str(), dst_.c_str()));
    ASSERT_TRUE(FAddSectionFilesToCopyList("Docs", src_.c_str(), dst_.c_str()));
    ASSERT_TRUE(FAddSectionFilesToCopyList("Empty", src_.c_str(), dst_.c_str()));
    EXPECT_EQ(GrcCopyFilesInCopyList(HinstFrame()), grcOkay);

    EXPECT_EQ(FilesThere(), 10);
    EXPECT_EQ(ReadText(dst_ + "\\file3.dat"), std::string(4000, 'd'));
    EXPECT_EQ(ReadText(dst_ + "\\manual\\readme.txt"), "read me\r\n");
    // CopyFileA keeps the source's last-write time.
    WIN32_FILE_ATTRIBUTE_DATA from{};
    WIN32_FILE_ATTRIBUTE_DATA to{};
    ASSERT_TRUE(GetFileAttributesExA((src_ + "file7.dat").c_str(), GetFileExInfoStandard, &from));
    ASSERT_TRUE(GetFileAttributesExA((dst_ + "\\file7.dat").c_str(), GetFileExInfoStandard, &to));
    EXPECT_EQ(CompareFileTime(&from.ftLastWriteTime, &to.ftLastWriteTime), 0);

    const auto lines = Log();
    EXPECT_TRUE(HasLine(lines, "INF opened: " + inf_ + " (3 sections, 11 entries)"));
    EXPECT_TRUE(HasLine(lines, "copy list: [files] adds 10 files from " + src_ + " to " + dst_ +
                                   " (10 in the list)"));
    EXPECT_TRUE(HasLine(lines, "copy list: [Empty] adds 0 files from " + src_ + " to " + dst_ +
                                   " (11 in the list)"));
    EXPECT_TRUE(
        HasLine(lines, "copied " + src_ + "docs\\readme.txt -> " + dst_ + "\\manual\\readme.txt"));
    EXPECT_EQ(CountStarting(lines, "copied "), 11);
    EXPECT_TRUE(HasLine(lines, "copy done: 11 files"));
    EXPECT_EQ(CountStarting(lines, "failed: "), 0);

    // The list stays until it is reset; a reset list copies nothing.
    ResetCopyList();
    EXPECT_EQ(GrcCopyFilesInCopyList(HinstFrame()), grcOkay);
    const auto after = Log();
    EXPECT_TRUE(HasLine(after, "copy list emptied (11 files)"));
    EXPECT_TRUE(HasLine(after, "copy: the copy list is empty"));
}

TEST_F(CopyEngine, RefusesBadInfFilesAndUnknownSections) {
    Start(true);
    const std::string missing = root_ + "\\none.inf";
    EXPECT_FALSE(FOpenInf(missing.c_str(), TRUE, FALSE));
    ASSERT_TRUE(WriteText(inf_, "[Files]\r\nok.txt\r\n[Open\r\n"));
    EXPECT_FALSE(FOpenInf(inf_.c_str(), TRUE, FALSE));
    EXPECT_FALSE(FOpenInf(inf_.c_str(), TRUE, TRUE));
    const std::string unsafe = root_ + "\\unsafe.inf";
    ASSERT_TRUE(WriteText(unsafe, "[Files]\r\n..\\..\\boot.ini\r\n"));
    EXPECT_FALSE(FOpenInf(unsafe.c_str(), FALSE, FALSE));
    // Without the syntax check the unclosed header is skipped.
    EXPECT_TRUE(FOpenInf(inf_.c_str(), FALSE, FALSE));
    EXPECT_FALSE(FAddSectionFilesToCopyList("F35", src_.c_str(), dst_.c_str()));
    EXPECT_FALSE(FAddSectionFilesToCopyList("Files", src_.c_str(), ""));
    EXPECT_TRUE(FAddSectionFilesToCopyList("Files", src_.c_str(), dst_.c_str()));

    const auto lines = Log();
    EXPECT_TRUE(HasLine(lines, "failed: FOpenInf: " + missing + ": file not found"));
    EXPECT_TRUE(HasLine(lines, "failed: FOpenInf: " + inf_ +
                                   ": line 3: section header without a closing ']'"));
    EXPECT_TRUE(HasLine(lines, "failed: FOpenInf: " + inf_ + ": the reserved argument must be 0"));
    EXPECT_TRUE(
        HasLine(lines, "failed: FOpenInf: " + unsafe +
                           ": line 2: destination \"..\\..\\boot.ini\": a \"..\" component"));
    EXPECT_TRUE(
        HasLine(lines, "INF opened: " + inf_ + " (1 sections, 1 entries, 1 lines skipped)"));
    EXPECT_TRUE(
        HasLine(lines, "failed: FAddSectionFilesToCopyList: section [F35] is not in " + inf_));
    EXPECT_TRUE(HasLine(lines, "failed: FAddSectionFilesToCopyList: [Files]: empty source or "
                               "destination folder"));
    EXPECT_TRUE(HasLine(lines, "copy list: [Files] adds 1 files from " + src_ + " to " + dst_ +
                                   " (1 in the list)"));
}

TEST_F(CopyEngine, MissingSourceStopsBeforeAnythingIsCopied) {
    WriteDistribution();
    ASSERT_TRUE(DeleteFileA((src_ + "file6.dat").c_str()));
    Start(true);
    ASSERT_TRUE(FOpenInf(inf_.c_str(), TRUE, FALSE));
    ASSERT_TRUE(FAddSectionFilesToCopyList("Files", src_.c_str(), dst_.c_str()));
    EXPECT_EQ(GrcCopyFilesInCopyList(HinstFrame()), grcSourceMissing);
    EXPECT_EQ(FilesThere(), 0);
    EXPECT_TRUE(HasLine(Log(), "failed: GrcCopyFilesInCopyList: source file missing: " + src_ +
                                   "file6.dat"));
    // The installer then ends in its fatal stop, whose last line names the cause.
    TerminateFrame();
    TerminateInstall(); // empties the copy list for the next case
    started_ = false;
    const auto lines = Log();
    EXPECT_EQ(lines.back(), "end: fatal stop (GrcCopyFilesInCopyList: source file missing: " +
                                src_ + "file6.dat)");
}

TEST_F(CopyEngine, UnattendedFailingCopyIsNotedWithoutABox) {
    WriteDistribution();
    Start(true);
    // A file where the destination's subfolder should be.
    ASSERT_TRUE(CreateDirectoryA(dst_.c_str(), nullptr));
    ASSERT_TRUE(WriteText(dst_ + "\\manual", "in the way"));
    ASSERT_TRUE(FOpenInf(inf_.c_str(), TRUE, FALSE));
    ASSERT_TRUE(FAddSectionFilesToCopyList("Docs", src_.c_str(), dst_.c_str()));
    EXPECT_EQ(GrcCopyFilesInCopyList(HinstFrame()), grcCopyFailed) << ReadText(log_);
    EXPECT_EQ(FindMessageBox(GetCurrentThreadId()), nullptr);
    EXPECT_TRUE(HasLine(Log(), "failed: GrcCopyFilesInCopyList: copying " + src_ +
                                   "docs\\readme.txt to " + dst_ +
                                   "\\manual\\readme.txt: system error 183"));
}

// Counts the windows created on this thread while it is set.
struct CreationCounter {
    static inline int created = 0;
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND)
            ++created;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

TEST_F(CopyEngine, UnattendedCopyShowsNoWindow) {
    WriteDistribution();
    Start(true);
    ASSERT_FALSE(IsWindowVisible(HwndFrame()));
    ASSERT_TRUE(FAddToBillboardList("mscuistf.dll", 5001, "FModelessDlgProc", 5));
    ASSERT_TRUE(FAddToBillboardList("mscuistf.dll", 5002, "FModelessDlgProc", 5));
    ASSERT_TRUE(FOpenInf(inf_.c_str(), TRUE, FALSE));
    ASSERT_TRUE(FAddSectionFilesToCopyList("Files", src_.c_str(), dst_.c_str()));
    HHOOK hook = SetWindowsHookExA(WH_CBT, CreationCounter::Hook, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    CreationCounter::created = 0;
    const int result = GrcCopyFilesInCopyList(HinstFrame());
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(result, grcOkay);
    EXPECT_EQ(CreationCounter::created, 0);
    EXPECT_EQ(FilesThere(), 10);
}

TEST_F(CopyEngine, BillboardListChecksLibraryProcedureAndTicks) {
    Start(true);
    EXPECT_TRUE(FAddToBillboardList("mscuistf.dll", 5003, "FModelessDlgProc", 2));
    EXPECT_FALSE(FAddToBillboardList("nosuchlib.dll", 5001, "FModelessDlgProc", 5));
    EXPECT_FALSE(FAddToBillboardList("mscuistf.dll", 5001, "NoSuchProc", 5));
    EXPECT_FALSE(FAddToBillboardList("mscuistf.dll", 4999, "FModelessDlgProc", 5));
    EXPECT_FALSE(FAddToBillboardList("mscuistf.dll", 5001, "FModelessDlgProc", 0));
    const auto lines = Log();
    EXPECT_TRUE(HasLine(lines, "billboard added: mscuistf.dll 5003 FModelessDlgProc (2 ticks)"));
    EXPECT_TRUE(HasLine(lines, "failed: FAddToBillboardList: mscuistf.dll has no dialog 4999"));
    EXPECT_TRUE(HasLine(lines, "failed: FAddToBillboardList: mscuistf.dll 5001: ticks must be "
                               "positive, not 0"));
    EXPECT_EQ(CountStarting(lines, "failed: "), 4);
}

// Watches WM_INITDIALOG on the copying thread: the gauge and the billboards
// as the copy engine creates them.
class InitWatcher {
  public:
    static inline std::vector<Sighting> sightings;
    static inline std::string destination;
    static inline std::function<void(const Sighting&)> onBillboard;

    InitWatcher() {
        sightings.clear();
        hook_ = SetWindowsHookExA(WH_CALLWNDPROCRET, Hook, nullptr, GetCurrentThreadId());
    }
    ~InitWatcher() {
        UnhookWindowsHookEx(hook_);
        onBillboard = nullptr;
    }
    bool valid() const { return hook_ != nullptr; }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_INITDIALOG &&
            GetDlgItem(call->hwnd, kHeadingId) != nullptr) {
            Sighting seen{};
            seen.window = call->hwnd;
            seen.heading = postern::TextOf(GetDlgItem(call->hwnd, kHeadingId));
            for (int i = 0; i < 10; ++i)
                seen.filesThere +=
                    Exists(destination + "\\file" + std::to_string(i) + ".dat") ? 1 : 0;
            const HWND gauge = FindWindowA("#32770", kGaugeCaption);
            seen.gaugeVisible = gauge != nullptr && IsWindowVisible(gauge);
            seen.gaugeFile = gauge ? postern::TextOf(GetDlgItem(gauge, IDC_GAUGEFILE)) : "";
            seen.gaugePosition =
                gauge ? static_cast<int>(SendDlgItemMessageA(gauge, IDC_GAUGEBAR, PBM_GETPOS, 0, 0))
                      : -1;
            if (gauge)
                GetWindowRect(gauge, &seen.gaugeRect);
            sightings.push_back(seen);
            if (onBillboard)
                onBillboard(seen);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook_;
};

// A message-only window on the copying thread: what is posted to it runs at
// the copy engine's next message pump.
class Probe {
  public:
    static inline std::function<void()> action;

    Probe() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "StfCopyTestProbe";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
    }
    ~Probe() {
        DestroyWindow(window_);
        action = nullptr;
    }
    bool valid() const { return window_ != nullptr; }
    void Post() const { PostMessageA(window_, WM_APP, 0, 0); }

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_APP && action)
            action();
        return DefWindowProcA(window, message, wParam, lParam);
    }
    HWND window_;
};

TEST_F(CopyEngine, InteractiveCopyShowsGaugeAndBillboardsInTurn) {
    WriteDistribution();
    Start(false);
    ASSERT_TRUE(IsWindowVisible(HwndFrame()));
    ProSetPos(200, 130);
    // 3 ticks of 10: the second billboard comes once 3 of the 10 equal files are copied.
    ASSERT_TRUE(FAddToBillboardList("mscuistf.dll", 5001, "FModelessDlgProc", 3));
    ASSERT_TRUE(FAddToBillboardList("mscuistf.dll", 5002, "FModelessDlgProc", 7));
    ASSERT_TRUE(FOpenInf(inf_.c_str(), TRUE, FALSE));
    ASSERT_TRUE(FAddSectionFilesToCopyList("Files", src_.c_str(), dst_.c_str()));

    InitWatcher watcher;
    ASSERT_TRUE(watcher.valid());
    InitWatcher::destination = dst_;
    Probe probe;
    ASSERT_TRUE(probe.valid());
    std::vector<bool> earlierGone;
    InitWatcher::onBillboard = [&](const Sighting&) {
        const auto& seen = InitWatcher::sightings;
        earlierGone.push_back(seen.size() < 2 || !IsWindow(seen[seen.size() - 2].window));
        probe.Post();
    };
    // Where the billboard stands once the copy engine has placed it.
    Probe::action = [] {
        Sighting& last = InitWatcher::sightings.back();
        GetWindowRect(last.window, &last.windowRect);
    };
    EXPECT_EQ(GrcCopyFilesInCopyList(HinstFrame()), grcOkay);
    EXPECT_EQ(FilesThere(), 10);

    const auto& seen = InitWatcher::sightings;
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].heading, "Relay and drop");
    EXPECT_EQ(seen[0].filesThere, 0);
    EXPECT_EQ(seen[1].heading, "The monitor");
    EXPECT_EQ(seen[1].filesThere, 3);
    EXPECT_TRUE(earlierGone[1]);
    for (const Sighting& s : seen)
        EXPECT_TRUE(s.gaugeVisible);
    EXPECT_EQ(seen[0].gaugePosition, 0);
    EXPECT_EQ(seen[0].gaugeFile, dst_ + "\\file0.dat");
    EXPECT_EQ(seen[1].gaugePosition, 300);
    EXPECT_EQ(seen[1].gaugeFile, dst_ + "\\file3.dat");
    // The gauge sits at the ProSetPos point of the frame's client area.
    POINT origin{200, 130};
    ClientToScreen(HwndFrame(), &origin);
    EXPECT_EQ(seen[1].gaugeRect.left, origin.x);
    EXPECT_EQ(seen[1].gaugeRect.top, origin.y);
    // Each billboard is centred across the frame and leaves the gauge free.
    RECT client{};
    GetClientRect(HwndFrame(), &client);
    POINT centre{(client.left + client.right) / 2, 0};
    ClientToScreen(HwndFrame(), &centre);
    for (const Sighting& s : seen) {
        RECT overlap{};
        EXPECT_FALSE(IntersectRect(&overlap, &s.windowRect, &s.gaugeRect)) << s.heading;
        EXPECT_LE(std::abs((s.windowRect.left + s.windowRect.right) / 2 - centre.x), 1)
            << s.heading;
        EXPECT_GT(s.windowRect.right, s.windowRect.left) << s.heading;
    }
    // Gauge and billboards are gone after the copy.
    EXPECT_EQ(FindWindowA("#32770", kGaugeCaption), nullptr);
    EXPECT_FALSE(IsWindow(seen[0].window));
    EXPECT_FALSE(IsWindow(seen[1].window));
    const auto lines = Log();
    EXPECT_EQ(CountStarting(lines, "copied "), 10);
    for (const std::string& line : lines)
        EXPECT_FALSE(line.starts_with("failed: ")) << line;
}

TEST_F(CopyEngine, CancelAsksAndStopsOnlyWhenConfirmed) {
    WriteDistribution();
    Start(false);
    ASSERT_TRUE(FAddToBillboardList("mscuistf.dll", 5001, "FModelessDlgProc", 3));
    ASSERT_TRUE(FAddToBillboardList("mscuistf.dll", 5002, "FModelessDlgProc", 7));
    ASSERT_TRUE(FOpenInf(inf_.c_str(), TRUE, FALSE));
    ASSERT_TRUE(FAddSectionFilesToCopyList("Files", src_.c_str(), dst_.c_str()));
    InitWatcher watcher;
    InitWatcher::destination = dst_;
    // Cancel pressed when the second billboard comes up (3 files copied).
    InitWatcher::onBillboard = [](const Sighting& s) {
        if (s.heading == "The monitor")
            PostMessageA(FindWindowA("#32770", kGaugeCaption), WM_COMMAND,
                         MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    };
    {
        BoxAnswerer no(GetCurrentThreadId(), IDNO);
        EXPECT_EQ(GrcCopyFilesInCopyList(HinstFrame()), grcOkay);
        no.Join();
        EXPECT_TRUE(no.answered());
        EXPECT_EQ(no.caption(), "Setup");
        EXPECT_EQ(no.text(), "Quit copying? The files copied so far stay in place.");
        EXPECT_EQ(FilesThere(), 10);
    }
    DeleteCopies();
    {
        BoxAnswerer yes(GetCurrentThreadId(), IDYES);
        EXPECT_EQ(GrcCopyFilesInCopyList(HinstFrame()), grcUserQuit);
        yes.Join();
        EXPECT_TRUE(yes.answered());
    }
    EXPECT_EQ(FilesThere(), 3);
    EXPECT_EQ(FindWindowA("#32770", kGaugeCaption), nullptr);
    EXPECT_TRUE(HasLine(Log(), "copy stopped by the operator after 3 of 10 files"));
}

TEST_F(CopyEngine, FailingCopyOffersRetryAndCancel) {
    WriteDistribution();
    Start(false);
    ASSERT_TRUE(CreateDirectoryA(dst_.c_str(), nullptr));
    const std::string blocker = dst_ + "\\manual";
    ASSERT_TRUE(WriteText(blocker, "in the way"));
    ASSERT_TRUE(FOpenInf(inf_.c_str(), TRUE, FALSE));
    ASSERT_TRUE(FAddSectionFilesToCopyList("Docs", src_.c_str(), dst_.c_str()));
    const std::string from = src_ + "docs\\readme.txt";
    const std::string to = dst_ + "\\manual\\readme.txt";
    {
        BoxAnswerer cancel(GetCurrentThreadId(), IDCANCEL);
        EXPECT_EQ(GrcCopyFilesInCopyList(HinstFrame()), grcCopyFailed);
        cancel.Join();
        EXPECT_EQ(cancel.text(),
                  "Could not copy the file\n" + from + "\nto\n" + to + "\n\nSystem error 183.");
    }
    EXPECT_TRUE(HasLine(Log(), "failed: GrcCopyFilesInCopyList: copying " + from + " to " + to +
                                   ": system error 183"));
    {
        // The operator clears the way, then asks for a retry.
        BoxAnswerer retry(GetCurrentThreadId(), IDRETRY, [&] { DeleteFileA(blocker.c_str()); });
        EXPECT_EQ(GrcCopyFilesInCopyList(HinstFrame()), grcOkay);
        retry.Join();
        EXPECT_TRUE(retry.answered());
    }
    EXPECT_EQ(ReadText(to), "read me\r\n");
    const auto lines = Log();
    EXPECT_TRUE(HasLine(lines, "copy of " + from + " retried after system error 183"));
    EXPECT_TRUE(HasLine(lines, "copied " + from + " -> " + to));
}

} // namespace
