// The status panel from its template: the controls as the template gives them,
// rows and colours from the data file, and the ways the panel ends.
#include "monitor_win_harness.h"

#include "monitor/log_window.h"
#include "monitor/monitor_reader.h"
#include "monitor/res/pstview_rc.h"
#include "monitor/startup.h"

#include <gtest/gtest.h>

#include <thread>

using namespace monitor;
using namespace monitor_test;

namespace {

const char* const kBuiltInLabels[14] = {"SMTP",   "POP3",  "PassSvc", "Whois", "Finger",
                                        "Syslog", "DNS",   "NNTP",    "WWW",   "Telnet",
                                        "FTP",    "IMAP4", "Gateway", "Disks"};

BOOL CALLBACK CountLog(HWND window, LPARAM count) {
    if (TextOf(window) == "Debug log")
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int CountLogWindows() {
    int logs = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountLog, reinterpret_cast<LPARAM>(&logs));
    return logs;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The dialog manager maps a control's position and its size separately.
RECT DialogUnits(HWND dialog, int x, int y, int cx, int cy) {
    RECT r{x, y, cx, cy};
    MapDialogRect(dialog, &r);
    return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

RECT ClientRectOf(HWND dialog, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void ExpectControl(HWND dialog, int id, const char* className, const char* text, RECT units,
                   LONG styleBits) {
    HWND control = GetDlgItem(dialog, id);
    ASSERT_NE(control, nullptr) << "control " << id;
    char cls[32] = "";
    GetClassNameA(control, cls, sizeof cls);
    EXPECT_STRCASEEQ(cls, className) << "control " << id;
    EXPECT_EQ(TextOf(control), text) << "control " << id;
    const RECT expected = DialogUnits(dialog, units.left, units.top, units.right, units.bottom);
    const RECT actual = ClientRectOf(dialog, control);
    EXPECT_EQ(actual.left, expected.left) << "control " << id;
    EXPECT_EQ(actual.top, expected.top) << "control " << id;
    EXPECT_EQ(actual.right, expected.right) << "control " << id;
    EXPECT_EQ(actual.bottom, expected.bottom) << "control " << id;
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    EXPECT_EQ(style & styleBits, styleBits) << "control " << id << " style " << std::hex << style;
}

class Panel : public PanelTest {
  protected:
    void ExpectLabelColour(int row, Colour expected) {
        const Colour actual = ColourOfItem(IDC_LABEL_FIRST + row);
        EXPECT_EQ(actual, expected) << "label " << row << " is " << ColourName(actual);
    }
    FileBytes Entry2(std::uint32_t flags, std::uint32_t state, std::uint32_t fault) {
        FileBytes file;
        file.Header(0, 0, "Tue 08:30").ServiceU32(2, kFlags, flags).ServiceU32(2, kState, state);
        file.ServiceU32(2, kFault, fault).ServiceText(2, kStatusText, "Running");
        return file;
    }
};

} // namespace

TEST_F(Panel, TemplateAsGiven) {
    HWND plain = CreateDialogParamA(AppInstance, "DLG_MAIN", nullptr, PlainDialogProc, 0);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(TextOf(plain), "WatchSvc Control Panel");
    const LONG style = GetWindowLongA(plain, GWL_STYLE);
    for (LONG bit : {LONG(WS_POPUP), LONG(WS_VISIBLE), LONG(WS_CAPTION), LONG(WS_SYSMENU),
                     LONG(DS_MODALFRAME)})
        EXPECT_EQ(style & bit, bit) << std::hex << bit;
    EXPECT_EQ(style & WS_THICKFRAME, 0);
    RECT client{};
    GetClientRect(plain, &client);
    const RECT size = DialogUnits(plain, 0, 0, 173, 173);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    ExpectControl(plain, IDOK, "Button", "OK", {127, 156, 39, 14}, BS_DEFPUSHBUTTON);
    for (int i = 0; i < 14; ++i) {
        ExpectControl(plain, IDC_LABEL_FIRST + i, "Static", kBuiltInLabels[i],
                      {5, 14 + 10 * i, 36, 8}, SS_LEFT);
        ExpectControl(plain, IDC_STATUS_FIRST + i, "Static", "No data file",
                      {46, 14 + 10 * i, 111, 8}, SS_LEFT | SS_NOPREFIX);
    }
    ExpectControl(plain, IDC_CONFIG, "Button", "&Config...", {7, 156, 39, 14}, BS_PUSHBUTTON);
    ExpectControl(plain, IDC_VIEW, "Button", "&View...", {47, 156, 39, 14}, BS_PUSHBUTTON);
    ExpectControl(plain, IDC_TOPTEXT, "Static", "Static", {117, 3, 52, 8}, SS_CENTER);
    ExpectControl(plain, IDC_QUIET, "Button", "&Quiet...", {87, 156, 39, 14}, BS_PUSHBUTTON);

    // Template order: OK, the rows' label and status pairs, Config, View, the
    // top text, Quiet.
    std::vector<int> expected = {IDOK};
    for (int i = 0; i < 14; ++i) {
        expected.push_back(IDC_LABEL_FIRST + i);
        expected.push_back(IDC_STATUS_FIRST + i);
    }
    expected.insert(expected.end(), {IDC_CONFIG, IDC_VIEW, IDC_TOPTEXT, IDC_QUIET});
    std::vector<int> order;
    for (HWND c = GetWindow(plain, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        order.push_back(GetDlgCtrlID(c));
    EXPECT_EQ(order, expected);
    DestroyWindow(plain);

    HMODULE self = GetModuleHandleA(nullptr);
    EXPECT_NE(FindResourceA(self, MAKEINTRESOURCEA(IDI_PSTVIEW), MAKEINTRESOURCEA(14)), nullptr)
        << "icon"; // RT_GROUP_ICON
}

TEST_F(Panel, NoDataFileAtStart) {
    OpenPanel();
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(Field(IDC_LABEL_FIRST + i), kBuiltInLabels[i]);
        EXPECT_EQ(Field(IDC_STATUS_FIRST + i), "No data") << "row " << i;
        ExpectLabelColour(i, Colour::Default);
        EXPECT_EQ(ColourOfItem(IDC_STATUS_FIRST + i), Colour::Default) << "status " << i;
    }
    EXPECT_EQ(Field(IDC_TOPTEXT), "no data file");
    EXPECT_EQ(ColourOfItem(IDC_TOPTEXT), Colour::Red);
}

TEST_F(Panel, FreshRunningServiceWithoutFaultIsGreen) {
    WriteData(Entry2(1, 4, 0));
    OpenPanel();
    EXPECT_EQ(Field(IDC_TOPTEXT), "Tue 08:30");
    EXPECT_EQ(ColourOfItem(IDC_TOPTEXT), Colour::Green);
    ExpectLabelColour(2, Colour::Green);
    ExpectLabelColour(1, Colour::Default);
    EXPECT_EQ(ColourOfItem(IDC_STATUS_FIRST + 2), Colour::Default);
    EXPECT_EQ(Field(IDC_LABEL_FIRST + 2), "PassSvc") << "an empty label keeps the built-in one";
    EXPECT_EQ(Field(IDC_STATUS_FIRST + 2), "Running");
}

TEST_F(Panel, FaultIsRed) {
    WriteData(Entry2(1, 4, 7));
    OpenPanel();
    ExpectLabelColour(2, Colour::Red);
}

TEST_F(Panel, FlagBitClearKeepsTheDefaultWhateverTheState) {
    for (std::uint32_t state : {4u, 1u}) {
        WriteData(Entry2(0xFFFFFFFE, state, 7 * (state != 4)));
        ResetMonitorState();
        OpenPanel();
        ExpectLabelColour(2, Colour::Default);
        DestroyWindow(panel_);
        panel_ = nullptr;
    }
}

TEST_F(Panel, UnchangedForTwoPollsTurnsStale) {
    FileBytes file = Entry2(1, 4, 0);
    file.ServiceText(2, kLabel, "Pass").ServiceText(0, kStatusText, "Accepting mail");
    WriteData(file);
    OpenPanel();
    Tick();
    EXPECT_EQ(ColourOfItem(IDC_TOPTEXT), Colour::Green);
    ExpectLabelColour(2, Colour::Green);
    Tick();
    EXPECT_EQ(ColourOfItem(IDC_TOPTEXT), Colour::Red);
    ExpectLabelColour(2, Colour::Default);
    EXPECT_EQ(Field(IDC_TOPTEXT), "Tue 08:30");
    EXPECT_EQ(Field(IDC_LABEL_FIRST + 2), "Pass");
    EXPECT_EQ(Field(IDC_STATUS_FIRST + 0), "Accepting mail");
}

TEST_F(Panel, LabelsFromTheFileReplaceTheBuiltInOnes) {
    FileBytes file;
    file.Header(0, 0, "t").ServiceText(0, kLabel, "Relay").ServiceText(13, kLabel, "Volumes");
    WriteData(file);
    OpenPanel();
    EXPECT_EQ(Field(IDC_LABEL_FIRST), "Relay");
    EXPECT_EQ(Field(IDC_LABEL_FIRST + 1), "POP3");
    EXPECT_EQ(Field(IDC_LABEL_FIRST + 13), "Volumes");
    // A later file with empty labels leaves the texts the panel shows.
    file.ServiceText(0, kLabel, "");
    WriteData(file);
    Tick();
    EXPECT_EQ(Field(IDC_LABEL_FIRST), "Relay");
}

TEST_F(Panel, StatusTextsShowAmpersandsAndStayInsideTheirFields) {
    FileBytes file;
    file.Header(0, 0, "t").ServiceText(0, kStatusText, "Up & running");
    file.Text(FileBytes::Service(1, kLabel), std::string(32, 'L'), false);
    file.Text(FileBytes::Service(1, kStatusText), std::string(256, 's'), false);
    file.Text(kTimeText, std::string(80, 't'), false);
    WriteData(file);
    OpenPanel();
    EXPECT_EQ(Field(IDC_STATUS_FIRST), "Up & running");
    EXPECT_EQ(Field(IDC_LABEL_FIRST + 1), std::string(32, 'L'));
    EXPECT_EQ(Field(IDC_STATUS_FIRST + 1), std::string(256, 's'));
    EXPECT_EQ(Field(IDC_TOPTEXT), std::string(80, 't'));
}

TEST_F(Panel, FileOf88BytesChangesOnlyTheTopText) {
    FileBytes file = Entry2(1, 4, 0);
    file.ServiceText(2, kLabel, "Pass");
    WriteData(file);
    OpenPanel();
    FileBytes header;
    header.Header(5, 6, "Wed 09:00")
        .ServiceText(2, kLabel, "Other")
        .ServiceText(2, kStatusText, "Stopped");
    ASSERT_TRUE(WriteWholeFile(DataPath(), header.Prefix(88)));
    Tick();
    EXPECT_EQ(Field(IDC_TOPTEXT), "Wed 09:00");
    EXPECT_EQ(Field(IDC_LABEL_FIRST + 2), "Pass");
    EXPECT_EQ(Field(IDC_STATUS_FIRST + 2), "Running");
}

TEST_F(Panel, EveryUpdateRepaintsTheLabels) {
    WriteData(Entry2(1, 4, 0));
    OpenPanel();
    ShowWindow(panel_, SW_SHOW);
    UpdateWindow(panel_);
    RECT dirty{};
    ASSERT_FALSE(GetUpdateRect(Item(IDC_LABEL_FIRST + 2), &dirty, FALSE));
    // The built-in label's text does not change, its colour does.
    Tick();
    Tick();
    EXPECT_TRUE(GetUpdateRect(Item(IDC_LABEL_FIRST + 2), &dirty, FALSE));
    ExpectLabelColour(2, Colour::Default);
}

TEST_F(Panel, ViewTwiceOpensOneLog) {
    OpenPanel();
    SendMessageA(panel_, WM_COMMAND, IDC_VIEW, 0);
    ASSERT_NE(LogEdit, nullptr);
    HWND log = GetParent(LogEdit);
    SetFocus(Item(IDOK));
    SendMessageA(panel_, WM_COMMAND, IDC_VIEW, 0);
    PumpPending();
    EXPECT_EQ(CountLogWindows(), 1);
    EXPECT_EQ(GetParent(LogEdit), log);
    EXPECT_EQ(GetFocus(), LogEdit);
    EXPECT_EQ(GetWindow(log, GW_OWNER), panel_);
    // The log goes with the panel.
    DestroyWindow(panel_);
    panel_ = nullptr;
    EXPECT_FALSE(IsWindow(log));
    EXPECT_EQ(LogEdit, nullptr);
}

namespace {

// The program's own run of the panel, modal on a thread of its own.
class ModalPanel : public PanelTest {
  protected:
    void Start() {
        runner_ = std::thread([this] { result_ = RunMonitorFrontend(GetModuleHandleA(nullptr)); });
        const DWORD start = GetTickCount();
        while ((window_ = FindWindowA("#32770", "WatchSvc Control Panel")) == nullptr ||
               !IsWindowVisible(window_)) {
            ASSERT_LT(GetTickCount() - start, 10000u) << "the panel did not appear";
            Sleep(20);
        }
    }
    // True when the panel ended within five seconds.
    bool Ended() {
        const DWORD start = GetTickCount();
        while (IsWindow(window_) && GetTickCount() - start < 5000)
            Sleep(20);
        if (IsWindow(window_)) {
            PostMessageA(window_, WM_COMMAND, IDOK, 0);
            runner_.join();
            return false;
        }
        runner_.join();
        return result_ == 1;
    }
    void TearDown() override {
        if (runner_.joinable()) {
            PostMessageA(window_, WM_COMMAND, IDOK, 0);
            runner_.join();
        }
        PanelTest::TearDown();
    }
    HWND window_ = nullptr;
    std::thread runner_;
    int result_ = 0;
};

} // namespace

TEST_F(ModalPanel, OkEndsThePanel) {
    Start();
    PostMessageA(window_, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(Ended());
}

TEST_F(ModalPanel, EscapeEndsThePanel) {
    Start();
    PostMessageA(GetDlgItem(window_, IDC_VIEW), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(Ended());
}

TEST_F(ModalPanel, CloseBoxEndsThePanel) {
    Start();
    PostMessageA(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(Ended());
}
