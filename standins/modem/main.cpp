// modemsim: a Hayes modem with a paging terminal and a numeric pager line behind
// it, on a pseudo-terminal. This file is the shell around the modem's state
// machine: options, the pty and its link, the poll loop, the log and the record.
#include "standins/modem/files.h"
#include "standins/modem/hayes_modem.h"
#include "standins/modem/pty_line.h"
#include "standins/modem/scenario.h"
#include "standins/modem/sim_log.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <string>
#include <unistd.h>

namespace {

using namespace modemsim;

constexpr int kExitOk = 0;
constexpr int kExitStartFailed = 1;
constexpr int kExitUsage = 2;
constexpr std::int64_t kLinePollMs = 15;           // how often the termios is checked
constexpr std::size_t kMaxPendingOutput = 1 << 20; // bytes the client has not taken yet
constexpr std::size_t kReadChunk = 512;

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int) {
    g_stop = 1;
}

struct Options {
    std::string link;
    std::string scenario = "accept";
    std::string log;
    std::string record;
    std::string ready_file;
    long connect_delay_ms = 50;
    long guard_ms = 500;
    long busy_count = 2;
    std::string password; // the terminal requires it when not empty
    long max_block = 0;   // longest block text the terminal takes; 0: no limit
};

void PrintUsage(std::FILE* to) {
    std::fprintf(to,
                 "usage: modemsim --link PATH [--scenario NAME] [--log FILE] [--record FILE]\n"
                 "                [--connect-delay MS] [--guard-ms MS] [--busy-count N]\n"
                 "                [--ready-file FILE] [--password PW] [--max-block N]\n"
                 "  --password PW  the terminal refuses a logon without PW (1-6 letters, digits)\n"
                 "  --max-block N  the terminal answers RS to a block whose text (STX to\n"
                 "                 ETX/ETB/US, both excluded) is longer than N characters\n"
                 "scenarios:\n");
    for (const Scenario& s : AllScenarios()) {
        std::fprintf(to, "  %-22.*s %.*s\n", static_cast<int>(s.name.size()), s.name.data(),
                     static_cast<int>(s.summary.size()), s.summary.data());
    }
}

bool ParseCount(const char* text, long& out) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 0 || value > 86400000)
        return false;
    out = value;
    return true;
}

enum class Parsed { Run, Help, Bad };

// Stores one option's value; false when the option is unknown or its value bad.
bool TakeOption(Options& o, const std::string& name, const char* value) {
    if (name == "--link")
        o.link = value;
    else if (name == "--scenario")
        o.scenario = value;
    else if (name == "--log")
        o.log = value;
    else if (name == "--record")
        o.record = value;
    else if (name == "--ready-file")
        o.ready_file = value;
    else if (name == "--connect-delay")
        return ParseCount(value, o.connect_delay_ms);
    else if (name == "--guard-ms")
        return ParseCount(value, o.guard_ms);
    else if (name == "--busy-count")
        return ParseCount(value, o.busy_count);
    else if (name == "--password") {
        o.password = value;
        return IsTapPassword(o.password);
    } else if (name == "--max-block")
        return ParseCount(value, o.max_block);
    else
        return false;
    return true;
}

Parsed ParseOptions(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return Parsed::Help;
        std::size_t eq = arg.find('=');
        std::string name = arg.substr(0, eq);
        const char* value = nullptr;
        if (eq != std::string::npos)
            value = argv[i] + eq + 1;
        else if (i + 1 < argc)
            value = argv[++i];
        if (value == nullptr || !TakeOption(o, name, value)) {
            std::fprintf(stderr, "modemsim: bad option or value: %s\n", arg.c_str());
            return Parsed::Bad;
        }
    }
    if (o.link.empty()) {
        std::fprintf(stderr, "modemsim: --link PATH is required\n");
        return Parsed::Bad;
    }
    if (FindScenario(o.scenario) == nullptr) {
        std::fprintf(stderr, "modemsim: unknown scenario: %s\n", o.scenario.c_str());
        return Parsed::Bad;
    }
    return Parsed::Run;
}

std::int64_t MonotonicMicros() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

struct Shell {
    explicit Shell(const ModemConfig& config) : modem(config) {}

    PtyLine pty;
    HayesModem modem;
    AppendFile log;
    AppendFile record;
    std::string pending; // bytes for the client not yet taken by the pty
    std::int64_t start_us = 0;
};

std::int64_t Elapsed(const Shell& sh) {
    return MonotonicMicros() - sh.start_us;
}

void WriteLog(Shell& sh, const std::string& line) {
    std::string error;
    if (!sh.log.WriteLine(line, error))
        std::fprintf(stderr, "modemsim: log: %s\n", error.c_str());
}

void Event(Shell& sh, std::int64_t us, const std::string& text) {
    WriteLog(sh, EventLine(us, text));
}

// Logs and queues whatever the modem produced.
void Publish(Shell& sh, std::int64_t us) {
    SimOutput out = sh.modem.TakeOutput();
    for (const std::string& e : out.events)
        Event(sh, us, e);
    for (const std::string& r : out.records) {
        std::string error;
        if (!sh.record.WriteLine(r, error)) {
            std::fprintf(stderr, "modemsim: record: %s\n", error.c_str());
            Event(sh, us, "record write failed (" + error + "): " + r);
        }
    }
    if (out.bytes.empty())
        return;
    WriteLog(sh, TrafficLine(us, Direction::ToClient, out.bytes));
    if (sh.pending.size() + out.bytes.size() > kMaxPendingOutput) {
        Event(sh, us,
              "client is not reading: dropped " + std::to_string(sh.pending.size()) +
                  " unsent bytes");
        sh.pending.clear();
    }
    sh.pending += out.bytes;
}

void CheckLine(Shell& sh, std::int64_t us) {
    LineCheck check = sh.pty.Check();
    if (!check.changed)
        return;
    const LineSettings& r = check.requested;
    std::string text = "line speed=" + std::to_string(r.speed) +
                       " parity-check=" + (r.parity_check ? "on" : "off") +
                       " parenb=" + (r.parity ? "on" : "off") +
                       " cs7=" + (r.seven_bits ? "on" : "off");
    Event(sh, us, text);
    if (check.restore_errno != 0) {
        Event(sh, us,
              std::string("restoring raw line settings failed: ") +
                  std::strerror(check.restore_errno));
    }
    sh.modem.SetLineSpeed(sh.pty.speed());
    // A pty has no DTR line: a termios client drops DTR by setting speed 0 (B0) and
    // raises it with any other speed. A drop shorter than kLinePollMs can go unseen.
    sh.modem.SetDtr(us / 1000, r.speed != 0);
}

void ReadClient(Shell& sh) {
    char buf[kReadChunk];
    ssize_t n = ::read(sh.pty.master(), buf, sizeof buf);
    std::int64_t us = Elapsed(sh);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        Event(sh, us,
              std::string("read from the pty failed: ") +
                  (n == 0 ? "end of file" : std::strerror(errno)));
        ::usleep(10000); // our slave descriptor stays open, so this should not repeat
        return;
    }
    std::string_view bytes(buf, static_cast<std::size_t>(n));
    WriteLog(sh, TrafficLine(us, Direction::FromClient, bytes));
    sh.modem.Receive(us / 1000, bytes);
    Publish(sh, us);
}

void WritePending(Shell& sh) {
    while (!sh.pending.empty()) {
        ssize_t n = ::write(sh.pty.master(), sh.pending.data(), sh.pending.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return;
        if (n <= 0) {
            Event(sh, Elapsed(sh),
                  std::string("write to the pty failed: ") + std::strerror(errno) + "; dropped " +
                      std::to_string(sh.pending.size()) + " bytes");
            sh.pending.clear();
            return;
        }
        sh.pending.erase(0, static_cast<std::size_t>(n));
    }
}

int PollTimeout(const Shell& sh) {
    std::int64_t now_ms = Elapsed(sh) / 1000;
    std::int64_t deadline = sh.modem.NextDeadline();
    std::int64_t wait = kLinePollMs;
    if (deadline != kNever)
        wait = std::clamp<std::int64_t>(deadline - now_ms, 0, kLinePollMs);
    return static_cast<int>(wait);
}

void RunLoop(Shell& sh, const sigset_t& run_mask) {
    while (!g_stop) {
        pollfd pfd{sh.pty.master(), static_cast<short>(POLLIN | (sh.pending.empty() ? 0 : POLLOUT)),
                   0};
        int ms = PollTimeout(sh);
        timespec timeout{ms / 1000, (ms % 1000) * 1000000L};
        int ready = ::ppoll(&pfd, 1, &timeout, &run_mask);
        if (ready < 0 && errno != EINTR) {
            Event(sh, Elapsed(sh), std::string("poll failed: ") + std::strerror(errno));
            ::usleep(10000);
        }
        std::int64_t us = Elapsed(sh);
        CheckLine(sh, us);
        sh.modem.Tick(us / 1000);
        Publish(sh, us);
        if (ready > 0 && (pfd.revents & POLLIN))
            ReadClient(sh);
        if (ready > 0 && (pfd.revents & POLLHUP))
            ::usleep(5000); // cannot happen while we hold the slave; avoid a busy loop
        WritePending(sh);
    }
}

// Blocks the stop signals except inside ppoll, so none is lost between checks.
bool InstallSignals(sigset_t& run_mask, std::string& error) {
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    if (::sigaction(SIGTERM, &sa, nullptr) != 0 || ::sigaction(SIGINT, &sa, nullptr) != 0 ||
        ::sigprocmask(SIG_BLOCK, &stop, &run_mask) != 0) {
        error = std::string("cannot install signal handlers: ") + std::strerror(errno);
        return false;
    }
    sigdelset(&run_mask, SIGTERM);
    sigdelset(&run_mask, SIGINT);
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

bool StartUp(Shell& sh, const Options& o, sigset_t& run_mask, std::string& error) {
    if (!InstallSignals(run_mask, error) || !sh.log.Open(o.log, error) ||
        !sh.record.Open(o.record, error) || !sh.pty.Open(error) ||
        !ReplaceSymlink(o.link, sh.pty.slave_path(), error))
        return false;
    sh.modem.SetLineSpeed(sh.pty.speed());
    Event(sh, Elapsed(sh),
          "start scenario=" + o.scenario + " link=" + o.link + " slave=" + sh.pty.slave_path() +
              " speed=" + std::to_string(sh.pty.speed()) + " connect-delay=" +
              std::to_string(o.connect_delay_ms) + " guard-ms=" + std::to_string(o.guard_ms) +
              " busy-count=" + std::to_string(o.busy_count) + " password=" + o.password +
              " max-block=" + std::to_string(o.max_block));
    if (!o.ready_file.empty() && !ReplaceFile(o.ready_file, sh.pty.slave_path() + "\n", error))
        return false;
    std::printf("modemsim ready %s\n", sh.pty.slave_path().c_str());
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    switch (ParseOptions(argc, argv, options)) {
    case Parsed::Help:
        PrintUsage(stdout);
        return kExitOk;
    case Parsed::Bad:
        PrintUsage(stderr);
        return kExitUsage;
    case Parsed::Run:
        break;
    }
    ModemConfig config;
    config.connect_delay_ms = options.connect_delay_ms;
    config.guard_ms = options.guard_ms;
    config.behaviour =
        ResolveBehaviour(*FindScenario(options.scenario), static_cast<int>(options.busy_count));
    if (!options.password.empty())
        RequirePassword(config.behaviour.terminal, options.password);
    config.behaviour.terminal.max_block_chars = static_cast<std::size_t>(options.max_block);

    Shell sh(config);
    sh.start_us = MonotonicMicros();
    sigset_t run_mask;
    std::string error;
    if (!StartUp(sh, options, run_mask, error)) {
        std::fprintf(stderr, "modemsim: %s\n", error.c_str());
        return kExitStartFailed;
    }
    RunLoop(sh, run_mask);
    Event(sh, Elapsed(sh), "stop");
    return kExitOk;
}
