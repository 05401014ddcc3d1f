// The applet's module handle, stored by its entry point, for loading its dialog.
#pragma once

#include <windows.h>

namespace applet {
extern HINSTANCE ModuleInstance;
}
