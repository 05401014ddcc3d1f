#!/usr/bin/env bash
# Demonstrates the kit on this machine: builds everything, makes a fresh Wine
# prefix under build/demo, and drives the deliverables against the stand-ins.
#   - the installer from the distribution folder: an unattended new
#     installation from an answer file (its run log), and an operator's tour of
#     its dialogs (screenshots; shown live when DISPLAY is set)
#   - an alphanumeric page and a numeric page through the modem simulator on COM1
#   - the pager's send dialog (a screenshot; shown live when DISPLAY is set)
#   - the suite's services and the monitor service registered and started, and
#     pstview watching them (screenshots of the panel fresh and stale and of the
#     debug log; shown live when DISPLAY is set)
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

DEMO=$ROOT/build/demo
WIN=$ROOT/build/win64
XVFB_PID=

cleanup() {
    stop_modem
    [[ -n ${WINEPREFIX:-} && -d ${WINEPREFIX:-/nonexistent} ]] && wineserver -k 2>/dev/null || true
    if [[ -n $XVFB_PID ]]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
}
trap cleanup EXIT

start_display() {
    if [[ -n ${DISPLAY:-} ]]; then
        LIVE=1
        echo "using your display $DISPLAY"
        return
    fi
    LIVE=0
    start_xvfb "$DEMO/xvfb.log" "$DEMO/xvfb.display" || exit 1
    echo "started Xvfb on $DISPLAY"
}

# The prefix with COM1 on the simulator's fixed link, and one persistent
# wineserver for the whole demo.
make_prefix() {
    wine_prefix_env "$DEMO"
    make_wine_prefix "$DEMO" "$DEMO/wineboot.log" 1 || exit 1
    wineserver -p >"$DEMO/wineserver.log" 2>&1
    DIST=$WINEPREFIX/drive_c/POSTERN
    mkdir -p "$DIST"
    cp "$WIN/pager/pagelink.dll" "$WIN/pager/pstpage.exe" "$DIST/"
}

show() { sed 's/^/    /' "$@"; }

demo_alpha_page() {
    say "alphanumeric page: pstpage alpha through the modem simulator (accept scenario)"
    start_modem "$DEMO/com1" "$DEMO" alpha accept
    local rc=0
    wine 'C:\POSTERN\pstpage.exe' alpha --port 1 --phone 5551234 --pager 123 \
        "Disk C: on mail1 is 95% full" | tr -d '\r' | sed 's/^/    /' || rc=$?
    stop_modem
    echo "  pstpage exit status: $rc"
    echo "  the paging terminal received:"
    show "$DEMO/alpha.record"
}

demo_numeric_page() {
    say "numeric page: pstpage numeric through the modem simulator (numeric scenario)"
    start_modem "$DEMO/com1" "$DEMO" numeric numeric
    local rc=0
    wine 'C:\POSTERN\pstpage.exe' numeric --port 1 --init ATE0 --wait 500 'ATDT%s,,,%s' \
        5551234 '42#' | tr -d '\r' | sed 's/^/    /' || rc=$?
    stop_modem
    echo "  pstpage exit status: $rc"
    echo "  the numeric line received:"
    show "$DEMO/numeric.record"
    echo "  and the dial string arrived at:"
    grep 'DTE> ATDT' "$DEMO/numeric.log" | show
}

window_id() { xwininfo -root -tree 2>/dev/null | awk -v t="\"$1\"" 'index($0, t) {print $1; exit}'; }

demo_send_dialog() {
    say "the send dialog (CreateSendAlphaMessage)"
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
    wine rundll32 'C:\POSTERN\pagelink.dll,CreateSendAlphaMessage' &
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

wait_for_window() {
    for _ in $(seq 150); do
        [[ -n $(window_id "$1") ]] && return 0
        sleep 0.1
    done
    echo "demo: the window \"$1\" did not appear" >&2
    exit 1
}

# The distribution folder C:\DIST: the installer, its toolkit and everything
# the description file lists.
lay_out_distribution() {
    DISTRIBUTION=$WINEPREFIX/drive_c/DIST
    rm -rf "$DISTRIBUTION"
    cp -r "$WIN/dist" "$DISTRIBUTION"
}

# The number of dialog lines ("shown" or outcomes) in the installer's log.
log_count() { { tr -d '\r' <"$2"; } 2>/dev/null | grep -c "$1" || true; }

demo_setup_unattended() {
    say "the installer, unattended: a new installation from an answer file"
    lay_out_distribution
    cat >"$DISTRIBUTION/new.ini" <<'INI'
[Setup]
Mode=new                 ; new | update | remove
UserDatabase=own         ; own | nt
HostName=mail.example.com
Destination=C:\POSTERN
INI
    sed -i 's/$/\r/' "$DISTRIBUTION/new.ini"
    (cd "$DISTRIBUTION" && wine pstsetup.exe /answers 'C:\DIST\new.ini' /log 'C:\DIST\setup.log')
    echo "  pstsetup exit status: 0 always; its run log C:\DIST\setup.log says:"
    tr -d '\r' <"$DISTRIBUTION/setup.log" | grep -E 'dialog [0-9]+ .*: |end:' | show
}

# Waits until the installer's log says a dialog waits for the operator
# (one more "shown" line than outcomes), then gives it a moment to paint.
wait_for_setup_dialog() {
    local log=$1 shown outcomes
    for _ in $(seq 200); do
        shown=$(log_count ' shown$' "$log")
        outcomes=$(log_count '^[0-9:]* dialog [0-9]* [A-Za-z0-9]*: ' "$log")
        if (( shown > outcomes )); then
            sleep 0.7
            return 0
        fi
        sleep 0.1
    done
    echo "demo: no setup dialog waits; see $log" >&2
    return 1
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
    TOUR_LOG=$DISTRIBUTION/tour.log
    rm -f "$TOUR_LOG"
    (cd "$DISTRIBUTION" && wine pstsetup.exe /log 'C:\DIST\tour.log' /record 'C:\DIST\tour.ini') &
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
    setup_step 5-user-database alt+p Return
    setup_step 6-host-name Return
    setup_step 7-destination shift+Home BackSpace Return
    setup_step 8-bad-directory Return
    setup_step 9-destination-again 'type:C:\POSTERN' alt+x
    setup_step 10-quit-confirmation Return
    setup_step 11-destination-once-more Return
    setup_step 12-completion Return
    wait "$setup_pid" || true
    echo "  the tour's run log:"
    tr -d '\r' <"$TOUR_LOG" | grep -E 'dialog [0-9]+ .*: |end:' | show
}

readonly SUITE_PROGRAMS=(RELAYSVC DROPSVC PLANSVC DIRSVC PASSSVC LOGSVC TERMSVC WatchSvc)

demo_monitor() {
    say "the monitor: the suite's services, WatchSvc and pstview"
    local program
    for program in "${SUITE_PROGRAMS[@]}"; do
        cp "$WIN/standins/services/$program.exe" "$DIST/"
    done
    cp "$WIN/monitor/pstview.exe" "$DIST/"
    cp "$WIN/standins/applet/postern.cpl" "$WINEPREFIX/drive_c/windows/system32/"
    # What the installer leaves for both programs: the top directory, and the
    # poll period in the profile file "watchsvc.exe".
    wine reg add 'HKLM\SOFTWARE\Corvane\Postern\Global' /v TopDir /t REG_EXPAND_SZ \
        /d 'C:\POSTERN' /f >/dev/null 2>&1
    printf '[options]\r\nPollTime=2\r\n' >"$WINEPREFIX/drive_c/windows/watchsvc.exe"
    for program in "${SUITE_PROGRAMS[@]}"; do
        wine "C:\\POSTERN\\$program.exe" -installquiet
    done
    for program in "${SUITE_PROGRAMS[@]}"; do
        wine net start "${program^^}" >/dev/null 2>&1 || echo "  could not start ${program^^}"
    done
    echo "  registered and started: ${SUITE_PROGRAMS[*]^^}"
    for _ in $(seq 100); do
        [[ -s $DIST/watchsvc.dat ]] && break
        sleep 0.1
    done
    echo "  WATCHSVC writes C:\\POSTERN\\watchsvc.dat ($(stat -c %s "$DIST/watchsvc.dat") bytes)"
    wine 'C:\POSTERN\pstview.exe' &
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
    for _ in $(seq 50); do
        [[ -n $(window_id "Debug log") ]] && break
        sleep 0.1
    done
    sleep 1
    if [[ -n $(window_id "Debug log") ]]; then
        shoot "Debug log" "$DEMO/monitor-log.png"
    else
        echo "  (the debug log did not open; no screenshot of it)"
    fi
}

say "packages"
install_missing_packages
say "build"
build_preset native >/dev/null
build_preset win64 >/dev/null
echo "built build/native and build/win64"

say "a fresh Windows prefix in $DEMO/prefix"
rm -rf "$DEMO"
mkdir -p "$DEMO"
start_display
make_prefix
echo "prefix ready; the kit's programs are in C:\\POSTERN"

demo_setup_unattended
demo_setup_tour
demo_alpha_page
demo_numeric_page
demo_send_dialog
demo_monitor

say "done"
echo "  logs of the modem simulator: $DEMO/*.log; pages received: $DEMO/*.record"
echo "  pictures: $DEMO/*.png"
