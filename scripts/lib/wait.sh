# Shared by every script: waiting for a condition with a bound.
# shellcheck shell=bash

# wait_until [--every SECONDS] TIMEOUT_S COMMAND [ARGS...]: runs COMMAND until
# it succeeds, every SECONDS (0.1 by default). Returns 1 when it has still not
# succeeded after TIMEOUT_S seconds (a whole number) of wall time.
wait_until() {
    local every=0.1 deadline
    if [[ $1 == --every ]]; then
        every=$2
        shift 2
    fi
    deadline=$((${EPOCHREALTIME//[!0-9]/} + $1 * 1000000))
    shift
    until "$@"; do
        ((${EPOCHREALTIME//[!0-9]/} < deadline)) || return 1
        sleep "$every"
    done
}
