// Disk space of the top directory; see disk_space.h.
#include "standins/services/disk_space.h"

#include "common/bounded_format.h"

namespace standins {

DWORD FreeDiskSpace(const char* folder, char (&root)[MAX_PATH], unsigned long long& freeMegabytes) {
    freeMegabytes = 0;
    if (!GetVolumePathNameA(folder, root, MAX_PATH))
        postern::CopyText(root, folder);
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExA(folder, &available, nullptr, nullptr))
        return GetLastError();
    freeMegabytes = available.QuadPart / (1024ull * 1024ull);
    return ERROR_SUCCESS;
}

} // namespace standins
