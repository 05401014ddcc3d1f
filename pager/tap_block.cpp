// Building and checksumming the transmission block.
#include "pager/tap_block.h"

#include "pager/line_codes.h"

#include "common/bounded_format.h"

namespace pager {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A message byte that reaches the pager: printable 0x20..0x7F, or CR (sent as a space).
bool IsMessageByte(char c) {
    auto b = static_cast<unsigned char>(c);
    return (b >= 0x20 && b <= 0x7F) || c == kCr;
}

} // namespace

std::size_t AlphaBlockPayload(const char* pagerId, const char* message) {
    std::size_t n = 0;
    for (const char* p = pagerId ? pagerId : ""; *p; ++p)
        n += IsDigit(*p) ? 1 : 0;
    for (const char* p = message ? message : ""; *p; ++p)
        n += IsMessageByte(*p) ? 1 : 0;
    return n;
}

void BuildAlphaBlock(BlockBuffer& block, const char* pagerId, const char* message) {
    // Room for the payload: everything but the framing bytes.
    const std::size_t payloadEnd = 1 + kMaxBlockPayload;
    std::size_t at = 0;
    block[at++] = kStx;
    for (const char* p = pagerId ? pagerId : ""; *p && at < payloadEnd; ++p) {
        if (IsDigit(*p))
            block[at++] = *p;
    }
    block[at++] = kCr;
    for (const char* p = message ? message : ""; *p && at < payloadEnd + 1; ++p) {
        if (*p == kCr)
            block[at++] = ' ';
        else if (IsMessageByte(*p))
            block[at++] = *p;
    }
    block[at++] = kCr;
    block[at++] = kEtx;
    block[at] = '\0';
}

void AppendBlockChecksum(BlockBuffer& block) {
    std::size_t end = postern::BoundedLength(block);
    if (end + 5 > block.size())
        return; // no room: BuildAlphaBlock never leaves a block this long
    unsigned sum = 0;
    for (std::size_t i = 0; i < end; ++i)
        sum += static_cast<unsigned char>(block[i]);
    sum &= 0xFFF;
    block[end++] = static_cast<char>(0x30 + ((sum >> 8) & 0xF));
    block[end++] = static_cast<char>(0x30 + ((sum >> 4) & 0xF));
    block[end++] = static_cast<char>(0x30 + (sum & 0xF));
    block[end++] = kCr;
    block[end] = '\0';
}

} // namespace pager
