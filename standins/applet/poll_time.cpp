// Poll time validation; see poll_time.h.
#include "standins/applet/poll_time.h"

namespace applet {

bool ParsePollSeconds(const char* text, unsigned& seconds) {
    if (text == nullptr)
        return false;
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    unsigned value = 0;
    int digits = 0;
    for (; *p >= '0' && *p <= '9'; ++p, ++digits) {
        value = value * 10 + static_cast<unsigned>(*p - '0');
        if (value > kMaxPollSeconds)
            return false; // also keeps the sum from overflowing
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    if (digits == 0 || *p != '\0' || value < kMinPollSeconds)
        return false;
    seconds = value;
    return true;
}

} // namespace applet
