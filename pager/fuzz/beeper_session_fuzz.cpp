// Fuzzes the numeric page conversation: the init string, the dial command's
// two texts, the extra wait and every modem reply come from the input. The
// dial format is one of a few fixed formats whose conversions take texts; none
// can yield one of the session's other commands, so every write has one meaning.
//
// Input: the init string as a Text field, a byte choosing the dial format, the
// two texts, a U32 extra wait, a U32 mask of failing writes, then the reply
// records (see fuzz_input.h and fuzz_line.h).
//
// Checked: the result is 0 or 1; an init string too long is refused before the
// line is touched; at most five reads and five writes, within bounded virtual
// time; writes are the init string, "AT\r", the dial command (exactly the
// formatted text and CR, or nothing when it would not fit the line buffer),
// "+++" and "ATH0\r", in that order; result 1 exactly when the dial command was
// written, and then the pauses are the dial's, the extra wait and the hang-up's,
// and the session ends with "+++" and "ATH0\r".
#include "fuzz_input.h"
#include "fuzz_line.h"

#include "pager/beeper_session.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

using namespace pager;

namespace {

constexpr std::size_t kMaxTextLength = 1200;
// The formatter's own buffer in the session.
constexpr std::size_t kFormattedSize = 1024;
// Init string, its late OK, "AT", what follows the dial, ATH0.
constexpr int kMaxReads = 5;
// Init string, "AT", the dial command, "+++", "ATH0".
constexpr int kMaxWrites = 5;
constexpr std::uint32_t kHangUpPauseMs = 1000;

struct DialFormat {
    const char* format;
    std::string (*expected)(const std::string& first, const std::string& second);
};

const DialFormat kFormats[] = {
    {"ATDT%s,%s", [](const std::string& f, const std::string& s) { return "ATDT" + f + "," + s; }},
    {"ATDT%s,,,%s#",
     [](const std::string& f, const std::string& s) { return "ATDT" + f + ",,," + s + "#"; }},
    {"ATD%s%s", [](const std::string& f, const std::string& s) { return "ATD" + f + s; }},
    {"ATDT%s", [](const std::string& f, const std::string&) { return "ATDT" + f; }},
    {nullptr, [](const std::string&, const std::string&) { return std::string(); }},
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
// The caller's formatter: the values are text pointers, as every format above takes.
void FormatDial(std::span<char> out, const char* format, std::uintptr_t first,
                std::uintptr_t second) {
    std::snprintf(out.data(), out.size(), format, reinterpret_cast<const char*>(first),
                  reinterpret_cast<const char*>(second));
}
#pragma GCC diagnostic pop

enum Kind : std::size_t { Init, At, Dial, Plus, Ath };

bool IsReadOf(const LineEvent* e, std::size_t capacity) {
    return e && e->kind == LineEvent::Kind::Read && e->capacity == capacity;
}

std::uint32_t Commas(const std::string& text) {
    return static_cast<std::uint32_t>(std::count(text.begin(), text.end(), ','));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::optional<std::string> init = in.Text(kMaxTextLength);
    const DialFormat& format = kFormats[in.Byte() % std::size(kFormats)];
    const std::string first = in.Text(kMaxTextLength).value_or("");
    const std::string second = in.Text(kMaxTextLength).value_or("");
    const std::uint32_t extraWaitMs = in.U32();
    const std::uint32_t failingWrites = in.U32();

    FuzzLine line(in, failingWrites, kMaxReads, kMaxWrites, {kReplyBytes, kBeeperLineSize - 1});
    const int result = BeeperSession(
        line, PointerOf(init), format.format, reinterpret_cast<std::uintptr_t>(first.c_str()),
        reinterpret_cast<std::uintptr_t>(second.c_str()), extraWaitMs, FormatDial);
    FUZZ_CHECK(result == 0 || result == 1, "result " + std::to_string(result));
    FUZZ_CHECK(line.timeouts.size() == 1 && SameTimeouts(line.timeouts[0], kBeeperTimeouts),
               "the session did not run on its time-outs alone");

    const std::string initText = init && !init->empty() ? *init : "AT";
    const bool initCr = initText.find('\r') != std::string::npos;
    const std::string initCommand = initText + (initCr ? "" : "\r");
    if (initCommand.size() + 1 > kCommandBufferSize) {
        FUZZ_CHECK(result == 0 && line.events.empty() && line.pauses.empty(),
                   "an init string too long reached the line");
        return 0;
    }

    std::string formatted = format.expected(first, second);
    if (formatted.size() > kFormattedSize - 1)
        formatted.resize(kFormattedSize - 1);
    const std::string dialCommand = formatted + "\r";
    const bool dialFits = dialCommand.size() + 1 <= kBeeperLineSize;

    const std::vector<WriteKind> expected = {
        {"init string", initCommand, 1},
        {"AT", "AT\r", 1},
        {"dial command", dialFits ? dialCommand : std::string(), 1},
        {"+++", "+++", 1},
        {"ATH0", "ATH0\r", 1},
    };
    const std::vector<std::size_t> writes = line.WriteIndexes();
    const std::vector<std::size_t> kinds = ClassifyWrites(line, expected);
    FUZZ_CHECK(!kinds.empty() && kinds[0] == Init,
               "the session did not start with the init string");
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const std::size_t room = kinds[i] == Dial ? kBeeperLineSize : kCommandBufferSize;
        FUZZ_CHECK(line.events[writes[i]].text.size() < room,
                   "write " + std::to_string(i) + " does not fit its buffer");
    }

    const auto dial = std::find(kinds.begin(), kinds.end(), Dial);
    const bool dialWritten = dial != kinds.end() && line.events[writes[dial - kinds.begin()]].ok;
    FUZZ_CHECK(result == (dialWritten ? 1 : 0), "result " + std::to_string(result) +
                                                    " but the dial command was " +
                                                    (dialWritten ? "written" : "not written"));
    std::uint64_t maxClockMs = std::uint64_t{kMaxReads} * kBeeperTimeouts.readTotal;
    if (result == 1) {
        const std::size_t at = writes[dial - kinds.begin()];
        const LineEvent* afterDial = line.After(at);
        FUZZ_CHECK(IsReadOf(afterDial, kBeeperLineSize - 1),
                   "the dial command was not followed by a read of the line buffer");
        FUZZ_CHECK(kinds.size() >= 2 && kinds[kinds.size() - 2] == Plus && kinds.back() == Ath &&
                       writes[writes.size() - 2] == at + 2,
                   "after the dial the session did not hang up at once");
        const std::vector<std::uint32_t> pauses = {Commas(dialCommand) * 2000 + 1000, extraWaitMs,
                                                   kHangUpPauseMs};
        FUZZ_CHECK(line.pauses == pauses,
                   "pauses do not match the dial command \"" + Shown(dialCommand) + "\"");
        maxClockMs += pauses[0] + std::uint64_t{extraWaitMs} + kHangUpPauseMs;
    } else {
        FUZZ_CHECK(kinds.back() <= Dial && line.pauses.empty(),
                   "hung up or paused without having dialled");
    }
    FUZZ_CHECK(line.clockMs <= maxClockMs, "took " + std::to_string(line.clockMs) + " ms");
    return 0;
}
