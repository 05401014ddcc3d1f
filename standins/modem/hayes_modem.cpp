// The Hayes modem; see hayes_modem.h.
#include "standins/modem/hayes_modem.h"

#include "common/letter_case.h"
#include "common/bounded_format.h"

#include <algorithm>

namespace modemsim {
namespace {

struct ResultText {
    std::string_view verbose;
    std::string_view numeric;
};

// Indexed by HayesModem::Result (Ok, Connect, NoCarrier, Error, Busy).
constexpr std::array<ResultText, 5> kResults = {{
    {"OK", "0"},
    {"CONNECT 1200", "5"},
    {"NO CARRIER", "3"},
    {"ERROR", "4"},
    {"BUSY", "7"},
}};

struct RegisterDefault {
    int index;
    unsigned char value;
};

// S-registers with a non-zero factory value (S12 follows --guard-ms).
constexpr std::array<RegisterDefault, 9> kRegisterDefaults = {{
    {2, 43},
    {3, 13},
    {4, 10},
    {5, 8},
    {6, 2},
    {7, 50},
    {8, 2},
    {9, 6},
    {10, 14},
}};

// The service classes +FCLASS offers: data only.
constexpr std::string_view kServiceClasses = "0";
constexpr std::string_view kDataClass = "0";
constexpr int kFactoryDtrMode = 2;

constexpr int kGuardRegister = 12;
constexpr int kGuardUnitMs = 20;
constexpr int kEscapeRegister = 2;
constexpr char kBackspace = 0x08;

char Upper(char c) {
    return postern::UpperAZ(c);
}

// Position of the first "AT" (either case), or npos.
std::size_t FindAt(std::string_view line) {
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        if (Upper(line[i]) == 'A' && Upper(line[i + 1]) == 'T')
            return i;
    }
    return std::string_view::npos;
}

// A character of an extended command's name ("+FCLASS").
bool IsNameChar(char c) {
    c = Upper(c);
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("!%-./:_").find(c) != std::string_view::npos;
}

// Decimal digits at pos; fallback when there are none. Large values saturate.
int Number(std::string_view text, std::size_t& pos, int fallback) {
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
        return fallback;
    int value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        value = std::min(value * 10 + (text[pos] - '0'), 100000);
        ++pos;
    }
    return value;
}

} // namespace

HayesModem::HayesModem(const ModemConfig& config)
    : config_(config), terminal_(config_.behaviour.terminal, counters_) {
    ResetSettings();
}

void HayesModem::ResetSettings() {
    echo_ = true;
    verbose_ = true;
    quiet_ = false;
    dtr_mode_ = kFactoryDtrMode;
    sreg_.fill(0);
    for (const RegisterDefault& r : kRegisterDefaults)
        sreg_[r.index] = r.value;
    guard_ms_ = config_.guard_ms;
    sreg_[kGuardRegister] =
        static_cast<unsigned char>(std::clamp<std::int64_t>(guard_ms_ / kGuardUnitMs, 0, 255));
}

SimOutput HayesModem::TakeOutput() {
    SimOutput taken = std::move(out_);
    out_ = SimOutput{};
    return taken;
}

void HayesModem::Receive(std::int64_t now, std::string_view bytes) {
    Tick(now);
    if (config_.behaviour.modem.mute)
        return;
    for (char b : bytes) {
        HandleByte(now, b);
        last_rx_ = now;
    }
}

void HayesModem::Tick(std::int64_t now) {
    if (config_.behaviour.modem.mute)
        return;
    if (mode_ == ModemMode::Dialing && now >= dial_due_)
        FinishDial(now);
    if (mode_ == ModemMode::Online)
        EscapeTimers(now);
    if (call_ == Call::Terminal) {
        terminal_.Tick(now, terminal_out_);
        DrainTerminal();
    }
}

std::int64_t HayesModem::NextDeadline() const {
    if (config_.behaviour.modem.mute)
        return kNever;
    std::int64_t deadline = kNever;
    if (mode_ == ModemMode::Dialing)
        deadline = dial_due_;
    if (mode_ == ModemMode::Online && plus_count_ == 3)
        deadline = std::min(deadline, plus_last_ + guard_ms_);
    else if (mode_ == ModemMode::Online && plus_count_ > 0)
        deadline = std::min(deadline, plus_first_ + guard_ms_ + 1);
    if (call_ == Call::Terminal)
        deadline = std::min(deadline, terminal_.NextDeadline());
    return deadline;
}

void HayesModem::HandleByte(std::int64_t now, char b) {
    switch (mode_) {
    case ModemMode::Command:
    case ModemMode::OnlineCommand:
        CommandByte(now, b);
        break;
    case ModemMode::Dialing:
        // Any key but a line feed abandons a dial, as on a real modem.
        if (b != tap::LF)
            AbortDial();
        break;
    case ModemMode::Online:
        OnlineByte(now, b);
        break;
    }
}

void HayesModem::CommandByte(std::int64_t now, char b) {
    if (echo_)
        Emit(std::string_view(&b, 1));
    if (b == tap::LF)
        return;
    if (b == kBackspace) {
        if (line_len_ > 0)
            --line_len_;
        return;
    }
    if (b == tap::CR) {
        ExecuteLine(now);
        return;
    }
    if (line_len_ < line_.size())
        line_[line_len_++] = b;
    else
        line_overflow_ = true;
}

void HayesModem::ExecuteLine(std::int64_t now) {
    std::string line(line_.data(), line_len_);
    bool overflow = line_overflow_;
    line_len_ = 0;
    line_overflow_ = false;

    std::size_t at = FindAt(line);
    if (at == std::string::npos)
        return; // not a command: ignored without an answer
    if (overflow) {
        Event("command line longer than 256 characters refused");
        SendResult(Result::Error);
        return;
    }
    Result result = RunCommands(now, std::string_view(line).substr(at + 2));
    if (result == Result::Error)
        Event("command refused: " + line.substr(at));
    SendResult(result);
}

HayesModem::Result HayesModem::RunCommands(std::int64_t now, std::string_view commands) {
    std::size_t pos = 0;
    while (pos < commands.size()) {
        char c = Upper(commands[pos++]);
        if (c == ' ')
            continue;
        if (c == 'D')
            return Dial(now, commands.substr(pos));
        if (c == 'O') {
            Number(commands, pos, 0);
            return ReturnOnline();
        }
        if (c == '+') {
            Result r = Extended(commands, pos);
            if (r != Result::Ok)
                return r;
            continue;
        }
        if (c == 'S') {
            Result r = Register(commands, pos);
            if (r != Result::Ok)
                return r;
            continue;
        }
        if (c == '&') {
            if (pos >= commands.size())
                return Result::Error;
            char sub = Upper(commands[pos++]);
            Result r = Ampersand(sub, Number(commands, pos, 0));
            if (r != Result::Ok)
                return r;
            continue;
        }
        int value = Number(commands, pos, 0);
        switch (c) {
        case 'E':
            if (value > 1 || (value == 0 && config_.behaviour.modem.echo_locked))
                return Result::Error;
            echo_ = value == 1;
            break;
        case 'V':
            if (value > 1)
                return Result::Error;
            verbose_ = value == 1;
            break;
        case 'Q':
            if (value > 1)
                return Result::Error;
            quiet_ = value == 1;
            break;
        case 'Z':
            ResetSettings();
            if (call_ != Call::None)
                HangUp("ATZ");
            break;
        case 'H':
            if (value > 1)
                return Result::Error;
            if (value == 0 && call_ != Call::None)
                HangUp("ATH");
            break;
        case 'X':
            if (value > 4)
                return Result::Error;
            break;
        case 'M':
        case 'L':
            if (value > 3)
                return Result::Error;
            break;
        case 'I':
            if (value > 9)
                return Result::Error;
            Emit("\r\nPOSTERN MODEMSIM\r\n");
            break;
        default:
            return Result::Error;
        }
    }
    return Result::Ok;
}

HayesModem::Result HayesModem::Ampersand(char command, int value) {
    switch (command) {
    case 'F':
        ResetSettings();
        return Result::Ok;
    case 'C':
        return value <= 1 ? Result::Ok : Result::Error;
    case 'D':
        if (value > 3)
            return Result::Error;
        dtr_mode_ = value;
        return Result::Ok;
    case 'K':
        return value <= 6 ? Result::Ok : Result::Error;
    default:
        return Result::Error;
    }
}

// Sn=v sets a register, Sn? shows it, Sn alone selects it.
HayesModem::Result HayesModem::Register(std::string_view commands, std::size_t& pos) {
    int index = Number(commands, pos, -1);
    if (index < 0 || index >= static_cast<int>(sreg_.size()))
        return Result::Error;
    if (pos < commands.size() && commands[pos] == '=') {
        ++pos;
        int value = Number(commands, pos, 0);
        if (value > 255)
            return Result::Error;
        sreg_[index] = static_cast<unsigned char>(value);
        if (index == kGuardRegister)
            guard_ms_ = static_cast<std::int64_t>(value) * kGuardUnitMs;
        return Result::Ok;
    }
    if (pos < commands.size() && commands[pos] == '?') {
        ++pos;
        std::array<char, 16> text;
        postern::FormatText(text, "\r\n%03u\r\n", static_cast<unsigned>(sreg_[index]));
        Emit(text.data());
    }
    return Result::Ok;
}

// An extended command: +NAME=? lists the values, +NAME? shows the setting,
// +NAME=value sets it; a ';' may follow before the next command.
HayesModem::Result HayesModem::Extended(std::string_view commands, std::size_t& pos) {
    std::string name;
    while (pos < commands.size() && IsNameChar(commands[pos]))
        name += Upper(commands[pos++]);
    std::string_view rest = commands.substr(pos);
    std::string_view value;
    enum class Form { Test, Read, Set, Action } form = Form::Action;
    if (rest.starts_with("=?")) {
        form = Form::Test;
        pos += 2;
    } else if (rest.starts_with("?")) {
        form = Form::Read;
        pos += 1;
    } else if (rest.starts_with("=")) {
        form = Form::Set;
        std::size_t end = commands.find(';', pos + 1);
        if (end == std::string_view::npos)
            end = commands.size();
        value = commands.substr(pos + 1, end - pos - 1);
        pos = end;
    }
    if (pos < commands.size() && commands[pos] == ';')
        ++pos;
    if (name != "FCLASS")
        return Result::Error;
    switch (form) {
    case Form::Test:
        Emit("\r\n" + std::string(kServiceClasses) + "\r\n");
        return Result::Ok;
    case Form::Read:
        Emit("\r\n" + std::string(kDataClass) + "\r\n");
        return Result::Ok;
    case Form::Set:
        return value == kDataClass ? Result::Ok : Result::Error;
    case Form::Action:
        break;
    }
    return Result::Error;
}

HayesModem::Result HayesModem::Dial(std::int64_t now, std::string_view rest) {
    if (call_ != Call::None)
        return Result::Error;
    std::string_view number = rest;
    if (!number.empty() && (Upper(number[0]) == 'T' || Upper(number[0]) == 'P'))
        number.remove_prefix(1);
    const ModemBehaviour& modem = config_.behaviour.modem;
    Event("dial " + std::string(number) + " speed=" + std::to_string(speed_));
    if (modem.numeric)
        out_.records.push_back(DialRecord(number, speed_));
    ++counters_.dials;
    dial_answer_ = counters_.dials <= modem.busy_dials ? DialAnswer::Busy : modem.answer;
    if (dial_answer_ == DialAnswer::Silent) {
        call_ = Call::Numeric;
        mode_ = ModemMode::Online;
        ClearEscape();
        Event("numeric line off hook");
        return Result::None;
    }
    mode_ = ModemMode::Dialing;
    dial_due_ = now + config_.connect_delay_ms;
    return Result::None;
}

HayesModem::Result HayesModem::ReturnOnline() {
    if (mode_ != ModemMode::OnlineCommand || call_ == Call::None)
        return Result::Error;
    mode_ = ModemMode::Online;
    ClearEscape();
    Event("online again");
    // The numeric line never announced a carrier, so it does not announce one now.
    return call_ == Call::Terminal ? Result::Connect : Result::None;
}

void HayesModem::FinishDial(std::int64_t now) {
    dial_due_ = kNever;
    if (dial_answer_ != DialAnswer::Connect) {
        mode_ = ModemMode::Command;
        bool busy = dial_answer_ == DialAnswer::Busy;
        Event(busy ? "busy" : "no carrier");
        SendResult(busy ? Result::Busy : Result::NoCarrier);
        return;
    }
    mode_ = ModemMode::Online;
    call_ = Call::Terminal;
    ClearEscape();
    Event("connect 1200");
    SendResult(Result::Connect);
    terminal_.Connect(now, terminal_out_);
    DrainTerminal();
}

void HayesModem::AbortDial() {
    dial_due_ = kNever;
    mode_ = ModemMode::Command;
    Event("dial abandoned: a byte arrived from the client");
    SendResult(Result::NoCarrier);
}

// A "+" starts an escape only after a guard time of silence; up to three are held
// back while they may still be one, and go to the line as data once they cannot.
// Pluses too slow to complete an escape have already been flushed by EscapeTimers,
// which Receive runs before any byte.
void HayesModem::OnlineByte(std::int64_t now, char b) {
    unsigned char escape = sreg_[kEscapeRegister];
    bool is_escape = escape <= 127 && static_cast<unsigned char>(b) == escape;
    if (is_escape && plus_count_ == 0 && now - last_rx_ >= guard_ms_) {
        plus_count_ = 1;
        plus_first_ = now;
        plus_last_ = now;
        held_.assign(1, b);
        return;
    }
    if (is_escape && plus_count_ > 0 && plus_count_ < 3) {
        ++plus_count_;
        plus_last_ = now;
        held_ += b;
        return;
    }
    std::string data;
    data.swap(held_);
    plus_count_ = 0;
    data += b;
    ForwardToLine(now, data);
}

void HayesModem::EscapeTimers(std::int64_t now) {
    if (plus_count_ == 3 && now - plus_last_ >= guard_ms_) {
        ClearEscape();
        mode_ = ModemMode::OnlineCommand;
        line_len_ = 0;
        line_overflow_ = false;
        Event("escape");
        SendResult(Result::Ok);
        return;
    }
    if (plus_count_ > 0 && plus_count_ < 3 && now - plus_first_ > guard_ms_) {
        std::string data;
        data.swap(held_);
        plus_count_ = 0;
        ForwardToLine(now, data);
    }
}

void HayesModem::ForwardToLine(std::int64_t now, std::string_view bytes) {
    if (call_ != Call::Terminal)
        return; // the numeric line takes no data
    terminal_.Receive(now, bytes, terminal_out_);
    DrainTerminal();
}

// Passes on what the terminal produced: its bytes only while online (in
// online-command mode the modem keeps the far end's data to itself).
void HayesModem::DrainTerminal() {
    TerminalOutput taken = std::move(terminal_out_);
    terminal_out_ = TerminalOutput{};
    if (mode_ == ModemMode::Online)
        out_.bytes += taken.bytes;
    for (std::string& e : taken.events)
        Event(std::move(e));
    for (const AcceptedPage& page : taken.pages)
        out_.records.push_back(PageRecord(page, speed_));
    if (!taken.hung_up || call_ != Call::Terminal)
        return;
    call_ = Call::None;
    ClearEscape();
    if (mode_ == ModemMode::Online) {
        line_len_ = 0;
        line_overflow_ = false;
    }
    mode_ = ModemMode::Command;
    Event("carrier lost: the terminal hung up");
    SendResult(Result::NoCarrier);
}

void HayesModem::SetDtr(std::int64_t now, bool on) {
    Tick(now);
    if (on == dtr_)
        return;
    dtr_ = on;
    if (!on && !config_.behaviour.modem.mute)
        DtrDropped();
}

// What a DTR drop does follows &D: 0 nothing, 1 online-command mode, 2 hang up,
// 3 hang up and restore the factory settings. The client is not listening for a
// result code then, so none is sent for a hang-up.
void HayesModem::DtrDropped() {
    bool in_call = call_ != Call::None || mode_ == ModemMode::Dialing;
    switch (dtr_mode_) {
    case 0:
        Event("DTR dropped: ignored (&D0)");
        return;
    case 1:
        if (mode_ != ModemMode::Online) {
            Event("DTR dropped: no call online (&D1)");
            return;
        }
        ClearEscape();
        mode_ = ModemMode::OnlineCommand;
        line_len_ = 0;
        line_overflow_ = false;
        Event("DTR dropped: online-command mode (&D1)");
        SendResult(Result::Ok);
        return;
    default:
        break;
    }
    line_len_ = 0;
    line_overflow_ = false;
    if (in_call)
        HangUp("DTR dropped");
    else
        Event("DTR dropped: no call");
    if (dtr_mode_ == 3) {
        ResetSettings();
        Event("settings reset (&D3)");
    }
}

void HayesModem::HangUp(std::string_view why) {
    if (call_ == Call::Terminal)
        terminal_.Disconnect();
    dial_due_ = kNever;
    call_ = Call::None;
    mode_ = ModemMode::Command;
    ClearEscape();
    Event("hangup (" + std::string(why) + ")");
}

void HayesModem::ClearEscape() {
    plus_count_ = 0;
    held_.clear();
}

void HayesModem::Emit(std::string_view bytes) {
    out_.bytes += bytes;
}

void HayesModem::SendResult(Result result) {
    if (result == Result::None || quiet_)
        return;
    const ResultText& text = kResults[static_cast<std::size_t>(result)];
    if (verbose_) {
        out_.bytes += "\r\n";
        out_.bytes += text.verbose;
        out_.bytes += "\r\n";
    } else {
        out_.bytes += text.numeric;
        out_.bytes += "\r";
    }
}

void HayesModem::Event(std::string text) {
    out_.events.push_back(std::move(text));
}

} // namespace modemsim
