# Shared by the harness (lib/harness.sh) and the serial-peer runner
# (lib/serial_peer.sh) of wine-run.sh: messages, and the processes they start,
# each known by pid and start time so that a reused pid is never signalled.
# shellcheck shell=bash
# shellcheck source-path=SCRIPTDIR source=wait.sh
source "$(dirname "${BASH_SOURCE[0]}")/wait.sh"

die() {
    echo "wine-run: $*" >&2
    exit 1
}
note() { echo "wine-run: $*" >&2; }

# tail_log FILE: the last lines of FILE on stderr, when it has any.
tail_log() {
    [[ -s $1 ]] || return 0
    echo "---- last lines of $1 ----" >&2
    tail -n 30 "$1" >&2
}

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
