// The paging terminal; see tap_terminal.h.
#include "standins/modem/tap_terminal.h"

#include <algorithm>

namespace modemsim {
namespace {

constexpr std::string_view kLogonAccepted = "110 1.8\r\x06\r\x1b[p\r";
constexpr std::string_view kPageAccepted = "211 Page(s) Sent Successfully\r\x06\r";
constexpr std::string_view kBlockRefused = "\r\x15\r";
constexpr std::string_view kBadPagerId = "\r238 Invalid pager ID\r\x1e\r";
constexpr std::string_view kBlockTooLong = "\x1e\r";
constexpr std::string_view kGoodbye = "115 Goodbye\r\x1b\x04\r";
constexpr std::string_view kDisconnect = "\x1b\x04\r";
constexpr std::string_view kJunkLine = "PLEASE WAIT - QUEUE FULL\r\n";
constexpr std::string_view kServiceType = "PG1";
constexpr std::size_t kMaxLogonChars = 32;

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsBlockEnd(char c) {
    return c == tap::ETX || c == tap::ETB || c == tap::US;
}

std::string_view BlockEndName(char c) {
    return c == tap::ETX ? "ETX" : c == tap::ETB ? "ETB" : "US";
}

} // namespace

unsigned TapChecksum(std::string_view bytes) {
    unsigned sum = 0;
    for (char c : bytes)
        sum += static_cast<unsigned char>(c);
    return sum & 0xfff;
}

std::array<char, 3> TapChecksumChars(std::string_view bytes) {
    unsigned sum = TapChecksum(bytes);
    return {static_cast<char>(0x30 + ((sum >> 8) & 0xf)),
            static_cast<char>(0x30 + ((sum >> 4) & 0xf)), static_cast<char>(0x30 + (sum & 0xf))};
}

TapTerminal::TapTerminal(const TerminalBehaviour& behaviour, RunCounters& counters)
    : behaviour_(behaviour), counters_(counters) {}

void TapTerminal::Connect(std::int64_t now, TerminalOutput& out) {
    Disconnect();
    state_ = State::WaitWake;
    last_activity_ = now;
    if (behaviour_.junk_forever) {
        next_junk_ = now + kJunkIntervalMs;
    } else if (behaviour_.id_in_connect) {
        SendId(out);
    }
}

void TapTerminal::Disconnect() {
    state_ = State::Closed;
    next_junk_ = kNever;
    crs_seen_ = 0;
    logon_failures_ = 0;
    eot_pending_ = false;
    escape_seen_ = false;
    logon_overflow_ = false;
    logon_.clear();
    password_.clear();
    block_.clear();
    terminator_ = 0;
    ClearPage();
}

void TapTerminal::Receive(std::int64_t now, std::string_view bytes, TerminalOutput& out) {
    for (char b : bytes) {
        if (state_ == State::Closed)
            return;
        last_activity_ = now;
        HandleByte(b, out);
    }
}

void TapTerminal::Tick(std::int64_t now, TerminalOutput& out) {
    if (state_ == State::Closed)
        return;
    if (now - last_activity_ >= kIdleHangupMs) {
        out.events.push_back("terminal idle for 60 s, hanging up");
        HangUp(out);
        return;
    }
    if (state_ == State::WaitWake && now >= next_junk_) {
        out.bytes += kJunkLine;
        next_junk_ = now + kJunkIntervalMs;
    }
}

std::int64_t TapTerminal::NextDeadline() const {
    if (state_ == State::Closed)
        return kNever;
    std::int64_t deadline = last_activity_ + kIdleHangupMs;
    if (state_ == State::WaitWake)
        deadline = std::min(deadline, next_junk_);
    return deadline;
}

void TapTerminal::HandleByte(char b, TerminalOutput& out) {
    switch (state_) {
    case State::WaitWake:
        OnWakeByte(b, out);
        break;
    case State::WaitLogon:
        OnLogonByte(b, out);
        break;
    case State::WaitBlock:
        OnIdleByte(b, out);
        break;
    case State::InBlock:
        OnBlockByte(b, out);
        break;
    case State::Closed:
        break;
    }
}

// Before the first "ID=" only CRs matter.
void TapTerminal::OnWakeByte(char b, TerminalOutput& out) {
    if (b != tap::CR || behaviour_.junk_forever)
        return;
    ++crs_seen_;
    if (crs_seen_ > behaviour_.ignored_crs)
        SendId(out);
}

// Logon line: ESC "PG1" [password] CR. A line without ESC is a prompt for "ID=".
void TapTerminal::OnLogonByte(char b, TerminalOutput& out) {
    if (b == tap::LF)
        return;
    if (b == tap::CR) {
        if (eot_pending_)
            Goodbye(out);
        else if (!escape_seen_)
            SendId(out);
        else
            EvaluateLogon(out);
        return;
    }
    if (b == tap::EOT) {
        eot_pending_ = true;
        return;
    }
    eot_pending_ = false;
    if (b == tap::ESC) {
        escape_seen_ = true;
        logon_overflow_ = false;
        logon_.clear();
        return;
    }
    if (!escape_seen_)
        return;
    if (logon_.size() < kMaxLogonChars)
        logon_ += b;
    else
        logon_overflow_ = true;
}

void TapTerminal::EvaluateLogon(TerminalOutput& out) {
    std::string line = logon_;
    bool overflow = logon_overflow_;
    escape_seen_ = false;
    logon_overflow_ = false;
    logon_.clear();

    if (counters_.deflected_logons < behaviour_.deflected_logons) {
        ++counters_.deflected_logons;
        out.events.push_back("logon answered with ID= again (scenario)");
        SendId(out);
        return;
    }
    std::string_view text = line;
    std::string_view password =
        text.size() >= kServiceType.size() ? text.substr(kServiceType.size()) : text;
    bool valid = !overflow && text.starts_with(kServiceType) &&
                 (password.empty() || IsTapPassword(password));
    std::string_view required = RequiredPassword(behaviour_);
    bool accepted = valid && (required.empty() || password == required);
    if (valid && !accepted)
        out.events.push_back("wrong password \"" + std::string(password) + "\"");
    if (accepted) {
        password_ = password;
        state_ = State::WaitBlock;
        out.events.push_back("logon accepted password=" + password_);
        out.bytes += kLogonAccepted;
        return;
    }
    ++logon_failures_;
    out.events.push_back("logon refused: \x1b" + line);
    if (logon_failures_ >= kMaxLogonFailures) {
        out.events.push_back("third bad logon, disconnecting");
        out.bytes += kDisconnect;
        HangUp(out);
        return;
    }
    out.bytes += "\x15\r";
}

// After the go-ahead: a block starts with STX; EOT CR ends the session.
void TapTerminal::OnIdleByte(char b, TerminalOutput& out) {
    if (b == tap::STX) {
        eot_pending_ = false;
        block_.assign(1, b);
        terminator_ = 0;
        state_ = State::InBlock;
        return;
    }
    if (b == tap::LF)
        return;
    if (b == tap::CR && eot_pending_) {
        Goodbye(out);
        return;
    }
    eot_pending_ = b == tap::EOT;
}

void TapTerminal::OnBlockByte(char b, TerminalOutput& out) {
    if (terminator_ == 0 && b == tap::STX) {
        out.events.push_back("STX inside a block: block restarted");
        block_.assign(1, b);
        return;
    }
    block_ += b;
    if (block_.size() > kMaxBlockBytes) {
        out.events.push_back("block longer than 1024 bytes refused");
        out.bytes += kBlockRefused;
        state_ = State::WaitBlock;
        return;
    }
    if (terminator_ == 0) {
        if (IsBlockEnd(b))
            terminator_ = block_.size() - 1;
        return;
    }
    // Three checksum characters, then the block's final CR.
    std::size_t after = block_.size() - 1 - terminator_;
    if (after < 4 && b != tap::CR)
        return;
    if (after == 4 && b == tap::CR) {
        EvaluateBlock(out);
        return;
    }
    out.events.push_back(after < 4 ? "block refused: CR inside the checksum"
                                   : "block refused: no CR after the checksum");
    out.bytes += kBlockRefused;
    state_ = State::WaitBlock;
}

void TapTerminal::EvaluateBlock(TerminalOutput& out) {
    state_ = State::WaitBlock;
    if (behaviour_.carrier_lost_in_block) {
        out.events.push_back("carrier lost at the block's final CR (scenario)");
        HangUp(out);
        return;
    }
    if (counters_.forced_naks < behaviour_.forced_naks) {
        ++counters_.forced_naks;
        out.events.push_back("block answered NAK (scenario)");
        out.bytes += kBlockRefused;
        return;
    }
    std::string_view block = block_;
    std::string_view summed = block.substr(0, terminator_ + 1);
    std::string_view got = block.substr(terminator_ + 1, 3);
    std::array<char, 3> want = TapChecksumChars(summed);
    if (got != std::string_view(want.data(), want.size())) {
        out.events.push_back("block refused: bad checksum got=" + std::string(got) +
                             " want=" + std::string(want.data(), want.size()) +
                             " block_hex=" + HexBytes(block));
        out.bytes += kBlockRefused;
        return;
    }
    std::size_t text_chars = terminator_ - 1;
    if (behaviour_.max_block_chars > 0 && text_chars > behaviour_.max_block_chars) {
        out.events.push_back("block refused: " + std::to_string(text_chars) +
                             " characters, more than " +
                             std::to_string(behaviour_.max_block_chars));
        out.bytes += kBlockTooLong;
        ClearPage();
        return;
    }
    if (behaviour_.rs_block) {
        out.events.push_back("block answered RS (scenario)");
        out.bytes += "\x1e\r";
        ClearPage();
        return;
    }
    if (!TakeFields(block.substr(1, terminator_ - 1))) {
        out.events.push_back("page refused: longer than 16384 bytes");
        out.bytes += "\x1e\r";
        ClearPage();
        return;
    }
    char end = block[terminator_];
    page_bytes_ += block;
    ++page_blocks_;
    if (end != tap::ETX) {
        out.events.push_back("block " + std::to_string(page_blocks_) + " accepted, ends with " +
                             std::string(BlockEndName(end)));
        out.bytes += "\x06\r";
        return;
    }
    FinishPage(out);
}

// Splits a block's body into fields; a field without its CR continues in the next block.
bool TapTerminal::TakeFields(std::string_view body) {
    if (page_bytes_.size() + block_.size() > kMaxTransactionBytes)
        return false;
    for (char c : body) {
        if (c == tap::CR) {
            fields_.push_back(partial_);
            partial_.clear();
        } else {
            partial_ += c;
        }
    }
    return true;
}

void TapTerminal::FinishPage(TerminalOutput& out) {
    if (!partial_.empty()) {
        fields_.push_back(partial_);
        partial_.clear();
    }
    std::string pager = fields_.empty() ? std::string() : fields_[0];
    if (!AllDigits(pager)) {
        out.events.push_back("page refused: invalid pager id \"" + pager + "\"");
        out.bytes += kBadPagerId;
        ClearPage();
        return;
    }
    AcceptedPage page{pager, fields_.size() > 1 ? fields_[1] : std::string(), password_,
                      page_bytes_};
    out.events.push_back("page accepted pager=" + pager +
                         " fields=" + std::to_string(fields_.size()) +
                         " blocks=" + std::to_string(page_blocks_));
    out.pages.push_back(std::move(page));
    ClearPage();
    if (behaviour_.eot_instead_of_ack) {
        out.events.push_back("page answered ESC EOT, disconnecting (scenario)");
        out.bytes += kDisconnect;
        HangUp(out);
        return;
    }
    out.bytes += kPageAccepted;
}

void TapTerminal::ClearPage() {
    fields_.clear();
    partial_.clear();
    page_bytes_.clear();
    page_blocks_ = 0;
}

void TapTerminal::SendId(TerminalOutput& out) {
    out.bytes += "ID=";
    state_ = State::WaitLogon;
    escape_seen_ = false;
    logon_.clear();
}

void TapTerminal::Goodbye(TerminalOutput& out) {
    out.events.push_back("EOT from the caller: goodbye");
    out.bytes += kGoodbye;
    HangUp(out);
}

void TapTerminal::HangUp(TerminalOutput& out) {
    Disconnect();
    out.hung_up = true;
}

} // namespace modemsim
