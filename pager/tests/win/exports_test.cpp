// The library as other programs see it: exports, ordinals, and the failures that
// need no modem.
#include "pagelink_harness.h"

#include <gtest/gtest.h>

TEST(PagelinkExports, ByNameAndByOrdinal) {
    HMODULE m = PagelinkModule();
    ASSERT_NE(m, nullptr) << "pagelink.dll did not load: " << GetLastError();
    const struct {
        const char* name;
        WORD ordinal;
    } exports[] = {{"CreateSendAlphaMessage", 1}, {"SendAlphaMessage", 2}, {"SendBeeperMessage", 3}};
    for (const auto& e : exports) {
        FARPROC byName = GetProcAddress(m, e.name);
        ASSERT_NE(byName, nullptr) << e.name;
        EXPECT_EQ(GetProcAddress(m, MAKEINTRESOURCEA(e.ordinal)), byName) << e.name;
    }
    EXPECT_EQ(GetProcAddress(m, MAKEINTRESOURCEA(4)), nullptr);
}

TEST(PagelinkExports, DialogTemplateAndIconInTheLibrary) {
    HMODULE m = PagelinkModule();
    EXPECT_NE(FindResourceA(m, "DLG_ALPHAPAGE", MAKEINTRESOURCEA(5)), nullptr); // RT_DIALOG
    EXPECT_NE(FindResourceA(m, "MAINICON", MAKEINTRESOURCEA(14)), nullptr);     // RT_GROUP_ICON
}

TEST(PagelinkPort, NumericPageOnAbsentPortFailsWithoutTraceOfItsOwn) {
    TraceEdit trace;
    EXPECT_EQ(SendBeeper()(trace.hwnd(), 0, "ATE0", "ATDT555", 0, 0, 0, 0), 0);
    EXPECT_EQ(trace.Text(), "open error 2\r\n");
}

TEST(PagelinkPort, PortZeroDoesNotOpenAndFreesTheSlot) {
    TraceEdit trace;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SendAlpha()(trace.hwnd(), "ATE0", "5551234", "123", "abc", 0, 0), 0);
    // Windows answers a missing device with error 2 (file not found); so does Wine.
    EXPECT_EQ(trace.Text(), "Sending message to 123 via 5551234 on COM0\r\nopen error 2\r\n");
    // The slot is free again: a second call claims it at once.
    TraceEdit again;
    EXPECT_EQ(SendAlpha()(again.hwnd(), "ATE0", "5551234", "123", "abc", 0, 0), 0);
    EXPECT_EQ(CountOf(again.Text(), "port in use"), 0);
}

TEST(PagelinkPort, AbsentPortNumberFails) {
    TraceEdit trace;
    EXPECT_EQ(SendAlpha()(trace.hwnd(), "ATE0", "5551234", "123", "abc", 77, 0), 0);
    EXPECT_EQ(trace.Text().rfind("Sending message to 123 via 5551234 on COM77\r\nopen error ", 0),
              0u);
}

TEST(PagelinkTrace, NullOrDestroyedWindowTurnsTraceOff) {
    DWORD before = HandleCount();
    EXPECT_EQ(SendAlpha()(nullptr, "ATE0", "5551234", "123", "abc", 0, 0), 0);
    HWND gone;
    {
        TraceEdit trace;
        gone = trace.hwnd();
    }
    ASSERT_FALSE(IsWindow(gone));
    EXPECT_EQ(SendAlpha()(gone, "ATE0", "5551234", "123", "abc", 0, 0), 0);
    EXPECT_EQ(HandleCount(), before);
}

TEST(PagelinkTrace, NullPagerIdAndPhoneTraceAsEmpty) {
    TraceEdit trace;
    EXPECT_EQ(SendAlpha()(trace.hwnd(), "ATE0", nullptr, nullptr, "abc", 0, 0), 0);
    EXPECT_EQ(trace.Text(), "Sending message to  via  on COM0\r\nopen error 2\r\n");
}

TEST(PagelinkTrace, TraceIsAppendedToWhatTheControlHolds) {
    TraceEdit trace;
    SetWindowTextA(trace.hwnd(), "earlier text\r\n");
    SendAlpha()(trace.hwnd(), "ATE0", "5551234", "123", "abc", 0, 0);
    EXPECT_EQ(trace.Text(),
              "earlier text\r\nSending message to 123 via 5551234 on COM0\r\nopen error 2\r\n");
}
