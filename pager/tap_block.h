// The paging terminal's transmission block: one block carries a pager ID and a
// whole message, framed STX ... CR ETX and closed by a three-character checksum.
#pragma once

#include <array>
#include <cstddef>

namespace pager {

inline constexpr std::size_t kBlockBufferSize = 1024;
using BlockBuffer = std::array<char, kBlockBufferSize>;

// STX, CR, CR, ETX, three checksum characters, CR and the terminating zero.
inline constexpr std::size_t kBlockFramingBytes = 9;
// Largest number of pager-ID digits plus message bytes that fit one block.
inline constexpr std::size_t kMaxBlockPayload = kBlockBufferSize - kBlockFramingBytes;

// Bytes of the pager ID and the message that the block would carry: the ID's
// digits and the message's printable bytes and carriage returns.
std::size_t AlphaBlockPayload(const char* pagerId, const char* message);

// Writes STX, the ID's digits, CR, the message (CR as a space, other control
// bytes and bytes above 0x7F left out), CR, ETX and a terminating zero.
// The caller has checked AlphaBlockPayload against kMaxBlockPayload; a longer
// payload is cut so that the block still fits.
void BuildAlphaBlock(BlockBuffer& block, const char* pagerId, const char* message);

// Replaces the terminating zero by the three checksum characters (the low 12
// bits of the byte sum from STX through ETX, four bits each, most significant
// first, as 0x30 + value) and CR, and terminates the text again.
void AppendBlockChecksum(BlockBuffer& block);

} // namespace pager
