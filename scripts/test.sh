#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test; then the same suite
# built with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/.
#   scripts/test.sh            both builds
#   ZU42_NO_ASAN=1 scripts/test.sh   the plain build only
#   ZU42_WINDOWS=1 scripts/test.sh   also the Windows build, its tests under Wine
#                                    (scripts/test-windows.sh; skipped without the Qt archive)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

if [ "${ZU42_NO_ASAN:-0}" != 1 ]; then
    cmake --preset asan >/dev/null
    cmake --build --preset asan -j "$jobs"
    ctest --preset asan -j "$jobs"
fi

if [ "${ZU42_WINDOWS:-0}" = 1 ]; then
    scripts/test-windows.sh
fi
