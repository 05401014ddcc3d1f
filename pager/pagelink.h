// The pager library's exports, for programs that page people.
#pragma once

#include <windows.h>

extern "C" {

// Sends one text message to one alphanumeric pager through the modem on COMn.
// Returns 1 when the paging terminal accepted it, else 0. traceWindow, if it
// names an edit control, receives a line per step.
int WINAPI SendAlphaMessage(HWND traceWindow, const char* initString, const char* phoneNumber,
                            const char* pagerId, const char* message, unsigned portNumber,
                            int speedSelector);

// Sends a numeric page: prepares the modem (initString, or "AT"), writes the dial
// command formatted from dialFormat (wsprintf conventions, at most two
// conversions) with the two values, waits 2000 ms per comma plus 1000 ms and
// extraWaitMs, and hangs up. Returns 1 when the dial command went out, else 0.
int WINAPI SendBeeperMessage(HWND traceWindow, DWORD_PTR firstValue, const char* initString,
                             const char* dialFormat, DWORD_PTR secondValue, unsigned portNumber,
                             int speedSelector, DWORD extraWaitMs);

// Shows the modal "Alpha Pager Message" dialog owned by parent, which sends
// typed messages with the settings of the profile's "Pager" section. Returns 0
// when the operator leaves it, -1 when it cannot be shown.
INT_PTR WINAPI CreateSendAlphaMessage(HWND parent);

using CreateSendAlphaMessageFn = INT_PTR(WINAPI*)(HWND);
using SendBeeperMessageFn = int(WINAPI*)(HWND, DWORD_PTR, const char*, const char*, DWORD_PTR,
                                         unsigned, int, DWORD);
using SendAlphaMessageFn = int(WINAPI*)(HWND, const char*, const char*, const char*,
                                        const char*, unsigned, int);
}
