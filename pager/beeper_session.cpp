// The numeric page conversation, step by step.
#include "pager/beeper_session.h"

#include "pager/line_codes.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace pager {
namespace {

struct BeeperTransaction {
    ModemLine& line;
    CommandBuffer command{};
    ReplyBuffer reply{};
    std::array<char, kBeeperLineSize> lineBuffer{};

    bool Has(const char* text) const { return ReplyContains(reply, text); }
};

// The init string (or "AT" when there is none) with one carriage return. An
// init string too long for the command buffer is refused, not cut.
bool PrepareInitCommand(BeeperTransaction& t, const char* initString) {
    const char* init = (initString && *initString) ? initString : "AT";
    const bool hasCr = std::strchr(init, kCr) != nullptr;
    if (std::strlen(init) + (hasCr ? 0 : 1) + 1 > kCommandBufferSize) {
        t.line.Trace("init string too long!\r\n");
        return false;
    }
    postern::CopyText(t.command, init);
    if (!hasCr)
        postern::AppendText(t.command, "\r");
    return true;
}

void TraceFailedOk(BeeperTransaction& t) {
    TraceFormat(t.line, "Failed to receive OK from modem. \"%s\"\r\n", t.reply.data());
}

// The init exchanges. After "AT\r" any reply without an echo will do, also an
// empty one; an echo must come with "OK".
bool InitModem(BeeperTransaction& t) {
    const int r = ModemCommand(t.line, t.command.data(), t.reply);
    if (t.Has("OK"))
        return true;
    if (r == 1) {
        t.line.Trace("Looking for OK\r\n");
        if (!ModemRead(t.line, t.reply))
            return false;
    }
    if (t.Has("OK"))
        return true;
    postern::CopyText(t.command, "AT\r");
    t.line.Trace("Trying again for OK\r\n");
    if (!ModemCommand(t.line, t.command.data(), t.reply)) {
        TraceFailedOk(t);
        return false;
    }
    if (!t.Has("AT") || t.Has("OK"))
        return true;
    TraceFailedOk(t);
    return false;
}

// The dial command with its carriage return (always appended) in the line
// buffer. One that would not fit is refused rather than sent cut.
bool PrepareDialCommand(BeeperTransaction& t, const char* format, std::uintptr_t first,
                        std::uintptr_t second, DialFormatter formatDial) {
    std::array<char, 1024> formatted{};
    formatDial(formatted, format ? format : "", first, second);
    const std::size_t length = postern::BoundedLength(formatted);
    if (length + 2 > t.lineBuffer.size()) {
        t.line.Trace("dial command too long!\r\n");
        return false;
    }
    postern::CopyText(t.lineBuffer, formatted.data());
    postern::AppendText(t.lineBuffer, "\r");
    return true;
}

// One write of the whole dial command, traced after it went out.
bool WriteDialCommand(BeeperTransaction& t) {
    std::uint32_t error = 0;
    if (!t.line.WriteBytes(t.lineBuffer.data(), std::strlen(t.lineBuffer.data()), error)) {
        postern::FormatText(t.lineBuffer, "comm write error %lu",
                            static_cast<unsigned long>(error));
        t.line.Trace(t.lineBuffer.data());
        return false;
    }
    t.line.Trace(t.lineBuffer.data());
    t.line.Trace("\r\n");
    t.line.Flush();
    return true;
}

// Whatever the modem sent after dialling (BUSY, NO CARRIER, ...) only reaches the trace.
void ReadAfterDialling(BeeperTransaction& t) {
    t.lineBuffer.fill('\0');
    std::size_t received = 0;
    std::uint32_t error = 0;
    if (t.line.ReadBytes(t.lineBuffer.data(), t.lineBuffer.size() - 1, received, error))
        t.line.Trace(t.lineBuffer.data());
}

} // namespace

std::uint32_t DialPauseMs(const char* dialCommand) {
    const auto commas = std::count(dialCommand, dialCommand + std::strlen(dialCommand), ',');
    return static_cast<std::uint32_t>(commas) * 2000 + 1000;
}

int BeeperSession(ModemLine& line, const char* initString, const char* dialFormat,
                  std::uintptr_t firstValue, std::uintptr_t secondValue,
                  std::uint32_t extraWaitMs, DialFormatter formatDial) {
    BeeperTransaction t{line};
    line.SetTimeouts(kBeeperTimeouts);
    if (!PrepareInitCommand(t, initString) || !InitModem(t))
        return 0;
    if (!PrepareDialCommand(t, dialFormat, firstValue, secondValue, formatDial) ||
        !WriteDialCommand(t))
        return 0;
    line.Pause(DialPauseMs(t.lineBuffer.data()));
    line.Trace("Delaying\r\n");
    line.Pause(extraWaitMs);
    ReadAfterDialling(t);
    HangUp(line, t.lineBuffer, t.lineBuffer);
    line.Trace("success\r\n");
    return 1;
}

} // namespace pager
