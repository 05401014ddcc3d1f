# Shared by demo.sh and bench.sh: the modem simulator on a COM port's link.
# shellcheck shell=bash
# shellcheck source-path=SCRIPTDIR source=wait.sh
source "$(dirname "${BASH_SOURCE[0]}")/wait.sh"

MODEM_PID=

# start_modem LINK WORKDIR NAME SCENARIO [SIMULATOR OPTIONS...]
# Starts the simulator with its log, record and ready file as WORKDIR/NAME.*
# and waits until it is ready.
start_modem() {
    local link=$1 dir=$2 name=$3 scenario=$4
    shift 4
    rm -f "$dir/$name.ready"
    "$ROOT/build/native/standins/modem/modemsim" --link "$link" --scenario "$scenario" \
        --log "$dir/$name.log" --record "$dir/$name.record" --ready-file "$dir/$name.ready" \
        "$@" >/dev/null &
    MODEM_PID=$!
    wait_until 10 test -s "$dir/$name.ready" && return 0
    echo "the modem simulator did not come up; see $dir/$name.log" >&2
    exit 1
}

stop_modem() {
    if [[ -n $MODEM_PID ]]; then
        kill "$MODEM_PID" 2>/dev/null || true
        wait "$MODEM_PID" 2>/dev/null || true
        MODEM_PID=
    fi
}
