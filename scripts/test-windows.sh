#!/usr/bin/env bash
# The Windows build and its tests: cross-compiles with MinGW-w64 against the MinGW build of Qt
# into build-windows/, runs every test under Wine (the `windows` presets), side by side, then
# makes the Windows package and checks it (scripts/package-windows.sh).
#   scripts/test-windows.sh              install, configure, build, test, package
#   scripts/test-windows.sh -R tcplink   further arguments go to ctest (no package then)
# The serial tests under Wine talk to the Linux zu42sim (build/bin/zu42sim, built here when
# missing). Without the Qt archive (see scripts/windows-qt.sh) it says so in one line and exits
# 0, so that a caller's other tests still count. ZU42_INSTALL_DEPS=0 leaves
# scripts/install-deps.sh out.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

zu42_begin test-windows
zu42_windows_qt

jobs=$(nproc)
if [ ! -x build/bin/zu42sim ]; then
    cmake --preset default >/dev/null
    cmake --build --preset default -j "$jobs" --target zu42sim
fi
started=$SECONDS
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
echo "test-windows: the build took $((SECONDS - started)) s"
started=$SECONDS
ctest --preset windows -j "$jobs" "$@"
echo "test-windows: the tests under Wine took $((SECONDS - started)) s"
if [ $# -eq 0 ]; then
    started=$SECONDS
    ZU42_INSTALL_DEPS=0 scripts/package-windows.sh
    echo "test-windows: the package and its check took $((SECONDS - started)) s"
fi
