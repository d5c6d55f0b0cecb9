#!/usr/bin/env bash
# Installs every Debian package needed to build, test and run ZU42 Test Tools.
# Checks first, so a second run costs a second.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqt6serialport6 libgl-dev libxkbcommon-dev
    qt6-qpa-plugins
    libqt6sql6-sqlite libqt6sql6-psql
    postgresql
    libasound2-dev
    xvfb xauth x11-apps imagemagick
    fonts-dejavu-core fonts-liberation fonts-liberation2 fonts-crosextra-carlito fonts-arphic-uming
    clang-14 libclang-rt-14-dev
    g++-mingw-w64-x86-64
    # The desktop application and its Debian package (scripts/package.sh, the packaging tests):
    # the icon's sizes, manual pages, the SVG icon engine, CPack's dependency search, the
    # checkers, and a throw-away Debian root to install into.
    librsvg2-bin help2man libqt6svg6 dpkg-dev file lintian desktop-file-utils appstream debootstrap
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
