#!/usr/bin/env bash
# Benchmarks: prints figures, never fails on them. Runs pages through the modem
# simulator under Wine and reports each page's wall time against the floor that
# its mandated waits set; the monitor frontend's cost per poll and per dump and
# its memory; the wall time of an unattended new installation, update and
# removal by the installer; the sizes of the deliverables; and the time of the
# last full test run (recorded by test.sh).
#   POSTERN_BENCH_PAGES (default 3) pages of each kind.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT=$PWD
# shellcheck source=lib/setup.sh
source scripts/lib/setup.sh
# shellcheck source=lib/modem.sh
source scripts/lib/modem.sh
# shellcheck source=lib/wine_prefix.sh
source scripts/lib/wine_prefix.sh
# shellcheck source=lib/suite.sh
source scripts/lib/suite.sh

PAGES=${POSTERN_BENCH_PAGES:-3}
CONNECT_DELAY_MS=50
EXTRA_WAIT_MS=500
BENCH=$ROOT/build/bench
WINE_DIR=$BENCH/wine
WIN=$ROOT/build/win64

harness() { wine_run "$WINE_DIR" "$@"; }

# ---- the installer

SETUP_TIMEOUT_S=120

# The suite's services registered in the prefix, one per line.
suite_services_present() {
    local name s
    wine reg query 'HKLM\SYSTEM\CurrentControlSet\Services' 2>/dev/null | tr -d '\r' |
        sed 's/.*\\//' | while read -r name; do
        for s in "${SUITE_SERVICES[@]}"; do
            if [[ ${name^^} == "$s" ]]; then echo "$s"; fi
        done
    done
}

service_stopped() { [[ $(suite_service_state "$1") == STOPPED ]]; }

# Stops and deletes the suite's services and removes its folder, registry
# tree, program group and applet: what an earlier installation left, so that
# the new installation starts without the suite and the harness's clean-up
# meets no running service.
remove_suite() {
    local s present
    mapfile -t present < <(suite_services_present)
    for s in "${present[@]}"; do
        if ! service_stopped "$s"; then
            wine sc stop "$s" >/dev/null 2>&1 || true
            wait_until --every 0.5 10 service_stopped "$s" || true
        fi
        wine sc delete "$s" >/dev/null 2>&1 || echo "cannot delete the service $s" >&2
    done
    wine reg delete "$SUITE_KEY" /f >/dev/null 2>&1 || true
    rm -rf "$SUITE_INSTALLED" "$SUITE_APPLET" "$SUITE_GROUP"
}

write_answers() { # MODE: C:\DIST\MODE.ini; users only for a new one
    cat >"$SUITE_DIST/$1.ini" <<INI
[Setup]
Mode=$1
UserDatabase=own
HostName=$SUITE_HOST
Destination="$SUITE_INSTALL_DIR"
INI
    if [[ $1 == new ]]; then
        printf '[Users]\nalice=Alice Example,alice-pw\n' >>"$SUITE_DIST/$1.ini"
    fi
}

# run_setup MODE LABEL: one unattended run from C:\DIST; prints its wall time
# and the run log's last line, or that it did not complete. Returns non-zero
# when it did not.
run_setup() {
    local mode=$1 label=$2 log=$SUITE_DIST/$1.log t0 t1 seconds last rc=0
    write_answers "$mode"
    t0=$EPOCHREALTIME
    suite_setup "$mode" "$SETUP_TIMEOUT_S" >"$BENCH/setup-$mode.out" 2>&1 || rc=$?
    t1=$EPOCHREALTIME
    seconds=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", b - a }')
    last=$(tr -d '\r' <"$log" 2>/dev/null | tail -n 1)
    if [[ $rc -eq 0 && $last =~ ^[0-9:]+\ end:\ completed$ ]]; then
        printf '%-18s %6s s   log: %s\n' "$label" "$seconds" "$last"
        service_phases "$log"
        return 0
    fi
    if [[ $rc -eq 124 ]]; then
        printf '%-18s DID NOT COMPLETE: stopped after %s s\n' "$label" "$SETUP_TIMEOUT_S"
    else
        printf '%-18s DID NOT COMPLETE (after %s s; exit status %s)\n' "$label" "$seconds" "$rc"
    fi
    echo "    last log line: ${last:-(no run log)}; run log $log, output $BENCH/setup-$mode.out"
    return 1
}

# A run log's first and last stamps, and how long the two phases that wait on
# services took by the stamps (whole seconds, so each is +-1 s): the shut-down
# (services stopped, and deleted unless updating, under the work dialog) and
# the configuration (service programs registered and services started, under
# the configuration dialog, up to the next logged step). A removal has no
# configuration.
service_phases() {
    tr -d '\r' <"$1" | awk '
        function secs(stamp, p) { split(stamp, p, ":"); return p[1] * 3600 + p[2] * 60 + p[3] }
        $1 !~ /^[0-9][0-9]:[0-9][0-9]:[0-9][0-9]$/ { next }
        { now = secs($1); if (first == "") first = $1; last = $1 }
        inConfig { config = now - configFrom; inConfig = 0 }
        / dialog 500[67] [A-Za-z]*: / { shutFrom = now }
        / dialogs closed: 500[67]$/ && shutFrom != "" { shut = now - shutFrom }
        / dialog 5005 [A-Za-z]*: / { configFrom = now; inConfig = 1 }
        END {
            if (first == "") { print "    (no stamped line in the run log)"; exit }
            printf "    run log %s to %s (%d s); by its stamps, waiting on services: shut-down %s s",
                first, last, secs(last) - secs(first), shut == "" ? "?" : shut
            if (config != "") printf ", configuration %s s", config
            printf "\n"
        }'
}

bench_setup() {
    local s running=() registered=() new_ok=0
    suite_lay_out_distribution "$WIN"
    remove_suite
    suite_seed_network
    if run_setup new "new installation"; then
        new_ok=1
        mapfile -t registered < <(suite_services_present)
        for s in "${registered[@]}"; do
            [[ $(suite_service_state "$s") == RUNNING ]] && running+=("$s")
        done
        echo "    services registered: ${registered[*]:-none}; running: ${running[*]:-none}"
        echo "    HOSTS: $(tr -d '\r' <"$SUITE_HOSTS" | grep -m1 -F "$SUITE_HOST" || echo "(no line for $SUITE_HOST)")"
    fi
    echo "(target: a new installation under 10 s, most of it the service waits)"
    if [[ $new_ok -eq 1 ]]; then
        run_setup update "update" || true
    else
        echo "update             not run: the new installation did not complete"
    fi
    run_setup remove "removal" || true
    mapfile -t registered < <(suite_services_present)
    echo "    suite services left after the removal: ${registered[*]:-none}"
    remove_suite
}

cleanup() {
    stop_modem
    harness --cleanup >/dev/null 2>&1 || true
}
trap cleanup EXIT

packages_and_builds

mkdir -p "$BENCH"
export POSTERN_WINE_USER_PID=$$
say "Wine harness in $WINE_DIR"
harness --setup
harness_env "$WINE_DIR"
suite_paths

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

say "installer: unattended new installation, update and removal (pstsetup from C:\\DIST)"
bench_setup

say "binary sizes"
for f in pager/pagelink.dll pager/pstpage.exe monitor/pstview.exe; do
    bytes=$(stat -c %s "$WIN/$f")
    printf '%-22s %8d bytes (%.1f KB)\n' "$(basename "$f")" "$bytes" "$(awk -v b="$bytes" 'BEGIN { print b / 1024 }')"
done
echo "(target: pagelink.dll under 150 KB)"

say "the whole test command (scripts/test.sh) on this machine"
if [[ -f $ROOT/build/test-time.txt ]]; then
    sed 's/^/    /' "$ROOT/build/test-time.txt"
else
    echo "scripts/test.sh has not been run yet (no build/test-time.txt)"
fi
