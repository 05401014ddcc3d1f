// The copy gauge: a modeless dialog of MSSHLSTF.dll's own resources with the
// file being copied, a progress bar and a Cancel button, placed by ProSetPos
// in the frame's client area.
#include "copy_internal.h"
#include "setup_toolkit.h"
#include "toolkit_core.h"
#include "toolkit_dialogs.h"

#include <commctrl.h>

namespace stf {

namespace {

POINT gPosition{};
bool gPositionSet = false;
HWND gGauge = nullptr; // the open gauge, for ProSetPos
bool gCancel = false;

// At the ProSetPos position of the frame's client area; centred in it when
// ProSetPos was not called.
void PlaceGauge(HWND gauge) {
    const HWND frame = FrameWindow();
    POINT origin = gPosition;
    if (!gPositionSet) {
        RECT area{};
        RECT own{};
        if (frame != nullptr)
            GetClientRect(frame, &area);
        else
            SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        GetWindowRect(gauge, &own);
        origin.x = area.left + ((area.right - area.left) - (own.right - own.left)) / 2;
        origin.y = area.top + ((area.bottom - area.top) - (own.bottom - own.top)) / 2;
    }
    if (frame != nullptr)
        ClientToScreen(frame, &origin);
    SetWindowPos(gauge, nullptr, origin.x, origin.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK GaugeProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDC_GAUGEBAR, PBM_SETRANGE32, 0, 1000);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            gCancel = true;
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        gCancel = true;
        return TRUE;
    case WM_DESTROY:
        if (gGauge == dialog)
            gGauge = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

UniqueWindow OpenCopyGauge() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    if (!InitCommonControlsEx(&controls))
        LogLine("copy gauge: the progress bar class could not be registered");
    UniqueWindow gauge(CreateDialogParamA(ToolkitInstance(), MAKEINTRESOURCEA(IDD_COPYGAUGE),
                                          FrameWindow(), GaugeProcedure, 0));
    if (!gauge) {
        LogLine("copy gauge could not be created (system error %lu); copying without it",
                GetLastError());
        return gauge;
    }
    gCancel = false;
    gGauge = gauge.get();
    PlaceGauge(gauge.get());
    ShowWindow(gauge.get(), SW_SHOWNA);
    UpdateWindow(gauge.get());
    return gauge;
}

void ShowCopyProgress(HWND gauge, const char* file, unsigned permille) {
    SetDlgItemTextA(gauge, IDC_GAUGEFILE, file);
    SendDlgItemMessageA(gauge, IDC_GAUGEBAR, PBM_SETPOS, permille, 0);
}

bool TakeCopyCancel() {
    const bool cancel = gCancel;
    gCancel = false;
    return cancel;
}

} // namespace stf

extern "C" void WINAPI ProSetPos(int x, int y) {
    stf::gPosition = POINT{x, y};
    stf::gPositionSet = true;
    if (stf::gGauge != nullptr)
        stf::PlaceGauge(stf::gGauge);
}
