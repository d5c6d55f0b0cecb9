#!/usr/bin/env bash
# Installs what is missing, builds into build/ and runs every test (the packaging and PostgreSQL
# cases too); then the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan/; then the Windows build into build-windows/ with its tests under Wine and
# the Windows package checked (scripts/test-windows.sh; one line and on when the MinGW Qt
# archive is not here); then the fuzz targets built with clang into build-fuzz/, each run
# briefly on its seeds. Each part says how long it took.
#   scripts/test.sh                      all four
#   ZU42_ASAN=0 scripts/test.sh          without the sanitizer build
#   ZU42_WINDOWS=0 scripts/test.sh       without the Windows build
#   ZU42_FUZZ=0 scripts/test.sh          without the fuzz targets
#   ZU42_INSTALL_DEPS=0 scripts/test.sh  without scripts/install-deps.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

zu42_begin test

jobs=$(nproc)
# Most tests wait on a simulator, a timer or a child process rather than compute: twice as many
# side by side as there are processors keeps the processors busy without starving any test.
test_jobs=$((2 * jobs))

# part NAME COMMAND...: runs the command and says how long it took.
part() {
    local name=$1 started=$SECONDS
    shift
    "$@"
    zu42_say "$name took $((SECONDS - started)) s"
}

linux() {
    cmake --preset default >/dev/null
    part "the Linux build" cmake --build --preset default -j "$jobs"
    part "the Linux tests" ctest --preset default -j "$test_jobs"
}
part "the Linux build and its tests" linux

if zu42_on ZU42_ASAN; then
    asan() {
        cmake --preset asan >/dev/null
        part "the sanitizer build" cmake --build --preset asan -j "$jobs"
        part "the sanitizer tests" ctest --preset asan -j "$test_jobs"
    }
    part "the sanitizer build and its tests" asan
fi

if zu42_on ZU42_WINDOWS; then
    part "the Windows build, its tests under Wine and its package" env ZU42_INSTALL_DEPS=0 scripts/test-windows.sh
fi

if zu42_on ZU42_FUZZ; then
    fuzz() {
        cmake --preset fuzz >/dev/null
        part "the fuzz build" cmake --build --preset fuzz -j "$jobs"
        part "the fuzz runs" ctest --preset fuzz -j "$jobs"
    }
    part "the fuzz targets' build and short runs" fuzz
fi
