#!/usr/bin/env bash
# Benchmarks: prints figures, never fails on them. Runs pages through the modem
# simulator under Wine and reports each page's wall time against the floor that
# its mandated waits set, and the sizes of the pager's binaries.
#   POSTERN_BENCH_PAGES (default 3) pages of each kind.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT=$PWD
# shellcheck source=lib/setup.sh
source scripts/lib/setup.sh

PAGES=${POSTERN_BENCH_PAGES:-3}
CONNECT_DELAY_MS=50
EXTRA_WAIT_MS=500
BENCH=$ROOT/build/bench
WINE_DIR=$BENCH/wine
MODEMSIM=$ROOT/build/native/standins/modem/modemsim
WIN=$ROOT/build/win64
SIM_PID=

harness() { bash scripts/wine-run.sh --wine-dir "$WINE_DIR" "$@"; }

stop_modem() {
    if [[ -n $SIM_PID ]]; then
        kill "$SIM_PID" 2>/dev/null || true
        wait "$SIM_PID" 2>/dev/null || true
        SIM_PID=
    fi
}
cleanup() {
    stop_modem
    harness --cleanup >/dev/null 2>&1 || true
}
trap cleanup EXIT

start_modem() {
    local scenario=$1
    rm -f "$BENCH/$scenario.ready"
    "$MODEMSIM" --link "$WINE_DIR/com1" --scenario "$scenario" --connect-delay "$CONNECT_DELAY_MS" \
        --log "$BENCH/$scenario.log" --ready-file "$BENCH/$scenario.ready" >/dev/null &
    SIM_PID=$!
    for _ in $(seq 100); do
        [[ -s $BENCH/$scenario.ready ]] && return 0
        sleep 0.1
    done
    echo "bench: the modem simulator did not come up" >&2
    exit 1
}

say "packages"
install_missing_packages
say "build"
build_preset native >/dev/null
build_preset win64 >/dev/null

mkdir -p "$BENCH"
export POSTERN_WINE_USER_PID=$$
say "Wine harness in $WINE_DIR"
harness --setup

say "alphanumeric page (accept scenario, connect delay $CONNECT_DELAY_MS ms)"
start_modem accept
harness "$WIN/pager/pager_bench.exe" alpha "$PAGES" "$CONNECT_DELAY_MS" || true
stop_modem

say "numeric page (numeric scenario, \"ATDT%s,,,%s\", extra wait $EXTRA_WAIT_MS ms)"
start_modem numeric
harness "$WIN/pager/pager_bench.exe" numeric "$PAGES" "$EXTRA_WAIT_MS" || true
stop_modem

say "binary sizes"
for f in pager/pagelink.dll pager/pstpage.exe; do
    bytes=$(stat -c %s "$WIN/$f")
    printf '%-22s %8d bytes (%.1f KB)\n' "$(basename "$f")" "$bytes" "$(awk -v b="$bytes" 'BEGIN { print b / 1024 }')"
done
echo "(target: pagelink.dll under 150 KB)"
