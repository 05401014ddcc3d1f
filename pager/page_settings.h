// The send dialog's line settings, kept in the system profile's "Pager"
// section, and the library-wide 300-baud choice.
#pragma once

#include <windows.h>

#include <array>

namespace pager {

struct PageSettings {
    unsigned port = 1;
    std::array<char, 28> terminal{};   // terminal phone number
    std::array<char, 19> pagerId{};
    std::array<char, 19> password{};   // stored and shown, not sent
    std::array<char, 79> initString{};
};

// Ticked when the library is loaded; keeps the operator's last choice for
// later dialogs in the same process; never stored.
extern bool Baud300;

// Reads every setting (defaults: port 1, init "ATE0", the rest empty). Texts
// longer than their buffers are cut and always terminated.
void LoadPageSettings(PageSettings& settings);

// Writes "Port", "Terminal", "PagerID", "Password" and "InitString", in this order.
void StorePageSettings(const PageSettings& settings);

} // namespace pager
