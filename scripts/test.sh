#!/usr/bin/env bash
# Builds the three presets and runs every test: the native unit tests (with the
# sanitizers), a short run of each fuzzer and the Windows tests under Wine and
# Xvfb. Installs the Debian packages it needs first. Exits non-zero if any step
# or any test fails. At its end, passed or not, it writes the total time, the
# date and each stage's outcome to build/test-time.txt (bench.sh prints it).
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
stage=''
outcomes=()

# say, and remember the stage for the record of a run that stops in it.
begin_stage() {
    stage=$*
    say "$*"
}

# The EXIT trap: build/test-time.txt says how the run ended, how long it took
# and, stage by stage, what passed. Written whole, then renamed, so that a
# reader never sees half of it.
record_test_time() {
    local rc=$? result file=build/test-time.txt
    if [[ $rc -eq 0 ]]; then result=passed; else result="FAILED (exit status $rc)"; fi
    if [[ $rc -ne 0 && $stage != summary ]]; then
        outcomes+=("stopped in stage: $stage")
    fi
    if mkdir -p build && {
        echo "result: $result"
        echo "seconds: $((SECONDS - start))"
        echo "date: $(date '+%Y-%m-%d %H:%M:%S %z')"
        printf '%s\n' "${outcomes[@]}"
    } >"$file.new" && mv "$file.new" "$file"; then
        echo "time and outcome recorded in $file"
    else
        echo "test.sh: cannot write $file" >&2
    fi
}
trap record_test_time EXIT

begin_stage "packages"
install_missing_packages

begin_stage "configure and build: native"
build_preset native -DPOSTERN_WERROR=ON

begin_stage "configure and build: fuzz"
build_preset fuzz -DPOSTERN_WERROR=ON -DPOSTERN_FUZZ_SECONDS="${POSTERN_FUZZ_SECONDS:-15}"

begin_stage "configure and build: win64"
build_preset win64 -DPOSTERN_WERROR=ON

native_rc=0
fuzz_rc=0
win64_rc=0
begin_stage "tests: native"
ctest --preset native -j "${POSTERN_NATIVE_JOBS:-2}" </dev/null || native_rc=$?
begin_stage "tests: fuzz (short runs)"
ctest --preset fuzz -j "${POSTERN_FUZZ_JOBS:-2}" </dev/null || fuzz_rc=$?
begin_stage "tests: win64 (under Wine)"
ctest --preset win64 -j "${POSTERN_WIN64_JOBS:-2}" </dev/null || win64_rc=$?

stage=summary
say "summary after $((SECONDS - start)) s"
if [[ $native_rc -eq 0 ]]; then outcomes+=("native tests: passed"); else outcomes+=("native tests: FAILED"); fi
if [[ $fuzz_rc -eq 0 ]]; then outcomes+=("fuzz runs:    passed"); else outcomes+=("fuzz runs:    FAILED (failing inputs in build/fuzz/*/fuzz/artifacts)"); fi
if [[ $win64_rc -eq 0 ]]; then outcomes+=("win64 tests:  passed"); else outcomes+=("win64 tests:  FAILED"); fi
printf '%s\n' "${outcomes[@]}"
[[ $native_rc -eq 0 && $fuzz_rc -eq 0 && $win64_rc -eq 0 ]]
