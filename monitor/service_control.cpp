// Service control; see service_control.h.
#include "monitor/service_control.h"

#include "common/bounded_format.h"
#include "common/unique_handle.h"

#include <array>

namespace monitor {

using postern::FormatText;

int SendServiceControl(const char* serviceName, DWORD controlCode, std::span<char> message) {
    if (serviceName == nullptr)
        serviceName = "";
    postern::UniqueScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager) {
        const unsigned error = GetLastError();
        FormatText(message, "OpenSCM fail %u", error);
        return 0;
    }
    // Declared after the manager, so closed before it.
    postern::UniqueScHandle service(
        OpenServiceA(manager.get(), serviceName, SERVICE_USER_DEFINED_CONTROL));
    if (!service) {
        const unsigned error = GetLastError();
        FormatText(message, "Open %s failed %u", serviceName, error);
        return 0;
    }
    SERVICE_STATUS status{};
    if (!ControlService(service.get(), controlCode, &status)) {
        const unsigned error = GetLastError();
        FormatText(message, "Control %s failed %u", serviceName, error);
        return 0;
    }
    return 1;
}

void QuietService(HWND panel) {
    std::array<char, 256> message{};
    if (!SendServiceControl(kWatchServiceName, kQuietControlCode, message))
        MessageBoxA(panel, message.data(), "Control Service", MB_OK);
}

} // namespace monitor
