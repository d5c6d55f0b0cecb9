#!/usr/bin/env bash
# The package as dpkg unpacks it into a fresh root: its control fields, every file a desktop
# needs (entry, metainfo, icon in each size, manual pages, Debian's documents) and nothing
# outside /usr; the desktop entry and the metainfo pass their validators; the unpacked
# zu42tool and zu42sim answer --version.
#   package_contents.sh <folder with the .deb> <version> <application id>
set -uo pipefail
source "$(dirname "$0")/checks.sh"
deb=$(the_deb "$1")
version=$2
id=$3

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root" || exit 1

field() { dpkg-deb -f "$deb" "$1"; }
check "package name" test "$(field Package)" = zu42tools
check "version $version" test "$(field Version)" = "$version"
check "section" test "$(field Section)" = electronics
check "maintainer with an address" grep -Eq '^[^<]+ <[^@ ]+@[^> ]+>$' <<<"$(field Maintainer)"
check "homepage" grep -q '^https://' <<<"$(field Homepage)"
check "description with a long part" test "$(field Description | wc -l)" -gt 3
# dpkg-shlibdeps found the libraries the programs link; the SVG icon engine and the records' SQLite
# driver are named by hand.
depends=$(field Depends | tr ',' '\n' | sed -e 's/^ *//' -e 's/ .*//')
for dep in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6serialport6 libasound2 libqt6svg6 libqt6sql6-sqlite libqt6sql6; do
    check "depends on $dep" grep -Fqx "$dep" <<<"$depends"
done

check "every file under /usr" test -z "$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '^\./$' | grep -v '^\./usr/')"
check "every file owned by root" test -z "$(dpkg-deb -c "$deb" | awk '$2 != "root/root"')"
# USB serial adapters are the seat user's through the one device rule; nothing else changes who
# may open a port, and no maintainer script does either.
rules=./usr/lib/udev/rules.d/70-zu42tools-serial.rules
check "the serial adapters' device rule" grep -Fqx "$rules" <<<"$(dpkg-deb -c "$deb" | awk '{print $6}')"
check "no other device rules" test -z "$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -E '/(udev|tmpfiles\.d)/' | grep -Fvx "$rules" | grep -v '/$')"
check "no maintainer scripts" test -z "$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E '(pre|post)(inst|rm)$')"

share=$root/usr/share
for f in usr/bin/zu42tool usr/bin/zu42sim usr/bin/zu42cli usr/share/man/man1/zu42cli.1.gz \
    "usr/share/applications/$id.desktop" "usr/share/metainfo/$id.metainfo.xml" \
    "usr/share/icons/hicolor/scalable/apps/$id.svg" \
    usr/share/man/man1/zu42tool.1.gz usr/share/man/man1/zu42sim.1.gz \
    usr/share/doc/zu42tools/copyright usr/share/doc/zu42tools/changelog.gz; do
    check "holds /$f" test -s "$root/$f"
done
for size in 16 22 24 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/$id.png
    check "icon ${size}x${size} is a PNG of that size" \
        grep -q "PNG image data, $size x $size," <<<"$(file -b "$png" 2>&1)"
done
check "programs stripped" grep -q ', stripped' <<<"$(file -b "$root/usr/bin/zu42tool")"

desktop=$share/applications/$id.desktop
check "desktop entry passes desktop-file-validate" desktop-file-validate "$desktop"
check "desktop entry starts the installed zu42tool" grep -qx 'Exec=zu42tool' "$desktop"
check "desktop entry names the installed icon" grep -qx "Icon=$id" "$desktop"

metainfo=$share/metainfo/$id.metainfo.xml
check "metainfo passes appstreamcli validate" appstreamcli validate --no-net "$metainfo"
check "metainfo, entry and icons agree (appstreamcli validate-tree)" appstreamcli validate-tree --no-net "$root"
check "metainfo id" grep -q "<id>$id</id>" "$metainfo"
check "metainfo launches the desktop entry" grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo"
check "metainfo releases $version" grep -Eq "<release version=\"$version\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\"" "$metainfo"
for shot in $(grep -o '<image>[^<]*</image>' "$metainfo" | sed -e 's#<image>.*/docs/screenshots/##' -e 's#</image>##'); do
    check "screenshot $shot is in docs/screenshots" test -f "$(dirname "$0")/../../docs/screenshots/$shot"
done

check "manual page of zu42tool shows its options" grep -q -- 'version' <<<"$(zcat "$root/usr/share/man/man1/zu42tool.1.gz")"
check "changelog names $version" grep -q "^zu42tools ($version)" <<<"$(zcat "$share/doc/zu42tools/changelog.gz")"

# The unpacked programs, with the libraries of this machine.
check "unpacked zu42tool --version (offscreen)" \
    test "$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/zu42tool" --version)" = "zu42tool $version"
check "unpacked zu42sim --version" test "$("$root/usr/bin/zu42sim" --version)" = "zu42sim $version"

verdict
