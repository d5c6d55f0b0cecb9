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
source scripts/common.sh

address=127.0.0.1
port=5003
shots=docs/screenshots

zu42_begin demo

cmake --preset default >/dev/null
cmake --build --preset default --target zu42tool zu42sim zu42demo

zu42_workdir
# A controller with the outputs wired back to the inputs (the product test jig) and an answer
# to the free command's default "AB".
zu42_start_sim sim "$address" "$port" --jig --reply 'AB=HELLO FROM ZU42SIM'

zu42_settings_store '"TYPE"=dword:00000001' "\"NetIP\"=\"$address\"" "\"NetPort\"=\"$port\""

if zu42_has_display; then
    zu42_say "press \"Connect device\" in the window; close it to end the demo"
    build/bin/zu42tool
    exit 0
fi

zu42_say "no display; running the window under Xvfb and pressing \"Connect device\""
mkdir -p "$shots"
status=0
# A screen wide enough for the window and the traffic monitor side by side.
zu42_xvfb 1680x1050 \
    build/bin/zu42demo "$shots/demo-connected.png" "$shots/demo-command.png" "$shots/demo-autotest.png" \
    "$shots/demo-monitor.png" || status=$?
if [ "$status" -ne 0 ]; then
    echo "demo: the tool did not connect to the simulator" >&2
    exit "$status"
fi
echo "demo: connected; the screenshot is $(pwd)/$shots/demo-connected.png" \
    "(the command page: $(pwd)/$shots/demo-command.png, the traffic monitor: $(pwd)/$shots/demo-monitor.png)"
