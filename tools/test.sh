#!/usr/bin/env bash
# Builds everything and runs the whole test suite in the sandbox PC, on a fresh Debian 12 too.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash tools/setup.sh
status=0
cmake --workflow --preset default || status=$?
# Whatever happened, leave no Xvfb or wineserver of the sandbox behind.
tools/sandbox.sh stop build/sandbox >/dev/null 2>&1 || true
exit $status
