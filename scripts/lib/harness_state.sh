# The harness's record in WINE_DIR, for lib/harness.sh: state.env (its
# processes and display), users/ (the processes using it) and the lock that
# serialises bring-up and tear-down.
# shellcheck shell=bash

readonly LOCK_TIMEOUT_S=900

# ---------------------------------------------------------------- state

wine_env() { wine_prefix_env "$WINE_DIR"; }

# The variables of state.env, empty unless it sets them.
# shellcheck disable=SC2034 # the watchdog's are read in lib/harness.sh
load_state() {
    XVFB_PID='' XVFB_START='' SERVER_PID='' SERVER_START='' WATCHDOG_PID='' WATCHDOG_START=''
    HARNESS_DISPLAY='' DISPLAY_GIVEN=''
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

# The harness is up: its display (Xvfb, unless the display was given) and its
# wineserver run.
harness_live() {
    load_state
    [[ -n $HARNESS_DISPLAY && -d $WINE_DIR/prefix ]] &&
        { [[ $DISPLAY_GIVEN == 1 ]] || alive "$XVFB_PID" "$XVFB_START"; } &&
        alive "$SERVER_PID" "$SERVER_START"
}

# ---------------------------------------------------------------- users

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

# Runs wine-run.sh's MODE with the harness lock held. flock --close keeps the lock
# descriptor out of the daemons started inside, which would otherwise hold it forever.
with_lock() {
    local rc=0
    mkdir -p "$WINE_DIR"
    POSTERN_WINE_USER_PID=$(user_pid) flock --close -w "$LOCK_TIMEOUT_S" -E 75 \
        "$WINE_DIR/harness.lock" bash "$WINE_RUN" --wine-dir "$WINE_DIR" "$@" || rc=$?
    if [[ $rc -eq 75 ]]; then
        die "timed out after ${LOCK_TIMEOUT_S}s waiting for $WINE_DIR/harness.lock"
    fi
    return "$rc"
}
