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

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    export SANDBOX_DISPLAY=$DISPLAY
    tools/sandbox.sh run "$sandbox" "$planter" plant
    echo "Starting TarliskCleaner.exe on $DISPLAY; close its window to end the demo."
    SANDBOX_TIMEOUT=86400 tools/sandbox.sh run "$sandbox" "$exe" || true
    tools/sandbox.sh run "$sandbox" "$planter" check || true
    tools/sandbox.sh stop "$sandbox"
    exit 0
fi

shot=$root/build/demo-screenshot
winshot="\\\\?\\unix${shot//\//\\}"
trap 'tools/sandbox.sh stop "$sandbox" >/dev/null 2>&1 || true' EXIT
tools/sandbox.sh run "$sandbox" "$planter" plant
SANDBOX_TIMEOUT=180 tools/sandbox.sh run "$sandbox" "$exe" &
program=$!
SANDBOX_TIMEOUT=150 tools/sandbox.sh run "$sandbox" "$driver" \
    wait text=1017 focus "screenshot=$winshot.bmp" click=1008 summary=120000 \
    "screenshot=$winshot-summary.bmp" answer=2 sleep=500 text=1017 text=1008 close
wait "$program" || true
tools/sandbox.sh run "$sandbox" "$planter" check || true
convert "$shot.bmp" "$shot.png"
convert "$shot-summary.bmp" "$shot-summary.png"
echo "Screenshot of the main window: $shot.png"
echo "Screenshot after the scan:     $shot-summary.png"
