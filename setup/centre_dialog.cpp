// CentreDialogOnParent (see centre_dialog.h).
#include "setup/centre_dialog.h"

#include "setup/dialog_placement.h"

void CentreDialogOnParent(HWND dialog, int shift) {
    RECT window{};
    if (!GetWindowRect(dialog, &window))
        return;
    HWND parent = GetParent(dialog);
    if (parent == nullptr)
        parent = GetDesktopWindow();
    RECT client{};
    GetClientRect(parent, &client);
    POINT centre{(client.left + client.right) / 2, (client.top + client.bottom) / 2};
    ClientToScreen(parent, &centre);
    const long width = window.right - window.left;
    const long height = window.bottom - window.top;
    const DialogOrigin origin = CentredOrigin(centre.x, centre.y, width, height, shift);
    MoveWindow(dialog, origin.x, origin.y, width, height, FALSE);
}
