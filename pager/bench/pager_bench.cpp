// Times pages through the modem simulator on COM1 against the floor that the
// conversation's own waits set, and prints the figures; it never fails on them.
//
//   pager_bench.exe alpha PAGES CONNECT_DELAY_MS    (simulator scenario "accept")
//     floor: after each reply the read waits out its interval time-out (2000 ms
//     for the init and dial replies, 1000 ms for the terminal's five replies and
//     the ATH0 reply), the 1000 ms pause before ATH0, and the simulator's
//     connect delay.
//   pager_bench.exe numeric PAGES EXTRA_WAIT_MS     (simulator scenario "numeric")
//     floor: the read interval is 0, so every read runs its full 2000 ms (the
//     init reply, the read after dialling, the ATH0 reply); 2000 ms per comma of
//     "ATDT%s,,,%s" plus 1000 ms; the extra wait; the 1000 ms hang-up pause.
#include "pager/pagelink.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

double NowMs() {
    LARGE_INTEGER freq, now;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&now);
    return 1000.0 * double(now.QuadPart) / double(freq.QuadPart);
}

template <typename Fn> Fn Export(HMODULE m, const char* name) {
    return m ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const bool numeric = argc > 1 && std::strcmp(argv[1], "numeric") == 0;
    const int pages = argc > 2 ? std::atoi(argv[2]) : 3;
    const double parameterMs = argc > 3 ? std::atof(argv[3]) : 0.0;
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    dir.resize(dir.find_last_of('\\') + 1);
    HMODULE module = LoadLibraryA((dir + "pagelink.dll").c_str());
    auto alpha = Export<SendAlphaMessageFn>(module, "SendAlphaMessage");
    auto beeper = Export<SendBeeperMessageFn>(module, "SendBeeperMessage");
    if (!alpha || !beeper) {
        std::fprintf(stderr, "cannot load pagelink.dll beside the benchmark (error %lu)\n",
                     GetLastError());
        return 1;
    }
    const double floorMs = numeric ? 3 * 2000 + (3 * 2000 + 1000) + parameterMs + 1000
                                   : 2 * 2000 + 5 * 1000 + 1000 + parameterMs;
    const char* kind = numeric ? "numeric page" : "alpha page";
    double total = 0, worst = 0;
    int failures = 0;
    static const char phone[] = "5551234";
    static const char code[] = "42#";
    for (int i = 0; i < pages; ++i) {
        const double start = NowMs();
        const int ok =
            numeric ? beeper(nullptr, reinterpret_cast<DWORD_PTR>(phone), "ATE0", "ATDT%s,,,%s",
                             reinterpret_cast<DWORD_PTR>(code), 1, 1,
                             static_cast<DWORD>(parameterMs))
                    : alpha(nullptr, "ATE0", phone, "123", "benchmark page", 1, 0);
        const double ms = NowMs() - start;
        failures += ok ? 0 : 1;
        total += ms;
        worst = ms > worst ? ms : worst;
        std::printf("%s %d: %s, wall %.0f ms, floor %.0f ms, ratio %.4f, over floor %+.0f ms\n",
                    kind, i + 1, ok ? "sent" : "NOT SENT", ms, floorMs, ms / floorMs,
                    ms - floorMs);
    }
    if (pages > 0) {
        const double mean = total / pages;
        std::printf("%s: mean wall %.0f ms, worst %.0f ms, floor %.0f ms, mean ratio %.4f, "
                    "mean over floor %+.0f ms (target: within 2 %% or 50 ms)\n",
                    kind, mean, worst, floorMs, mean / floorMs, mean - floorMs);
    }
    FreeLibrary(module);
    return failures ? 1 : 0;
}
