// SetupMONITOR loaded from postern.cpl by its bare name, as the monitor window
// loads it: the dialog runs modally on its own thread while this thread types
// into it, presses its buttons and answers its message boxes; the result and
// the profile file "watchsvc.exe" are checked afterwards.
#include "common/win_test_support.h"
#include "common/unique_handle.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

using postern::TextOf;
using postern::WaitFor;

namespace {

constexpr char kProfile[] = "watchsvc.exe";
constexpr char kTitle[] = "Postern Monitor Setup";
constexpr int kPollTimeEdit = 1001;
constexpr char kAbsent[] = "(absent)";

using SetupMonitorFn = int(WINAPI*)(HWND);


std::string StoredPollTime() {
    char value[64] = "";
    GetPrivateProfileStringA("options", "PollTime", kAbsent, value, sizeof value, kProfile);
    return value;
}

void StorePollTime(const char* value) {
    WritePrivateProfileStringA("options", "PollTime", value, kProfile);
}

// The message box of the dialog's thread, if one is up (the dialog itself has
// the same class and the title of the applet too, but it owns the box).
HWND FindMessageBox(HWND dialog) {
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", kTitle)) != nullptr)
        if (box != dialog && GetWindow(box, GW_OWNER) == dialog)
            return box;
    return nullptr;
}

class SetupMonitor : public ::testing::Test {
  protected:
    void SetUp() override {
        // Found the way the monitor window finds it: by bare name.
        library_.reset(LoadLibraryA("postern.cpl"));
        ASSERT_TRUE(library_) << "LoadLibraryA(postern.cpl) failed, error " << GetLastError();
        setup_ = reinterpret_cast<SetupMonitorFn>(
            reinterpret_cast<void*>(GetProcAddress(library_.get(), "SetupMONITOR")));
        ASSERT_NE(setup_, nullptr) << "no SetupMONITOR export";
    }
    void TearDown() override {
        if (runner_.joinable()) {
            if (dialog_ != nullptr)
                PostMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
            runner_.join();
        }
        StorePollTime(nullptr);
    }

    void Open() {
        runner_ = std::thread([this] { result_ = setup_(nullptr); });
        ASSERT_TRUE(WaitFor([this] {
            dialog_ = FindWindowA("#32770", kTitle);
            return dialog_ != nullptr && IsWindowVisible(dialog_);
        })) << "the dialog did not appear";
    }
    // Presses a button and waits for SetupMONITOR to return; gives its result.
    int Close(int button) {
        PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog_, button)));
        runner_.join();
        dialog_ = nullptr;
        return result_;
    }
    std::string Field() const { return TextOf(GetDlgItem(dialog_, kPollTimeEdit)); }
    void Type(const char* text) { SetWindowTextA(GetDlgItem(dialog_, kPollTimeEdit), text); }

    // Presses OK on a refused value: returns the message box text and answers it.
    std::string PressOkExpectingRefusal() {
        PostMessageA(dialog_, WM_COMMAND, IDOK, 0);
        HWND box = nullptr;
        if (!WaitFor([&] { return (box = FindMessageBox(dialog_)) != nullptr; })) {
            ADD_FAILURE() << "no message box for a refused value";
            return {};
        }
        const std::string text = TextOf(GetDlgItem(box, 0xFFFF));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitFor([box] { return !IsWindow(box); }));
        return text;
    }

    HWND dialog_ = nullptr;

  private:
    postern::UniqueModule library_;
    SetupMonitorFn setup_ = nullptr;
    std::thread runner_;
    int result_ = -2;
};

} // namespace

TEST_F(SetupMonitor, OkStoresTheTypedPollTimeCancelChangesNothing) {
    StorePollTime("17");
    Open();
    EXPECT_EQ(Field(), "17");
    Type("99");
    EXPECT_EQ(Close(IDCANCEL), 0);
    EXPECT_EQ(StoredPollTime(), "17");

    Open();
    Type("42");
    EXPECT_EQ(Close(IDOK), 1);
    EXPECT_EQ(StoredPollTime(), "42");
}

TEST_F(SetupMonitor, WithoutAStoredValueItOffersTheServiceDefault) {
    StorePollTime(nullptr);
    Open();
    EXPECT_EQ(Field(), "5");
    EXPECT_EQ(Close(IDCANCEL), 0);
    EXPECT_EQ(StoredPollTime(), kAbsent) << "Cancel writes nothing";
    Open();
    EXPECT_EQ(Close(IDOK), 1);
    EXPECT_EQ(StoredPollTime(), "5");
}

TEST_F(SetupMonitor, RefusedValuesKeepTheDialogOpenUntilCorrected) {
    StorePollTime("17");
    Open();
    for (const char* bad : {"", "0", "abc", "-3", "5s", "1.5", "86401", "99999999999999999999"}) {
        Type(bad);
        EXPECT_EQ(PressOkExpectingRefusal(),
                  "The poll time must be a whole number of seconds from 1 to 86400.")
            << "'" << bad << "'";
        EXPECT_TRUE(IsWindow(dialog_)) << "the dialog stays open after '" << bad << "'";
        EXPECT_EQ(StoredPollTime(), "17");
    }
    Type(" 86400 ");
    EXPECT_EQ(Close(IDOK), 1);
    EXPECT_EQ(StoredPollTime(), "86400");
}
