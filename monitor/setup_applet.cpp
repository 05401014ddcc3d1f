// Calling into the setup applet; see setup_applet.h.
#include "monitor/setup_applet.h"

#include "common/unique_handle.h"
#include "monitor/debug_trace.h"

namespace monitor {

int RunSetupApplet(HWND owner, const char* entryName) {
    postern::UniqueModule applet(
        LoadLibraryExA("postern.cpl", nullptr,
                       LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!applet) {
        TraceFailure("postern.cpl not loaded from the program or system folder (error %lu)",
                     GetLastError());
        return -1;
    }
    const auto entry = reinterpret_cast<SetupEntryPoint>(
        reinterpret_cast<void*>(GetProcAddress(applet.get(), entryName)));
    if (entry == nullptr) {
        TraceFailure("postern.cpl has no entry point %s (error %lu)", entryName, GetLastError());
        return -1;
    }
    return entry(owner);
}

} // namespace monitor
