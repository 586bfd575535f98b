#!/usr/bin/env bash
# Runs TarliskCleaner.exe in its own sandbox PC. With a display, the window shows there and the
# demo ends when you close it; without one, it runs under Xvfb, saves a screenshot and says where.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)

bash tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default

sandbox=$root/build/demo-sandbox
exe=$root/build/TarliskCleaner.exe
driver=$root/build/tarlisk_driver.exe

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "Starting TarliskCleaner.exe on $DISPLAY; close its window to end the demo."
    tools/sandbox.sh stop "$sandbox" >/dev/null 2>&1 || true
    SANDBOX_DISPLAY=$DISPLAY SANDBOX_TIMEOUT=86400 tools/sandbox.sh run "$sandbox" "$exe" || true
    tools/sandbox.sh stop "$sandbox"
    exit 0
fi

shot=$root/build/demo-screenshot
trap 'tools/sandbox.sh stop "$sandbox" >/dev/null 2>&1 || true' EXIT
SANDBOX_TIMEOUT=120 tools/sandbox.sh run "$sandbox" "$exe" &
program=$!
SANDBOX_TIMEOUT=60 tools/sandbox.sh run "$sandbox" "$driver" \
    wait text=1017 text=1008 "screenshot=\\\\?\\unix${shot//\//\\}.bmp" close
wait "$program" || true
convert "$shot.bmp" "$shot.png"
echo "Screenshot of the main window: $shot.png"
