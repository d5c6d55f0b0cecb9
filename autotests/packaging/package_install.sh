#!/usr/bin/env bash
# The package installed for real, as apt installs it on a technician's PC: into a throw-away
# Debian root (debootstrap, the suite of this machine) that holds nothing but the base system,
# so that apt must find every dependency from the package's own list. There the installed
# zu42tool answers --version and keeps its window up (offscreen), zu42sim serves; then the
# package is purged and must leave none of its files behind.
#   package_install.sh <folder with the .deb> <version> <cache folder>
# The base system is kept in the cache folder (a tarball) for the next run. Needs root for
# chroot; skipped (77) otherwise. ZU42_DEBIAN_MIRROR overrides the mirror taken from apt's
# sources.
set -uo pipefail
source "$(dirname "$0")/checks.sh"
deb=$(the_deb "$1")
version=$2
cache=$3

if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: chroot needs root"
    exit 77
fi
for tool in debootstrap unshare chroot; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

. /etc/os-release
suite=${VERSION_CODENAME:?no VERSION_CODENAME in /etc/os-release}
mirror=${ZU42_DEBIAN_MIRROR:-}
if [ -z "$mirror" ]; then
    # The mirror apt uses here: deb822 sources first, then the one-line form.
    mirror=$(grep -hs '^URIs:' /etc/apt/sources.list.d/*.sources | awk '{print $2}' | grep -v security | head -n 1)
    [ -n "$mirror" ] || mirror=$(grep -hs '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list |
        awk '{print $2}' | grep -v security | head -n 1)
fi
[ -n "$mirror" ] || { echo "no Debian mirror in apt's sources; set ZU42_DEBIAN_MIRROR" >&2; exit 1; }

mkdir -p "$cache"
base=$cache/base-$suite.tar.gz
root=$(mktemp -d -p "$cache" root.XXXXXX)
trap 'rm -rf --one-file-system "$root"' EXIT

if [ -f "$base" ]; then
    tar -xzf "$base" -C "$root" || exit 1
else
    echo "making a $suite base system from $mirror (kept in $base)"
    if ! debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$cache/debootstrap.log" 2>&1; then
        tail -n 20 "$cache/debootstrap.log" >&2
        exit 1
    fi
    tar -czf "$base.part" -C "$root" . && mv "$base.part" "$base"
fi

# A root folder as / is (mktemp made it 0700): apt's download user must pass through it.
chmod 755 "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
cat >"$root/tmp/inside.sh" <<'INSIDE'
# Runs inside the root, in a mount and process namespace of its own: /proc and every process
# started here end with it.
set -u
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
deb=$(ls /tmp/*.deb)
apt-get update -qq || exit 10
apt-get install -y -qq --no-install-recommends "$deb" >/tmp/apt.log 2>&1 || { cat /tmp/apt.log; exit 11; }
dpkg -L zu42tools >/tmp/files.txt
echo "tool: $(QT_QPA_PLATFORM=offscreen zu42tool --version)"
echo "sim: $(zu42sim --version)"
# The window, up for three seconds: timeout's 124 says it was still running.
mkdir -p -m 700 /tmp/runtime
XDG_RUNTIME_DIR=/tmp/runtime QT_QPA_PLATFORM=offscreen timeout 3 zu42tool >/tmp/window.log 2>&1
echo "window: $?"
timeout 3 zu42sim --tcp 127.0.0.1:0 >/tmp/sim.log 2>&1
echo "sim serves: $(grep -cx ready /tmp/sim.log)"
apt-get purge -y -qq zu42tools >/tmp/purge.log 2>&1 || { cat /tmp/purge.log; exit 12; }
echo "status after purge: $(dpkg-query -W -f='${db:Status-Status}' zu42tools 2>&1)"
INSIDE

out=$(unshare --mount --pid --fork --mount-proc="$root/proc" chroot "$root" /bin/bash /tmp/inside.sh)
status=$?
echo "$out"
check "the package installs with its dependencies from the mirror" test "$status" -eq 0
check "installed zu42tool --version" grep -qx "tool: zu42tool $version" <<<"$out"
check "installed zu42sim --version" grep -qx "sim: zu42sim $version" <<<"$out"
check "installed window stays up" grep -qx "window: 124" <<<"$out"
[ -s "$root/tmp/window.log" ] && { echo "the window said:"; cat "$root/tmp/window.log"; }
check "installed zu42sim serves" grep -qx "sim serves: 1" <<<"$out"
check "purged" grep -Eq "^status after purge: (not-installed|.*no packages found.*)$" <<<"$out"
left=()
while read -r path; do
    # Folders such as /usr/bin stay; every file and every folder of the package's own goes.
    if [ -e "$root$path" ] && { [ ! -d "$root$path" ] || [[ $path == /usr/share/doc/zu42tools* ]]; }; then
        left+=("$path")
    fi
done <"$root/tmp/files.txt"
check "nothing of the package left after purge${left[*]:+ (left: ${left[*]})}" test ${#left[@]} -eq 0
check "the package listed its files" grep -q '^/usr/bin/zu42tool$' "$root/tmp/files.txt"
verdict
