#!/usr/bin/env bash
# Renders docs/screenshots/menu-entry.png: the tool's application menu entry as the installed
# package gives it, read from the .deb itself: the icon from its hicolor theme (48 pixels)
# beside the desktop entry's Name and Comment, in English, Simplified and Traditional Chinese,
# under the entry's first category.
#   scripts/menu-entry.sh [<package.deb>]     without one, scripts/package.sh builds it
set -euo pipefail
cd "$(dirname "$0")/.."

deb=${1:-}
if [ -z "$deb" ]; then
    deb=$(scripts/package.sh | sed -n 's/^package: //p')
fi
out=docs/screenshots/menu-entry.png

work=$(mktemp -d "${TMPDIR:-/tmp}/zu42menu.XXXXXX")
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/root"
desktops=("$work"/root/usr/share/applications/*.desktop)
desktop=${desktops[0]}
# The value of a key of the entry, localised keys ("Name[zh_CN]") too.
key() { awk -v key="$1" 'index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }' "$desktop"; }
icon=$work/root/usr/share/icons/hicolor/48x48/apps/$(key Icon).png
[ -f "$icon" ] || { echo "menu-entry: the package has no 48x48 icon named $(key Icon)" >&2; exit 1; }

latin=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
latin_bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
cjk=/usr/share/fonts/truetype/arphic/uming.ttc
width=520

# One entry: row <locale suffix of the keys> <name font> <text font> <background> <name colour>
# <comment colour> <tag> <file>
row() {
    convert -size "${width}x68" "xc:$4" \
        "$icon" -geometry +14+10 -composite \
        -font "$2" -pointsize 16 -fill "$5" -annotate +76+30 "$(key "Name$1")" \
        -font "$3" -pointsize 12 -fill "$6" -annotate +76+52 "$(key "Comment$1")" \
        -font "$latin" -pointsize 10 -fill "$6" -gravity NorthEast -annotate +10+8 "$7" \
        "$8"
}
category=$(key Categories)
convert -size "${width}x30" xc:'#ebebeb' -font "$latin_bold" -pointsize 12 -fill '#555555' \
    -annotate +14+20 "${category%%;*}" "$work/head.png"
# The English entry as under the pointer, the other two as the Chinese desktops list it.
row "" "$latin_bold" "$latin" '#3584e4' white '#dce8fa' "English" "$work/en.png"
row "[zh_CN]" "$cjk" "$cjk" white '#222222' '#666666' "zh_CN" "$work/zh_cn.png"
row "[zh_TW]" "$cjk" "$cjk" white '#222222' '#666666' "zh_TW" "$work/zh_tw.png"
convert "$work/head.png" "$work/en.png" "$work/zh_cn.png" "$work/zh_tw.png" -append \
    -bordercolor '#b0b0b0' -border 1 -depth 8 -strip "$out"
echo "menu-entry: $(pwd)/$out"
