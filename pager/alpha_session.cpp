// The alphanumeric page conversation, phase by phase.
#include "pager/alpha_session.h"

#include "pager/line_codes.h"
#include "pager/tap_block.h"

#include <cstring>

namespace pager {
namespace {

// Where a phase leaves the conversation.
enum class Outcome {
    Next,   // go on to the next phase
    HangUp, // hang up, then return the result flag
};

struct AlphaTransaction {
    ModemLine& line;
    CommandBuffer command{};
    ReplyBuffer reply{};
    BlockBuffer block{};
    int result = 0;

    bool Has(const char* text) const { return ReplyContains(reply, text); }
    bool CarrierGone() const { return Has("NO CARRIER") || Has("Slow"); }
};

std::size_t Length(const char* text) { return text ? std::strlen(text) : 0; }

// Phase 1. The port is already open. Beyond the required texts, refuse what
// would not fit the command or block buffers rather than send it cut.
bool CheckArguments(ModemLine& line, const char* initString, const char* phoneNumber,
                    const char* pagerId, const char* message) {
    if (Length(phoneNumber) < 3) {
        line.Trace("no phone number!\r\n");
        return false;
    }
    if (Length(pagerId) < 3) {
        line.Trace("no pager ID!\r\n");
        return false;
    }
    if (Length(message) < 1) {
        line.Trace("no message!\r\n");
        return false;
    }
    if (initString == nullptr) {
        line.Trace("no init string!\r\n");
        return false;
    }
    // The init string, a carriage return unless it has one, and the zero byte.
    const bool hasCr = std::strchr(initString, kCr) != nullptr;
    if (Length(initString) + (hasCr ? 0 : 1) + 1 > kCommandBufferSize) {
        line.Trace("init string too long!\r\n");
        return false;
    }
    // "ATDT", the number, CR and the zero byte.
    if (4 + Length(phoneNumber) + 2 > kCommandBufferSize) {
        line.Trace("phone number too long!\r\n");
        return false;
    }
    if (AlphaBlockPayload(pagerId, message) > kMaxBlockPayload) {
        line.Trace("message too long!\r\n");
        return false;
    }
    return true;
}

// Phase 2: the init string; a late "OK"; then "AT\r", which must answer "OK"
// without echoing the command.
bool InitModem(AlphaTransaction& t, const char* initString) {
    t.line.SetTimeouts(kAlphaInitTimeouts);
    postern::CopyText(t.command, initString);
    if (std::strchr(initString, kCr) == nullptr)
        postern::AppendText(t.command, "\r");
    const int r = ModemCommand(t.line, t.command.data(), t.reply);
    if (t.Has("OK"))
        return true;
    if (r == 1 && !ModemRead(t.line, t.reply))
        return false;
    if (t.Has("OK"))
        return true;
    postern::CopyText(t.command, "AT\r");
    if (!ModemCommand(t.line, t.command.data(), t.reply) || !t.Has("OK")) {
        TraceFormat(t.line, "Failed to receive OK from modem. \"%s\"\r\n", t.reply.data());
        return false;
    }
    if (t.Has("AT")) {
        TraceFormat(t.line, "Echo is not off! \"%s\"\r\n", t.reply.data());
        return false;
    }
    return true;
}

// Phase 3: dial, redialling a busy line a limited number of times.
bool Dial(AlphaTransaction& t, const char* phoneNumber) {
    t.line.SetTimeouts(kAlphaDialTimeouts);
    for (int redials = 0;; ++redials) {
        postern::FormatText(t.command, "ATDT%s\r", phoneNumber);
        if (!ModemCommand(t.line, t.command.data(), t.reply))
            return false;
        if (t.Has("BUSY")) {
            t.line.Trace("Busy\r\n");
            if (redials == kMaxBusyRedials) {
                TraceFormat(t.line, "still busy after %d redials, giving up\r\n", redials);
                return false;
            }
            t.line.Pause(3000);
            continue;
        }
        if (t.Has("NO CARRIER")) {
            t.line.Trace("No carrier!\r\n");
            return false;
        }
        if (t.Has("CONNECT") || t.Has("CARRIER"))
            return true;
        t.line.Trace("Unknown response!\r\n");
        return false;
    }
}

// Phase 4: prompt the terminal with CR LF until it says "ID=". A terminal that
// keeps talking without "ID=" gets a new prompt after six replies.
Outcome WakeTerminal(AlphaTransaction& t) {
    t.line.SetTimeouts(kAlphaWakeTimeouts);
    for (int prompts = 0; !t.Has("ID=") && prompts < kMaxWakePrompts; ++prompts) {
        if (!ModemWrite(t.line, "\r\n"))
            return Outcome::HangUp;
        for (int reads = 0; reads < kMaxReadsPerWait; ++reads) {
            if (!ModemRead(t.line, t.reply) || ReplyIsEmpty(t.reply) || t.Has("ID="))
                break;
            if (t.CarrierGone())
                return Outcome::HangUp;
        }
    }
    return Outcome::Next;
}

// Reads up to six replies waiting for text; a read error or a lost carrier
// hangs up.
Outcome WaitFor(AlphaTransaction& t, const char* text) {
    for (int reads = 0; reads < kMaxReadsPerWait; ++reads) {
        if (!ModemRead(t.line, t.reply)) {
            t.line.Trace("Unknown response(2)!\r\n");
            return Outcome::HangUp;
        }
        if (t.Has(text))
            return Outcome::Next;
        if (t.CarrierGone())
            return Outcome::HangUp;
    }
    t.line.Trace("gave up\r\n");
    return Outcome::HangUp;
}

// Phase 5: the terminal's "ID=" prompt. Its time-outs hold to the end.
Outcome WaitForIdPrompt(AlphaTransaction& t) {
    t.line.SetTimeouts(kAlphaTerminalTimeouts);
    if (t.Has("ID="))
        return Outcome::Next;
    if (t.CarrierGone())
        return Outcome::HangUp;
    return WaitFor(t, "ID=");
}

// Phase 6: log on (sent twice when the terminal prompts again), then wait for
// the go-ahead "[p".
Outcome LogOn(AlphaTransaction& t) {
    t.line.Trace("Got ID=");
    postern::FormatText(t.command, "%cPG1\r", kEsc);
    if (!ModemCommand(t.line, t.command.data(), t.reply))
        return Outcome::HangUp;
    if (!t.Has("[p") && t.Has("ID=")) {
        if (!ModemCommand(t.line, t.command.data(), t.reply))
            return Outcome::HangUp;
    }
    if (t.Has("[p"))
        return Outcome::Next;
    if (t.CarrierGone())
        return Outcome::HangUp;
    return WaitFor(t, "[p");
}

// Phase 7: the block, sent again (built anew) after NAK, three sends at most.
Outcome SendBlock(AlphaTransaction& t, const char* pagerId, const char* message) {
    t.line.Trace("Got [p\r\n");
    constexpr int kMaxSends = 3;
    for (int attempt = 0;; ++attempt) {
        BuildAlphaBlock(t.block, pagerId, message);
        AppendBlockChecksum(t.block);
        if (!ModemWrite(t.line, t.block.data()))
            return Outcome::HangUp;
        if (!ModemRead(t.line, t.reply))
            return Outcome::HangUp;
        if (ReplyContainsByte(t.reply, kAck) || ReplyContainsByte(t.reply, kEot))
            return Outcome::Next;
        if (!ReplyContainsByte(t.reply, kNak) || attempt + 1 >= kMaxSends)
            return Outcome::HangUp;
    }
}

// Phase 8: the page is accepted; end the transaction with EOT CR.
void EndTransaction(AlphaTransaction& t) {
    t.result = 1;
    postern::FormatText(t.command, "%c\r", kEot);
    ModemCommand(t.line, t.command.data(), t.reply);
}

// Phases 4 to 8, all of which end with a hang-up.
void TalkToTerminal(AlphaTransaction& t, const char* pagerId, const char* message) {
    if (WakeTerminal(t) != Outcome::Next || WaitForIdPrompt(t) != Outcome::Next ||
        LogOn(t) != Outcome::Next || SendBlock(t, pagerId, message) != Outcome::Next)
        return;
    EndTransaction(t);
}

} // namespace

int AlphaSession(ModemLine& line, const char* initString, const char* phoneNumber,
                 const char* pagerId, const char* message) {
    if (!CheckArguments(line, initString, phoneNumber, pagerId, message))
        return 0;
    AlphaTransaction t{line};
    if (!InitModem(t, initString) || !Dial(t, phoneNumber))
        return 0;
    TalkToTerminal(t, pagerId, message);
    HangUp(t.line, t.command, t.reply);
    return t.result;
}

} // namespace pager
