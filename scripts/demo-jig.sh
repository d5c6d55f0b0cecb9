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
# docs/screenshots/demo-jig-pass.png and demo-jig-fail.png; last it opens Tools > Records on the
# same records and saves the day's yield chart and the failure Pareto in each language
# (docs/screenshots/demo-records-yield-en.png, demo-records-pareto-zh-cn.png, ...). With a
# display the operator opens Tools > Records after the two units. The simulators stop at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

address=127.0.0.1
# ZU42_JIG_DEMO_PORT moves both simulators when 5003 and 5004 are taken.
good_port=${ZU42_JIG_DEMO_PORT:-5003}
stuck_port=$((good_port + 1))
shots=docs/screenshots

zu42_begin demo-jig

cmake --preset default >/dev/null
cmake --build --preset default --target zu42tool zu42sim zu42jigdemo

zu42_workdir
zu42_start_sim good "$address" "$good_port" --jig
zu42_start_sim stuck "$address" "$stuck_port" --jig --jig-fault stuck-on:DI3 --serial 24010043

# The settings store and the data folder the records go to.
zu42_settings_store '"TYPE"=dword:00000001' "\"NetIP\"=\"$address\"" "\"NetPort\"=\"$good_port\"" \
    '"JigStation"="Line 1"' '"JigOperator"="Demo operator"'
mkdir -p "$zu42_work/data"
export XDG_DATA_HOME="$zu42_work/data"

if zu42_has_display; then
    zu42_say "open Tools > Jig test and press START (the good unit on port $good_port);"
    zu42_say "then set the port to $stuck_port in the main window and press START again;"
    zu42_say "last open Tools > Records: the Yield tab has the day's chart, Failures the Pareto; close the window to end"
    build/bin/zu42tool
    exit 0
fi

zu42_say "no display; running the windows under Xvfb and testing both units"
mkdir -p "$shots"
status=0
zu42_xvfb 1680x1050 \
    build/bin/zu42jigdemo "$stuck_port" "$shots/demo-jig-pass.png" "$shots/demo-jig-fail.png" "$shots" || status=$?
if [ "$status" -ne 0 ]; then
    echo "demo-jig: the good unit did not pass or the stuck one did not fail" >&2
    exit "$status"
fi
echo "demo-jig: the screenshots are $(pwd)/$shots/demo-jig-pass.png, $(pwd)/$shots/demo-jig-fail.png and $(pwd)/$shots/demo-records-*.png"
