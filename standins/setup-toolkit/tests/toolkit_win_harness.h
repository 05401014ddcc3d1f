// Shared helpers of the toolkit's Wine tests: temporary folders, files and
// run logs, the test program re-run as a child, a started frame for a test,
// and driving a toolkit dialog from a second thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace toolkit_test {

// A fresh folder under the temporary folder, removed with its files.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; } // ends without a backslash
    std::string File(const char* name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

std::string ReadText(const std::string& path); // "" when missing
bool WriteText(const std::string& path, const std::string& text);
// The log's lines without their "HH:MM:SS " stamps (a stamp is checked).
std::vector<std::string> LogLines(const std::string& path);
std::string LastLine(const std::string& path);
// True when some line of the log equals `line`, or contains it when `part`.
bool HasLine(const std::string& path, const std::string& line, bool part = false);

std::string ThisProgram();
std::string FolderOf(const std::string& path); // without the final backslash

// Runs this test program as `--toolkit-child <args>` and returns its exit
// code (-1 when it did not end within timeoutMs).
int RunChild(const std::string& args, DWORD timeoutMs = 30000);

// The value of a symbol as CbGetSymbolValue gives it.
std::string Symbol(const char* name);

// InitializeFrame for one test, TerminateFrame when it ends (if still running).
class Frame {
  public:
    explicit Frame(const std::string& commandLine);
    ~Frame();
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    int result() const { return result_; }
    void Terminate();

  private:
    int result_;
    bool running_;
};

// A visible top-level dialog of thread `thread` whose heading (control 110)
// or, without one, caption reads `heading`; null when none.
HWND FindDialog(DWORD thread, const std::string& heading);

// Calls FDoDialogExt for a dialog of mscuistf.dll on this thread while
// `drive` acts on the dialog (found by heading) from another thread. Returns
// FDoDialogExt's result; `found` tells whether the dialog appeared. A dialog
// that never appears gets Escape, and a wait that outlasts the driver by
// 20 s gets WM_QUIT, so the test cannot hang.
BOOL ShowAndDrive(UINT number, const char* procedure, const std::string& heading,
                  const std::function<void(HWND)>& drive, bool* found = nullptr,
                  UINT helpNumber = 900);

// Presses a dialog's button as a click would (a posted BN_CLICKED).
void Press(HWND dialog, int controlId);

} // namespace toolkit_test
