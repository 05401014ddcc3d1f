// The simulator's end of the serial line: a pseudo-terminal pair in raw mode.
// The simulator keeps its own slave descriptor open for its whole life, so the
// master never reads EIO when the client closes the port and a later open works.
// A pty keeps 8 data bits without parity whatever the client asks, and refuses a
// setting whose only change is one it cannot keep; so after each change the
// client makes, Check() reports it and puts raw settings back, keeping the speed.
#pragma once

#include "standins/modem/unique_fd.h"

#include <string>
#include <termios.h>

namespace modemsim {

// What the client asked for, as far as a pty shows it.
struct LineSettings {
    int speed = 0;             // bit/s
    bool parity_check = false; // INPCK
    bool parity = false;       // PARENB
    bool seven_bits = false;   // CS7
};

struct LineCheck {
    bool changed = false; // the settings differ from those left by the last check
    LineSettings requested;
    int restore_errno = 0; // non-zero when putting raw settings back failed
};

// Bit/s of a termios speed constant; 0 for one not in the table.
int SpeedToBps(speed_t speed);

class PtyLine {
  public:
    bool Open(std::string& error);
    int master() const { return master_.get(); }
    const std::string& slave_path() const { return slave_path_; }
    int speed() const { return speed_; }
    LineCheck Check();

  private:
    bool Settle(std::string& error);

    UniqueFd master_;
    UniqueFd slave_;
    std::string slave_path_;
    int speed_ = 0;
    termios settled_{}; // the settings as the last check left them
};

} // namespace modemsim
