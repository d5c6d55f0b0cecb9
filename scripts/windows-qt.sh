#!/usr/bin/env bash
# Unpacks the MinGW-w64 build of Qt 6.4.2 (qt6.4.2-mingw-w64.tar.xz) into a cache folder and
# prints its prefix (the folder holding bin/Qt6Core.dll and lib/cmake/Qt6) on standard output.
#
#   scripts/windows-qt.sh            unpack if needed, print the prefix
#
# Where the archive is looked for, first found wins:
#   $ZU42_QT_MINGW_ARCHIVE, then shared/toolchains/ beside the repository or beside one of its
#   parent folders (../shared, ../../shared).
# Where it is unpacked: $ZU42_QT_MINGW_CACHE, default ${XDG_CACHE_HOME:-~/.cache}/zu42.
# The archive's .sha256 is checked before unpacking; an unpacked tree whose stamp names the same
# checksum is used as it is (no work on a second run).
#
# Exit status: 0 prefix printed; 3 no archive here (the Windows build is to be skipped, the
# rest of the tests still run); 1 anything else (bad checksum, unpack failed).
set -euo pipefail

readonly NO_ARCHIVE=3
archive_name=qt6.4.2-mingw-w64.tar.xz
repo=$(cd "$(dirname "$0")/.." && pwd)

no_archive() {
    echo "windows-qt: $1; get $archive_name with its .sha256 from shared/toolchains/ (ZU42_QT_MINGW_ARCHIVE names it elsewhere); it is Qt 6.4.2 cross-built with Debian's MinGW-w64, see README.md beside it for how; skipping the Windows build" >&2
    exit $NO_ARCHIVE
}

archive=""
if [ -n "${ZU42_QT_MINGW_ARCHIVE:-}" ]; then
    archive=$ZU42_QT_MINGW_ARCHIVE
    [ -f "$archive" ] || no_archive "ZU42_QT_MINGW_ARCHIVE=$archive is no file"
else
    for dir in "$repo/../shared/toolchains" "$repo/../../shared/toolchains"; do
        if [ -f "$dir/$archive_name" ]; then
            archive=$dir/$archive_name
            break
        fi
    done
fi
[ -n "$archive" ] || no_archive "no $archive_name in ../shared/toolchains/"
archive=$(cd "$(dirname "$archive")" && pwd)/$(basename "$archive")

sumfile=$archive.sha256
if [ ! -f "$sumfile" ]; then
    echo "windows-qt: $sumfile is missing; will not unpack an archive without its checksum" >&2
    exit 1
fi
expected=$(awk '{print $1; exit}' "$sumfile")
actual=$(sha256sum "$archive" | awk '{print $1}')
if [ "$expected" != "$actual" ]; then
    echo "windows-qt: checksum of $archive is $actual, $sumfile says $expected" >&2
    exit 1
fi

cache=${ZU42_QT_MINGW_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zu42}
dest=$cache/qt6.4.2-mingw-w64
prefix=$dest/qt6-mingw
stamp=$dest/.sha256

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$expected" ] && [ -f "$prefix/bin/Qt6Core.dll" ]; then
    echo "$prefix"
    exit 0
fi

mkdir -p "$cache"
# Unpack beside the destination and move it in place, so that an interrupted run leaves no
# half tree that a later run would take for a whole one.
tmp=$(mktemp -d "$cache/.unpack.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
echo "windows-qt: unpacking $archive into $dest" >&2
tar -xJf "$archive" -C "$tmp"
if [ ! -f "$tmp/qt6-mingw/bin/Qt6Core.dll" ]; then
    echo "windows-qt: $archive has no qt6-mingw/bin/Qt6Core.dll" >&2
    exit 1
fi
echo "$expected" >"$tmp/.sha256"
rm -rf "$dest"
mv "$tmp" "$dest"
trap - EXIT
echo "$prefix"
