#!/usr/bin/env bash
# Demonstrates the kit on this machine: builds everything, brings the test
# harness (scripts/wine-run.sh) up with a fresh Wine prefix under build/demo,
# and drives the deliverables against the stand-ins.
#   - the installer from the distribution folder: an unattended new
#     installation into C:\Program Files\Postern with two users, and what it
#     left (registry tree, services and their image paths, HOSTS, the program
#     group, the users, the run log's last line)
#   - the installed monitor service and pstview watching the suite
#     (screenshots of the panel fresh and stale and of the debug log)
#   - an alphanumeric page and a numeric page with the installed pstpage.exe
#     through the modem simulator on COM1, and the installed pager's send dialog
#   - an unattended update, an operator's tour of the installer's dialogs
#     (another update; screenshots), and finally an unattended removal, each
#     with what it left
# With DISPLAY set the windows are shown live instead of photographed.
# Installs the Debian packages it needs first. Prints what happened and where the
# pictures and logs are.
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

DEMO=$ROOT/build/demo
WIN=$ROOT/build/win64
HARNESS_STARTED=0

# The prefix stays after the demo: the installer's run logs are in it.
cleanup() {
    stop_modem
    if [[ $HARNESS_STARTED -eq 1 ]]; then
        POSTERN_WINE_KEEP_PREFIX=1 wine_run "$DEMO" --cleanup >>"$DEMO/harness.log" 2>&1 ||
            echo "demo: the Wine harness in $DEMO did not go down; see $DEMO/harness.log" >&2
    fi
}
trap cleanup EXIT

# The harness's prefix in $DEMO/prefix, with COM1 on the simulator's fixed link
# $DEMO/com1 and one persistent wineserver for the whole demo: on your display
# when DISPLAY is set (live windows), else on the harness's Xvfb (screenshots).
# Then the TCP/IP settings of a Windows NT machine with one network adapter.
start_prefix() {
    local display_args=()
    LIVE=0
    if [[ -n ${DISPLAY:-} ]]; then
        LIVE=1
        display_args=(--display "$DISPLAY")
    fi
    export POSTERN_WINE_USER_PID=$$
    HARNESS_STARTED=1
    if ! wine_run "$DEMO" --setup "${display_args[@]}" >"$DEMO/harness.log" 2>&1; then
        cat "$DEMO/harness.log" >&2
        echo "demo: the Wine harness did not come up in $DEMO" >&2
        exit 1
    fi
    harness_env "$DEMO"
    if [[ $LIVE -eq 1 ]]; then
        echo "using your display $DISPLAY"
    else
        echo "started Xvfb on $DISPLAY"
    fi
    suite_paths
    suite_seed_network
}

show() { sed 's/^/    /' "$@"; }

demo_alpha_page() {
    say "alphanumeric page: the installed pstpage alpha through the modem simulator (accept scenario)"
    start_modem "$DEMO/com1" "$DEMO" alpha accept
    local rc=0
    wine "$SUITE_INSTALL_DIR\\pstpage.exe" alpha --port 1 --phone 5551234 --pager 123 \
        "Disk C: on mail1 is 95% full" | tr -d '\r' | sed 's/^/    /' || rc=$?
    stop_modem
    echo "  pstpage exit status: $rc"
    echo "  the paging terminal received:"
    show "$DEMO/alpha.record"
}

demo_numeric_page() {
    say "numeric page: the installed pstpage numeric through the modem simulator (numeric scenario)"
    start_modem "$DEMO/com1" "$DEMO" numeric numeric
    local rc=0
    wine "$SUITE_INSTALL_DIR\\pstpage.exe" numeric --port 1 --init ATE0 --wait 500 'ATDT%s,,,%s' \
        5551234 '42#' | tr -d '\r' | sed 's/^/    /' || rc=$?
    stop_modem
    echo "  pstpage exit status: $rc"
    echo "  the numeric line received:"
    show "$DEMO/numeric.record"
    echo "  and the dial string arrived at:"
    grep 'DTE> ATDT' "$DEMO/numeric.log" | show
}

window_id() { xwininfo -root -tree 2>/dev/null | awk -v t="\"$1\"" 'index($0, t) {print $1; exit}'; }
window_shown() { [[ -n $(window_id "$1") ]]; }

demo_send_dialog() {
    say "the installed pager's send dialog (CreateSendAlphaMessage)"
    # The dialog reads its settings from the "Pager" section of win.ini.
    cat >>"$WINEPREFIX/drive_c/windows/win.ini" <<'INI'

[Pager]
Port=1
Terminal=5551234
PagerID=123
Password=
InitString=ATE0
INI
    # The terminal's line is busy for the first two dials: the send lasts over
    # six seconds of redial pauses, long enough to watch the trace grow.
    start_modem "$DEMO/com1" "$DEMO" dialog busy-then-connect
    wine rundll32 "$SUITE_INSTALL_DIR\\pagelink.dll,CreateSendAlphaMessage" &
    local dialog_pid=$!
    wait_for_window "Alpha Pager Message"
    sleep 0.5
    shoot "Alpha Pager Message" "$DEMO/pager-dialog.png"
    if [[ $LIVE -eq 0 ]]; then
        # Type a message, press Send (Alt+S) and take pictures while it is sent.
        xdotool search --name "Alpha Pager Message" windowfocus --sync >/dev/null 2>&1 || true
        xdotool type --delay 30 "Disk C: on mail1 is 95% full"
        xdotool key alt+s
        sleep 1.5
        shoot "Alpha Pager Message" "$DEMO/pager-dialog-sending-1.png"
        sleep 3.5
        shoot "Alpha Pager Message" "$DEMO/pager-dialog-sending-2.png"
        wait_for_window "Alpha Pager"
        sleep 0.3
        shoot "Alpha Pager Message" "$DEMO/pager-dialog-sent.png"
        xdotool search --name '^Alpha Pager$' windowfocus --sync key Return >/dev/null 2>&1 || true
        sleep 0.5
        echo "  the terminal received from the dialog:"
        show "$DEMO/dialog.record" 2>/dev/null || echo "    (nothing)"
    fi
    if [[ $LIVE -eq 1 ]]; then
        echo "  The dialog is open on your display: type a message and press Send (the"
        echo "  simulator on COM1 accepts it), then Exit to finish the demo."
        wait "$dialog_pid" || true
        echo "  pages the terminal received from the dialog:"
        show "$DEMO/dialog.record" 2>/dev/null || echo "    (none)"
    else
        wineserver -k 2>/dev/null || true
        wait "$dialog_pid" 2>/dev/null || true
    fi
    stop_modem
}

# Screenshot of the window with this title into a PNG file.
shoot() {
    local id geometry
    id=$(window_id "$1")
    geometry=$(xwininfo -id "$id" | awk '/Width:/{w=$2}/Height:/{h=$2}/Absolute upper-left X:/{x=$4}/Absolute upper-left Y:/{y=$4}END{print w"x"h"+"x"+"y}')
    import -window root -crop "$geometry" "$2"
    echo "  screenshot: $2"
}

# The send dialog's result comes after two busy dials and their pauses, some
# 20 s after Send on a loaded machine: the bound leaves room for that.
wait_for_window() {
    wait_until 40 window_shown "$1" && return 0
    echo "demo: the window \"$1\" did not appear" >&2
    exit 1
}

# The number of dialog lines ("shown" or outcomes) in the installer's log.
log_count() { { tr -d '\r' <"$2"; } 2>/dev/null | grep -c "$1" || true; }

# Runs the installer unattended from the distribution folder with the answer
# file NAME.ini, and prints its dialogs and end.
run_setup() {
    local name=$1 started=$SECONDS status=0
    suite_setup "$name" || status=$?
    echo "  pstsetup took $((SECONDS - started)) s and exited with status $status" \
        "($(setup_status_meaning "$status")); its run log C:\\DIST\\$name.log says:"
    # A message box's text may go on over further lines without a time stamp.
    tr -d '\r' <"$SUITE_DIST/$name.log" | awk '
        /^[0-9][0-9]:[0-9][0-9]:[0-9][0-9] / { keep = /dialog [0-9]+ .*: |installer dialog|message box|warning:|end:/ }
        keep' | show
}

# What an unattended run's exit status says.
setup_status_meaning() {
    case $1 in
        0) echo "completed" ;;
        1) echo "quit" ;;
        2) echo "fatal stop" ;;
        3) echo "stopped before the first dialog" ;;
        4) echo "completed with warnings" ;;
        *) echo "not a status of the installer" ;;
    esac
}

# What the installation left in the prefix.
report_installation() {
    echo "  what it left:"
    echo "    registry tree HKLM\\SOFTWARE\\Corvane\\Postern:"
    if wine reg query "$SUITE_KEY" >/dev/null 2>&1; then
        local tree
        tree=$({ wine reg query "$SUITE_KEY" /s 2>/dev/null || true; } |
            tr -d '\r' | sed -E 's/^(    [^ ]+ +REG_BINARY +)([0-9A-F]+)$/\1(binary record)/' |
            sed -e '/^$/d' -e 's/^HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Postern$/  (the key itself)/' \
                -e 's/^HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane\\Postern/  [Postern]/')
        echo "${tree:-(present, empty)}" | sed 's/^/      /'
    else
        echo "      (absent)"
    fi
    echo "    services (state, image path):"
    local service state image
    for service in "${SUITE_SERVICES[@]}"; do
        state=$(suite_service_state "$service")
        image=$({ wine reg query "HKLM\\SYSTEM\\CurrentControlSet\\Services\\$service" /v ImagePath \
            2>/dev/null || true; } | tr -d '\r' | sed -n 's/^ *ImagePath *REG_[A-Z_]* *//p')
        printf '      %-9s %-8s %s\n' "$service" "${state:-absent}" "$image"
    done
    echo "    HOSTS lines for $SUITE_HOST:"
    local lines
    lines=$(tr -d '\r' <"$SUITE_HOSTS" | grep -i "$SUITE_HOST" || true)
    echo "${lines:-(none)}" | sed 's/^/      /'
    echo "    program group \"Postern\":"
    if [[ -d $SUITE_GROUP ]]; then
        (cd "$SUITE_GROUP" && ls -1) | sed 's/^/      /'
    else
        echo "      (none)"
    fi
    echo "    users of $SUITE_HOST:"
    local users
    users=$({ wine reg query "$SUITE_KEY\\Domains\\$SUITE_HOST\\Users" 2>/dev/null || true; } |
        tr -d '\r' | sed -n 's/^.*\\Users\\//p')
    echo "${users:-(none)}" | sed 's/^/      /'
    echo "    postern.cpl in the system folder: $([[ -f $SUITE_APPLET ]] && echo present || echo absent)"
    echo "    installed files: $(find "$SUITE_INSTALLED" -maxdepth 1 -type f 2>/dev/null | wc -l) in $SUITE_INSTALL_DIR"
}

demo_setup_unattended() {
    say "the installer, unattended: a new installation from an answer file"
    suite_lay_out_distribution "$WIN"
    cat >"$SUITE_DIST/new.ini" <<INI
[Setup]
Mode=new                 ; new | update | remove
UserDatabase=own         ; own | nt
HostName=$SUITE_HOST
Destination="$SUITE_INSTALL_DIR"
[Users]
alice=Alice Example,alice-pw
bob=Bob Example,bob-pw
INI
    run_setup new
    report_installation
}

demo_setup_update() {
    say "the installer, unattended: an update of the installed suite"
    # The HOSTS file loses the host's line and is made read-only: the update
    # cannot add the line back, says so in a warning and exits with status 4.
    sed -i "/ $SUITE_HOST\r\?\$/d" "$SUITE_HOSTS"
    if chattr +i "$SUITE_HOSTS"; then
        echo "  HOSTS without its line for $SUITE_HOST, and read-only (chattr +i) for the update"
    else
        echo "  HOSTS without its line for $SUITE_HOST (this file system cannot make it read-only)"
    fi
    printf '[Setup]\nMode=update\n' >"$SUITE_DIST/update.ini"
    run_setup update
    chattr -i "$SUITE_HOSTS" 2>/dev/null || true
    report_installation
}

demo_setup_removal() {
    say "the installer, unattended: the removal"
    printf '[Setup]\nMode=remove\n' >"$SUITE_DIST/remove.ini"
    run_setup remove
    report_installation
}

# The installer's log LOG says a dialog waits for the operator: one more
# "shown" line than outcomes.
setup_dialog_waits() {
    local shown outcomes
    shown=$(log_count ' shown$' "$1")
    outcomes=$(log_count '^[0-9:]* dialog [0-9]* [A-Za-z0-9]*: ' "$1")
    ((shown > outcomes))
}

# Waits until a setup dialog waits, then gives it a moment to paint.
wait_for_setup_dialog() {
    if ! wait_until 20 setup_dialog_waits "$1"; then
        echo "demo: no setup dialog waits; see $1" >&2
        return 1
    fi
    sleep 0.7
}

# Screenshot of the installer's frame (the dialogs sit on it) as step NAME,
# then the keys that answer the dialog, typed into the newest setup dialog
# ("type:TEXT" types TEXT).
setup_step() {
    local name=$1 dialog
    shift
    wait_for_setup_dialog "$TOUR_LOG" || return 1
    [[ -n ${TOUR_TITLE:-} ]] ||
        TOUR_TITLE=$(tr -d '\r' <"$TOUR_LOG" | sed -n 's/^.* frame title "\(.*\)"$/\1/p' | tail -1)
    shoot "$TOUR_TITLE" "$DEMO/setup-$name.png" >/dev/null
    echo "  $name: $DEMO/setup-$name.png"
    [[ $# -gt 0 ]] || return 0
    dialog=$(xdotool search --onlyvisible --name '^Postern Setup( Help)?$' 2>/dev/null | sort -n | tail -1)
    [[ -n $dialog ]] && xdotool windowfocus --sync "$dialog" >/dev/null 2>&1
    local key
    for key in "$@"; do
        if [[ $key == type:* ]]; then
            xdotool type --delay 40 "${key#type:}"
        else
            xdotool key "$key"
        fi
        sleep 0.15
    done
    sleep 0.3
}

demo_setup_tour() {
    say "the installer's dialogs, as an operator walks through them"
    TOUR_LOG=$SUITE_DIST/tour.log
    rm -f "$TOUR_LOG"
    (cd "$SUITE_DIST" && wine pstsetup.exe /log 'C:\DIST\tour.log' /record 'C:\DIST\tour.ini') &
    local setup_pid=$!
    TOUR_TITLE=
    if [[ $LIVE -eq 1 ]]; then
        echo "  The installer is open on your display; walk through it (an update of"
        echo "  the installation made above is proposed). Its answers go to C:\DIST\tour.ini."
        wait "$setup_pid" || true
        return
    fi
    setup_step 1-welcome Return
    setup_step 2-installation-type alt+h
    setup_step 3-help Return
    setup_step 4-installation-type-again Return
    setup_step 5-host-name Return
    setup_step 6-destination shift+Home BackSpace Return
    setup_step 7-bad-directory Return
    setup_step 8-destination-again 'type:C:\Program Files\Postern' alt+x
    setup_step 9-quit-confirmation Return
    setup_step 10-destination-once-more Return
    setup_step 11-completion Return
    wait "$setup_pid" || true
    echo "  the tour's run log:"
    tr -d '\r' <"$TOUR_LOG" | grep -E 'dialog [0-9]+ .*: |end:' | show
}

demo_monitor() {
    say "the monitor: the installed suite's services and pstview"
    # The profile file "watchsvc.exe" gives the poll period.
    printf '[options]\r\nPollTime=2\r\n' >"$WINEPREFIX/drive_c/windows/watchsvc.exe"
    # A new installation starts the Syslog and password servers; the operator
    # starts the others and the monitor service.
    local service
    for service in RELAYSVC DROPSVC PLANSVC DIRSVC WATCHSVC; do
        wine net start "$service" >/dev/null 2>&1 || echo "  could not start $service"
    done
    echo "  started RELAYSVC DROPSVC PLANSVC DIRSVC WATCHSVC beside LOGSVC and PASSSVC"
    wait_until 10 test -s "$SUITE_INSTALLED/watchsvc.dat" || true
    echo "  WATCHSVC writes $SUITE_INSTALL_DIR\\watchsvc.dat ($(stat -c %s "$SUITE_INSTALLED/watchsvc.dat") bytes)"
    wine "$SUITE_INSTALL_DIR\\pstview.exe" &
    local pstview_pid=$!
    wait_for_window "WatchSvc Control Panel"
    sleep 3
    shoot "WatchSvc Control Panel" "$DEMO/monitor-panel-fresh.png"
    if [[ $LIVE -eq 1 ]]; then
        echo "  pstview is open on your display (View... shows the debug log); close it to finish."
        wait "$pstview_pid" || true
        return
    fi
    wine net stop WATCHSVC >/dev/null 2>&1 || true
    echo "  stopped WATCHSVC; the file stops changing and the panel turns stale"
    sleep 6
    shoot "WatchSvc Control Panel" "$DEMO/monitor-panel-stale.png"
    # View... (Alt+V) opens the debug log with the whole snapshot.
    xdotool search --name "WatchSvc Control Panel" windowfocus --sync key alt+v >/dev/null 2>&1 || true
    wait_until 5 window_shown "Debug log" || true
    sleep 1
    if window_shown "Debug log"; then
        shoot "Debug log" "$DEMO/monitor-log.png"
    else
        echo "  (the debug log did not open; no screenshot of it)"
    fi
    wine taskkill /f /im pstview.exe >/dev/null 2>&1 || true
    wait "$pstview_pid" 2>/dev/null || true
    wine net start WATCHSVC >/dev/null 2>&1 || true
}

packages_and_builds
echo "built build/native and build/win64"

say "a fresh Windows prefix in $DEMO/prefix"
rm -rf "$DEMO"
mkdir -p "$DEMO"
start_prefix
echo "prefix ready: one network adapter ($SUITE_ADDRESS), no suite"

demo_setup_unattended
demo_monitor
demo_alpha_page
demo_numeric_page
demo_send_dialog
demo_setup_update
demo_setup_tour
demo_setup_removal

say "done"
echo "  run logs of the installer: $SUITE_DIST/*.log (in the prefix: C:\\DIST)"
echo "  logs of the modem simulator: $DEMO/*.log; pages received: $DEMO/*.record"
echo "  pictures: $DEMO/*.png"
