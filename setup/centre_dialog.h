// Centring the installer's own dialogs on the window that owns them.
#pragma once

#include <windows.h>

// Moves the dialog, at its own size and without repainting it, so that its
// centre is that of its parent's client area, `shift` pixels lower. A dialog
// without a parent is centred on the screen.
void CentreDialogOnParent(HWND dialog, int shift);
