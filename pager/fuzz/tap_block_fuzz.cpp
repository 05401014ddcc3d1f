// Fuzzes the transmission block and the trace expansion with arbitrary pager
// IDs and messages.
//
// Input: a byte giving the size of a small trace buffer (its value modulo 64),
// then the pager ID and the message as Text fields (see fuzz_input.h).
//
// Checked: the payload count; the block as built and as checksummed matches an
// independent reconstruction, fits its buffer and has the block's framing; the
// checksum step leaves a block with no room for its checksum untouched; the
// trace expansion of the ID, the message and the block into a small and a full
// trace buffer matches the reference and ends terminated.
#include "fuzz_input.h"
#include "tap_reference.h"

#include "pager/line_codes.h"
#include "pager/tap_block.h"
#include "pager/trace_expand.h"

#include <algorithm>
#include <cstring>
#include <memory>

using pager::BlockBuffer;
using pager::kBlockBufferSize;
using pager::kMaxBlockPayload;

namespace {

constexpr std::size_t kMaxTextLength = 4096;
constexpr char kUnwritten = static_cast<char>(0xA5);

// The text in a block buffer up to its terminating zero, which must be inside.
std::string TerminatedText(const BlockBuffer& block, const char* step) {
    const void* zero = std::memchr(block.data(), '\0', block.size());
    FUZZ_CHECK(zero != nullptr, std::string(step) + " left the block unterminated");
    return {block.data(), static_cast<std::size_t>(static_cast<const char*>(zero) - block.data())};
}

void CheckFraming(const std::string& block) {
    FUZZ_CHECK(block.size() >= 8 && block.size() < kBlockBufferSize,
               "block length " + std::to_string(block.size()));
    FUZZ_CHECK(block[0] == pager::kStx, "block does not start with STX: " + Shown(block));
    const std::size_t idEnd = block.find('\r');
    const std::size_t etx = block.size() - 5;
    FUZZ_CHECK(block.compare(etx - 1, 2, "\r\x03") == 0 && block.back() == '\r',
               "block framing: " + Shown(block));
    for (std::size_t i = 1; i < idEnd; ++i)
        FUZZ_CHECK(block[i] >= '0' && block[i] <= '9', "non-digit in the ID: " + Shown(block));
    for (std::size_t i = idEnd + 1; i < etx - 1; ++i) {
        auto b = static_cast<unsigned char>(block[i]);
        FUZZ_CHECK(b >= 0x20 && b <= 0x7F, "unprintable message byte: " + Shown(block));
    }
    for (std::size_t i = etx + 1; i < etx + 4; ++i)
        FUZZ_CHECK(block[i] >= 0x30 && block[i] <= 0x3F, "checksum character: " + Shown(block));
    FUZZ_CHECK(block.substr(etx + 1, 3) == BlockChecksum(block.substr(0, etx + 1)),
               "checksum does not match the block's bytes: " + Shown(block));
}

void CheckBlock(const std::optional<std::string>& pagerId,
                const std::optional<std::string>& message) {
    const std::string id = pagerId.value_or("");
    const std::string text = message.value_or("");
    const std::size_t payload = pager::AlphaBlockPayload(PointerOf(pagerId), PointerOf(message));
    const std::size_t expectedPayload = BlockIdDigits(id).size() + BlockMessageBytes(text).size();
    FUZZ_CHECK(payload == expectedPayload, "AlphaBlockPayload " + std::to_string(payload) +
                                               ", expected " + std::to_string(expectedPayload));

    // On the heap and exactly its size, so the sanitizer sees any overflow.
    auto block = std::make_unique<BlockBuffer>();
    block->fill(kUnwritten);
    pager::BuildAlphaBlock(*block, PointerOf(pagerId), PointerOf(message));
    const std::string expected = ReferenceBlock(id, text, kMaxBlockPayload);
    const std::string built = TerminatedText(*block, "BuildAlphaBlock");
    FUZZ_CHECK(built == expected.substr(0, expected.size() - 4),
               "built block \"" + Shown(built) + "\", expected \"" + Shown(expected) + "\"");

    pager::AppendBlockChecksum(*block);
    const std::string whole = TerminatedText(*block, "AppendBlockChecksum");
    FUZZ_CHECK(whole == expected,
               "block \"" + Shown(whole) + "\", expected \"" + Shown(expected) + "\"");
    CheckFraming(whole);
    if (payload <= kMaxBlockPayload)
        FUZZ_CHECK(whole.size() == payload + pager::kBlockFramingBytes - 1,
                   "a block whose payload fits was cut: " + Shown(whole));
}

// AppendBlockChecksum on arbitrary text: it adds checksum and CR when they fit
// with the zero byte, and otherwise touches nothing.
void CheckChecksumOnRawText(const std::string& raw) {
    auto block = std::make_unique<BlockBuffer>();
    block->fill(kUnwritten);
    const std::size_t length = std::min(raw.size(), kBlockBufferSize);
    std::memcpy(block->data(), raw.data(), length);
    if (length < kBlockBufferSize)
        (*block)[length] = '\0';
    const BlockBuffer before = *block;
    pager::AppendBlockChecksum(*block);
    if (length + 5 > kBlockBufferSize) {
        FUZZ_CHECK(*block == before, "a block without room for its checksum was changed");
        return;
    }
    const std::string appended(block->data() + length, 5);
    const std::string expected = BlockChecksum(raw.substr(0, length)) + "\r" + std::string(1, '\0');
    FUZZ_CHECK(appended == expected,
               "appended \"" + Shown(appended) + "\" after " + std::to_string(length) + " bytes");
    FUZZ_CHECK(std::memcmp(block->data(), before.data(), length) == 0 &&
                   std::memcmp(block->data() + length + 5, before.data() + length + 5,
                               kBlockBufferSize - length - 5) == 0,
               "AppendBlockChecksum changed bytes outside its five");
}

void CheckExpansion(const char* text, std::size_t outSize) {
    const std::string expected = ReferenceTraceExpansion(text ? text : "", outSize);
    // At least one byte allocated, so an empty span still has a guard byte to watch.
    std::unique_ptr<char[]> out(new char[outSize ? outSize : 1]);
    std::memset(out.get(), kUnwritten, outSize ? outSize : 1);
    const std::size_t length = pager::ExpandTraceText(text, std::span<char>(out.get(), outSize));
    FUZZ_CHECK(length == expected.size(), "expansion length " + std::to_string(length) +
                                              ", expected " + std::to_string(expected.size()) +
                                              " into " + std::to_string(outSize) + " bytes");
    if (outSize == 0) {
        FUZZ_CHECK(out[0] == kUnwritten, "an empty output buffer was written");
        return;
    }
    FUZZ_CHECK(std::memcmp(out.get(), expected.data(), length) == 0 && out[length] == '\0',
               "expansion \"" + Shown(std::string(out.get(), length)) + "\", expected \"" +
                   Shown(expected) + "\"");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::size_t smallTrace = in.Byte() % 64;
    const std::optional<std::string> pagerId = in.Text(kMaxTextLength);
    const std::optional<std::string> message = in.Text(kMaxTextLength);

    CheckBlock(pagerId, message);
    CheckChecksumOnRawText(message.value_or(""));

    const std::string block =
        ReferenceBlock(pagerId.value_or(""), message.value_or(""), kMaxBlockPayload);
    for (std::size_t outSize : {smallTrace, pager::kTraceLineSize}) {
        CheckExpansion(PointerOf(pagerId), outSize);
        CheckExpansion(PointerOf(message), outSize);
        CheckExpansion(block.c_str(), outSize);
    }
    return 0;
}
