// The fuzzers' assertion: a broken property prints what failed and where, then
// aborts, which libFuzzer records as a finding with its input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

[[noreturn]] inline void FuzzCheckFailed(const char* condition, const std::string& detail,
                                         const char* file, int line) {
    std::fprintf(stderr, "\n%s:%d: check failed: %s\n  %s\n", file, line, condition,
                 detail.c_str());
    std::fflush(stderr);
    std::abort();
}

#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            FuzzCheckFailed(#condition, (detail), __FILE__, __LINE__);                             \
    } while (0)
