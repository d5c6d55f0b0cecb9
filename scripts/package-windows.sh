#!/usr/bin/env bash
# The Windows package: zu42tool.exe, zu42cli.exe and zu42sim.exe with the Qt and MinGW DLLs and
# plugins they need (CMake's install rules, cmake/Zu42WindowsPackage.cmake), as a zip and as an
# NSIS installer with a Start-menu entry, from the `windows` preset's build-windows/. Then the
# check: the installer runs silently in a Wine prefix of its own, without the Qt or MinGW folders
# on its path, the installed tool is started (under Xvfb, Wine's `windows` platform) until its
# window shows, and the installed zu42cli.exe tells its version.
#   scripts/package-windows.sh            build, package, check
#   scripts/package-windows.sh --no-check build and package only
# Without the Qt archive (scripts/windows-qt.sh) it says so in one line and exits 0.
# ZU42_INSTALL_DEPS=0 leaves scripts/install-deps.sh out.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
repo=$(pwd)

check=1
case "${1:-}" in
    --no-check) check=0 ;;
    "") ;;
    *) echo "package-windows: unknown argument '$1' (--no-check or nothing)" >&2; exit 2 ;;
esac

zu42_begin package-windows
zu42_windows_qt

build=$repo/build-windows
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target zu42tool zu42cli zu42sim
rm -f "$build"/zu42tools-*-win64.zip "$build"/zu42tools-*-win64.exe
(cd "$build" && cpack -G "ZIP;NSIS" >/dev/null) || {
    echo "package-windows: cpack failed; its logs:" >&2
    cat "$build"/_CPack_Packages/win64/*/*.log >&2 2>/dev/null || true
    exit 1
}
zip=$(ls "$build"/zu42tools-*-win64.zip)
installer=$(ls "$build"/zu42tools-*-win64.exe)
for file in "$zip" "$installer"; do
    echo "package-windows: $file ($(du -k "$file" | cut -f1) KiB)"
done
echo "package-windows: in the zip:"
unzip -Z1 "$zip" | sed 's|^[^/]*/||; /^$/d; /\/$/d' | sort | sed 's/^/  /'

[ "$check" = 1 ] || exit 0

# A prefix of its own, made anew: nothing of the test prefix (its WINEPATH, its registry)
# may make a missing DLL go unnoticed.
prefix=$build/wineprefix-install
rm -rf "$prefix"
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset WINEPATH
wineboot --init </dev/null >/dev/null 2>&1
wine "$installer" /S </dev/null >/dev/null 2>&1
wineserver --wait
installed="$prefix/drive_c/Program Files/ZU42 Test Tools"
for file in bin/zu42tool.exe bin/zu42cli.exe bin/zu42sim.exe bin/Qt6Core.dll bin/platforms/qwindows.dll \
    bin/platforms/qoffscreen.dll Uninstall.exe; do
    if [ ! -f "$installed/$file" ]; then
        echo "package-windows: the installer put no $file into $installed" >&2
        exit 1
    fi
done
shortcut=$(find "$prefix/drive_c" -path '*Start Menu/Programs/ZU42 Test Tools/ZU42 Test Tools.lnk' | head -n 1)
if [ -z "$shortcut" ]; then
    echo "package-windows: the installer made no Start-menu entry 'ZU42 Test Tools'" >&2
    exit 1
fi
echo "package-windows: installed under Wine into C:\\Program Files\\ZU42 Test Tools, Start menu: ${shortcut#"$prefix"/drive_c/}"

# The installed tool, as a user starts it: its window must come up on the display.
export ZU42_INSTALLED="$installed/bin/zu42tool.exe"
# shellcheck disable=SC2016
if ! zu42_xvfb 1280x1024 bash -c '
    wine "$ZU42_INSTALLED" -platform windows </dev/null >"$WINEPREFIX/zu42tool.log" 2>&1 &
    for _ in $(seq 60); do
        if xwininfo -root -tree 2>/dev/null | grep -q "Test Tools V"; then
            wineserver --kill
            exit 0
        fi
        sleep 0.5
    done
    wineserver --kill
    exit 1'; then
    echo "package-windows: the installed zu42tool showed no window within 30 s; what it wrote:" >&2
    cat "$prefix/zu42tool.log" >&2
    exit 1
fi
echo "package-windows: the installed zu42tool.exe started and showed its window"

# The installed command line, as a script calls it: it must start with only what the package
# brought (its output goes to a file: a Windows console program's pipes stay open a while).
# After the window: the first program of a prefix starts Wine's desktop on the display it has,
# and this one has none.
version=$(sed -n 's/^project(zu42tools VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
wine "$installed/bin/zu42cli.exe" --version </dev/null >"$prefix/zu42cli.log" 2>&1 || true
if ! grep -q "$version" "$prefix/zu42cli.log"; then
    echo "package-windows: the installed zu42cli.exe --version did not name $version; it wrote:" >&2
    cat "$prefix/zu42cli.log" >&2
    exit 1
fi
echo "package-windows: the installed zu42cli.exe says: $(tr -d '\r' <"$prefix/zu42cli.log" | head -n 1)"

# A PDF from the installed command line: it draws on the offscreen platform the package brings,
# with no display at all.
cat >"$prefix/drive_c/site.json" <<'SITE'
{ "format": "zu42-site", "version": 1, "name": "Package check",
  "link": { "kind": "tcp", "address": "127.0.0.1", "port": "5003" },
  "units": [ { "id": "001", "serial-number": "24010042", "model": "ZO425" } ] }
SITE
rm -f "$prefix/drive_c/report.pdf"
DISPLAY='' wine "$installed/bin/zu42cli.exe" site report --site 'C:\site.json' --pdf 'C:\report.pdf' \
    </dev/null >"$prefix/zu42cli-pdf.log" 2>&1 || true
if [ "$(head -c 5 "$prefix/drive_c/report.pdf" 2>/dev/null)" != "%PDF-" ]; then
    echo "package-windows: the installed zu42cli.exe site report --pdf wrote no PDF; it wrote:" >&2
    cat "$prefix/zu42cli-pdf.log" >&2
    exit 1
fi
echo "package-windows: the installed zu42cli.exe wrote a handover PDF on the offscreen platform"
wineserver --wait
