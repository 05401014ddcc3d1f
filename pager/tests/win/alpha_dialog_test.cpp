// The interactive send dialog, driven the way an operator would drive it: the
// dialog runs modally on its own thread, this thread types into it, presses its
// buttons and answers its message boxes.
#include "common/win_test_support.h"
#include "pagelink_harness.h"
#include "pager/res/pagelink_rc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <thread>

using postern::TextOf;
using postern::WaitFor;

namespace {

// What the screen shows in a window's rectangle, as a hash of its pixels read
// from the screen itself, as a screenshot would.
std::uint64_t ScreenHash(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::uint64_t hash = 1469598103934665603ull; // FNV-1a
    const auto* p = static_cast<const unsigned char*>(bits);
    for (int i = 0; p != nullptr && i < w * h * 4; ++i)
        hash = (hash ^ p[i]) * 1099511628211ull;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return hash;
}

std::string ProfileValue(const char* key) {
    char value[256] = "";
    GetProfileStringA("Pager", key, "<absent>", value, sizeof value);
    return value;
}

class AlphaDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(CreateSendAlpha(), nullptr);
        WriteProfileStringA("Pager", nullptr, nullptr); // no "Pager" section
    }
    void TearDown() override {
        if (dialog_)
            Exit();
    }

    void Open() {
        runner_ = std::thread([this] {
            threadId_ = GetCurrentThreadId();
            result_ = CreateSendAlpha()(nullptr);
        });
        ASSERT_TRUE(WaitFor([this] {
            // Visible once its controls exist and WM_INITDIALOG has run.
            dialog_ = FindWindowA("#32770", "Alpha Pager Message");
            return dialog_ != nullptr && IsWindowVisible(dialog_);
        })) << "the dialog did not appear";
    }
    INT_PTR Exit() {
        PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
        runner_.join();
        dialog_ = nullptr;
        return result_;
    }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    std::string Field(int id) const { return TextOf(Item(id)); }
    void Type(int id, const char* text) { SetWindowTextA(Item(id), text); }
    void PressSend() { PostMessageA(dialog_, WM_COMMAND, IDOK, 0); }
    void Tick300Baud(bool ticked) {
        SendMessageA(Item(IDC_BAUD300), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    // Waits for the "Alpha Pager" message box and returns its text.
    std::string WaitForBox() {
        box_ = nullptr;
        EXPECT_TRUE(WaitFor([this] {
            box_ = FindWindowA("#32770", "Alpha Pager");
            return box_ != nullptr;
        }));
        return box_ ? TextOf(GetDlgItem(box_, 0xFFFF)) : std::string();
    }
    void Answer(int button) {
        HWND box = box_;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
        EXPECT_TRUE(WaitFor([box] { return !IsWindow(box); }));
    }
    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(threadId_, &info);
        return info.hwndFocus;
    }
    void ExpectMessageRestored(const std::string& message) {
        EXPECT_EQ(Field(IDC_MESSAGE), message);
        DWORD start = 0, end = 0;
        SendMessageA(Item(IDC_MESSAGE), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, message.size());
        EXPECT_EQ(end, message.size());
        EXPECT_EQ(Focus(), Item(IDC_MESSAGE));
    }

    HWND dialog_ = nullptr;
    HWND box_ = nullptr;

  private:
    std::thread runner_;
    DWORD threadId_ = 0;
    INT_PTR result_ = -2;
};

} // namespace

TEST_F(AlphaDialog, TemplateControlsAndTabOrder) {
    Open();
    EXPECT_EQ(Field(IDOK), "&Send");
    EXPECT_EQ(Field(IDCANCEL), "E&xit");
    EXPECT_EQ(Field(IDC_BAUD300), "300 &Baud");
    const LONG style = GetWindowLongA(Item(IDC_MESSAGE), GWL_STYLE);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_TRUE(style & ES_WANTRETURN);
    EXPECT_TRUE(style & ES_AUTOVSCROLL);
    EXPECT_EQ(GetWindowLongA(Item(IDOK), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
    const int order[] = {IDC_MESSAGE,  IDC_PORT,    IDC_BAUD300, IDC_INITSTRING, IDC_TERMINAL,
                         IDC_PASSWORD, IDC_PAGERID, IDOK,        IDCANCEL,       IDC_MESSAGE};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        HWND next = GetNextDlgTabItem(dialog_, Item(order[i]), FALSE);
        EXPECT_EQ(GetDlgCtrlID(next), order[i + 1]) << "after control " << order[i];
    }
    RECT client{};
    GetClientRect(dialog_, &client);
    RECT units{0, 0, 187, 174};
    MapDialogRect(dialog_, &units);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    EXPECT_EQ(Exit(), 0);
}

TEST_F(AlphaDialog, DefaultsWithoutSettings) {
    Open();
    EXPECT_EQ(Field(IDC_PORT), "1");
    EXPECT_EQ(Field(IDC_TERMINAL), "");
    EXPECT_EQ(Field(IDC_PASSWORD), "");
    EXPECT_EQ(Field(IDC_PAGERID), "");
    EXPECT_EQ(Field(IDC_INITSTRING), "ATE0");
    EXPECT_EQ(Field(IDC_MESSAGE), "");
    EXPECT_EQ(SendMessageA(Item(IDC_BAUD300), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(Focus(), Item(IDC_MESSAGE));
}

TEST_F(AlphaDialog, SettingsComeFromTheProfileCutToTheirBuffers) {
    WriteProfileStringA("Pager", "Port", "3");
    WriteProfileStringA("Pager", "Terminal", std::string(40, '5').c_str());
    WriteProfileStringA("Pager", "PagerID", "12-34");
    WriteProfileStringA("Pager", "Password", "secret");
    WriteProfileStringA("Pager", "InitString", "ATZ");
    Open();
    EXPECT_EQ(Field(IDC_PORT), "3");
    EXPECT_EQ(Field(IDC_TERMINAL), std::string(27, '5'));
    EXPECT_EQ(Field(IDC_PAGERID), "12-34");
    EXPECT_EQ(Field(IDC_PASSWORD), "secret");
    EXPECT_EQ(Field(IDC_INITSTRING), "ATZ");
}

TEST_F(AlphaDialog, SendStoresSettingsThenFailureRetryAndCancel) {
    Open();
    Type(IDC_PORT, "9"); // no such port here
    Type(IDC_TERMINAL, "5551234");
    Type(IDC_PASSWORD, "pw");
    Type(IDC_PAGERID, "123");
    Type(IDC_INITSTRING, "ATE0V1");
    Type(IDC_MESSAGE, "server down");
    PressSend();
    EXPECT_EQ(WaitForBox(), "Message transmission failed.");
    // All five keys were written before the transmission.
    EXPECT_EQ(ProfileValue("Port"), "9");
    EXPECT_EQ(ProfileValue("Terminal"), "5551234");
    EXPECT_EQ(ProfileValue("PagerID"), "123");
    EXPECT_EQ(ProfileValue("Password"), "pw");
    EXPECT_EQ(ProfileValue("InitString"), "ATE0V1");
    EXPECT_EQ(ProfileValue("Baud"), "<absent>");
    Answer(IDRETRY);
    EXPECT_EQ(WaitForBox(), "Message transmission failed.");
    const std::string trace = Field(IDC_MESSAGE);
    EXPECT_EQ(trace, "server downSending message to 123 via 5551234 on COM9\r\nopen error 2\r\n"
                     "Sending message to 123 via 5551234 on COM9\r\nopen error 2\r\n");
    Answer(IDCANCEL);
    ExpectMessageRestored("server down");
    EXPECT_EQ(FindWindowA("#32770", "Alpha Pager"), nullptr); // no success box
}

TEST_F(AlphaDialog, EmptyMessageAndNonNumericPort) {
    Open();
    Type(IDC_PORT, "abc");
    Type(IDC_TERMINAL, "5551234");
    Type(IDC_PAGERID, "123");
    PressSend();
    EXPECT_EQ(WaitForBox(), "Message transmission failed.");
    EXPECT_EQ(ProfileValue("Port"), "0");
    EXPECT_NE(Field(IDC_MESSAGE).find("on COM0\r\nopen error"), std::string::npos);
    Answer(IDCANCEL);
    ExpectMessageRestored("");
}

TEST_F(AlphaDialog, Baud300ChoiceCarriesOverWithinTheProcess) {
    Open();
    Tick300Baud(false);
    Type(IDC_PORT, "9");
    Type(IDC_MESSAGE, "x");
    PressSend();
    WaitForBox();
    Answer(IDCANCEL);
    EXPECT_EQ(Exit(), 0);
    Open();
    EXPECT_EQ(SendMessageA(Item(IDC_BAUD300), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    Tick300Baud(true);
    Type(IDC_PORT, "9");
    PressSend();
    WaitForBox();
    Answer(IDCANCEL);
    EXPECT_EQ(Exit(), 0);
    Open();
    EXPECT_EQ(SendMessageA(Item(IDC_BAUD300), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(AlphaDialog, ExitWithoutSendStoresNothing) {
    Open();
    Type(IDC_TERMINAL, "999");
    EXPECT_EQ(Exit(), 0);
    EXPECT_EQ(ProfileValue("Terminal"), "<absent>");
}

// With the simulator on COM1 (accept scenario).
TEST_F(AlphaDialog, LongMessageGoesOutAsItsFirst199Characters) {
    ASSERT_TRUE(HaveModemSim());
    std::string message;
    for (int i = 0; message.size() < 250; ++i)
        message += "word" + std::to_string(i) + ' ';
    message.resize(250);
    Open();
    Tick300Baud(false); // 1200 bit/s
    Type(IDC_TERMINAL, "5551234");
    Type(IDC_PAGERID, "123");
    Type(IDC_MESSAGE, message.c_str());
    PressSend();
    EXPECT_EQ(WaitForBox(), "Message sent successfully");
    const std::string trace = Field(IDC_MESSAGE);
    EXPECT_NE(trace.find("Got [p\r\n"), std::string::npos);
    Answer(IDOK);
    ExpectMessageRestored(message.substr(0, 199));
    auto record = SimRecord();
    ASSERT_EQ(record.size(), 1u);
    EXPECT_NE(record[0].find("message=" + message.substr(0, 199) + " password="), std::string::npos)
        << record[0];
    EXPECT_NE(record[0].find("speed=1200 "), std::string::npos);
}

// With the simulator on COM1 answering the first two dials BUSY: the send holds
// the dialog's thread for over six seconds of redial pauses, and the message
// field shows each trace line as it is added, not only when the send ends.
TEST_F(AlphaDialog, TraceShowsWhileThePageIsSent) {
    ASSERT_TRUE(HaveModemSim());
    Open();
    Type(IDC_TERMINAL, "5551234");
    Type(IDC_PAGERID, "123");
    Type(IDC_MESSAGE, "hello");
    HWND field = Item(IDC_MESSAGE);
    const std::uint64_t before = ScreenHash(field);
    PressSend();
    const DWORD pressed = GetTickCount();
    DWORD firstChange = 0;
    std::set<std::uint64_t> shown;
    int samples = 0, unpainted = 0;
    while (FindWindowA("#32770", "Alpha Pager") == nullptr && samples < 600) {
        Sleep(50);
        ++samples;
        if (GetUpdateRect(field, nullptr, FALSE))
            ++unpainted;
        const std::uint64_t picture = ScreenHash(field);
        if (picture != before && firstChange == 0)
            firstChange = GetTickCount() - pressed;
        shown.insert(picture);
    }
    EXPECT_EQ(WaitForBox(), "Message sent successfully");
    EXPECT_GT(samples, 60) << "the send took the redial pauses";
    // Without painting during the send, the field would wait unpainted from the
    // first line to the end and the screen would show one picture throughout.
    EXPECT_LE(unpainted, 2) << "of " << samples << " samples";
    // The first lines go out before the modem's reply, which the line waits
    // for two seconds: they are on the screen long before it.
    EXPECT_GT(firstChange, 0u);
    EXPECT_LT(firstChange, 1000u) << "ms from Send until the field showed the first lines";
    shown.erase(before);
    EXPECT_GE(shown.size(), 4u) << "distinct pictures of the field during the send";
    Answer(IDOK);
}
