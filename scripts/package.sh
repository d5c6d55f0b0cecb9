#!/usr/bin/env bash
# Builds the Debian package of ZU42 Test Tools (zu42tool, zu42sim, the menu entry, the icon,
# the manual pages) from a build folder of its own, with Debian's hardening flags, and prints
# where the .deb is.
#   scripts/package.sh                          build-package/ made anew
#   scripts/package.sh --build-dir DIR          DIR made anew
#   scripts/package.sh --build-dir DIR --keep   DIR built on as it is (the package tests do)
# ZU42_INSTALL_DEPS=0 leaves scripts/install-deps.sh out.
set -euo pipefail
cd "$(dirname "$0")/.."
source=$(pwd)

build=build-package
keep=0
while [ $# -gt 0 ]; do
    case $1 in
        --build-dir) build=${2:?--build-dir wants a folder}; shift 2 ;;
        --keep) keep=1; shift ;;
        -h | --help) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "package: unknown argument '$1' (see --help)" >&2; exit 2 ;;
    esac
done

[ "${ZU42_INSTALL_DEPS:-1}" = 0 ] || scripts/install-deps.sh

if [ "$keep" = 0 ]; then
    rm -rf "$build"
fi
mkdir -p "$build"

# The dates the package tells (its release, changelog, manual pages, file times) are those of
# the commit it is built from, not of the day it is built.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$source" log -1 --format=%ct 2>/dev/null || date +%s)
fi
export SOURCE_DATE_EPOCH

# The flags Debian builds its own packages with (hardening, reproducible paths). CMake reads
# no CPPFLAGS, so they join the compiler's.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS LDFLAGS

# Linked as Debian links its own packages (no lld).
cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr -DZU42_LLD=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null) || {
    echo "package: cpack failed; its log:" >&2
    cat "$build"/_CPack_Packages/*/DEB/*.log >&2 2>/dev/null || true
    exit 1
}
deb=$(ls "$build"/*.deb)
echo "package: $(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")"
