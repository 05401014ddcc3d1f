// Encoding of the snapshot file; see watch_layout.h.
#include "standins/services/watch_layout.h"

#include <cstring>

namespace standins {

namespace {

constexpr std::size_t kRowsOffset = 88;
constexpr std::size_t kRowSize = 468;
constexpr std::size_t kDeniedOffset = 6640;
constexpr std::size_t kAddressesOffset = 6960;
constexpr std::size_t kAddressEntrySize = 140;

static_assert(kRowsOffset + kServiceRowCount * kRowSize == kDeniedOffset);
static_assert(kDeniedOffset + kDeniedCount * 4 == kAddressesOffset);
static_assert(kAddressesOffset + kAddressEntryCount * kAddressEntrySize == kSnapshotFileSize);

void PutU16(std::uint8_t* at, std::uint16_t v) {
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Copies the text up to its terminator or the field's last byte; the rest of
// the field (at least its last byte) is zero.
template <std::size_t N> void PutText(std::uint8_t* at, const char (&text)[N]) {
    const void* zero = std::memchr(text, '\0', N);
    std::size_t length = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : N;
    if (length > N - 1)
        length = N - 1;
    std::memcpy(at, text, length);
    std::memset(at + length, 0, N - length);
}

void PutRow(std::uint8_t* at, const ServiceRow& row) {
    PutText(at + 0, row.label);
    PutText(at + 32, row.detail1);
    PutText(at + 160, row.detail2);
    PutText(at + 188, row.statusText);
    PutU32(at + 444, row.value1);
    PutU32(at + 448, row.flags);
    PutU32(at + 452, row.state);
    PutU32(at + 456, row.fault);
    PutU32(at + 460, row.value3);
    PutU16(at + 464, row.value4);
    PutU16(at + 466, 0);
}

void PutAddressEntry(std::uint8_t* at, const AddressEntry& entry) {
    PutText(at + 0, entry.name);
    std::memcpy(at + 64, entry.address.bytes, 4);
    PutText(at + 68, entry.text);
}

} // namespace

void EncodeSnapshot(const Snapshot& snapshot, std::span<std::uint8_t, kSnapshotFileSize> out) {
    std::uint8_t* base = out.data();
    PutU32(base + 0, snapshot.monitorWord);
    PutU32(base + 4, snapshot.webWord);
    PutText(base + 8, snapshot.timeText);
    for (int i = 0; i < kServiceRowCount; ++i)
        PutRow(base + kRowsOffset + i * kRowSize, snapshot.rows[i]);
    for (int i = 0; i < kDeniedCount; ++i)
        std::memcpy(base + kDeniedOffset + i * 4, snapshot.denied[i].bytes, 4);
    for (int i = 0; i < kAddressEntryCount; ++i)
        PutAddressEntry(base + kAddressesOffset + i * kAddressEntrySize, snapshot.addresses[i]);
}

} // namespace standins
