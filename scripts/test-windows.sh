#!/usr/bin/env bash
# The Windows build and its tests: cross-compiles with MinGW-w64 against the MinGW build of Qt
# into build-windows/ and runs every test under Wine (the `windows` presets).
#   scripts/test-windows.sh              install, configure, build, test
#   scripts/test-windows.sh -R tcplink   further arguments go to ctest
# Without the Qt archive (see scripts/windows-qt.sh) it says so in one line and exits 0, so that
# a caller's other tests still count.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

status=0
scripts/windows-qt.sh >/dev/null || status=$?
if [ $status -eq 3 ]; then
    echo "test-windows: skipped, no MinGW Qt archive here"
    exit 0
elif [ $status -ne 0 ]; then
    exit $status
fi

jobs=$(nproc)
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
ctest --preset windows "$@"
