// Free space of the disk that holds a folder, for the monitor's "Disks" row.
#pragma once

#include <windows.h>

namespace standins {

// Fills root with the folder's volume root and freeMegabytes with the space
// the service may use there. Returns 0, or the Win32 error (root may then be
// the folder itself).
DWORD FreeDiskSpace(const char* folder, char (&root)[MAX_PATH], unsigned long long& freeMegabytes);

} // namespace standins
