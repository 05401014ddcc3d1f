#!/usr/bin/env bash
# Runs the Windows test programs under Wine for CTest: one throwaway prefix, one
# Xvfb display and one persistent wineserver per test run, shared by every test.
#
#   wine-run.sh --wine-dir DIR EXE [ARGS...]   run EXE under Wine (the cross-compiling
#                                             emulator); brings the harness up if needed
#   wine-run.sh --wine-dir DIR --setup        bring the harness up (fixture "wine")
#   wine-run.sh --wine-dir DIR --cleanup      take it down, unless another run still uses it
#   wine-run.sh --wine-dir DIR --peer-test --exe EXE --gtest-filter FILTER
#               [--ready-file F] [--log F] [--record F] --work DIR -- PEER [ARGS...]
#                                             run EXE's FILTER cases against a serial peer
#                                             (the modem simulator, socat) that links COM1
#                                             to its pseudo-terminal
#
# DIR (build/win64/wine) holds:
#   prefix/        the Wine prefix, made fresh when the harness comes up
#   com1..com4     fixed symlinks that the prefix maps COM1..COM4 to; a serial test
#                  points com1 at its own pseudo-terminal
#   state.env      HARNESS_PREFIX and HARNESS_DISPLAY (the run's WINEPREFIX and
#                  DISPLAY) and the pids and start times of Xvfb, wineserver and the
#                  watchdog, as shell assignments (sourced by this script)
#   users/         one file per process (normally ctest) using the harness, named by
#                  pid, holding the process start time so a reused pid does not count
#   harness.lock   flock serialising bring-up and tear-down
#   com1.lock      flock held by the serial test that owns COM1
#   log/           output of wineboot, Xvfb, wineserver and the watchdog
#
# The harness comes up lazily because CTest's test discovery runs test programs
# before the fixture's setup test. A watchdog takes it down once every user has
# exited, so an interrupted ctest leaves no Xvfb or wineserver behind. Only
# processes started here are ever signalled, each checked by pid and start time.
set -euo pipefail
# shellcheck source=lib/wine_prefix.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib/wine_prefix.sh"
# Without job control a background child is no process group leader, so setsid
# runs the daemon in place and $! is the daemon's own pid.
set +m

readonly LOCK_TIMEOUT_S=900
readonly PEER_READY_TIMEOUT_S=${POSTERN_PEER_READY_TIMEOUT_S:-15}

die() {
    echo "wine-run: $*" >&2
    exit 1
}
note() { echo "wine-run: $*" >&2; }

# ---------------------------------------------------------------- processes

# Prints the start time (clock ticks since boot) of a live, non-zombie process.
proc_start() {
    local stat rest
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    rest=${stat##*) }
    # shellcheck disable=SC2086 # split the fields on purpose
    set -- $rest
    case $1 in Z | X | x) return 1 ;; esac
    shift 19
    echo "$1"
}

# alive PID START: the process with that pid is the one that started at START.
alive() {
    local now
    [[ -n ${1:-} && -n ${2:-} ]] || return 1
    now=$(proc_start "$1") || return 1
    [[ $now == "$2" ]]
}

gone() { ! alive "$@"; }

# stop_process PID START NAME: SIGTERM, then SIGKILL after five seconds.
stop_process() {
    local pid=$1 start=$2 name=$3
    alive "$pid" "$start" || return 0
    kill -TERM "$pid" 2>/dev/null || true
    wait_until 5 gone "$pid" "$start" && return 0
    note "$name (pid $pid) ignored SIGTERM; killing it"
    kill -KILL "$pid" 2>/dev/null || true
}

# ---------------------------------------------------------------- state

wine_env() { wine_prefix_env "$WINE_DIR"; }

load_state() {
    XVFB_PID='' XVFB_START='' SERVER_PID='' SERVER_START='' WATCHDOG_PID='' WATCHDOG_START=''
    HARNESS_DISPLAY=''
    if [[ -f $WINE_DIR/state.env ]]; then
        # shellcheck disable=SC1091
        source "$WINE_DIR/state.env"
    fi
}

# Records KEY=VALUE lines in state.env, replacing earlier values of those keys.
# Every process is recorded as soon as it starts, so that a failed bring-up
# leaves nothing behind that teardown does not know about.
state_put() {
    local file=$WINE_DIR/state.env kv keys=()
    for kv in "$@"; do
        keys+=("${kv%%=*}")
    done
    {
        if [[ -f $file ]]; then
            grep -v -E "^($(
                IFS='|'
                echo "${keys[*]}"
            ))=" "$file" || true
        fi
        printf '%s\n' "$@"
    } >"$file.new"
    mv "$file.new" "$file"
}

harness_live() {
    load_state
    [[ -n $HARNESS_DISPLAY && -d $WINE_DIR/prefix ]] &&
        alive "$XVFB_PID" "$XVFB_START" && alive "$SERVER_PID" "$SERVER_START"
}

user_pid() { echo "${POSTERN_WINE_USER_PID:-$PPID}"; }

register_user() {
    local pid start
    pid=$(user_pid)
    start=$(proc_start "$pid") || die "the process $pid that asked for the harness has gone"
    mkdir -p "$WINE_DIR/users"
    echo "$start" >"$WINE_DIR/users/$pid"
}

user_registered() {
    local pid
    pid=$(user_pid)
    [[ -f $WINE_DIR/users/$pid ]] && alive "$pid" "$(cat "$WINE_DIR/users/$pid")"
}

# Removes the files of users that have exited; prints how many remain.
prune_users() {
    local f n=0
    mkdir -p "$WINE_DIR/users"
    for f in "$WINE_DIR"/users/*; do
        [[ -f $f ]] || continue
        if alive "${f##*/}" "$(cat "$f")"; then
            n=$((n + 1))
        else
            rm -f "$f"
        fi
    done
    echo "$n"
}

# Runs this script's MODE with the harness lock held. flock --close keeps the lock
# descriptor out of the daemons started inside, which would otherwise hold it forever.
with_lock() {
    local rc=0
    mkdir -p "$WINE_DIR"
    POSTERN_WINE_USER_PID=$(user_pid) flock --close -w "$LOCK_TIMEOUT_S" -E 75 \
        "$WINE_DIR/harness.lock" bash "$0" --wine-dir "$WINE_DIR" "$@" || rc=$?
    if [[ $rc -eq 75 ]]; then
        die "timed out after ${LOCK_TIMEOUT_S}s waiting for $WINE_DIR/harness.lock"
    fi
    return "$rc"
}

# ---------------------------------------------------------------- bring-up

tail_log() {
    [[ -s $1 ]] || return 0
    echo "---- last lines of $1 ----" >&2
    tail -n 30 "$1" >&2
}

remove_prefix() {
    [[ -e $WINE_DIR/prefix ]] || return 0
    if ! rm -rf "$WINE_DIR/prefix" 2>/dev/null; then
        # A read-only test may have left immutable files behind (running as root,
        # Wine writes through missing write bits, so such tests use chattr +i).
        chattr -R -i "$WINE_DIR/prefix" 2>/dev/null || true
        rm -rf "$WINE_DIR/prefix" || die "cannot remove the old prefix $WINE_DIR/prefix"
    fi
}

# Stops whatever an earlier harness in DIR left running. Called with the lock held.
teardown() {
    load_state
    stop_peer_recorded
    if [[ -d $WINE_DIR/prefix ]]; then
        # Ends every Wine process of this prefix, the persistent server included.
        (
            wine_env
            wineserver -k 2>/dev/null || true
            timeout 30 wineserver -w 2>/dev/null || true
        )
    fi
    stop_process "$SERVER_PID" "$SERVER_START" wineserver
    stop_process "$XVFB_PID" "$XVFB_START" Xvfb
    if [[ ${WATCHDOG_PID:-} != "$$" ]]; then
        stop_process "$WATCHDOG_PID" "$WATCHDOG_START" watchdog
    fi
    rm -f "$WINE_DIR/state.env"
}

elapsed_ms() { # START (an $EPOCHREALTIME)
    local now=${EPOCHREALTIME/./} then=${1/./}
    echo $(((now - then) / 1000))
}

com1_mapped() { [[ $(readlink "$WINEPREFIX/dosdevices/com1" 2>/dev/null) == "$WINE_DIR/com1" ]]; }

bring_up() {
    local log=$WINE_DIR/log t0=$EPOCHREALTIME display xvfb xvfb_start server server_start
    local watchdog watchdog_start
    teardown
    remove_prefix
    rm -rf "$log"
    mkdir -p "$log"
    wine_env
    unset DISPLAY

    # 1. A fresh prefix with COM1..COM4 on the fixed links DIR/com1..com4 (see
    # lib/wine_prefix.sh for its settings).
    make_wine_prefix "$WINE_DIR" "$log/wineboot.log" 4 || die "the prefix $WINEPREFIX was not made"

    # 2. Xvfb on a display it chooses itself.
    # Recorded whether or not it reported a display, so teardown can stop it.
    local xvfb_up=0
    start_xvfb "$log/xvfb.log" "$log/display" && xvfb_up=1
    xvfb=$XVFB_PID
    if xvfb_start=$(proc_start "$xvfb"); then
        state_put "XVFB_PID=$xvfb" "XVFB_START=$xvfb_start"
    fi
    [[ $xvfb_up -eq 1 ]] || die "Xvfb did not come up (see $log/xvfb.log)"
    display=$DISPLAY

    # 3. One persistent wineserver in that display for the whole run.
    setsid wineserver -f -p </dev/null >"$log/wineserver.log" 2>&1 &
    server=$!
    server_start=$(proc_start "$server") || {
        tail_log "$log/wineserver.log"
        die "wineserver exited at once"
    }
    state_put "SERVER_PID=$server" "SERVER_START=$server_start"

    # 4. Start Wine's own services now, not in the first test, and check the mapping.
    if ! timeout 120 wine reg.exe query 'HKLM\Software\Wine\Ports' >"$log/warmup.log" 2>&1; then
        tail_log "$log/warmup.log"
        die "the first Wine process in the new prefix failed"
    fi
    alive "$server" "$server_start" || {
        tail_log "$log/wineserver.log"
        die "the persistent wineserver exited (another server for the same prefix?)"
    }
    wait_until 5 com1_mapped || die "COM1 is not mapped to $WINE_DIR/com1 in the new prefix"

    # 5. The watchdog, a process of its own outside ctest's process group.
    setsid bash "$0" --wine-dir "$WINE_DIR" --watchdog </dev/null >"$log/watchdog.log" 2>&1 &
    watchdog=$!
    watchdog_start=$(proc_start "$watchdog") || die "the watchdog exited at once"
    state_put "WATCHDOG_PID=$watchdog" "WATCHDOG_START=$watchdog_start"

    # Last: with these the harness counts as up.
    state_put "HARNESS_PREFIX=$WINEPREFIX" "HARNESS_DISPLAY=$display"
    note "harness up in $(elapsed_ms "$t0") ms: prefix $WINEPREFIX, DISPLAY $display"
}

up_locked() {
    local users
    users=$(prune_users)
    if ! harness_live; then
        if [[ $users -gt 0 && -f $WINE_DIR/state.env ]]; then
            note "the harness in $WINE_DIR stopped while in use; starting a new one"
        fi
        # In a subshell, so that a failure anywhere can be cleaned up here.
        if ! (bring_up); then
            teardown
            die "the Wine harness could not be brought up (see the messages above)"
        fi
    fi
    register_user
}

down_locked() {
    local pid users
    pid=$(user_pid)
    rm -f "$WINE_DIR/users/$pid"
    users=$(prune_users)
    if [[ $users -gt 0 ]]; then
        note "harness left up: $users other run(s) still use it (pids: $(cd "$WINE_DIR/users" && echo *))"
        return 0
    fi
    teardown
    if [[ ${POSTERN_WINE_KEEP_PREFIX:-0} != 1 ]]; then
        remove_prefix
    fi
    note "harness down"
}

# Ends the harness once all of its users have exited (ctest interrupted, or a
# ctest run that discovered tests but ran none of them).
watchdog() {
    local users
    exec 9>>"$WINE_DIR/harness.lock"
    while sleep 2; do
        flock -w 60 9 || continue
        load_state
        if [[ $WATCHDOG_PID != "$$" ]]; then
            exit 0 # a newer harness has its own watchdog
        fi
        users=$(prune_users)
        if [[ $users -eq 0 ]]; then
            note "no user left; taking the harness down"
            teardown
            remove_prefix
            exit 0
        fi
        flock -u 9
    done
}

ensure_up() {
    if user_registered && harness_live; then
        return 0
    fi
    with_lock --up-locked
}

exec_wine() {
    load_state
    wine_env
    export DISPLAY=$HARNESS_DISPLAY
    exec wine "$@"
}

# ---------------------------------------------------------------- serial peers

stop_peer_recorded() {
    local pid start
    [[ -f $WINE_DIR/peer.pid ]] || return 0
    read -r pid start <"$WINE_DIR/peer.pid" || true
    stop_process "$pid" "$start" "serial peer"
    rm -f "$WINE_DIR/peer.pid"
}

peer_test() {
    local rc=0
    export POSTERN_WINE_USER_PID=${POSTERN_WINE_USER_PID:-$PPID}
    mkdir -p "$WINE_DIR"
    flock --close -w "$LOCK_TIMEOUT_S" -E 75 "$WINE_DIR/com1.lock" \
        bash "$0" --wine-dir "$WINE_DIR" --peer-test-locked "$@" || rc=$?
    if [[ $rc -eq 75 ]]; then
        die "timed out after ${LOCK_TIMEOUT_S}s waiting for COM1 ($WINE_DIR/com1.lock)"
    fi
    exit "$rc"
}

PEER_PID=''
PEER_START=''
stop_peer() {
    [[ -n $PEER_PID ]] || return 0
    stop_process "$PEER_PID" "$PEER_START" "serial peer"
    wait "$PEER_PID" 2>/dev/null || true
    PEER_PID=''
    rm -f "$WINE_DIR/peer.pid"
}

# The peer is ready: it wrote its ready file, or, without one, the link leads
# somewhere. Reads peer_test_locked's READY and LINK.
peer_ready() {
    if [[ -n $READY ]]; then
        [[ -s $READY ]]
    else
        [[ -L $LINK && -e $LINK ]]
    fi
}
peer_ready_or_gone() { peer_ready || gone "$PEER_PID" "$PEER_START"; }

peer_test_locked() {
    local exe='' filter='' log='' record='' work='' rc=0
    READY='' LINK=$WINE_DIR/com1
    while [[ $# -gt 0 ]]; do
        case $1 in
        --exe)
            exe=$2
            shift 2
            ;;
        --gtest-filter)
            filter=$2
            shift 2
            ;;
        --ready-file)
            READY=$2
            shift 2
            ;;
        --log)
            log=$2
            shift 2
            ;;
        --record)
            record=$2
            shift 2
            ;;
        --work)
            work=$2
            shift 2
            ;;
        --) shift && break ;;
        *) die "--peer-test: unknown option $1" ;;
        esac
    done
    [[ -n $exe && -n $filter && -n $work && $# -gt 0 ]] ||
        die "--peer-test needs --exe, --gtest-filter, --work and a peer command after --"
    [[ -f $exe ]] || die "test program $exe does not exist"
    if [[ $1 == */* && ! -x $1 ]]; then
        die "serial peer $1 does not exist or is not executable" \
            "(the modem simulator comes from the native build: cmake --build --preset native)"
    fi
    command -v "$1" >/dev/null || die "serial peer $1 not found"

    ensure_up
    stop_peer_recorded
    mkdir -p "$work"
    rm -f "$LINK" "$work/peer.out" "$work/test.out" ${READY:+"$READY"} ${log:+"$log"} \
        ${record:+"$record"}

    trap stop_peer EXIT
    trap 'exit 143' TERM
    trap 'exit 130' INT
    trap 'exit 129' HUP
    "$@" </dev/null >"$work/peer.out" 2>&1 &
    PEER_PID=$!
    PEER_START=$(proc_start "$PEER_PID") || PEER_START=''
    echo "$PEER_PID $PEER_START" >"$WINE_DIR/peer.pid"

    if ! wait_until "$PEER_READY_TIMEOUT_S" peer_ready_or_gone; then
        tail_log "$work/peer.out"
        tail_log "${log:-/dev/null}"
        if [[ -n $READY ]]; then
            die "serial peer $1 was not ready within ${PEER_READY_TIMEOUT_S}s (no ready file $READY)"
        fi
        die "serial peer $1 was not ready within ${PEER_READY_TIMEOUT_S}s (no link $LINK)"
    fi
    if ! peer_ready; then
        wait "$PEER_PID" || rc=$?
        PEER_PID=''
        tail_log "$work/peer.out"
        tail_log "${log:-/dev/null}"
        die "serial peer $1 exited (status $rc) before it was ready"
    fi
    [[ -c $(readlink -f "$LINK") ]] ||
        die "serial peer is ready but $LINK does not lead to a terminal ($(readlink "$LINK"))"

    if [[ -n $record ]]; then
        MODEMSIM_RECORD=$(windows_path "$record")
        export MODEMSIM_RECORD
    fi
    if [[ -n $log ]]; then
        MODEMSIM_LOG=$(windows_path "$log")
        export MODEMSIM_LOG
    fi
    load_state
    wine_env
    export DISPLAY=$HARNESS_DISPLAY
    set +e
    wine "$exe" "--gtest_filter=$filter" 2>&1 | tee "$work/test.out"
    rc=${PIPESTATUS[0]}
    set -e
    stop_peer

    if [[ $rc -eq 0 ]] && grep -q '^\[==========\] 0 tests from' "$work/test.out"; then
        echo "wine-run: --gtest_filter=$filter selected no test in $exe" >&2
        rc=1
    fi
    if [[ $rc -ne 0 ]]; then
        if [[ -n $log ]]; then
            tail_log "$log"
        fi
        tail_log "$work/peer.out"
    fi
    exit "$rc"
}

# ---------------------------------------------------------------- main

WINE_DIR=${POSTERN_WINE_DIR:-}
if [[ ${1:-} == --wine-dir ]]; then
    [[ $# -ge 2 ]] || die "--wine-dir needs a directory"
    WINE_DIR=$2
    shift 2
fi
[[ -n $WINE_DIR ]] || die "no harness directory: pass --wine-dir DIR or set POSTERN_WINE_DIR"
WINE_DIR=$(realpath -m "$WINE_DIR")
[[ $# -gt 0 ]] || die "nothing to run; usage: wine-run.sh --wine-dir DIR EXE [ARGS...]"

case $1 in
--setup)
    with_lock --up-locked
    load_state
    echo "wine harness up: WINEPREFIX=$WINE_DIR/prefix DISPLAY=$HARNESS_DISPLAY" \
        "wineserver pid $SERVER_PID, Xvfb pid $XVFB_PID"
    ;;
--cleanup) with_lock --down-locked ;;
--up-locked) up_locked ;;
--down-locked) down_locked ;;
--watchdog) watchdog ;;
--peer-test)
    shift
    peer_test "$@"
    ;;
--peer-test-locked)
    shift
    peer_test_locked "$@"
    ;;
-*) die "unknown option $1" ;;
*)
    ensure_up
    exec_wine "$@"
    ;;
esac
