#!/usr/bin/env bash
# Benchmarks: prints figures, never fails on them. Runs pages through the modem
# simulator under Wine and reports each page's wall time against the floor that
# its mandated waits set; the monitor frontend's cost per poll and per dump and
# its memory; and the sizes of the deliverables.
#   POSTERN_BENCH_PAGES (default 3) pages of each kind.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT=$PWD
# shellcheck source=lib/setup.sh
source scripts/lib/setup.sh
# shellcheck source=lib/modem.sh
source scripts/lib/modem.sh

PAGES=${POSTERN_BENCH_PAGES:-3}
CONNECT_DELAY_MS=50
EXTRA_WAIT_MS=500
BENCH=$ROOT/build/bench
WINE_DIR=$BENCH/wine
WIN=$ROOT/build/win64

harness() { bash scripts/wine-run.sh --wine-dir "$WINE_DIR" "$@"; }

cleanup() {
    stop_modem
    harness --cleanup >/dev/null 2>&1 || true
}
trap cleanup EXIT

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
start_modem "$WINE_DIR/com1" "$BENCH" accept accept --connect-delay "$CONNECT_DELAY_MS"
harness "$WIN/pager/pager_bench.exe" alpha "$PAGES" "$CONNECT_DELAY_MS" || true
stop_modem

say "numeric page (numeric scenario, \"ATDT%s,,,%s\", extra wait $EXTRA_WAIT_MS ms)"
start_modem "$WINE_DIR/com1" "$BENCH" numeric numeric --connect-delay "$CONNECT_DELAY_MS"
harness "$WIN/pager/pager_bench.exe" numeric "$PAGES" "$EXTRA_WAIT_MS" || true
stop_modem

say "monitor frontend: one poll (read plus panel update), one dump, memory"
harness "$WIN/monitor/monitor_bench.exe" 2000 10 || true
echo "(targets: a poll under 0.2 ms, no CPU used between polls, a dump under 100 ms of wall time)"

say "binary sizes"
for f in pager/pagelink.dll pager/pstpage.exe monitor/pstview.exe; do
    bytes=$(stat -c %s "$WIN/$f")
    printf '%-22s %8d bytes (%.1f KB)\n' "$(basename "$f")" "$bytes" "$(awk -v b="$bytes" 'BEGIN { print b / 1024 }')"
done
echo "(target: pagelink.dll under 150 KB)"
