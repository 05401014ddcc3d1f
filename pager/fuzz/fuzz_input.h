// Reading a fuzz input as a sequence of fields, and the check that ends a run
// with a message when a property of the code under test does not hold.
//
// Field encodings (every read past the end yields zeros or empty text, so any
// byte string is a valid input):
//   Byte  one byte
//   U32   four bytes, little-endian
//   Text  a caller's text: a length byte L; 0xFF stands for a null pointer and
//         nothing follows; otherwise a repeat byte R and L content bytes, and
//         the text is the content R + 1 times over (capped by the caller).
//         Like every C text it ends at its first zero byte.
#pragma once

#include <cstddef>
#include "common/fuzz_check.h"

#include <cstdint>
#include <optional>
#include <string>

// Text with control bytes and bytes above 0x7E written as \xNN, for messages.
std::string Shown(const std::string& text);

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool AtEnd() const { return at_ >= size_; }
    std::uint8_t Byte();
    std::uint32_t U32();
    // Up to count bytes (fewer when the input ends first).
    std::string Bytes(std::size_t count);
    // A caller's text, at most maxLength bytes; no value for a null pointer.
    std::optional<std::string> Text(std::size_t maxLength);

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// The pointer a caller would pass for a text read by FuzzInput::Text.
inline const char* PointerOf(const std::optional<std::string>& text) {
    return text ? text->c_str() : nullptr;
}
