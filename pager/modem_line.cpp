// Modem command exchange on top of a ModemLine.
#include "pager/modem_line.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

namespace pager {

void TraceFormat(ModemLine& line, const char* format, ...) {
    std::array<char, 1024> text;
    va_list args;
    va_start(args, format);
    postern::FormatTextV(text, format, args); // a cut trace line is acceptable
    va_end(args);
    line.Trace(text.data());
}

int ModemWrite(ModemLine& line, const char* text) {
    TraceFormat(line, "sending \"%s\"\r\n", text);
    std::uint32_t error = 0;
    if (!line.WriteBytes(text, std::strlen(text), error)) {
        TraceFormat(line, "comm write error %lu\r\n", static_cast<unsigned long>(error));
        return 0;
    }
    line.Flush();
    return 1;
}

int ModemRead(ModemLine& line, std::span<char> reply) {
    if (reply.size() < kReplyBytes + 1)
        return 0; // never happens: every caller passes a buffer of at least 101 bytes
    std::fill(reply.begin(), reply.end(), '\0');
    std::size_t received = 0;
    std::uint32_t error = 0;
    if (!line.ReadBytes(reply.data(), kReplyBytes, received, error)) {
        std::fill(reply.begin(), reply.end(), '\0');
        TraceFormat(line, "comm read error %lu\r\n", static_cast<unsigned long>(error));
        return 0;
    }
    TraceFormat(line, "returned \"%s\"\r\n", reply.data());
    return 1;
}

int ModemCommand(ModemLine& line, const char* command, std::span<char> reply) {
    int written = ModemWrite(line, command);
    if (written != 1)
        return written;
    line.Trace("waiting for completion\r\n");
    return ModemRead(line, reply);
}

void HangUp(ModemLine& line, std::span<char> command, std::span<char> reply) {
    postern::CopyText(command, "+++");
    ModemWrite(line, command.data());
    line.Pause(1000);
    postern::CopyText(command, "ATH0\r");
    ModemCommand(line, command.data(), reply);
}

} // namespace pager
