// What the Wine-run monitor tests share: a data-file folder of their own, the
// poll period in the profile, the real panel created from its template in this
// process, colours read back through the colour request, and message boxes
// answered on the panel's thread.
#pragma once

#include "../file_bytes.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "common/win_test_support.h"

#include <cstdint>
#include <string>
#include <vector>

namespace monitor_test {

// This test program's folder, with a trailing backslash.
std::string ExeFolder();
// %TEMP%\pstview-test-<pid>, created on first use.
std::string TestFolder();
// Writes bytes as the file path (replacing it); true on success.
bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::string ReadWholeFile(const std::string& path);
// Sets the file's last-write time (100-ns units since 1601).
bool SetWriteTime(const std::string& path, std::uint64_t time);
std::uint64_t WriteTimeOf(const std::string& path);

// PollTime in section "options" of the profile file "watchsvc.exe"; a null
// value removes the key.
void SetPollTime(const char* value);

std::string TextOf(HWND window);

enum class Colour { Default, Green, Red, Other };
// Asks the panel for a control's colours as the control does before it paints
// and names the answer: the brush and the text background that came back.
Colour ColourOf(HWND panel, int controlId);
const char* ColourName(Colour colour);

// Dispatches the thread's pending messages.
void PumpPending();
// Dispatches messages for ms milliseconds; returns the times (ms from the
// start) at which timer 25 of window ticked.
std::vector<DWORD> PumpAndCountTicks(HWND window, DWORD ms);

// Answers every message box that comes up on this thread while it exists, with
// its OK button, and keeps what each showed.
class BoxWatcher {
  public:
    struct Box {
        std::string caption;
        std::string text;
        std::vector<std::string> buttons; // the visible ones
        bool hasIcon;
    };
    BoxWatcher();
    ~BoxWatcher();
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;
    const std::vector<Box>& Boxes() const;

  private:
    UINT_PTR timer_;
};

// The panel as the program creates it, on this thread, modeless so that the
// test can drive it; TopDir points to TestFolder() and PollTime is absent.
class PanelTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    std::string DataPath() const { return TestFolder() + "\\watchsvc.dat"; }
    void WriteData(const FileBytes& file) { ASSERT_TRUE(WriteWholeFile(DataPath(), file.Bytes())); }
    void OpenPanel();
    void Tick();
    HWND Item(int id) const { return GetDlgItem(panel_, id); }
    std::string Field(int id) const { return TextOf(Item(id)); }
    Colour ColourOfItem(int id) const { return ColourOf(panel_, id); }

    HWND panel_ = nullptr;
};

} // namespace monitor_test
