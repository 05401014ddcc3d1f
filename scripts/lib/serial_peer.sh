# The serial-peer runner of wine-run.sh (--peer-test): runs a test program's
# cases under the harness against a peer program (the modem simulator, socat)
# that links COM1's fixed link WINE_DIR/com1 to its pseudo-terminal, one such
# test at a time under WINE_DIR/com1.lock. wine-run.sh sources it after
# lib/harness.sh.
# shellcheck shell=bash

readonly PEER_READY_TIMEOUT_S=${POSTERN_PEER_READY_TIMEOUT_S:-15}

peer_test() {
    local rc=0
    export POSTERN_WINE_USER_PID=${POSTERN_WINE_USER_PID:-$PPID}
    mkdir -p "$WINE_DIR"
    flock --close -w "$LOCK_TIMEOUT_S" -E 75 "$WINE_DIR/com1.lock" \
        bash "$WINE_RUN" --wine-dir "$WINE_DIR" --peer-test-locked "$@" || rc=$?
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
    local -A opt=()
    local exe filter log record work rc=0
    # 1. The options (cmake/WineTests.cmake's postern_add_serial_peer_test).
    while [[ $# -gt 0 ]]; do
        case $1 in
        --) shift && break ;;
        --exe | --gtest-filter | --ready-file | --log | --record | --work)
            [[ $# -ge 2 ]] || die "--peer-test: $1 needs a value"
            opt[$1]=$2
            shift 2
            ;;
        *) die "--peer-test: unknown option $1" ;;
        esac
    done
    exe=${opt[--exe]:-} filter=${opt[--gtest-filter]:-} log=${opt[--log]:-}
    record=${opt[--record]:-} work=${opt[--work]:-}
    READY=${opt[--ready-file]:-} LINK=$WINE_DIR/com1
    [[ -n $exe && -n $filter && -n $work && $# -gt 0 ]] ||
        die "--peer-test needs --exe, --gtest-filter, --work and a peer command after --"
    [[ -f $exe ]] || die "test program $exe does not exist"
    if [[ $1 == */* && ! -x $1 ]]; then
        die "serial peer $1 does not exist or is not executable" \
            "(the modem simulator comes from the native build: cmake --build --preset native)"
    fi
    command -v "$1" >/dev/null || die "serial peer $1 not found"

    # 2. The harness, without an earlier test's peer, and the peer on COM1's link.
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

    # 3. Wait until the peer is ready.
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

    # 4. The test cases, with the peer's record and log as Windows paths.
    if [[ -n $record ]]; then
        MODEMSIM_RECORD=$(windows_path "$record")
        export MODEMSIM_RECORD
    fi
    if [[ -n $log ]]; then
        MODEMSIM_LOG=$(windows_path "$log")
        export MODEMSIM_LOG
    fi
    harness_env "$WINE_DIR"
    set +e
    wine "$exe" "--gtest_filter=$filter" 2>&1 | tee "$work/test.out"
    rc=${PIPESTATUS[0]}
    set -e
    stop_peer

    # 5. The verdict: a filter that selects nothing fails too.
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
