// The poll time the operator types into the applet's dialog. Portable (no
// <windows.h>).
#pragma once

namespace applet {

inline constexpr unsigned kDefaultPollSeconds = 5;
inline constexpr unsigned kMinPollSeconds = 1;
inline constexpr unsigned kMaxPollSeconds = 86400; // one day

// Reads a whole number of seconds from kMinPollSeconds to kMaxPollSeconds:
// decimal digits, optionally surrounded by blanks. False for anything else
// (empty, signs, other characters, out of range), leaving seconds unchanged.
bool ParsePollSeconds(const char* text, unsigned& seconds);

} // namespace applet
