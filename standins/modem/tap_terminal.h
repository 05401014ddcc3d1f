// The paging terminal at the far end of a call: the alphanumeric paging protocol
// (wake-up CR, "ID=", ESC PG1 logon with an optional password, STX...ETX blocks
// with a 3-character checksum, EOT CR to end). A terminal may insist on a password
// and on a block length limit. Pure state machine: bytes and a clock in, bytes and
// results out.
#pragma once

#include "standins/modem/scenario.h"
#include "standins/modem/sim_log.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace modemsim {

namespace tap {
constexpr char STX = 0x02;
constexpr char ETX = 0x03;
constexpr char EOT = 0x04;
constexpr char ACK = 0x06;
constexpr char LF = 0x0a;
constexpr char CR = 0x0d;
constexpr char NAK = 0x15;
constexpr char ETB = 0x17;
constexpr char ESC = 0x1b;
constexpr char RS = 0x1e;
constexpr char US = 0x1f;
} // namespace tap

constexpr std::int64_t kNever = INT64_MAX;
constexpr std::int64_t kIdleHangupMs = 60000;
constexpr std::int64_t kJunkIntervalMs = 100;
constexpr std::size_t kMaxBlockBytes = 1024;        // STX through final CR
constexpr std::size_t kMaxTransactionBytes = 16384; // all blocks of one page
constexpr int kMaxLogonFailures = 3;

// Sum of the bytes (STX through ETX/ETB/US), low 12 bits.
unsigned TapChecksum(std::string_view bytes);
// The checksum as sent: three 4-bit groups, most significant first, each 0x30 + group.
std::array<char, 3> TapChecksumChars(std::string_view bytes);

// Counters that last for the whole run, across calls (the "first block of the run").
struct RunCounters {
    int dials = 0;
    int forced_naks = 0;
    int deflected_logons = 0;
};

// What the terminal produced during one call into it.
struct TerminalOutput {
    std::string bytes;               // to the caller
    std::vector<std::string> events; // for the log
    std::vector<AcceptedPage> pages; // accepted pages
    bool hung_up = false;            // the terminal dropped the line
};

class TapTerminal {
  public:
    TapTerminal(const TerminalBehaviour& behaviour, RunCounters& counters);

    // A new call has been answered at now.
    void Connect(std::int64_t now, TerminalOutput& out);
    // The caller hung up: forget the call without a word.
    void Disconnect();
    void Receive(std::int64_t now, std::string_view bytes, TerminalOutput& out);
    void Tick(std::int64_t now, TerminalOutput& out);
    std::int64_t NextDeadline() const;
    bool connected() const { return state_ != State::Closed; }

  private:
    enum class State { Closed, WaitWake, WaitLogon, WaitBlock, InBlock };

    void HandleByte(char b, TerminalOutput& out);
    void OnWakeByte(char b, TerminalOutput& out);
    void OnLogonByte(char b, TerminalOutput& out);
    void OnIdleByte(char b, TerminalOutput& out);
    void OnBlockByte(char b, TerminalOutput& out);
    void EvaluateLogon(TerminalOutput& out);
    void EvaluateBlock(TerminalOutput& out);
    bool TakeFields(std::string_view body);
    void FinishPage(TerminalOutput& out);
    void ClearPage();
    void SendId(TerminalOutput& out);
    void Goodbye(TerminalOutput& out);
    void HangUp(TerminalOutput& out);

    const TerminalBehaviour& behaviour_;
    RunCounters& counters_;

    State state_ = State::Closed;
    std::int64_t last_activity_ = 0;
    std::int64_t next_junk_ = kNever;
    int crs_seen_ = 0;
    int logon_failures_ = 0;
    bool eot_pending_ = false;

    bool escape_seen_ = false; // the logon line has started with ESC
    bool logon_overflow_ = false;
    std::string logon_;    // logon line after ESC
    std::string password_; // of the accepted logon

    std::string block_;               // current block, STX onwards
    std::size_t terminator_ = 0;      // index of ETX/ETB/US in block_, 0 while none
    std::vector<std::string> fields_; // completed fields of the current page
    std::string partial_;             // field continued from an earlier block
    std::string page_bytes_;          // every block of the current page
    int page_blocks_ = 0;
};

} // namespace modemsim
