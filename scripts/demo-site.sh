#!/usr/bin/env bash
# Commissioning a site on the bundled simulator, from the command line: a line of four
# controllers (001-004) and four new units waiting at the default ID 000, plus a spare.
#
# Builds zu42cli and zu42sim into build/, starts one zu42sim on 127.0.0.1 (the bus 001-004, five
# new units connected one at a time, the unit at 003 one that does not come back from a
# restart), then: scans the line (quick), addresses the four new units in a row from 005,
# reads every unit, applies a profile to all (003 fails at its restart; the others go on),
# replaces 003 with the spare, which takes its ID and values, applies the profile to it alone,
# sets every clock, and writes the handover report as PDF and CSV. The site file and the report
# are left in build/demo-site/. The simulator stops at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

address=127.0.0.1
port=${ZU42_SITE_DEMO_PORT:-5013}
out=build/demo-site

zu42_begin demo-site

cmake --preset default >/dev/null
cmake --build --preset default --target zu42cli zu42sim

zu42_workdir
zu42_start_sim line "$address" "$port" --bus 001-004 --new-units 5 --dead-after-restart 003

rm -rf "$out"
mkdir -p "$out"
site="$out/site.json"
cli() {
    zu42_say "zu42cli $*"
    build/bin/zu42cli "$@"
}
# A unit that fails is said, and the demo goes on, as an installer would.
cli_may_fail() {
    cli "$@" || zu42_say "(exit status $?: the failed units are named above)"
}

cat >"$out/profile.json" <<'JSON'
{
    "format": "zu42-profile",
    "version": 1,
    "model": "ZO425",
    "created": "2026-12-08T09:00:00+08:00",
    "values": { "language": "traditional-chinese", "same-card-delay": 30, "door-timeout-time": 20, "door-log": true }
}
JSON

cli --link "tcp:$address:$port" site scan --quick --save "$site" --name "North gate"
cli site address --site "$site" --from 5 --count 4
cli site read --site "$site"
cli_may_fail site apply "$out/profile.json" --site "$site"
cli site replace 003 --site "$site"
cli site apply "$out/profile.json" --site "$site" --ids 003
cli site clock --site "$site"
cli site report --site "$site" --pdf "$out/handover.pdf" --csv "$out/handover.csv"
cat "$out/handover.csv"
zu42_say "the site is $(pwd)/$site, the handover report $(pwd)/$out/handover.pdf"
