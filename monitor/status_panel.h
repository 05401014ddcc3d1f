// The status panel, DLG_MAIN: one row per watched service, the data file's time
// text on top, and the Config, View, Quiet and OK buttons.
#pragma once

#include <windows.h>

namespace monitor {

// The panel's dialog procedure. It opens with a poll, polls on every timer
// tick, colours the top text and the labels (see panel_colours.h) and ends the
// dialog with 1 on OK, Escape or the close box.
INT_PTR CALLBACK PanelDialogProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the image: timeText in the top text, then for each row below count and
// 14 the entry's label (when not empty; an empty one leaves the control's text)
// and its statusText in control firstStatusId + row. The labels are repainted,
// so that their colours follow the image and StaleCount.
void UpdatePanel(HWND panel, int firstStatusId, int count);

} // namespace monitor
