// A Hayes-compatible data modem: command mode (AT command lines, echo, result codes,
// the +FCLASS service class), dialing, online mode with the "+++" guard-time escape,
// online-command mode, the DTR line (&D), and the line behind it (the paging
// terminal or the numeric pager line).
// Pure state machine: bytes from the client and a clock in milliseconds go in;
// bytes for the client, log events and record lines come out through TakeOutput().
#pragma once

#include "standins/modem/scenario.h"
#include "standins/modem/tap_terminal.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace modemsim {

struct ModemConfig {
    std::int64_t connect_delay_ms = 50;
    std::int64_t guard_ms = 500;
    Behaviour behaviour;
};

struct SimOutput {
    std::string bytes;                // for the client
    std::vector<std::string> events;  // log event texts
    std::vector<std::string> records; // record lines
};

enum class ModemMode { Command, Dialing, Online, OnlineCommand };

class HayesModem {
  public:
    explicit HayesModem(const ModemConfig& config);
    HayesModem(const HayesModem&) = delete;
    HayesModem& operator=(const HayesModem&) = delete;

    // Bytes from the client at now. Timers due by now run first.
    void Receive(std::int64_t now, std::string_view bytes);
    // Runs the timers due by now.
    void Tick(std::int64_t now);
    // When Tick next has something to do; kNever if nothing is scheduled.
    std::int64_t NextDeadline() const;
    // The line speed the client set, recorded with each page and dial.
    void SetLineSpeed(int bps) { speed_ = bps; }
    // The client raised or dropped DTR at now; a drop acts as &D says (&D2: hang up).
    void SetDtr(std::int64_t now, bool on);
    SimOutput TakeOutput();

    ModemMode mode() const { return mode_; }
    bool echo() const { return echo_; }

  private:
    enum class Call { None, Terminal, Numeric };
    enum class Result { Ok, Connect, NoCarrier, Error, Busy, None }; // None: no result code now

    void HandleByte(std::int64_t now, char b);
    void CommandByte(std::int64_t now, char b);
    void OnlineByte(std::int64_t now, char b);
    void ExecuteLine(std::int64_t now);
    Result RunCommands(std::int64_t now, std::string_view commands);
    Result Ampersand(char command, int value);
    Result Register(std::string_view commands, std::size_t& pos);
    Result Extended(std::string_view commands, std::size_t& pos);
    void DtrDropped();
    Result Dial(std::int64_t now, std::string_view rest);
    Result ReturnOnline();
    void FinishDial(std::int64_t now);
    void AbortDial();
    void EscapeTimers(std::int64_t now);
    void ForwardToLine(std::int64_t now, std::string_view bytes);
    void DrainTerminal();
    void HangUp(std::string_view why);
    void ResetSettings();
    void ClearEscape();
    void Emit(std::string_view bytes);
    void SendResult(Result result);
    void Event(std::string text);

    ModemConfig config_;
    RunCounters counters_;
    TapTerminal terminal_;
    TerminalOutput terminal_out_;
    SimOutput out_;

    ModemMode mode_ = ModemMode::Command;
    Call call_ = Call::None;
    int speed_ = 0;
    bool dtr_ = true;

    // Settings (ATZ and AT&F restore them).
    bool echo_ = true;
    bool verbose_ = true;
    bool quiet_ = false;
    int dtr_mode_ = 2; // &D
    std::array<unsigned char, 100> sreg_{};
    std::int64_t guard_ms_ = 500;

    // Command line being typed.
    std::array<char, 256> line_{};
    std::size_t line_len_ = 0;
    bool line_overflow_ = false;

    // Dial in progress.
    std::int64_t dial_due_ = kNever;
    DialAnswer dial_answer_ = DialAnswer::Connect;

    // Escape detection: "+" characters held back while they may be an escape.
    std::int64_t last_rx_ = INT64_MIN / 2;
    int plus_count_ = 0;
    std::int64_t plus_first_ = 0;
    std::int64_t plus_last_ = 0;
    std::string held_;
};

} // namespace modemsim
