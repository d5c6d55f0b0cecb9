# shellcheck shell=bash
# What the demo, test and Windows scripts share; sourced, never run. The caller has done
# `set -euo pipefail` and is in the repository's top folder. Each function prints under the
# caller's name ($zu42_name, set by zu42_begin).
#
# The switches are all of one kind: set to 0 they leave a part out.
#   ZU42_INSTALL_DEPS=0   no scripts/install-deps.sh
#   ZU42_ASAN=0           no sanitizer build (scripts/test.sh)
#   ZU42_WINDOWS=0        no Windows build (scripts/test.sh)
#   ZU42_FUZZ=0           no fuzz targets (scripts/test.sh)

# zu42_begin NAME: the name messages go out under; installs what is missing unless
# ZU42_INSTALL_DEPS=0.
zu42_begin() {
    zu42_name=$1
    zu42_work=""
    zu42_sim_pids=()
    trap zu42_end EXIT
    if zu42_on ZU42_INSTALL_DEPS; then
        scripts/install-deps.sh
    fi
}

# zu42_on VARIABLE: true unless the switch is 0.
zu42_on() {
    [ "${!1:-1}" != 0 ]
}

zu42_say() {
    echo "$zu42_name: $*"
}

zu42_fail() {
    echo "$zu42_name: $*" >&2
    exit 1
}

# At exit: the simulators started here stop, the scratch folder goes.
zu42_end() {
    local pid
    for pid in "${zu42_sim_pids[@]}"; do
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
    if [ -n "$zu42_work" ]; then
        rm -rf "$zu42_work"
    fi
}

# zu42_workdir: a scratch folder in $zu42_work, removed at exit.
zu42_workdir() {
    zu42_work=$(mktemp -d "${TMPDIR:-/tmp}/zu42-$zu42_name.XXXXXX")
}

# zu42_start_sim TAG ADDRESS PORT [zu42sim options]: build/bin/zu42sim on TCP, waited for until
# it says "ready" (10 s at most); its output in $zu42_work/TAG.out and .err.
zu42_start_sim() {
    local tag=$1 address=$2 port=$3
    shift 3
    build/bin/zu42sim --tcp "$address:$port" "$@" >"$zu42_work/$tag.out" 2>"$zu42_work/$tag.err" &
    zu42_sim_pids+=($!)
    for _ in $(seq 100); do
        grep -qx ready "$zu42_work/$tag.out" 2>/dev/null && break
        kill -0 "${zu42_sim_pids[-1]}" 2>/dev/null || break
        sleep 0.1
    done
    if ! grep -qx ready "$zu42_work/$tag.out" 2>/dev/null; then
        cat "$zu42_work/$tag.err" >&2
        zu42_fail "zu42sim did not start on $address:$port (is the port in use?)"
    fi
    zu42_say "zu42sim $* is listening on $address:$port"
}

# zu42_settings_store [VALUE LINE...]: the settings store the tool reads at start (the first
# entry of XDG_CONFIG_DIRS) in the scratch folder, holding the given lines ("NAME"=value).
zu42_settings_store() {
    mkdir -p "$zu42_work/config/ZOVUR"
    {
        printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\ZOVUR\\RO420DA_Tools]\n'
        printf '%s\n' "$@"
    } >"$zu42_work/config/ZOVUR/RO420DA_Tools.reg"
    export XDG_CONFIG_DIRS="$zu42_work/config"
}

# zu42_has_display: true when a window can be shown to somebody.
zu42_has_display() {
    [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]
}

# zu42_xvfb WIDTHxHEIGHT COMMAND...: the command on a virtual screen of that size (Qt's own
# platform choice, not offscreen), with a runtime folder when the session has none.
zu42_xvfb() {
    local screen=$1
    shift
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
        [ -n "$zu42_work" ] || zu42_workdir
        export XDG_RUNTIME_DIR="$zu42_work/runtime"
        mkdir -m 700 "$XDG_RUNTIME_DIR"
    fi
    env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 ${screen}x24" "$@"
}

# zu42_windows_qt: the MinGW Qt unpacked (scripts/windows-qt.sh). Without its archive the caller
# ends here with one line and status 0, so that a caller's other tests still count.
zu42_windows_qt() {
    local status=0
    scripts/windows-qt.sh >/dev/null || status=$?
    if [ "$status" -eq 3 ]; then
        zu42_say "skipped, no MinGW Qt archive here"
        exit 0
    elif [ "$status" -ne 0 ]; then
        exit "$status"
    fi
}
