// Sending a control code to a service through the service control manager: the
// panel's Quiet command sends the monitor service WATCHSVC its code 135.
#pragma once

#include <windows.h>

#include <span>

namespace monitor {

// The Quiet command's service and its private control code (128..255 belong
// to the service itself).
inline constexpr char kWatchServiceName[] = "WATCHSVC";
inline constexpr DWORD kQuietControlCode = 135;

// Sends controlCode to the service serviceName. Returns 1 when the service
// accepted it; otherwise 0, with one line in message that names the failing
// step and the system's error number: "OpenSCM fail %u", "Open %s failed %u" or
// "Control %s failed %u". Every handle is closed before it returns.
int SendServiceControl(const char* serviceName, DWORD controlCode, std::span<char> message);

// The Quiet command: code 135 to WATCHSVC; a failure is shown in a message box
// "Control Service" owned by panel, success shows nothing.
void QuietService(HWND panel);

} // namespace monitor
