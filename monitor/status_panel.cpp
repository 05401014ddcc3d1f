// The status panel; see status_panel.h.
#include "monitor/status_panel.h"

#include "common/bounded_format.h"
#include "common/unique_handle.h"
#include "monitor/debug_trace.h"
#include "monitor/log_window.h"
#include "monitor/monitor_reader.h"
#include "monitor/panel_colours.h"
#include "monitor/res/pstview_rc.h"
#include "monitor/service_control.h"
#include "monitor/setup_applet.h"
#include "monitor/startup.h"

#include <array>
#include <cstring>

namespace monitor {
namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

// Created when the panel first opens and kept until the process ends.
postern::UniqueGdiObject GreenBrush;
postern::UniqueGdiObject RedBrush;

void CreatePanelBrushes() {
    if (!GreenBrush)
        GreenBrush.reset(CreateSolidBrush(kGreen));
    if (!RedBrush)
        RedBrush.reset(CreateSolidBrush(kRed));
    if (!GreenBrush || !RedBrush)
        TraceFailure("panel brushes not created (error %lu); default colours used", GetLastError());
}

// The colour rule at paint time: a brush for green or red, none for the
// system's default colours.
INT_PTR StaticColours(HDC dc, HWND control) {
    const PanelColour colour = PanelColourFor(GetDlgCtrlID(control), MonitorImage, StaleCount);
    if (colour == PanelColour::Default)
        return FALSE;
    const bool green = colour == PanelColour::Green;
    const HGDIOBJ brush = green ? GreenBrush.get() : RedBrush.get();
    if (brush == nullptr)
        return FALSE;
    SetBkColor(dc, green ? kGreen : kRed);
    return reinterpret_cast<INT_PTR>(brush);
}

void UpdateAllRows(HWND panel) {
    UpdatePanel(panel, IDC_STATUS_FIRST, kServiceCount);
}

// Config: the applet runs without polls; afterwards the panel reads the file
// (which starts the timer again) and, unless the applet answered 0, says when
// the display will next be updated.
void RunConfig(HWND panel) {
    KillTimer(panel, kPollTimerId);
    const int result = RunSetupApplet(panel, "SetupMONITOR");
    ReadMonitorFile(panel);
    UpdateAllRows(panel);
    if (result == 0)
        return;
    std::array<char, 64> text{};
    postern::FormatText(text, "Display will be updated in %u seconds.",
                        static_cast<unsigned>(PollSeconds));
    MessageBoxA(panel, text.data(), "WatchSvc", MB_OK | MB_ICONINFORMATION);
    UpdateAllRows(panel);
}

// The colour each label (and, last, the top text) was last painted with, so
// that a poll repaints a control only when its text or its colour changed;
// -1 until the panel's first update.
std::array<int, kServiceCount + 1> ShownColour;

void SetTextIfChanged(HWND control, const char* text) {
    char shown[sizeof(ServiceEntry::statusText) + 1] = "";
    GetWindowTextA(control, shown, sizeof shown);
    if (std::strcmp(shown, text) != 0)
        SetWindowTextA(control, text);
}

void RepaintIfColourChanged(HWND control, std::size_t slot) {
    const int colour =
        static_cast<int>(PanelColourFor(GetDlgCtrlID(control), MonitorImage, StaleCount));
    if (ShownColour[slot] != colour) {
        ShownColour[slot] = colour;
        InvalidateRect(control, nullptr, TRUE);
    }
}

} // namespace

void UpdatePanel(HWND panel, int firstStatusId, int count) {
    FieldTextBuffer<sizeof(MonitorFile::timeText)> time;
    CopyFieldText(MonitorImage.timeText, time);
    HWND top = GetDlgItem(panel, IDC_TOPTEXT);
    SetTextIfChanged(top, time.data());
    RepaintIfColourChanged(top, kServiceCount);
    for (int row = 0; row < count && row < static_cast<int>(kServiceCount); ++row) {
        const ServiceEntry& entry = MonitorImage.services[static_cast<std::size_t>(row)];
        HWND label = GetDlgItem(panel, IDC_LABEL_FIRST + row);
        if (entry.label[0] != '\0') {
            FieldTextBuffer<sizeof(ServiceEntry::label)> text;
            CopyFieldText(entry.label, text);
            SetTextIfChanged(label, text.data());
        }
        // The colour may have changed with the text unchanged.
        RepaintIfColourChanged(label, static_cast<std::size_t>(row));
        FieldTextBuffer<sizeof(ServiceEntry::statusText)> status;
        CopyFieldText(entry.statusText, status);
        SetTextIfChanged(GetDlgItem(panel, firstStatusId + row), status.data());
    }
}

INT_PTR CALLBACK PanelDialogProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        CreatePanelBrushes();
        ShownColour.fill(-1);
        ReadMonitorFile(panel);
        UpdateAllRows(panel);
        return FALSE;
    case WM_TIMER:
        ReadMonitorFile(panel);
        UpdateAllRows(panel);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return StaticColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL: // Escape and the close box end the panel like OK
            EndDialog(panel, 1);
            return TRUE;
        case IDC_CONFIG:
            RunConfig(panel);
            return FALSE;
        case IDC_VIEW:
            ShowLogWindow(panel, AppInstance);
            return FALSE;
        case IDC_QUIET:
            QuietService(panel);
            return FALSE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

} // namespace monitor
