// The transaction slot.
#include "pager/port_claim.h"

#include "pager/modem_line.h"

namespace pager {

std::atomic<int> PortBusy{kPortFree};

namespace {
constexpr unsigned kMaxWaits = 20;

bool TryClaim(int value) {
    int expected = kPortFree;
    return PortBusy.compare_exchange_strong(expected, value);
}
} // namespace

bool ClaimPort(ModemLine& line, int value) {
    for (unsigned waits = 0;; ++waits) {
        if (TryClaim(value))
            return true;
        if (waits == kMaxWaits)
            return false;
        TraceFormat(line, "port in use, delaying %u\r\n", waits + 1);
        line.Pause(1000);
    }
}

void ReleasePort() { PortBusy.store(kPortFree); }

} // namespace pager
