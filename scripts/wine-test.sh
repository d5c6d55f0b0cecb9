#!/usr/bin/env bash
# Runs one Windows QtTest executable under Wine, as ctest's CMAKE_CROSSCOMPILING_EMULATOR in the
# `windows` preset (cmake/windows-toolchain.cmake sets it up), or by hand:
#
#   scripts/wine-test.sh [--qt DIR] [--wineprefix DIR] [--results DIR] tests.exe NAME
#   scripts/wine-test.sh [--qt DIR] [--wineprefix DIR] [--results DIR] program.exe [args]
#
#   --qt DIR          the MinGW Qt (holds bin/Qt6Core.dll); default: what scripts/windows-qt.sh prints
#   --wineprefix DIR  the Wine prefix, made on first use (wineboot); default: build-windows/wineprefix
#   --results DIR     where the test's results go; default: test-results/ beside the Wine prefix
#
# A folder's tests are one executable (cmake/Zu42Test.cmake) that runs the test its first argument
# names. With only that name (as ctest runs it) the test runs as "tests.exe NAME -o NAME.txt,txt
# -o NAME.xml,junitxml" (without a console QtTest writes nothing to a pipe); the text result is
# printed afterwards. Wine hands no QT_* variable to the program, so the prefix is made with
# QT_QPA_PLATFORM=offscreen and QT_FORCE_STDERR_LOGGING=1 in its HKCU\Environment (a console
# test rejects -platform). Other arguments (a test's name and QtTest's, or a program's) are
# passed as they are and the program's own output is what shows. The exit status is the
# program's.
#
# The environment variable ZU42SIM (the simulator the tests start, set by ctest) is handed over
# as a Windows path: a Unix path /x/y.exe becomes Z:\x\y.exe. Wine passes other variables on.
# The serial line under Wine is the Linux simulator's pseudo-terminal: ZU42SIM_PTY names the
# Linux zu42sim (default build/bin/zu42sim of this repository, when it is there) and
# ZU42_WINE_DOSDEVICES the prefix's dosdevices folder, where it links a COM port to it.
# Each test keeps its settings under a scratch registry key of its own (autotests/common/
# registrystore.h), so tests may run side by side in one prefix (ctest -j).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
qt=""
wineprefix=""
results=""
while [ $# -gt 0 ]; do
    case "$1" in
        --qt) qt=$2; shift 2 ;;
        --wineprefix) wineprefix=$2; shift 2 ;;
        --results) results=$2; shift 2 ;;
        --) shift; break ;;
        -*) echo "wine-test: unknown option $1" >&2; exit 2 ;;
        *) break ;;
    esac
done
if [ $# -lt 1 ]; then
    echo "usage: $0 [--qt DIR] [--wineprefix DIR] [--results DIR] test.exe [args]" >&2
    exit 2
fi
exe=$1
shift

[ -n "$qt" ] || qt=$("$repo/scripts/windows-qt.sh")
[ -n "$wineprefix" ] || wineprefix=$repo/build-windows/wineprefix
[ -n "$results" ] || results=$(dirname "$wineprefix")/test-results
mkdir -p "$(dirname "$wineprefix")" "$results"
wineprefix=$(cd "$(dirname "$wineprefix")" && pwd)/$(basename "$wineprefix")
results=$(cd "$results" && pwd)

# Z:\ is the Unix root in every Wine prefix.
winpath() {
    local p=$1
    case "$p" in /*) ;; *) p=$PWD/$p ;; esac
    printf 'Z:%s' "${p//\//\\}"
}

# The directories of the MinGW runtime DLLs (libstdc++-6, libgcc_s_seh-1, libwinpthread-1).
cxx=x86_64-w64-mingw32-g++-posix
runtime_dirs=()
for dll in libstdc++-6.dll libwinpthread-1.dll; do
    file=$("$cxx" -print-file-name="$dll")
    [ -f "$file" ] && runtime_dirs+=("$(cd "$(dirname "$file")" && pwd)")
done

export WINEPREFIX=$wineprefix
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko install prompt, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
winepath_list=$(winpath "$qt/bin")
for dir in "${runtime_dirs[@]}"; do
    winepath_list+=";$(winpath "$dir")"
done
export WINEPATH=$winepath_list
if [ ! -f "$exe" ]; then
    echo "wine-test: $exe was not built"
    exit 1
fi
# By hand, the simulator of the same build tree (ctest sets ZU42SIM itself).
if [ -z "${ZU42SIM:-}" ] && [ -f "$(dirname "$exe")/../bin/zu42sim.exe" ]; then
    ZU42SIM=$(cd "$(dirname "$exe")/../bin" && pwd)/zu42sim.exe
fi
if [ -n "${ZU42SIM:-}" ] && [ "${ZU42SIM#/}" != "$ZU42SIM" ]; then
    ZU42SIM=$(winpath "$ZU42SIM")
    export ZU42SIM
fi
if [ -z "${ZU42SIM_PTY:-}" ] && [ -x "$repo/build/bin/zu42sim" ]; then
    ZU42SIM_PTY=$repo/build/bin/zu42sim
fi
if [ -n "${ZU42SIM_PTY:-}" ]; then
    [ "${ZU42SIM_PTY#/}" != "$ZU42SIM_PTY" ] && ZU42SIM_PTY=$(winpath "$ZU42SIM_PTY")
    export ZU42SIM_PTY
    export ZU42_WINE_DOSDEVICES=$wineprefix/dosdevices
fi

# The prefix is made once; tests that ctest starts side by side wait for the first to make it.
# Wine's helper processes must not hold ctest's output pipes, hence /dev/null for them.
if [ ! -f "$wineprefix/.zu42-ready-2" ]; then
    (
        flock 9
        if [ ! -f "$wineprefix/.zu42-ready-2" ]; then
            started=$(date +%s%N)
            if ! wineboot --init </dev/null >/dev/null 2>&1; then
                echo "wine-test: wineboot could not make the Wine prefix $wineprefix" >&2
                exit 1
            fi
            # Wine hands the program no QT_* variable of ours; the prefix's own environment
            # does. The offscreen platform holds for every program run in this prefix unless
            # its command line names another (-platform windows under Xvfb for pictures).
            wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d offscreen /f </dev/null >/dev/null 2>&1
            wine reg add 'HKCU\Environment' /v QT_FORCE_STDERR_LOGGING /d 1 /f </dev/null >/dev/null 2>&1
            # The offscreen platform on Windows takes its fonts from one folder (Qt's own
            # DejaVu by default); the fonts the Linux tests use (scripts/install-deps.sh) join
            # them there: the CJK font gives the Chinese texts their glyphs under Wine too, and
            # the metric-compatible faces stand in for the window's Windows fonts alike.
            fonts=$wineprefix/zu42-fonts
            mkdir -p "$fonts"
            ln -sf "$qt"/lib/fonts/* "$fonts"/
            for font in /usr/share/fonts/truetype/arphic/uming.ttc \
                /usr/share/fonts/truetype/liberation/LiberationSans*.ttf \
                /usr/share/fonts/truetype/crosextra/Carlito*.ttf; do
                if [ -f "$font" ]; then ln -sf "$font" "$fonts"/; fi
            done
            wine reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /d "$(winpath "$fonts")" /f </dev/null >/dev/null 2>&1
            wineserver --wait </dev/null >/dev/null 2>&1 || true
            echo "wine-test: made the Wine prefix $wineprefix in $(( ($(date +%s%N) - started) / 1000000 )) ms" >&2
            touch "$wineprefix/.zu42-ready-2"
        fi
    ) 9>"$wineprefix.lock"
fi

# The Wine server of the prefix, started here with nowhere to write: it becomes the session leader
# of the serial tests' pseudo-terminals, and when a simulator closes one it is sent SIGHUP, on
# which it lists all its objects on its standard error (tens of thousands of lines).
wineserver -p30 </dev/null >/dev/null 2>&1 || true

if [ $# -ne 1 ] || [ "${1#-}" != "$1" ]; then
    exec wine "$exe" "$@"
fi

name=$1
txt=$results/$name.txt
xml=$results/$name.xml
log=$results/$name.log
rm -f "$txt" "$xml" "$log"
# The program's own output goes to a file, not to ctest's pipes: a Wine helper process holds
# inherited pipes open for about a second after the program has ended.
status=0
wine "$exe" "$name" -o "$(winpath "$txt"),txt" -o "$(winpath "$xml"),junitxml" </dev/null >"$log" 2>&1 || status=$?
if [ -f "$txt" ]; then
    cat "$txt"
else
    echo "wine-test: $name wrote no result file (exit status $status)"
fi
if [ -s "$log" ]; then
    echo "--- what $name wrote to its standard output and error:"
    cat "$log"
fi
exit $status
