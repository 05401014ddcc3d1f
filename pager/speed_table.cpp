// The speed selector table.
#include "pager/speed_table.h"

#include <array>
#include <utility>

namespace pager {
namespace {

constexpr std::array<std::uint32_t, 10> kSpeedTable = {300,   1200,  2400,  4800,  9600,
                                                       14400, 19200, 38400, 57600, 115200};

} // namespace

std::uint32_t BitRateForSelector(long selector, PageKind kind) {
    if (selector >= 0 && selector < static_cast<long>(kSpeedTable.size()))
        return kSpeedTable[static_cast<std::size_t>(selector)];
    // in_range compares across signedness: a 32-bit long cannot hold
    // UINT32_MAX, so a cast of it would be -1 and refuse every rate.
    if (selector >= 300 && std::in_range<std::uint32_t>(selector))
        return static_cast<std::uint32_t>(selector);
    return kind == PageKind::Alphanumeric ? 300 : 1200;
}

} // namespace pager
