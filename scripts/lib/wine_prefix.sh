# Shared by the test harness (wine-run.sh), demo.sh and bench.sh: a throwaway
# Wine prefix that looks like a Windows NT machine for the kit, an Xvfb display
# for its windows, and the harness as the demo and the bench use it.
# shellcheck shell=bash
# shellcheck source-path=SCRIPTDIR source=wait.sh
source "$(dirname "${BASH_SOURCE[0]}")/wait.sh"

# wine_prefix_env DIR: the environment of the prefix DIR/prefix. No Mono or
# Gecko (their installers would open dialogs); "My Documents" and friends link
# to $HOME, so HOME stays inside DIR.
wine_prefix_env() {
    export WINEPREFIX=$1/prefix
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export HOME=$1/home
    mkdir -p "$HOME"
}

# windows_path /abs/path: prints Z:\abs\path.
windows_path() {
    local p
    p=$(realpath -m "$1")
    echo "Z:${p//\//\\}"
}

# make_wine_prefix DIR LOG PORTS: creates DIR/prefix (wine_prefix_env must be in
# force) and the settings Wine reads when its server starts, hence before any
# persistent server: COM1..COM<PORTS> open the fixed links DIR/com1..; windows
# are unmanaged (without a window manager in Xvfb, Wine waits 2 s for one
# whenever a shown, managed window is destroyed, while it places, activates and
# focuses unmanaged windows itself); a crashing program prints its backtrace
# and ends instead of waiting for its crash dialog to be closed; and the fonts
# of Wine's data folder (Marlett draws the caption buttons, MS Sans Serif the
# dialogs) are in the prefix's Fonts folder, where every font lookup finds them.
# Returns non-zero, with the tail of LOG printed, when a step fails.
make_wine_prefix() {
    local dir=$1 log=$2 ports=$3 n fonts
    [[ $dir != *[\\\"]* ]] || { echo "the folder $dir contains \\ or \"" >&2; return 1; }
    if ! timeout 300 wine wineboot.exe -i >"$log" 2>&1; then
        tail -n 30 "$log" >&2
        echo "wineboot -i failed to create the prefix $WINEPREFIX" >&2
        return 1
    fi
    # wineserver -w waits for wineboot's own server to finish, so that a
    # persistent server started later is the only one (two would mean two
    # services.exe, each unaware of the other's services).
    timeout 120 wineserver -w || { echo "wineserver did not exit after wineboot" >&2; return 1; }
    {
        printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
        for ((n = 1; n <= ports; n++)); do
            printf '"COM%s"="%s/com%s"\r\n' "$n" "$dir" "$n"
        done
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n'
        printf '"ShowCrashDialog"=dword:00000000\r\n'
    } >"$dir/prefix-settings.reg"
    if ! wine reg.exe import "$(windows_path "$dir/prefix-settings.reg")" >>"$log" 2>&1; then
        tail -n 30 "$log" >&2
        echo "cannot import the prefix settings $dir/prefix-settings.reg" >&2
        return 1
    fi
    fonts=$(wine_fonts_folder)
    if [[ -n $fonts ]]; then
        cp -n "$fonts"/*.ttf "$fonts"/*.fon "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    wineserver -k 2>/dev/null || true
    timeout 60 wineserver -w || { echo "wineserver did not stop after the settings" >&2; return 1; }
}

# The folder of Wine's own fonts (Debian's fonts-wine), or nothing.
wine_fonts_folder() {
    local d
    for d in /usr/share/wine/fonts /usr/lib/wine/fonts /opt/wine/share/wine/fonts; do
        [[ -f $d/marlett.ttf ]] && { echo "$d"; return 0; }
    done
}

# start_xvfb LOG FDFILE: starts Xvfb in the background on a display it chooses
# itself (-displayfd: no race for a number), waits until it reports it, and
# sets XVFB_PID and DISPLAY. Returns non-zero when Xvfb does not come up.
start_xvfb() {
    local log=$1 fdfile=$2
    rm -f "$fdfile"
    setsid Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$fdfile" </dev/null \
        >"$log" 2>&1 &
    XVFB_PID=$!
    wait_until 15 xvfb_reported "$fdfile" || true
    if [[ ! -s $fdfile ]]; then
        tail -n 30 "$log" >&2
        echo "Xvfb did not report a display within 15 s" >&2
        return 1
    fi
    DISPLAY=:$(tr -dc 0-9 <"$fdfile")
    export DISPLAY
}

# xvfb_reported FDFILE: Xvfb has written its display number, or has exited.
xvfb_reported() { [[ -s $1 ]] || ! kill -0 "$XVFB_PID" 2>/dev/null; }

# wine_run DIR ARGS...: the harness scripts/wine-run.sh with its directory DIR.
wine_run() { bash "$(dirname "${BASH_SOURCE[0]}")/../wine-run.sh" --wine-dir "$1" "${@:2}"; }

# harness_env DIR: the environment of the harness that is up in DIR, its prefix
# and its display, for plain wine commands.
harness_env() {
    local display
    display=$(sed -n 's/^HARNESS_DISPLAY=//p' "$1/state.env" 2>/dev/null) || true
    [[ -n $display ]] || { echo "no Wine harness is up in $1 (no display in its state.env)" >&2; return 1; }
    wine_prefix_env "$1"
    export DISPLAY=$display
}
