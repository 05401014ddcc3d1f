// Drives a HayesModem with a hand-set clock for the unit tests.
#pragma once

#include "standins/modem/hayes_modem.h"
#include "standins/modem/scenario.h"

#include <array>
#include <cstdint>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace modemsim::testing {

// Behaviour of the named scenario (busy count 2).
inline Behaviour ScenarioBehaviour(std::string_view name) {
    const Scenario* s = FindScenario(name);
    return s ? ResolveBehaviour(*s, 2) : Behaviour{};
}

class Driver {
  public:
    explicit Driver(std::string_view scenario = "accept", std::int64_t guard_ms = 500)
        : modem_(Config(scenario, guard_ms)) {
        modem_.SetLineSpeed(300);
    }

    // Sends bytes at the current time; returns the modem's answer.
    std::string Send(std::string_view bytes) {
        modem_.Receive(now_, bytes);
        return Collect();
    }
    // Moves the clock on, running every timer on the way; returns what came out.
    std::string Wait(std::int64_t ms) {
        std::int64_t end = now_ + ms;
        for (;;) {
            std::int64_t next = modem_.NextDeadline();
            if (next > end)
                break;
            if (next > now_)
                now_ = next;
            modem_.Tick(now_);
            if (modem_.NextDeadline() == next) {
                ADD_FAILURE() << "a timer due at " << next << " did not move on";
                break;
            }
        }
        now_ = end;
        modem_.Tick(now_);
        return Collect();
    }
    // Sends bytes, then waits; returns everything said meanwhile.
    std::string SendAndWait(std::string_view bytes, std::int64_t ms) {
        std::string out = Send(bytes);
        out += Wait(ms);
        return out;
    }
    // The client raises or drops DTR at the current time; returns the modem's answer.
    std::string SetDtr(bool on) {
        modem_.SetDtr(now_, on);
        return Collect();
    }
    // Dials and waits past the connect delay.
    std::string Dial() { return SendAndWait("ATDT5551234\r", 100); }
    // Turns echo off, dials, wakes the terminal, logs on; returns everything said.
    std::string Logon(std::string_view logon = "\x1bPG1\r") {
        std::string out = Send("ATE0\r");
        out += Dial();
        out += Send("\r");
        out += Send(logon);
        return out;
    }

    HayesModem& modem() { return modem_; }
    const std::vector<std::string>& records() const { return records_; }
    const std::vector<std::string>& events() const { return events_; }
    bool HasEvent(std::string_view part) const {
        for (const std::string& e : events_) {
            if (e.find(part) != std::string::npos)
                return true;
        }
        return false;
    }

  private:
    static ModemConfig Config(std::string_view scenario, std::int64_t guard_ms) {
        ModemConfig c;
        c.connect_delay_ms = 50;
        c.guard_ms = guard_ms;
        c.behaviour = ScenarioBehaviour(scenario);
        return c;
    }
    std::string Collect() {
        SimOutput out = modem_.TakeOutput();
        records_.insert(records_.end(), out.records.begin(), out.records.end());
        events_.insert(events_.end(), out.events.begin(), out.events.end());
        return out.bytes;
    }

    HayesModem modem_;
    std::int64_t now_ = 10000;
    std::vector<std::string> records_;
    std::vector<std::string> events_;
};

// A complete block: STX, fields each followed by CR, the end byte, checksum, CR.
inline std::string Block(std::initializer_list<std::string_view> fields, char end = '\x03') {
    std::string b(1, '\x02');
    for (std::string_view f : fields) {
        b += f;
        b += '\r';
    }
    b += end;
    std::array<char, 3> sum = TapChecksumChars(b);
    b.append(sum.data(), sum.size());
    b += '\r';
    return b;
}

inline const std::string kLogonOk = "110 1.8\r\x06\r\x1b[p\r";
inline const std::string kPageOk = "211 Page(s) Sent Successfully\r\x06\r";
inline const std::string kNak = "\r\x15\r";

} // namespace modemsim::testing
