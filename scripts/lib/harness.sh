# The harness's lifecycle, for wine-run.sh: bring-up and tear-down of the
# prefix, the display and the persistent wineserver in WINE_DIR, and the
# watchdog that takes them down when no process uses them any more. wine-run.sh
# sources it after lib/process.sh, lib/wine_prefix.sh and lib/harness_state.sh
# and sets WINE_DIR, WINE_RUN (itself, run again under the lock and as the
# watchdog) and GIVEN_DISPLAY (an X display to use instead of a new Xvfb, or
# empty).
# shellcheck shell=bash

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
# shellcheck disable=SC2153 # the pids and start times come from load_state
teardown() {
    load_state
    # 1. A serial peer that a test left running (lib/serial_peer.sh records it).
    stop_peer_recorded
    # 2. Every Wine process of this prefix, the persistent server included.
    if [[ -d $WINE_DIR/prefix ]]; then
        (
            wine_env
            wineserver -k 2>/dev/null || true
            timeout 30 wineserver -w 2>/dev/null || true
        )
    fi
    # 3. The processes started by bring_up, each only if it is still the one recorded.
    stop_process "$SERVER_PID" "$SERVER_START" wineserver
    stop_process "$XVFB_PID" "$XVFB_START" Xvfb
    if [[ ${WATCHDOG_PID:-} != "$$" ]]; then
        stop_process "$WATCHDOG_PID" "$WATCHDOG_START" watchdog
    fi
    rm -f "$WINE_DIR/state.env"
}

# Stops the serial peer whose pid and start time a test left in peer.pid.
stop_peer_recorded() {
    local pid start
    [[ -f $WINE_DIR/peer.pid ]] || return 0
    read -r pid start <"$WINE_DIR/peer.pid" || true
    stop_process "$pid" "$start" "serial peer"
    rm -f "$WINE_DIR/peer.pid"
}

com1_mapped() { [[ $(readlink "$WINEPREFIX/dosdevices/com1" 2>/dev/null) == "$WINE_DIR/com1" ]]; }

bring_up() {
    local log=$WINE_DIR/log t0=${EPOCHREALTIME//[!0-9]/} display server server_start
    local watchdog watchdog_start
    if [[ -n $GIVEN_DISPLAY ]] && ! xdpyinfo -display "$GIVEN_DISPLAY" >/dev/null 2>&1; then
        die "the display $GIVEN_DISPLAY cannot be opened (xdpyinfo -display $GIVEN_DISPLAY failed)"
    fi
    teardown
    remove_prefix
    rm -rf "$log"
    mkdir -p "$log"
    wine_env
    unset DISPLAY

    # 1. A fresh prefix with COM1..COM4 on the fixed links DIR/com1..com4 (see
    # lib/wine_prefix.sh for its settings).
    make_wine_prefix "$WINE_DIR" "$log/wineboot.log" 4 || die "the prefix $WINEPREFIX was not made"

    # 2. The display given (checked above), or Xvfb on a display it chooses
    # itself, recorded whether or not it reported a display, so teardown can
    # stop it.
    if [[ -n $GIVEN_DISPLAY ]]; then
        export DISPLAY=$GIVEN_DISPLAY
        state_put DISPLAY_GIVEN=1
    else
        local xvfb_up=0 xvfb_start
        start_xvfb "$log/xvfb.log" "$log/display" && xvfb_up=1
        if xvfb_start=$(proc_start "$XVFB_PID"); then
            state_put "XVFB_PID=$XVFB_PID" "XVFB_START=$xvfb_start"
        fi
        [[ $xvfb_up -eq 1 ]] || die "Xvfb did not come up (see $log/xvfb.log)"
    fi
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
    setsid bash "$WINE_RUN" --wine-dir "$WINE_DIR" --watchdog </dev/null >"$log/watchdog.log" 2>&1 &
    watchdog=$!
    watchdog_start=$(proc_start "$watchdog") || die "the watchdog exited at once"
    state_put "WATCHDOG_PID=$watchdog" "WATCHDOG_START=$watchdog_start"

    # Last: with these the harness counts as up.
    state_put "HARNESS_PREFIX=$WINEPREFIX" "HARNESS_DISPLAY=$display"
    note "harness up in $(((${EPOCHREALTIME//[!0-9]/} - t0) / 1000)) ms: prefix $WINEPREFIX, DISPLAY $display"
}

up_locked() {
    local users
    users=$(prune_users)
    if harness_live; then
        [[ -z $GIVEN_DISPLAY || $GIVEN_DISPLAY == "$HARNESS_DISPLAY" ]] ||
            die "the harness in $WINE_DIR is up on the display $HARNESS_DISPLAY, not $GIVEN_DISPLAY"
    else
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

# Brings the harness up for the calling process unless it is up and knows it.
ensure_up() {
    if user_registered && harness_live; then
        return 0
    fi
    with_lock --up-locked
}
