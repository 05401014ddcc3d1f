// Shut-down and removal (see removal.h).
#include "setup/removal.h"

#include "common/bounded_format.h"
#include "common/suite_registry.h"
#include "common/unique_handle.h"
#include "setup/config/registry_values.h"
#include "setup/config/service_control.h"
#include "setup/setup_session.h"
#include "setup/setup_trace.h"
#include "setup/toolkit_binding.h"
#include "setup/userdb/usrvault.h"

#include <array>
#include <cstring>
#include <string_view>

namespace {

// The delivery program's window classes, matched whole and case-sensitively.
constexpr std::array<std::string_view, 2> kDeliveryWindowClasses = {"RELAYWND", "RELAYOUT"};
constexpr int kClassNameLimit = 127;
// How long a delivery window is given to handle WM_CLOSE.
constexpr UINT kDeliveryWindowAnswerMs = 30000;
constexpr UINT kSystemDirectoryLimit = 240;
// Subkey names are read into 256 bytes: the longest name the registry allows.
constexpr DWORD kSubkeyNameSize = 256;

// Sends WM_CLOSE and waits up to 30 s for the window to handle it; a window
// whose thread is already hung is given up at once. One that does not answer
// is a warning, and the walk goes on; one that went away meanwhile is not.
void CloseDeliveryWindow(HWND window, std::string_view className) {
    DWORD_PTR answer = 0;
    const DWORD start = GetTickCount();
    SetLastError(ERROR_SUCCESS);
    if (SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kDeliveryWindowAnswerMs,
                            &answer) != 0)
        return;
    const DWORD error = GetLastError();
    const DWORD waited = GetTickCount() - start;
    if (error == ERROR_INVALID_WINDOW_HANDLE)
        return;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const char* why = error != ERROR_TIMEOUT              ? "the message could not be sent"
                      : waited >= kDeliveryWindowAnswerMs ? "timed out"
                                                          : "its program is hung";
    SetupWarning("the delivery program's window %.*s (handle %p, process %lu) did not answer "
                 "WM_CLOSE within %u s: %s (error %lu); going on without it",
                 static_cast<int>(className.size()), className.data(), static_cast<void*>(window),
                 processId, kDeliveryWindowAnswerMs / 1000, why, error);
}

BOOL CALLBACK CloseIfDeliveryWindow(HWND window, LPARAM) {
    std::array<char, kClassNameLimit + 1> className{};
    const int length = GetClassNameA(window, className.data(), kClassNameLimit + 1);
    if (length <= 0)
        return TRUE;
    const std::string_view name(className.data(), static_cast<std::size_t>(length));
    for (const std::string_view deliveryClass : kDeliveryWindowClasses) {
        if (name == deliveryClass) {
            CloseDeliveryWindow(window, name);
            break;
        }
    }
    return TRUE;
}

// Empties the open key `parent`, depth first. Each subkey is opened through
// its parent's handle, so no full path is ever formed: trees of any depth and
// name length are handled, and nothing outside the tree can be reached.
//
// After a subkey that cannot be emptied or deleted, the walk goes on with the
// subkeys after it (each is tried once) and then reports the failure, so that
// as little as possible is left for the operator to remove by hand.
bool EmptyKey(HKEY parent) {
    bool emptied = true;
    DWORD index = 0; // subkeys before this one failed and stay
    for (;;) {
        std::array<char, kSubkeyNameSize> name{};
        if (RegEnumKeyA(parent, index, name.data(), kSubkeyNameSize) != ERROR_SUCCESS)
            break;
        if (RegDeleteKeyA(parent, name.data()) == ERROR_SUCCESS)
            continue;
        postern::UniqueHkey child = OpenRegistryKey(parent, name.data(), KEY_ALL_ACCESS);
        const bool childEmptied = child && EmptyKey(child.get());
        child.reset();
        if (childEmptied && RegDeleteKeyA(parent, name.data()) == ERROR_SUCCESS)
            continue;
        emptied = false;
        ++index;
    }
    return emptied;
}

void RemoveControlPanelApplet() {
    std::array<char, kSystemDirectoryLimit> systemDirectory{};
    const UINT length = GetSystemDirectoryA(systemDirectory.data(), kSystemDirectoryLimit);
    if (length == 0 || length >= kSystemDirectoryLimit)
        return;
    std::array<char, MAX_PATH> applet{};
    if (!postern::FormatText(applet, "%s\\%s", systemDirectory.data(), "postern.cpl"))
        return;
    RemoveFile(applet.data(), kRemoveOption);
}

void TellLibraryOfRemoval() {
    std::array<char, 256> path{};
    if (postern::FormatText(path, "%s\\reg_term", Session.TopDir.data()))
        UvMarkInstallation(path.data());
}

} // namespace

void CloseDeliveryWindows() {
    EnumWindows(CloseIfDeliveryWindow, 0);
}

void ShutDownSuite() {
    CloseDeliveryWindows();
    StopSuiteServices();
    if (Session.SetupMode == kSetupModeNew || Session.SetupMode == kSetupModeRemove)
        DeleteSuiteServices();
}

int DeleteRegistryTree(const char* keyPath) {
    const postern::UniqueHkey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, keyPath, KEY_ALL_ACCESS);
    if (!key)
        return 0;
    return EmptyKey(key.get()) ? 1 : 0;
}

void RemoveInstallation() {
    RemoveControlPanelApplet();
    TellLibraryOfRemoval();
    if (!DeleteRegistryTree(postern::kSuiteRootKey)) {
        std::array<char, 160> text{};
        postern::FormatText(text, "Failed to delete registry entries!\nManually remove\n%s",
                            postern::kSuiteRootKey);
        ShowFailureBox(nullptr, text.data(), "De-Install Failed");
    }
    std::array<char, 256> text{};
    postern::FormatText(text,
                        "You must manually delete the files in the directory\n%s that "
                        "belong to Postern",
                        Session.TopDir.data());
    MessageBoxA(nullptr, text.data(), "Manual Remove", MB_OK);
}
