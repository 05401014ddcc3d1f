// Line speeds and character formats of the two kinds of page.
#pragma once

#include <cstdint>

namespace pager {

enum class PageKind {
    Alphanumeric, // 7 data bits, even parity, one stop bit; default 300 bit/s
    Numeric,      // 8 data bits, no parity, one stop bit; default 1200 bit/s
};

// Selector 0..9 picks from the table (300 .. 115200); 300 or more is the bit
// rate itself; anything else (negative, 10..299) is the kind's default.
std::uint32_t BitRateForSelector(long selector, PageKind kind);

} // namespace pager
