// The debug log from its template: its text byte for byte, Clear Log, the ways
// it closes, and its layout after a resize.
#include "monitor_win_harness.h"

#include "monitor/log_window.h"
#include "monitor/monitor_reader.h"
#include "monitor/res/pstview_rc.h"
#include "monitor/startup.h"

#include <gtest/gtest.h>

using namespace monitor;
using namespace monitor_test;

namespace {

std::string EditText(HWND edit) {
    const int length = GetWindowTextLengthA(edit);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(edit, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

RECT ClientRectOf(HWND dialog, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Dispatches pending messages as the panel's modal loop does: each message goes
// to IsDialogMessage for the panel first, and only when that declines it is
// translated and dispatched.
void PumpAsPanelLoop(HWND panel) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageA(panel, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// A key pressed where the focus is, with Shift held or not.
void PressKey(HWND panel, UINT key, bool shift = false) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
    PumpAsPanelLoop(panel);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

const std::string kNoDataRow = std::string(8, ' ') + " " + std::string(15, ' ') + " " +
                               std::string(15, ' ') + " No data                  0 0 0   0   0\r\n";

class Log : public PanelTest {
  protected:
    void OpenLog() {
        OpenPanel();
        SendMessageA(panel_, WM_COMMAND, IDC_VIEW, 0);
        ASSERT_NE(LogEdit, nullptr) << "the log did not open";
        log_ = GetParent(LogEdit);
        edit_ = LogEdit;
    }
    HWND LogItem(int id) const { return GetDlgItem(log_, id); }
    HWND log_ = nullptr;
    HWND edit_ = nullptr;
};

} // namespace

TEST_F(Log, WindowAndControlsAsTheTemplateGivesThem) {
    OpenLog();
    EXPECT_EQ(TextOf(log_), "Debug log");
    const LONG style = GetWindowLongA(log_, GWL_STYLE);
    for (LONG bit : {LONG(WS_POPUP), LONG(WS_VISIBLE), LONG(WS_CAPTION), LONG(WS_SYSMENU),
                     LONG(WS_THICKFRAME)})
        EXPECT_EQ(style & bit, bit) << std::hex << bit;
    EXPECT_EQ(GetWindow(log_, GW_OWNER), panel_);
    RECT client{};
    GetClientRect(log_, &client);
    RECT size{0, 0, 323, 165};
    MapDialogRect(log_, &size);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    const struct {
        int id;
        const char* text;
        RECT units;
    } controls[] = {{IDOK, "OK", {270, 3, 50, 14}},
                    {IDC_CLEARLOG, "Clear Log", {213, 3, 50, 14}},
                    {IDC_LOGEDIT, nullptr, {3, 21, 317, 140}}};
    for (const auto& c : controls) {
        // The dialog manager maps a control's position and its size separately.
        RECT mapped = c.units;
        MapDialogRect(log_, &mapped);
        const RECT expected{mapped.left, mapped.top, mapped.left + mapped.right,
                            mapped.top + mapped.bottom};
        const RECT actual = ClientRectOf(log_, LogItem(c.id));
        EXPECT_EQ(actual.left, expected.left) << c.id;
        EXPECT_EQ(actual.top, expected.top) << c.id;
        EXPECT_EQ(actual.right, expected.right) << c.id;
        EXPECT_EQ(actual.bottom, expected.bottom) << c.id;
        if (c.text) {
            EXPECT_EQ(TextOf(LogItem(c.id)), c.text);
        }
    }
    EXPECT_EQ(GetWindowLongA(LogItem(IDOK), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
    const LONG edit = GetWindowLongA(edit_, GWL_STYLE);
    for (LONG bit : {LONG(ES_MULTILINE), LONG(WS_VSCROLL), LONG(WS_HSCROLL), LONG(ES_AUTOHSCROLL),
                     LONG(ES_WANTRETURN), LONG(WS_TABSTOP)})
        EXPECT_EQ(edit & bit, bit) << std::hex << bit;
    // The edit control draws the template's border as a sunken client edge.
    EXPECT_TRUE((edit & WS_BORDER) || (GetWindowLongA(edit_, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
    EXPECT_EQ(edit & ES_READONLY, 0);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(edit_, WM_GETFONT, 0, 0)),
              GetStockObject(ANSI_FIXED_FONT));
}

TEST_F(Log, FilledOnceTheWindowIsCreated) {
    OpenLog();
    EXPECT_EQ(EditText(edit_), "") << "the dump is posted, not written during creation";
    PumpPending();
    std::string expected = "Time: no data file Monitor: 00000000 Web: 00000000\r\n";
    for (int i = 0; i < 14; ++i)
        expected += kNoDataRow;
    EXPECT_EQ(EditText(edit_), expected);
}

TEST_F(Log, TextIsTheDumpOfAKnownFile) {
    FileBytes file;
    file.Header(0x00C0FFEE, 0xFFFFFFFF, "Thu 17:45:02")
        .ServiceText(0, kLabel, "SMTP")
        .ServiceText(0, kDetail1, "mail.example.com:25")
        .ServiceText(0, kDetail2, "relay")
        .ServiceText(0, kStatusText, "Running, 3 connections")
        .ServiceU32(0, kValue1, 3)
        .ServiceU32(0, kFlags, 1)
        .ServiceU32(0, kState, 4)
        .ServiceU32(0, kFault, 0)
        .ServiceU32(0, kValue3, 25)
        .U16(FileBytes::Service(0, kValue4), 7)
        .ServiceText(13, kLabel, "Disks")
        .ServiceText(13, kStatusText, "C: 12% free")
        .ServiceU32(13, kState, 1)
        .ServiceU32(13, kFault, 112)
        .Denied(2, 192, 0, 2, 66)
        .AddressEntry(0, 10, 1, 2, 3, "text")
        .AddressEntry(7, 172, 16, 5, 4, "relay client");
    WriteData(file);
    OpenLog();
    PumpPending();
    std::string expected = "Time: Thu 17:45:02 Monitor: 00c0ffee Web: ffffffff\r\n"
                           "SMTP     mail.example.co relay           Running, 3 connections   "
                           "3 4 0  25   7\r\n";
    const std::string empty = std::string(8, ' ') + " " + std::string(15, ' ') + " " +
                              std::string(15, ' ') + " " + std::string(24, ' ') +
                              " 0 0 0   0   0\r\n";
    for (int i = 1; i < 13; ++i)
        expected += empty;
    expected += "Disks    " + std::string(15, ' ') + " " + std::string(15, ' ') +
                " C: 12% free              0 1 112   0   0\r\n";
    expected += "10.1.2.3  text\r\n"
                "172.16.5.4  relay client\r\n"
                "192.0.2.66  denied access\r\n";
    EXPECT_EQ(EditText(edit_), expected);
}

TEST_F(Log, ClearLogShowsTheNewerImageAndPollsDoNot) {
    OpenLog();
    PumpPending();
    const std::string first = EditText(edit_);
    FileBytes file;
    file.Header(1, 2, "newer").AddressEntry(0, 10, 1, 2, 3, "text");
    WriteData(file);
    Tick();
    PumpPending();
    EXPECT_EQ(EditText(edit_), first) << "a poll does not touch the log";
    SendMessageA(log_, WM_COMMAND, IDC_CLEARLOG, 0);
    const std::string second = EditText(edit_);
    EXPECT_EQ(second.rfind("Time: newer Monitor: 00000001 Web: 00000002\r\n", 0), 0u);
    EXPECT_NE(second.find("\r\n10.1.2.3  text\r\n"), std::string::npos);
    // One dump only, however often Clear Log is pressed.
    SendMessageA(log_, WM_COMMAND, IDC_CLEARLOG, 0);
    EXPECT_EQ(EditText(edit_), second);
}

TEST_F(Log, OkCancelAndTheCloseBoxCloseIt) {
    for (UINT how : {UINT(IDOK), UINT(IDCANCEL), UINT(0)}) {
        if (panel_ == nullptr) {
            OpenLog();
        } else {
            SendMessageA(panel_, WM_COMMAND, IDC_VIEW, 0);
            ASSERT_NE(LogEdit, nullptr);
            log_ = GetParent(LogEdit);
        }
        if (how == 0)
            SendMessageA(log_, WM_SYSCOMMAND, SC_CLOSE, 0);
        else
            SendMessageA(log_, WM_COMMAND, how, 0);
        PumpPending();
        EXPECT_FALSE(IsWindow(log_)) << "command " << how;
        EXPECT_EQ(LogEdit, nullptr) << "command " << how;
    }
}

TEST_F(Log, ResizeKeepsTheButtonsTopRight) {
    OpenLog();
    PumpPending();
    RECT okBefore = ClientRectOf(log_, LogItem(IDOK));
    const int w = okBefore.right - okBefore.left;
    const int h = okBefore.bottom - okBefore.top;
    const int m = h / 2;
    RECT gap{0, 0, 7, 0};
    MapDialogRect(log_, &gap);
    const RECT editBefore = ClientRectOf(log_, edit_);
    for (SIZE size : {SIZE{900, 600}, SIZE{400, 250}, SIZE{700, 700}}) {
        SetWindowPos(log_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        RECT client{};
        GetClientRect(log_, &client);
        const RECT ok = ClientRectOf(log_, LogItem(IDOK));
        const RECT clear = ClientRectOf(log_, LogItem(IDC_CLEARLOG));
        const RECT edit = ClientRectOf(log_, edit_);
        EXPECT_EQ(ok.right, client.right - m) << size.cx;
        EXPECT_EQ(ok.top, m) << size.cx;
        EXPECT_EQ(ok.right - ok.left, w);
        EXPECT_EQ(ok.bottom - ok.top, h);
        EXPECT_EQ(clear.top, m);
        EXPECT_EQ(clear.right - clear.left, w);
        EXPECT_EQ(clear.bottom - clear.top, h);
        EXPECT_EQ(ok.left - clear.right, gap.right) << "side by side, as in the template";
        EXPECT_EQ(edit.left, editBefore.left);
        EXPECT_EQ(edit.top, editBefore.top);
        EXPECT_EQ(client.right - edit.right, edit.left) << "right margin";
        EXPECT_EQ(client.bottom - edit.bottom, edit.left) << "bottom margin";
    }
    // Smaller than the margins: the edit control shrinks to nothing, no further.
    SetWindowPos(log_, nullptr, 0, 0, 60, 60, SWP_NOMOVE | SWP_NOZORDER);
    const RECT edit = ClientRectOf(log_, edit_);
    EXPECT_GE(edit.right - edit.left, 0);
    EXPECT_GE(edit.bottom - edit.top, 0);
}

TEST_F(Log, AppendLogTextAddsAtTheEndOnly) {
    OpenLog();
    PumpPending();
    SetWindowTextA(edit_, "first\r\n");
    SendMessageA(edit_, EM_SETSEL, 0, 2); // a selection elsewhere is not replaced
    AppendLogText(edit_, "second\r\n");
    EXPECT_EQ(EditText(edit_), "first\r\nsecond\r\n");
    AppendLogText(edit_, "");
    AppendLogText(edit_, nullptr);
    AppendLogText(nullptr, "ignored");
    EXPECT_EQ(EditText(edit_), "first\r\nsecond\r\n");
}

TEST_F(Log, DialogKeysWorkUnderThePanelsLoop) {
    OpenLog();
    PumpAsPanelLoop(panel_);
    const std::string dump = EditText(edit_);
    SetFocus(edit_);
    // Tab order is the template's: OK, Clear Log, the edit control.
    PressKey(panel_, VK_TAB);
    EXPECT_EQ(GetFocus(), LogItem(IDOK)) << "Tab from the edit control wraps to OK";
    PressKey(panel_, VK_TAB);
    EXPECT_EQ(GetFocus(), LogItem(IDC_CLEARLOG));
    PressKey(panel_, VK_TAB, true);
    EXPECT_EQ(GetFocus(), LogItem(IDOK)) << "Shift+Tab goes back";
    PressKey(panel_, VK_TAB, true);
    EXPECT_EQ(GetFocus(), edit_);
    EXPECT_EQ(EditText(edit_), dump) << "no tab character went into the log";

    // Return in the edit control is a line break; Return on Clear Log presses it.
    PressKey(panel_, VK_RETURN);
    EXPECT_NE(EditText(edit_), dump);
    PressKey(panel_, VK_TAB);
    PressKey(panel_, VK_TAB);
    ASSERT_EQ(GetFocus(), LogItem(IDC_CLEARLOG));
    PressKey(panel_, VK_RETURN);
    EXPECT_EQ(EditText(edit_), dump) << "Clear Log dumped the image afresh";
    EXPECT_TRUE(IsWindow(log_));

    // Escape in the edit control closes the log; the panel stays.
    SetFocus(edit_);
    PressKey(panel_, VK_ESCAPE);
    EXPECT_FALSE(IsWindow(log_));
    EXPECT_EQ(LogEdit, nullptr);
    EXPECT_TRUE(IsWindow(panel_));

    // Reopened, Return on OK closes it too, and the filter went with the window.
    SendMessageA(panel_, WM_COMMAND, IDC_VIEW, 0);
    ASSERT_NE(LogEdit, nullptr);
    log_ = GetParent(LogEdit);
    PumpAsPanelLoop(panel_);
    SetFocus(LogItem(IDOK));
    PressKey(panel_, VK_RETURN);
    EXPECT_FALSE(IsWindow(log_));
}
