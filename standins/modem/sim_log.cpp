// Log and record text; see sim_log.h.
#include "standins/modem/sim_log.h"

#include "common/bounded_format.h"

#include <array>

namespace modemsim {
namespace {

bool Printable(unsigned char c) {
    return c >= 0x20 && c < 0x7f;
}

std::string Stamp(std::int64_t micros) {
    if (micros < 0)
        micros = 0;
    std::array<char, 32> buf;
    postern::FormatText(buf, "%6lld.%03lld", static_cast<long long>(micros / 1000),
                        static_cast<long long>(micros % 1000));
    return buf.data();
}

} // namespace

std::string ShowBytes(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (char ch : bytes) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (Printable(c)) {
            text += ch;
            continue;
        }
        std::array<char, 8> code;
        postern::FormatText(code, "<%u>", static_cast<unsigned>(c));
        text += code.data();
    }
    return text;
}

std::string HexBytes(std::string_view bytes) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (char ch : bytes) {
        unsigned char c = static_cast<unsigned char>(ch);
        text += kDigits[c >> 4];
        text += kDigits[c & 0x0f];
    }
    return text;
}

std::string TrafficLine(std::int64_t micros, Direction direction, std::string_view bytes) {
    std::string line = Stamp(micros);
    line += direction == Direction::FromClient ? " DTE> " : " <DCE ";
    line += ShowBytes(bytes);
    return line;
}

std::string EventLine(std::int64_t micros, std::string_view text) {
    std::string line = Stamp(micros);
    line += " EVENT ";
    line += ShowBytes(text);
    return line;
}

std::string PageRecord(const AcceptedPage& page, int speed) {
    std::string line = "page pager=" + ShowBytes(page.pager);
    line += " message=" + ShowBytes(page.message);
    line += " password=" + ShowBytes(page.password);
    line += " speed=" + std::to_string(speed);
    line += " block_hex=" + HexBytes(page.block);
    return line;
}

std::string DialRecord(std::string_view number, int speed) {
    return "dial number=" + ShowBytes(number) + " speed=" + std::to_string(speed);
}

} // namespace modemsim
