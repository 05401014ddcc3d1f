// The one run state of the toolkit core (see run_state.h) and its end.
#include "run_state.h"

#include <utility>

namespace stf {

RunState g_run;
SRWLOCK g_logLock = SRWLOCK_INIT;
SRWLOCK g_symbolLock = SRWLOCK_INIT;

void EndRunState() {
    RunState ended;
    {
        const ExclusiveLock log(g_logLock);
        const ExclusiveLock symbols(g_symbolLock);
        std::swap(ended, g_run);
    }
}

} // namespace stf
