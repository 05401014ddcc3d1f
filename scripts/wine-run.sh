#!/usr/bin/env bash
# Runs the Windows test programs under Wine for CTest: one throwaway prefix, one
# Xvfb display and one persistent wineserver per test run, shared by every test.
#
#   wine-run.sh --wine-dir DIR EXE [ARGS...]   run EXE under Wine (the cross-compiling
#                                             emulator); brings the harness up if needed
#   wine-run.sh --wine-dir DIR --setup [--display DISPLAY]
#                                             bring the harness up (fixture "wine"); with
#                                             --display on that X display, not a new Xvfb
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
#                  DISPLAY), DISPLAY_GIVEN=1 when that display was given, and the pids
#                  and start times of Xvfb, wineserver and the watchdog, as shell
#                  assignments (sourced by lib/harness_state.sh)
#   users/         one file per process (normally ctest) using the harness, named by
#                  pid, holding the process start time so a reused pid does not count
#   harness.lock   flock serialising bring-up and tear-down
#   com1.lock      flock held by the serial test that owns COM1
#   log/           output of wineboot, Xvfb, wineserver and the watchdog
#   peer.pid       pid and start time of the running serial peer
#
# The harness comes up lazily because CTest's test discovery runs test programs
# before the fixture's setup test. A watchdog takes it down once every user has
# exited, so an interrupted ctest leaves no Xvfb or wineserver behind. Only
# processes started here are ever signalled, each checked by pid and start time.
#
# The CTest launcher is here; the harness's lifecycle is in lib/harness.sh (its
# record in lib/harness_state.sh), the serial-peer runner in lib/serial_peer.sh.
set -euo pipefail
WINE_RUN=$(realpath "${BASH_SOURCE[0]}")
# shellcheck source=lib/wine_prefix.sh
source "${WINE_RUN%/*}/lib/wine_prefix.sh"
# shellcheck source=lib/process.sh
source "${WINE_RUN%/*}/lib/process.sh"
# shellcheck source=lib/harness_state.sh
source "${WINE_RUN%/*}/lib/harness_state.sh"
# shellcheck source=lib/harness.sh
source "${WINE_RUN%/*}/lib/harness.sh"
# shellcheck source=lib/serial_peer.sh
source "${WINE_RUN%/*}/lib/serial_peer.sh"
# Without job control a background child is no process group leader, so setsid
# runs the daemon in place and $! is the daemon's own pid.
set +m

WINE_DIR=${POSTERN_WINE_DIR:-}
if [[ ${1:-} == --wine-dir ]]; then
    [[ $# -ge 2 ]] || die "--wine-dir needs a directory"
    WINE_DIR=$2
    shift 2
fi
[[ -n $WINE_DIR ]] || die "no harness directory: pass --wine-dir DIR or set POSTERN_WINE_DIR"
WINE_DIR=$(realpath -m "$WINE_DIR")
[[ $# -gt 0 ]] || die "nothing to run; usage: wine-run.sh --wine-dir DIR EXE [ARGS...]"

# --setup and --up-locked take the display to use, if any.
GIVEN_DISPLAY=''
if [[ $1 == --setup || $1 == --up-locked ]] && [[ ${2:-} == --display ]]; then
    [[ -n ${3:-} ]] || die "--display needs an X display (such as :0)"
    GIVEN_DISPLAY=$3
    set -- "$1"
fi

case $1 in
--setup)
    with_lock --up-locked ${GIVEN_DISPLAY:+--display "$GIVEN_DISPLAY"}
    load_state
    echo "wine harness up: WINEPREFIX=$WINE_DIR/prefix DISPLAY=$HARNESS_DISPLAY" \
        "wineserver pid $SERVER_PID, ${XVFB_PID:+Xvfb pid $XVFB_PID}${DISPLAY_GIVEN:+the display given}"
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
    # The CTest launcher: EXE ARGS under Wine in the harness's prefix and display.
    ensure_up
    harness_env "$WINE_DIR"
    exec wine "$@"
    ;;
esac
