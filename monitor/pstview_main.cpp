// pstview.exe: the suite's monitor frontend. No command-line options.
#include "monitor/startup.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return monitor::RunMonitorFrontend(instance);
}
