// The line layer under both paging transactions: writing modem commands,
// reading replies, hanging up, and the trace of every step.
//
// The transactions talk to the line only through ModemLine, so the same
// conversation code runs on a real serial port (the library) and on a scripted
// line (the unit tests and the fuzzer).
#pragma once

#include "common/bounded_format.h"
#include "pager/reply_match.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace pager {

// Read and write time-outs of one conversation phase, in milliseconds. The
// multipliers are always zero.
struct LineTimeouts {
    std::uint32_t readInterval;
    std::uint32_t readTotal;
    std::uint32_t writeTotal;
};

class ModemLine {
  public:
    virtual ~ModemLine() = default;
    // Appends text to the trace window (nothing when there is none).
    virtual void Trace(const char* text) = 0;
    // One synchronous write; on failure error holds the system error code.
    virtual bool WriteBytes(const char* data, std::size_t length, std::uint32_t& error) = 0;
    virtual void Flush() = 0;
    // One synchronous read of at most capacity bytes under the time-outs in
    // force; a time-out with nothing received is a success with received 0.
    virtual bool ReadBytes(char* data, std::size_t capacity, std::size_t& received,
                           std::uint32_t& error) = 0;
    // Failures are ignored: the line keeps its previous time-outs.
    virtual void SetTimeouts(const LineTimeouts& timeouts) = 0;
    virtual void Pause(std::uint32_t milliseconds) = 0;
};

// Holds one command: the init string, "AT\r", a dial command, the logon, ...
inline constexpr std::size_t kCommandBufferSize = 100;
using CommandBuffer = std::array<char, kCommandBufferSize>;

// Formats a trace line (in a 1024-byte buffer of the caller's) and traces it.
void TraceFormat(ModemLine& line, const char* format, ...) POSTERN_PRINTF(2, 3);

// Traces "sending", writes the text and flushes; 1 on success, 0 on a write error.
int ModemWrite(ModemLine& line, const char* text);
// Reads at most 100 bytes into reply (replacing it) and traces them; 1 when the
// read completed (also with nothing), 0 on a read error (reply left empty).
// A reply buffer holds at least 101 bytes (the numeric page reads into its
// larger line buffer).
int ModemRead(ModemLine& line, std::span<char> reply);
// ModemWrite, then ModemRead; a failed write makes no read and leaves reply as it was.
int ModemCommand(ModemLine& line, const char* command, std::span<char> reply);
// "+++", a 1000 ms pause, then "ATH0\r" and its reply, under the time-outs in force.
// Command and reply may be the same buffer.
void HangUp(ModemLine& line, std::span<char> command, std::span<char> reply);

} // namespace pager
