#!/usr/bin/env bash
# Renders the window in each language into docs/screenshots/ on the offscreen platform, with a
# settings store of its own (the operator's settings are not touched).
#   scripts/screenshots.sh                 build with the default preset (build/)
#   ZU42_BUILD_DIR=build-x scripts/screenshots.sh   build in another folder
#   scripts/screenshots.sh --all-pages     also every page in both Chinese languages
#   scripts/screenshots.sh --tools         also the Tools menu's windows and the profile report
#                                          (tool-*.png), in each language
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

if [ -n "${ZU42_BUILD_DIR:-}" ]; then
    build="$ZU42_BUILD_DIR"
    cmake -S . -B "$build" -G Ninja >/dev/null
    cmake --build "$build" --target zu42screenshots
else
    build=build
    cmake --preset default >/dev/null
    cmake --build --preset default --target zu42screenshots
fi

QT_QPA_PLATFORM=offscreen "$build/bin/zu42screenshots" docs/screenshots "$@"
