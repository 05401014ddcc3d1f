// Data files for tests, written byte by byte at the documented offsets (not
// through the image's structures, so that a wrong structure shows up).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace monitor_test {

inline constexpr std::size_t kFileSize = 15920;
inline constexpr std::size_t kTimeText = 8;
inline constexpr std::size_t kServices = 88;
inline constexpr std::size_t kServiceSize = 468;
inline constexpr std::size_t kDenied = 6640;
inline constexpr std::size_t kAddresses = 6960;
inline constexpr std::size_t kAddressSize = 140;

// Offsets inside a service entry.
enum ServiceField : std::size_t {
    kLabel = 0,
    kDetail1 = 32,
    kDetail2 = 160,
    kStatusText = 188,
    kValue1 = 444,
    kFlags = 448,
    kState = 452,
    kFault = 456,
    kValue3 = 460,
    kValue4 = 464,
};

class FileBytes {
  public:
    explicit FileBytes(std::size_t size = kFileSize, std::uint8_t fill = 0) : bytes_(size, fill) {}

    FileBytes& U32(std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes_.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
        return *this;
    }
    FileBytes& U16(std::size_t at, std::uint16_t value) {
        bytes_.at(at) = static_cast<std::uint8_t>(value);
        bytes_.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
        return *this;
    }
    // The text and its terminating zero (none when withZero is false).
    FileBytes& Text(std::size_t at, std::string_view text, bool withZero = true) {
        for (std::size_t i = 0; i < text.size(); ++i)
            bytes_.at(at + i) = static_cast<std::uint8_t>(text[i]);
        if (withZero)
            bytes_.at(at + text.size()) = 0;
        return *this;
    }
    FileBytes& Address(std::size_t at, std::uint8_t a, std::uint8_t b, std::uint8_t c,
                       std::uint8_t d) {
        bytes_.at(at) = a;
        bytes_.at(at + 1) = b;
        bytes_.at(at + 2) = c;
        bytes_.at(at + 3) = d;
        return *this;
    }

    FileBytes& Header(std::uint32_t monitorWord, std::uint32_t webWord, std::string_view time) {
        return U32(0, monitorWord).U32(4, webWord).Text(kTimeText, time);
    }
    static std::size_t Service(std::size_t row, ServiceField field) {
        return kServices + row * kServiceSize + field;
    }
    FileBytes& ServiceText(std::size_t row, ServiceField field, std::string_view text) {
        return Text(Service(row, field), text);
    }
    FileBytes& ServiceU32(std::size_t row, ServiceField field, std::uint32_t value) {
        return U32(Service(row, field), value);
    }
    FileBytes& Denied(std::size_t slot, std::uint8_t a, std::uint8_t b, std::uint8_t c,
                      std::uint8_t d) {
        return Address(kDenied + 4 * slot, a, b, c, d);
    }
    FileBytes& AddressEntry(std::size_t slot, std::uint8_t a, std::uint8_t b, std::uint8_t c,
                            std::uint8_t d, std::string_view text) {
        Address(kAddresses + slot * kAddressSize + 64, a, b, c, d);
        return Text(kAddresses + slot * kAddressSize + 68, text);
    }

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::vector<std::uint8_t> Prefix(std::size_t n) const {
        return {bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(n)};
    }

  private:
    std::vector<std::uint8_t> bytes_;
};

} // namespace monitor_test
