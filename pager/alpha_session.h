// The alphanumeric page conversation on an open, configured line: modem init,
// dial, wake the paging terminal, log on, send the block, end the transaction
// and hang up.
#pragma once

#include "pager/modem_line.h"

namespace pager {

// Time-outs of the conversation's phases.
inline constexpr LineTimeouts kAlphaInitTimeouts{2000, 10000, 10000};
inline constexpr LineTimeouts kAlphaDialTimeouts{2000, 50000, 10000};
inline constexpr LineTimeouts kAlphaWakeTimeouts{1000, 2000, 2000};
inline constexpr LineTimeouts kAlphaTerminalTimeouts{1000, 10000, 10000};

// Redials after BUSY before the transaction gives up.
inline constexpr int kMaxBusyRedials = 3;
// Prompts sent to wake the terminal, and reads per prompt or wait.
inline constexpr int kMaxWakePrompts = 5;
inline constexpr int kMaxReadsPerWait = 6;

// Returns 1 when the terminal accepted the block (ACK or EOT), else 0.
int AlphaSession(ModemLine& line, const char* initString, const char* phoneNumber,
                 const char* pagerId, const char* message);

} // namespace pager
