// Reference block and trace expansion; see tap_reference.h.
#include "tap_reference.h"

std::string BlockIdDigits(const std::string& pagerId) {
    std::string digits;
    for (char c : pagerId) {
        if (c >= '0' && c <= '9')
            digits += c;
    }
    return digits;
}

std::string BlockMessageBytes(const std::string& message) {
    std::string bytes;
    for (char c : message) {
        auto b = static_cast<unsigned char>(c);
        if (c == '\r')
            bytes += ' ';
        else if (b >= 0x20 && b <= 0x7F)
            bytes += c;
    }
    return bytes;
}

std::string BlockChecksum(const std::string& framed) {
    unsigned sum = 0;
    for (char c : framed)
        sum += static_cast<unsigned char>(c);
    std::string checksum;
    for (int shift = 8; shift >= 0; shift -= 4)
        checksum += static_cast<char>('0' + ((sum >> shift) & 0xF));
    return checksum;
}

std::string ReferenceBlock(const std::string& pagerId, const std::string& message,
                           std::size_t maxPayload) {
    std::string digits = BlockIdDigits(pagerId);
    std::string bytes = BlockMessageBytes(message);
    if (digits.size() > maxPayload)
        digits.resize(maxPayload);
    if (digits.size() + bytes.size() > maxPayload)
        bytes.resize(maxPayload - digits.size());
    const std::string framed = "\x02" + digits + "\r" + bytes + "\r\x03";
    return framed + BlockChecksum(framed) + "\r";
}

std::string ReferenceTraceExpansion(const std::string& text, std::size_t outSize) {
    std::string out;
    if (outSize == 0)
        return out;
    for (char c : text) {
        if (c == '\0')
            break;
        auto b = static_cast<unsigned char>(c);
        std::string piece(1, c);
        if (!(c == '\r' || c == '\n' || (b >= 0x20 && b <= 0x7F)))
            piece = std::string("<") + (b < 10 ? "0" : "") + std::to_string(b) + ">";
        if (out.size() + piece.size() > outSize - 1)
            break;
        out += piece;
    }
    return out;
}
