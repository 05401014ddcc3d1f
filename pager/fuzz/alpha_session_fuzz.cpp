// Fuzzes the alphanumeric page conversation: caller arguments and every modem
// and terminal reply come from the input.
//
// Input: the init string, phone number, pager ID and message as Text fields
// (see fuzz_input.h), a U32 mask of failing writes, then the reply records
// (see fuzz_line.h).
//
// Checked, against the recorded line:
// - the result is 0 or 1, and 1 exactly when a block write was answered by ACK
//   or EOT in the reply that followed; a block goes again only after NAK;
// - arguments the session must refuse leave the line untouched;
// - reads, writes and virtual time stay within what the phases allow;
//   time-outs are set phase by phase; the only pauses are the redials' and the
//   hang-up's;
// - every write is one of the conversation's commands or the block (which must
//   match an independent reconstruction), fits its buffer, comes in the
//   conversation's order, and is flushed when it succeeds;
// - once a dial connected, the last writes are "+++" and "ATH0\r"; without a
//   connected dial nothing is written after the dial commands.
#include "fuzz_input.h"
#include "fuzz_line.h"
#include "tap_reference.h"

#include "pager/alpha_session.h"
#include "pager/tap_block.h"

#include <algorithm>

using namespace pager;

namespace {

constexpr std::size_t kMaxInitLength = 512;
constexpr std::size_t kMaxPhoneLength = 512;
constexpr std::size_t kMaxIdLength = 2048;
constexpr std::size_t kMaxMessageLength = 2048;

constexpr int kMaxDials = kMaxBusyRedials + 1;
constexpr int kMaxBlockSends = 3;
constexpr int kWakeReads = kMaxWakePrompts * kMaxReadsPerWait;
// Reads on the terminal's time-outs: the ID wait, two logons and the go-ahead
// wait, the block sends, EOT and ATH0.
constexpr int kTerminalReads = kMaxReadsPerWait + 2 + kMaxReadsPerWait + kMaxBlockSends + 1 + 1;
// Init string, its late OK and "AT"; the dials; the wake prompts' reads.
constexpr int kMaxReads = 3 + kMaxDials + kWakeReads + kTerminalReads;
// Init string and "AT"; dials; prompts; two logons; block sends; EOT; "+++" and "ATH0".
constexpr int kMaxWrites = 2 + kMaxDials + kMaxWakePrompts + 2 + kMaxBlockSends + 1 + 2;
constexpr std::uint32_t kRedialPauseMs = 3000;
constexpr std::uint32_t kHangUpPauseMs = 1000;
// Every read timing out empty on its phase's time-outs, plus every pause.
constexpr std::uint64_t kMaxClockMs =
    3ull * kAlphaInitTimeouts.readTotal + kMaxDials * kAlphaDialTimeouts.readTotal +
    kMaxBusyRedials * kRedialPauseMs + kWakeReads * kAlphaWakeTimeouts.readTotal +
    kTerminalReads * kAlphaTerminalTimeouts.readTotal + kHangUpPauseMs;
static_assert(kMaxReads == 56 && kMaxWrites == 19 && kMaxClockMs == 490000);

enum Kind : std::size_t { Init, At, Dial, Prompt, Logon, Block, Eot, Plus, Ath };

struct Arguments {
    std::optional<std::string> init, phone, pagerId, message;
};

std::size_t LengthOf(const std::optional<std::string>& text) {
    return text ? text->size() : 0;
}

bool HasCr(const std::string& text) {
    return text.find('\r') != std::string::npos;
}

// What the session must refuse before it touches the line.
bool Acceptable(const Arguments& a) {
    if (LengthOf(a.phone) < 3 || LengthOf(a.pagerId) < 3 || LengthOf(a.message) < 1 || !a.init)
        return false;
    const std::size_t payload =
        BlockIdDigits(*a.pagerId).size() + BlockMessageBytes(*a.message).size();
    return a.init->size() + (HasCr(*a.init) ? 0 : 1) + 1 <= kCommandBufferSize &&
           4 + a.phone->size() + 2 <= kCommandBufferSize && payload <= kMaxBlockPayload;
}

bool Contains(const std::string& text, const char* what) {
    return text.find(what) != std::string::npos;
}

bool IsRead(const LineEvent* e) {
    return e && e->kind == LineEvent::Kind::Read;
}

// Whether the last dial got a connect: the reply to it, read without error,
// shows CONNECT or CARRIER and neither BUSY nor NO CARRIER.
bool DialConnected(const FuzzLine& line, const std::vector<std::size_t>& writes,
                   const std::vector<std::size_t>& kinds) {
    std::optional<std::size_t> lastDial;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (kinds[i] == Dial)
            lastDial = writes[i];
    }
    if (!lastDial || !line.events[*lastDial].ok)
        return false;
    const LineEvent* reply = line.After(*lastDial);
    if (!IsRead(reply) || !reply->ok)
        return false;
    const std::string& r = reply->text;
    return !Contains(r, "BUSY") && !Contains(r, "NO CARRIER") &&
           (Contains(r, "CONNECT") || Contains(r, "CARRIER"));
}

void CheckConversation(const FuzzLine& line, const Arguments& a, int result) {
    const std::vector<WriteKind> expected = {
        {"init string", *a.init + (HasCr(*a.init) ? "" : "\r"), 1},
        {"AT", "AT\r", 1},
        {"dial", "ATDT" + *a.phone + "\r", kMaxDials},
        {"wake prompt", "\r\n", kMaxWakePrompts},
        {"logon", "\x1bPG1\r", 2},
        {"block", ReferenceBlock(*a.pagerId, *a.message, kMaxBlockPayload), kMaxBlockSends},
        {"EOT", "\x04\r", 1},
        {"+++", "+++", 1},
        {"ATH0", "ATH0\r", 1},
    };
    const std::vector<std::size_t> writes = line.WriteIndexes();
    const std::vector<std::size_t> kinds = ClassifyWrites(line, expected);
    FUZZ_CHECK(!kinds.empty() && kinds[0] == Init,
               "the session did not start with the init string");
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const std::size_t room = kinds[i] == Block ? kBlockBufferSize : kCommandBufferSize;
        FUZZ_CHECK(line.events[writes[i]].text.size() < room,
                   "write " + std::to_string(i) + " does not fit its buffer");
    }
    auto count = [&](Kind k) { return std::count(kinds.begin(), kinds.end(), k); };

    // Accepted exactly when a block write got ACK or EOT in the reply that
    // followed; a block goes again only after NAK.
    bool accepted = false;
    std::optional<std::size_t> previousBlock;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (kinds[i] != Block)
            continue;
        if (previousBlock) {
            const LineEvent* reply = line.After(*previousBlock);
            FUZZ_CHECK(IsRead(reply) && reply->ok && Contains(reply->text, "\x15"),
                       "block sent again without a NAK");
        }
        previousBlock = writes[i];
        const LineEvent* reply = line.After(writes[i]);
        if (line.events[writes[i]].ok && IsRead(reply) && reply->ok &&
            (Contains(reply->text, "\x06") || Contains(reply->text, "\x04")))
            accepted = true;
    }
    FUZZ_CHECK(result == (accepted ? 1 : 0),
               "result " + std::to_string(result) + " but the block was " +
                   (accepted ? "acknowledged" : "never acknowledged"));
    FUZZ_CHECK((count(Eot) == 1) == (result == 1),
               "EOT sent with result " + std::to_string(result));

    const bool connected = DialConnected(line, writes, kinds);
    if (connected) {
        FUZZ_CHECK(writes.size() >= 2 && kinds[kinds.size() - 2] == Plus && kinds.back() == Ath,
                   "connected, but the last writes are not \"+++\" and \"ATH0\\r\": last is \"" +
                       Shown(line.events[writes.back()].text) + "\"");
    } else {
        FUZZ_CHECK(kinds.back() <= Dial, "wrote \"" + Shown(line.events[writes.back()].text) +
                                             "\" without a connected dial");
    }

    const auto redialPauses = std::count(line.pauses.begin(), line.pauses.end(), kRedialPauseMs);
    const auto hangUpPauses = std::count(line.pauses.begin(), line.pauses.end(), kHangUpPauseMs);
    FUZZ_CHECK(redialPauses == std::max<long>(count(Dial) - 1, 0) &&
                   hangUpPauses == (connected ? 1 : 0) &&
                   line.pauses.size() == static_cast<std::size_t>(redialPauses + hangUpPauses),
               "pauses do not match " + std::to_string(count(Dial)) + " dials");

    const LineTimeouts phases[] = {kAlphaInitTimeouts, kAlphaDialTimeouts, kAlphaWakeTimeouts,
                                   kAlphaTerminalTimeouts};
    FUZZ_CHECK(!line.timeouts.empty() && line.timeouts.size() <= 4,
               "time-outs set " + std::to_string(line.timeouts.size()) + " times");
    for (std::size_t i = 0; i < line.timeouts.size(); ++i)
        FUZZ_CHECK(SameTimeouts(line.timeouts[i], phases[i]),
                   "time-outs number " + std::to_string(i) + " are not the phase's");
    if (connected)
        FUZZ_CHECK(line.timeouts.size() >= 3, "the wake phase ran on the dial's time-outs");

    const auto okWrites = std::count_if(line.events.begin(), line.events.end(), [](auto& e) {
        return e.kind == LineEvent::Kind::Write && e.ok;
    });
    FUZZ_CHECK(line.flushes == okWrites, "flushes do not follow the successful writes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    Arguments a;
    a.init = in.Text(kMaxInitLength);
    a.phone = in.Text(kMaxPhoneLength);
    a.pagerId = in.Text(kMaxIdLength);
    a.message = in.Text(kMaxMessageLength);
    const std::uint32_t failingWrites = in.U32();

    FuzzLine line(in, failingWrites, kMaxReads, kMaxWrites, {kReplyBytes});
    const int result = AlphaSession(line, PointerOf(a.init), PointerOf(a.phone),
                                    PointerOf(a.pagerId), PointerOf(a.message));
    FUZZ_CHECK(result == 0 || result == 1, "result " + std::to_string(result));
    FUZZ_CHECK(line.reads <= kMaxReads && line.writes <= kMaxWrites,
               std::to_string(line.reads) + " reads, " + std::to_string(line.writes) + " writes");
    FUZZ_CHECK(line.clockMs <= kMaxClockMs, "took " + std::to_string(line.clockMs) + " ms");

    if (!Acceptable(a)) {
        FUZZ_CHECK(result == 0 && line.events.empty() && line.timeouts.empty() &&
                       line.pauses.empty(),
                   "arguments that must be refused reached the line");
        return 0;
    }
    CheckConversation(line, a, result);
    return 0;
}
