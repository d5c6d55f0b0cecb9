#!/usr/bin/env bash
# The main job on a machine without a controller: the tool against the bundled simulator.
#
# Installs what is missing, builds the tool, the simulator and the demo driver into build/,
# starts zu42sim on 127.0.0.1:5003 and opens zu42tool with a settings store in a temporary
# folder that puts the NET page in front at that address, so "Connect device" works at the
# first press. With a display the operator presses it. Without one the window runs under
# Xvfb, zu42demo opens the traffic monitor beside it, presses "Connect device" (then runs the
# automatic test with DO1 ticked for a moment, and presses "Command test") in it, prints what
# the window and the monitor show and saves the pictures in docs/screenshots/. The simulator is
# stopped at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

address=127.0.0.1
port=5003
shots=docs/screenshots

scripts/install-deps.sh

cmake --preset default >/dev/null
cmake --build --preset default --target zu42tool zu42sim zu42demo

work=$(mktemp -d "${TMPDIR:-/tmp}/zu42demo.XXXXXX")
sim_pid=""
stop_sim() {
    if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap stop_sim EXIT

# A controller with the outputs wired back to the inputs (the product test jig) and an answer
# to the free command's default "AB".
build/bin/zu42sim --tcp "$address:$port" --jig --reply 'AB=HELLO FROM ZU42SIM' \
    >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
for _ in $(seq 100); do
    grep -qx ready "$work/sim.out" 2>/dev/null && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
done
if ! grep -qx ready "$work/sim.out" 2>/dev/null; then
    echo "demo: zu42sim did not start on $address:$port (is the port in use?)" >&2
    cat "$work/sim.err" >&2
    exit 1
fi
echo "demo: zu42sim is listening on $address:$port"

# The settings store the tool reads at start: the first entry of XDG_CONFIG_DIRS.
mkdir -p "$work/config/ZOVUR"
cat >"$work/config/ZOVUR/RO420DA_Tools.reg" <<EOF
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\ZOVUR\\RO420DA_Tools]
"TYPE"=dword:00000001
"NetIP"="$address"
"NetPort"="$port"
EOF
export XDG_CONFIG_DIRS="$work/config"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo: press \"Connect device\" in the window; close it to end the demo"
    build/bin/zu42tool
    exit 0
fi

echo "demo: no display; running the window under Xvfb and pressing \"Connect device\""
mkdir -p "$shots"
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
fi
status=0
# A screen wide enough for the window and the traffic monitor side by side.
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1680x1050x24" \
    build/bin/zu42demo "$shots/demo-connected.png" "$shots/demo-command.png" "$shots/demo-autotest.png" \
    "$shots/demo-monitor.png" || status=$?
if [ "$status" -ne 0 ]; then
    echo "demo: the tool did not connect to the simulator" >&2
    exit "$status"
fi
echo "demo: connected; the screenshot is $(pwd)/$shots/demo-connected.png" \
    "(the command page: $(pwd)/$shots/demo-command.png, the traffic monitor: $(pwd)/$shots/demo-monitor.png)"
