#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test; then the same suite
# built with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/; then the Windows
# build into build-windows/ with its tests under Wine and the Windows package checked
# (scripts/test-windows.sh; one line and on when the MinGW Qt archive is not here).
#   scripts/test.sh                  all three
#   ZU42_NO_ASAN=1 scripts/test.sh   without the sanitizer build
#   ZU42_WINDOWS=0 scripts/test.sh   without the Windows build
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
started=$SECONDS
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"
echo "test: the Linux build and its tests took $((SECONDS - started)) s"

if [ "${ZU42_NO_ASAN:-0}" != 1 ]; then
    started=$SECONDS
    cmake --preset asan >/dev/null
    cmake --build --preset asan -j "$jobs"
    ctest --preset asan -j "$jobs"
    echo "test: the sanitizer build and its tests took $((SECONDS - started)) s"
fi

if [ "${ZU42_WINDOWS:-1}" != 0 ]; then
    started=$SECONDS
    ZU42_SKIP_INSTALL_DEPS=1 scripts/test-windows.sh
    echo "test: the Windows build, its tests under Wine and its package took $((SECONDS - started)) s"
fi
