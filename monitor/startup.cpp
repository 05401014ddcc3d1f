// Start-up and configuration; see startup.h.
#include "monitor/startup.h"

#include "common/bounded_format.h"
#include "common/suite_registry.h"
#include "common/unique_handle.h"
#include "monitor/debug_trace.h"
#include "monitor/status_panel.h"

namespace monitor {

HINSTANCE AppInstance = nullptr;
std::array<char, 256> TopDir{};

namespace {

constexpr char kDefaultTopDir[] = "\\MAIL";
// The size declared to the registry query: a value of 150 bytes or more with
// its terminator counts as absent.
constexpr DWORD kTopDirQueryBytes = 150;
static_assert(kTopDirQueryBytes < sizeof TopDir);

} // namespace

void ReadConfiguration() {
    postern::UniqueHkey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, postern::kSuiteGlobalKey, 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS) {
        postern::CopyText(TopDir, kDefaultTopDir);
        return;
    }
    DWORD size = kTopDirQueryBytes;
    const LSTATUS status = RegQueryValueExA(key.get(), "TopDir", nullptr, nullptr,
                                            reinterpret_cast<BYTE*>(TopDir.data()), &size);
    // A value stored without its terminator arrives without one: the text ends
    // at its first zero within the bytes delivered, and one that fills all 150
    // bytes has no room for the terminator, so it is too long as well.
    const std::size_t length =
        status == ERROR_SUCCESS ? postern::BoundedLength(std::span<const char>(TopDir.data(), size))
                                : kTopDirQueryBytes;
    if (length >= kTopDirQueryBytes) {
        if (status != ERROR_FILE_NOT_FOUND)
            TraceFailure("TopDir unusable (status %ld, %lu bytes); using %s", status, size,
                         kDefaultTopDir);
        postern::CopyText(TopDir, kDefaultTopDir);
        return;
    }
    TopDir[length] = '\0';
}

int RunMonitorFrontend(HINSTANCE instance) {
    AppInstance = instance;
    ReadConfiguration();
    if (DialogBoxParamA(AppInstance, "DLG_MAIN", nullptr, PanelDialogProc, 0) == -1)
        TraceFailure("the status panel DLG_MAIN could not be created (error %lu)", GetLastError());
    return 1;
}

} // namespace monitor
