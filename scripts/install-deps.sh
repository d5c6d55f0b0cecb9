#!/usr/bin/env bash
# Installs every Debian package needed to build, test and run ZU42 Test Tools.
# Checks first, so a second run costs a second.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    # Rebuilds from the cache (the build picks ccache up when it is there), links in seconds.
    ccache lld
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqt6serialport6 libgl-dev libxkbcommon-dev
    qt6-qpa-plugins
    libqt6sql6-sqlite libqt6sql6-psql
    postgresql
    libasound2-dev
    xvfb xauth x11-apps imagemagick
    fonts-dejavu-core fonts-liberation fonts-liberation2 fonts-crosextra-carlito fonts-arphic-uming
    clang-14 libclang-rt-14-dev
    g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix
    wine wine64 xz-utils
    # The Windows package (scripts/package-windows.sh): the installer, its contents, its window.
    nsis unzip x11-utils
    # The desktop application and its Debian package (scripts/package.sh, the packaging tests):
    # the icon's sizes, manual pages, the SVG icon engine, CPack's dependency search, the
    # checkers, and a throw-away Debian root to install into.
    librsvg2-bin help2man libqt6svg6 dpkg-dev file lintian desktop-file-utils appstream debootstrap
)

# Qt for Windows needs the MinGW compilers with POSIX threads; the plain names must be those too
# (the compile checks of autotests/windows call x86_64-w64-mingw32-g++).
posix_alternatives() {
    local tool
    for tool in gcc g++; do
        local want=/usr/bin/x86_64-w64-mingw32-$tool-posix
        [ -x "$want" ] || continue
        if [ "$(readlink -f /usr/bin/x86_64-w64-mingw32-$tool)" != "$(readlink -f "$want")" ]; then
            $SUDO update-alternatives --quiet --set x86_64-w64-mingw32-$tool "$want"
        fi
    done
}

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
posix_alternatives
