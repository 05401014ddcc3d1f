// The library's single transaction slot. One page transaction runs at a time in
// the whole process, whatever port it uses.
#pragma once

#include <atomic>

namespace pager {

class ModemLine;

enum PortBusyValue : int {
    kPortFree = 0,
    kNumericTransaction = 1,
    kAlphanumericTransaction = 2,
};

// 0 = free; otherwise the kind of transaction that holds the slot.
extern std::atomic<int> PortBusy;

// Takes the slot for value, waiting while another transaction holds it: one
// "port in use, delaying %u" trace line and a one-second pause per wait, at most
// 20 waits. The number shown is the count of waits so far (1 to 20).
// Returns false when the slot stayed taken.
bool ClaimPort(ModemLine& line, int value);

// Frees the slot; every exit of a transaction that claimed it ends here.
void ReleasePort();

} // namespace pager
