#!/usr/bin/env bash
# The jig test on the bundled simulator: a production station testing two units, a good one and
# one with a stuck input.
#
# Installs what is missing, builds the tool, the simulator and the demo driver into build/,
# starts two zu42sim on 127.0.0.1: a good unit on port 5003 and one whose DI3 is stuck on
# (--jig-fault stuck-on:DI3, serial number 24010043) on port 5004. zu42tool opens with a
# settings store and a data folder (where the records go) in a temporary folder, the NET page
# at 127.0.0.1:5003. With a display the operator opens Tools > Jig test and presses START, then
# sets the port to 5004 and presses START again. Without one the window runs under Xvfb and
# zu42jigdemo does the same, prints the verdicts, steps and counters, and saves
# docs/screenshots/demo-jig-pass.png and demo-jig-fail.png. The simulators stop at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

address=127.0.0.1
# ZU42_JIG_DEMO_PORT moves both simulators when 5003 and 5004 are taken.
good_port=${ZU42_JIG_DEMO_PORT:-5003}
stuck_port=$((good_port + 1))
shots=docs/screenshots

scripts/install-deps.sh

cmake --preset default >/dev/null
cmake --build --preset default --target zu42tool zu42sim zu42jigdemo

work=$(mktemp -d "${TMPDIR:-/tmp}/zu42jigdemo.XXXXXX")
sim_pids=()
stop_sims() {
    for pid in "${sim_pids[@]}"; do
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
    rm -rf "$work"
}
trap stop_sims EXIT

# start_sim NAME PORT ARGS...: a simulator on the port, waited for until it says "ready".
start_sim() {
    local name=$1 port=$2
    shift 2
    build/bin/zu42sim --tcp "$address:$port" "$@" >"$work/$name.out" 2>"$work/$name.err" &
    sim_pids+=($!)
    for _ in $(seq 100); do
        grep -qx ready "$work/$name.out" 2>/dev/null && break
        kill -0 "${sim_pids[-1]}" 2>/dev/null || break
        sleep 0.1
    done
    if ! grep -qx ready "$work/$name.out" 2>/dev/null; then
        echo "demo-jig: zu42sim did not start on $address:$port (is the port in use?)" >&2
        cat "$work/$name.err" >&2
        exit 1
    fi
    echo "demo-jig: zu42sim $* is listening on $address:$port"
}
start_sim good "$good_port" --jig
start_sim stuck "$stuck_port" --jig --jig-fault stuck-on:DI3 --serial 24010043

# The settings store the tool reads at start (the first entry of XDG_CONFIG_DIRS) and the data
# folder its records go to.
mkdir -p "$work/config/ZOVUR" "$work/data"
cat >"$work/config/ZOVUR/RO420DA_Tools.reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\ZOVUR\\RO420DA_Tools]
"TYPE"=dword:00000001
"NetIP"="$address"
"NetPort"="$good_port"
"JigStation"="Line 1"
"JigOperator"="Demo operator"
REG
export XDG_CONFIG_DIRS="$work/config"
export XDG_DATA_HOME="$work/data"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo-jig: open Tools > Jig test and press START (the good unit on port $good_port);"
    echo "demo-jig: then set the port to $stuck_port in the main window and press START again; close the window to end"
    build/bin/zu42tool
    exit 0
fi

echo "demo-jig: no display; running the windows under Xvfb and testing both units"
mkdir -p "$shots"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
fi
status=0
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1680x1050x24" \
    build/bin/zu42jigdemo "$stuck_port" "$shots/demo-jig-pass.png" "$shots/demo-jig-fail.png" || status=$?
if [ "$status" -ne 0 ]; then
    echo "demo-jig: the good unit did not pass or the stuck one did not fail" >&2
    exit "$status"
fi
echo "demo-jig: the screenshots are $(pwd)/$shots/demo-jig-pass.png and $(pwd)/$shots/demo-jig-fail.png"
