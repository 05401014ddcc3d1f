// The pseudo-terminal line; see pty_line.h.
#include "standins/modem/pty_line.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace modemsim {
namespace {

struct SpeedEntry {
    speed_t code;
    int bps;
};

constexpr std::array<SpeedEntry, 23> kSpeeds = {{
    {B0, 0},           {B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},
    {B150, 150},       {B200, 200},       {B300, 300},       {B600, 600},       {B1200, 1200},
    {B1800, 1800},     {B2400, 2400},     {B4800, 4800},     {B9600, 9600},     {B19200, 19200},
    {B38400, 38400},   {B57600, 57600},   {B115200, 115200}, {B230400, 230400}, {B460800, 460800},
    {B500000, 500000}, {B576000, 576000}, {B921600, 921600},
}};

constexpr tcflag_t kSpeedBits = CBAUD | CIBAUD;

// Raw flags, leaving the speed and the control characters as they are.
void MakeRaw(termios& t) {
    t.c_iflag = 0;
    t.c_oflag = 0;
    t.c_lflag = 0;
    t.c_cflag = (t.c_cflag & kSpeedBits) | CS8 | CREAD | CLOCAL;
}

bool SameFlags(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_lflag == b.c_lflag &&
           (a.c_cflag & ~kSpeedBits) == (b.c_cflag & ~kSpeedBits);
}

std::string Failure(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

int SpeedToBps(speed_t speed) {
    for (const SpeedEntry& e : kSpeeds) {
        if (e.code == speed)
            return e.bps;
    }
    return 0;
}

bool PtyLine::Open(std::string& error) {
    UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!master) {
        error = Failure("posix_openpt");
        return false;
    }
    if (::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0) {
        error = Failure("cannot unlock the pseudo-terminal");
        return false;
    }
    std::array<char, 128> name{};
    if (::ptsname_r(master.get(), name.data(), name.size()) != 0) {
        error = Failure("ptsname_r");
        return false;
    }
    UniqueFd slave(::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave) {
        error = Failure("cannot open the pseudo-terminal slave");
        return false;
    }
    int flags = ::fcntl(master.get(), F_GETFL);
    if (flags < 0 || ::fcntl(master.get(), F_SETFL, flags | O_NONBLOCK) != 0) {
        error = Failure("cannot make the master non-blocking");
        return false;
    }
    master_ = std::move(master);
    slave_ = std::move(slave);
    slave_path_ = name.data();

    termios t{};
    if (::tcgetattr(slave_.get(), &t) != 0) {
        error = Failure("tcgetattr");
        return false;
    }
    MakeRaw(t);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(slave_.get(), TCSANOW, &t) != 0) {
        error = Failure("tcsetattr");
        return false;
    }
    return Settle(error);
}

// Remembers the settings as they now are, so the next change shows.
bool PtyLine::Settle(std::string& error) {
    if (::tcgetattr(slave_.get(), &settled_) != 0) {
        error = Failure("tcgetattr");
        return false;
    }
    speed_ = SpeedToBps(::cfgetospeed(&settled_));
    return true;
}

LineCheck PtyLine::Check() {
    LineCheck check;
    termios now{};
    if (!slave_ || ::tcgetattr(slave_.get(), &now) != 0)
        return check;
    int bps = SpeedToBps(::cfgetospeed(&now));
    if (bps == speed_ && SameFlags(now, settled_))
        return check;

    check.changed = true;
    check.requested.speed = bps;
    check.requested.parity_check = (now.c_iflag & INPCK) != 0;
    check.requested.parity = (now.c_cflag & PARENB) != 0;
    check.requested.seven_bits = (now.c_cflag & CSIZE) == CS7;

    termios raw = now;
    MakeRaw(raw);
    if (!SameFlags(raw, now) && ::tcsetattr(slave_.get(), TCSANOW, &raw) != 0)
        check.restore_errno = errno;
    std::string ignored;
    if (!Settle(ignored))
        speed_ = bps;
    return check;
}

} // namespace modemsim
