// The monitor data file watchsvc.dat: its fixed layout, read whole into one
// in-memory image, and the reader's steps that do not touch the platform.
//
// The file is 15920 bytes: two 32-bit words, the time text, 14 service entries,
// 80 denied addresses and 64 address entries, all little-endian, IPv4 addresses
// in network order. The image is the file's bytes as they lie in the file, so
// the structures below must match it to the byte; the checks after each one
// keep it so.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

namespace monitor {

inline constexpr std::size_t kServiceCount = 14;
inline constexpr std::size_t kDeniedCount = 80;
inline constexpr std::size_t kAddressCount = 64;
inline constexpr std::size_t kMonitorFileSize = 15920;

// Four bytes in network order: the first byte is the first number of the
// dotted form. All four zero marks an empty slot.
using Ipv4Address = std::array<std::uint8_t, 4>;

struct ServiceEntry {
    std::array<char, 32> label;       // replaces the row's label when not empty
    std::array<char, 128> detail1;    // log column 2
    std::array<char, 28> detail2;     // log column 3
    std::array<char, 256> statusText; // the row's status text
    std::uint32_t value1;
    std::uint32_t flags; // bit 0: the row's label is coloured
    std::uint32_t state; // 4: running
    std::uint32_t fault; // 0: no fault
    std::uint32_t value3;
    std::uint16_t value4;
    std::uint16_t reserved;
};

struct AddressEntry {
    std::array<std::uint8_t, 64> unused; // never read
    Ipv4Address address;
    std::array<char, 72> text;
};

struct MonitorFile {
    std::uint32_t monitorWord;
    std::uint32_t webWord;
    std::array<char, 80> timeText;
    std::array<ServiceEntry, kServiceCount> services;
    std::array<Ipv4Address, kDeniedCount> denied;
    std::array<AddressEntry, kAddressCount> addresses;
};

// The image is the file's bytes: little-endian integers only on a
// little-endian machine, and no padding anywhere.
static_assert(std::endian::native == std::endian::little,
              "the data file's integers are little-endian and are used in place");
static_assert(std::is_standard_layout_v<MonitorFile> && std::is_trivially_copyable_v<MonitorFile>);

static_assert(sizeof(ServiceEntry) == 468);
static_assert(offsetof(ServiceEntry, label) == 0);
static_assert(offsetof(ServiceEntry, detail1) == 32);
static_assert(offsetof(ServiceEntry, detail2) == 160);
static_assert(offsetof(ServiceEntry, statusText) == 188);
static_assert(offsetof(ServiceEntry, value1) == 444);
static_assert(offsetof(ServiceEntry, flags) == 448);
static_assert(offsetof(ServiceEntry, state) == 452);
static_assert(offsetof(ServiceEntry, fault) == 456);
static_assert(offsetof(ServiceEntry, value3) == 460);
static_assert(offsetof(ServiceEntry, value4) == 464);
static_assert(offsetof(ServiceEntry, reserved) == 466);

static_assert(sizeof(Ipv4Address) == 4);
static_assert(sizeof(AddressEntry) == 140);
static_assert(offsetof(AddressEntry, unused) == 0);
static_assert(offsetof(AddressEntry, address) == 64);
static_assert(offsetof(AddressEntry, text) == 68);

static_assert(sizeof(MonitorFile) == kMonitorFileSize);
static_assert(offsetof(MonitorFile, monitorWord) == 0);
static_assert(offsetof(MonitorFile, webWord) == 4);
static_assert(offsetof(MonitorFile, timeText) == 8);
static_assert(offsetof(MonitorFile, services) == 88);
static_assert(sizeof(MonitorFile::services) == 6552);
static_assert(offsetof(MonitorFile, denied) == 6640);
static_assert(sizeof(MonitorFile::denied) == 320);
static_assert(offsetof(MonitorFile, addresses) == 6960);
static_assert(sizeof(MonitorFile::addresses) == 8960);

// Shown in the top text until a read of the file reaches timeText.
inline constexpr std::string_view kNoDataFileText = "no data file";
// Every status text after a read that cannot open the file.
inline constexpr std::string_view kNoDataText = "No data";

// The image at program start: all zero but timeText, which reads "no data file".
constexpr MonitorFile InitialMonitorFile() {
    MonitorFile image{};
    for (std::size_t i = 0; i < kNoDataFileText.size(); ++i)
        image.timeText[i] = kNoDataFileText[i];
    return image;
}

// The reads of one poll, in file order: 4 bytes into monitorWord, 4 into
// webWord, 80 into timeText, 6552 into the services, 320 into denied and 8960
// into the addresses. A read that meets the end of the file stops there, so a
// short file overwrites only as much of the image as it holds and every later
// byte keeps what it held before; bytes past 15920 are not read.
void DecodeMonitorFile(MonitorFile& image, std::span<const std::uint8_t> file);

// What a read that cannot open the file changes: each status text becomes
// "No data"; nothing else.
void MarkNoData(MonitorFile& image);

// A text field up to its terminating zero, or the whole field when the writer
// left no zero inside it.
std::string_view FieldText(std::span<const char> field);

// Copies FieldText(field) into out, terminated, cut to fit; an empty out is
// left alone. True when the whole text fitted.
bool CopyFieldText(std::span<const char> field, std::span<char> out);

// A field's text with room for the terminator that the field may lack.
template <std::size_t N> using FieldTextBuffer = std::array<char, N + 1>;

// True for an empty address slot.
constexpr bool IsEmptyAddress(const Ipv4Address& address) {
    return address[0] == 0 && address[1] == 0 && address[2] == 0 && address[3] == 0;
}

} // namespace monitor
