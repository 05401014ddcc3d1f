// Named scenarios of the modem simulator and the behaviour switches each one sets.
// A scenario only flips switches; the modem and the terminal read them. Two
// terminal switches come from command-line options instead: the logon password
// the terminal insists on and the longest block it takes.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace modemsim {

// What a dial leads to once the connect delay has passed.
enum class DialAnswer {
    Connect,   // CONNECT 1200, then the paging terminal
    Busy,      // BUSY
    NoCarrier, // NO CARRIER
    Silent,    // off hook at once without a word (the numeric line)
};

// Stands for "the value of --busy-count" in the scenario table.
constexpr int kBusyCountOption = -1;
// Stands for "every block" in forced_naks.
constexpr int kEveryBlock = 1 << 30;
// A logon password is at most this many letters and digits.
constexpr std::size_t kMaxPasswordChars = 6;

struct ModemBehaviour {
    bool mute = false;        // reads everything, never answers, echoes or connects
    bool echo_locked = false; // E0 is refused with ERROR and echo stays on
    DialAnswer answer = DialAnswer::Connect;
    int busy_dials = 0;   // the first dials of the run answer BUSY instead
    bool numeric = false; // each dial string is recorded as a numeric page
};

struct TerminalBehaviour {
    bool id_in_connect = false;         // "ID=" right after CONNECT, without a CR
    int ignored_crs = 0;                // wake-up CRs ignored before the first "ID="
    int forced_naks = 0;                // first blocks of the run answered NAK regardless
    int deflected_logons = 0;           // first logons of the run answered "ID=" again
    bool eot_instead_of_ack = false;    // a good last block gets ESC EOT CR and a hang-up
    bool junk_forever = false;          // busy notices every 100 ms, never "ID="
    bool carrier_lost_in_block = false; // the carrier drops at a block's final CR
    bool rs_block = false;              // every good block is answered RS CR
    // The logon password required (--password); none when password_chars is 0.
    std::array<char, kMaxPasswordChars> password{};
    std::size_t password_chars = 0;
    // Blocks whose text (STX to ETX/ETB/US, both excluded) is longer are answered
    // RS (--max-block); 0: no limit.
    std::size_t max_block_chars = 0;
};

struct Behaviour {
    ModemBehaviour modem{};
    TerminalBehaviour terminal{};
};

struct Scenario {
    std::string_view name;
    std::string_view summary;
    Behaviour behaviour;
};

std::span<const Scenario> AllScenarios();

// The scenario of that name, or nullptr.
const Scenario* FindScenario(std::string_view name);

// The scenario's switches with the option values filled in.
Behaviour ResolveBehaviour(const Scenario& scenario, int busy_count);

// True for a password a logon can carry: 1 to 6 letters and digits.
bool IsTapPassword(std::string_view password);
// Makes the terminal require password; false (and nothing changed) when it is
// not one IsTapPassword accepts.
bool RequirePassword(TerminalBehaviour& terminal, std::string_view password);
// The password the terminal requires; empty when it takes any.
std::string_view RequiredPassword(const TerminalBehaviour& terminal);

} // namespace modemsim
