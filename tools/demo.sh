#!/usr/bin/env bash
# Runs TarliskCleaner.exe in its own sandbox PC, planted with the worm's traces. With a display,
# the window shows there and the demo ends when you close it; without one, it runs under Xvfb,
# scans, saves screenshots of the window and the summary, and says where.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)

bash tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default

sandbox=$root/build/demo-sandbox
exe=$root/build/TarliskCleaner.exe
driver=$root/build/tarlisk_driver.exe
planter=$root/build/tarlisk_planter.exe

# A fresh sandbox each time, so that the traces are there to be found.
tools/sandbox.sh stop "$sandbox" >/dev/null 2>&1 || true
rm -rf "$sandbox"

# The program sends its usage report on every start; a collector of our own on 127.0.0.1 takes
# it (the default preset points the report host there) and prints what arrived.
report_host=$(sed -n 's/^TARLISK_REPORT_HOST:[A-Z]*=//p' build/CMakeCache.txt)
case "$report_host" in
    127.0.0.1:*) report_port=${report_host##*:} ;;
    127.0.0.1) report_port=80 ;;
    *) echo "demo: the report host $report_host is not 127.0.0.1" >&2; exit 1 ;;
esac
collector_log=$root/build/demo-report.log
collector_pid=
start_collector() {
    : >"$collector_log"
    SANDBOX_TIMEOUT=${1} tools/sandbox.sh run "$sandbox" "$root/build/tarlisk_collector.exe" \
        "$report_port" "$1" >"$collector_log" 2>&1 &
    collector_pid=$!
    for _ in $(seq 150); do
        grep -q listening "$collector_log" && return 0
        kill -0 "$collector_pid" 2>/dev/null || break
        sleep 0.2
    done
    echo "demo: the collector did not start; the report goes nowhere" >&2
}
stop_collector() {
    [ -n "$collector_pid" ] || return 0
    sleep 1  # a report still on its way
    kill "$collector_pid" 2>/dev/null || true
    wait "$collector_pid" 2>/dev/null || true
    collector_pid=
    echo "Usage report as the collector received it ($collector_log):"
    sed 's/\r$//' "$collector_log"
}
cleanup() {
    [ -z "$collector_pid" ] || kill "$collector_pid" 2>/dev/null || true
    tools/sandbox.sh stop "$sandbox" >/dev/null 2>&1 || true
}
trap cleanup EXIT

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export SANDBOX_DISPLAY=$DISPLAY
    tools/sandbox.sh run "$sandbox" "$planter" plant
    echo "Starting TarliskCleaner.exe on $DISPLAY; close its window to end the demo."
    start_collector 86400
    SANDBOX_TIMEOUT=86400 tools/sandbox.sh run "$sandbox" "$exe" || true
    stop_collector
    tools/sandbox.sh run "$sandbox" "$planter" check || true
    tools/sandbox.sh stop "$sandbox"
    exit 0
fi

shot=$root/build/demo-screenshot
winshot="\\\\?\\unix${shot//\//\\}"
tools/sandbox.sh run "$sandbox" "$planter" plant
start_collector 180
SANDBOX_TIMEOUT=180 tools/sandbox.sh run "$sandbox" "$exe" &
program=$!
SANDBOX_TIMEOUT=150 tools/sandbox.sh run "$sandbox" "$driver" \
    wait text=1017 focus "screenshot=$winshot.bmp" click=1008 summary=120000 \
    "screenshot=$winshot-summary.bmp" answer=2 sleep=500 text=1017 text=1008 close
wait "$program" || true
stop_collector
tools/sandbox.sh run "$sandbox" "$planter" check || true
convert "$shot.bmp" "$shot.png"
convert "$shot-summary.bmp" "$shot-summary.png"
echo "Screenshot of the main window: $shot.png"
echo "Screenshot after the scan:     $shot-summary.png"
