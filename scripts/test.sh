#!/usr/bin/env bash
# Builds the three presets and runs every test: the native unit tests (with the
# sanitizers), a short run of each fuzzer and the Windows tests under Wine and
# Xvfb. Installs the Debian packages it needs first. Exits non-zero if any step
# or any test fails.
#
# Environment: POSTERN_NATIVE_JOBS (default 2), POSTERN_FUZZ_JOBS (default 2) and
# POSTERN_WIN64_JOBS (default 2) set how many tests CTest runs at once in each
# build; POSTERN_FUZZ_SECONDS (default 15) how long each fuzzer runs. The Wine
# tests share one prefix: those that change what it shares or show windows
# hold the lock postern_shared_prefix, the modem tests the lock com1, so the
# modem conversations (mostly waiting) run beside the others.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."

# shellcheck source=lib/setup.sh
source scripts/lib/setup.sh

start=$SECONDS

say "packages"
install_missing_packages

say "configure and build: native"
cmake --preset native -DPOSTERN_WERROR=ON </dev/null
cmake --build --preset native </dev/null

say "configure and build: fuzz"
cmake --preset fuzz -DPOSTERN_WERROR=ON -DPOSTERN_FUZZ_SECONDS="${POSTERN_FUZZ_SECONDS:-15}" </dev/null
cmake --build --preset fuzz </dev/null

say "configure and build: win64"
cmake --preset win64 -DPOSTERN_WERROR=ON </dev/null
cmake --build --preset win64 </dev/null

native_rc=0
fuzz_rc=0
win64_rc=0
say "tests: native"
ctest --preset native -j "${POSTERN_NATIVE_JOBS:-2}" </dev/null || native_rc=$?
say "tests: fuzz (short runs)"
ctest --preset fuzz -j "${POSTERN_FUZZ_JOBS:-2}" </dev/null || fuzz_rc=$?
say "tests: win64 (under Wine)"
ctest --preset win64 -j "${POSTERN_WIN64_JOBS:-2}" </dev/null || win64_rc=$?

say "summary after $((SECONDS - start)) s"
if [[ $native_rc -eq 0 ]]; then echo "native tests: passed"; else echo "native tests: FAILED"; fi
if [[ $fuzz_rc -eq 0 ]]; then echo "fuzz runs:    passed"; else echo "fuzz runs:    FAILED (failing inputs in build/fuzz/*/fuzz/artifacts)"; fi
if [[ $win64_rc -eq 0 ]]; then echo "win64 tests:  passed"; else echo "win64 tests:  FAILED"; fi
[[ $native_rc -eq 0 && $fuzz_rc -eq 0 && $win64_rc -eq 0 ]]
