// Independent reconstructions of what the pager's text code must produce: the
// transmission block for a pager ID and message, its checksum, and the trace
// window's expansion of a line. The fuzzers compare the real code against these.
#pragma once

#include <cstddef>
#include <string>

// The ID's digits and the message's bytes (printable 0x20..0x7F, CR shown as a
// space) that a block carries, before any cut.
std::string BlockIdDigits(const std::string& pagerId);
std::string BlockMessageBytes(const std::string& message);

// The three checksum characters for the bytes of a block from STX through ETX.
std::string BlockChecksum(const std::string& framed);

// The whole block: STX, digits, CR, message bytes, CR, ETX, checksum, CR. The
// digits and message bytes together are cut to maxPayload, digits first.
std::string ReferenceBlock(const std::string& pagerId, const std::string& message,
                           std::size_t maxPayload);

// The expansion of text into an output buffer of outSize bytes (zero byte included).
std::string ReferenceTraceExpansion(const std::string& text, std::size_t outSize);
