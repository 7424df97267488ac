#!/bin/sh
# One Wine prefix and one wineserver for a whole test run of the .exe
# files: "start" creates the prefix (WINEPREFIX) on first use and starts
# a persistent wineserver, so later starts of a program take milliseconds,
# not seconds; "stop" ends the wineserver and every Wine process with it.
#
#   wine-session.sh start|stop
set -u
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
case ${1:-} in
start)
    mkdir -p "$WINEPREFIX" || exit 1
    # Idle for two minutes, it stops by itself, should the stop never come.
    wineserver -p120 </dev/null >/dev/null 2>&1 || true # already running: kept
    log=$WINEPREFIX/wineboot.log
    if ! wine wineboot --init </dev/null >"$log" 2>&1; then
        cat "$log" >&2
        exit 1
    fi
    ;;
stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
