// The scenario table; see scenario.h.
#include "standins/modem/scenario.h"

#include <algorithm>
#include <array>

namespace modemsim {
namespace {

constexpr std::array kScenarios = {
    Scenario{"accept", "everything succeeds", {}},
    Scenario{
        "echo-on", "ATE0 is answered ERROR and echo stays on", {.modem = {.echo_locked = true}}},
    Scenario{
        "silent", "reads everything, never answers, echoes or connects", {.modem = {.mute = true}}},
    Scenario{"busy-then-connect",
             "the first --busy-count dials are BUSY, then CONNECT",
             {.modem = {.busy_dials = kBusyCountOption}}},
    Scenario{"busy-always", "every dial is BUSY", {.modem = {.answer = DialAnswer::Busy}}},
    Scenario{
        "no-carrier", "every dial is NO CARRIER", {.modem = {.answer = DialAnswer::NoCarrier}}},
    Scenario{"id-in-connect",
             "the terminal sends ID= right after CONNECT",
             {.terminal = {.id_in_connect = true}}},
    Scenario{"several-crs",
             "the terminal ignores 3 CRs and answers the 4th with ID=",
             {.terminal = {.ignored_crs = 3}}},
    Scenario{"nak-once", "the first block is answered NAK", {.terminal = {.forced_naks = 1}}},
    Scenario{
        "nak-always", "every block is answered NAK", {.terminal = {.forced_naks = kEveryBlock}}},
    Scenario{"eot-instead-of-ack",
             "a good page is recorded, answered ESC EOT CR, line dropped",
             {.terminal = {.eot_instead_of_ack = true}}},
    Scenario{"logon-id-again",
             "the first logon is answered ID= again",
             {.terminal = {.deflected_logons = 1}}},
    Scenario{"junk-forever",
             "busy notices every 100 ms after CONNECT, never ID=",
             {.terminal = {.junk_forever = true}}},
    Scenario{"carrier-lost-in-block",
             "the carrier drops when a block's final CR arrives",
             {.terminal = {.carrier_lost_in_block = true}}},
    Scenario{"rs-block", "every good block is answered RS CR", {.terminal = {.rs_block = true}}},
    Scenario{"numeric",
             "dial string recorded, line stays off hook silently",
             {.modem = {.answer = DialAnswer::Silent, .numeric = true}}},
    Scenario{"numeric-busy",
             "dial string recorded, then BUSY",
             {.modem = {.answer = DialAnswer::Busy, .numeric = true}}},
    Scenario{"numeric-no-carrier",
             "dial string recorded, then NO CARRIER",
             {.modem = {.answer = DialAnswer::NoCarrier, .numeric = true}}},
};

} // namespace

std::span<const Scenario> AllScenarios() {
    return kScenarios;
}

const Scenario* FindScenario(std::string_view name) {
    for (const Scenario& s : kScenarios) {
        if (s.name == name)
            return &s;
    }
    return nullptr;
}

Behaviour ResolveBehaviour(const Scenario& scenario, int busy_count) {
    Behaviour b = scenario.behaviour;
    if (b.modem.busy_dials == kBusyCountOption)
        b.modem.busy_dials = busy_count;
    return b;
}

bool IsTapPassword(std::string_view password) {
    auto alnum = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    };
    return !password.empty() && password.size() <= kMaxPasswordChars &&
           std::all_of(password.begin(), password.end(), alnum);
}

bool RequirePassword(TerminalBehaviour& terminal, std::string_view password) {
    if (!IsTapPassword(password))
        return false;
    std::copy(password.begin(), password.end(), terminal.password.begin());
    terminal.password_chars = password.size();
    return true;
}

std::string_view RequiredPassword(const TerminalBehaviour& terminal) {
    return std::string_view(terminal.password.data(), terminal.password_chars);
}

} // namespace modemsim
