#!/bin/sh
# A fuzzing campaign of one target: fuzz/campaign.sh TARGET [SECONDS]  (default 600)
# Runs build-fuzz/bin/TARGET niced on its committed seeds plus a working corpus kept in
# build-fuzz/campaign/TARGET (so a second campaign goes on where the first stopped), with the
# target's dictionary; scratch files on /dev/shm. A failing input lands in
# build-fuzz/campaign/TARGET-crash-*; the log, with libFuzzer's final figures, in
# build-fuzz/campaign/TARGET.log.
set -eu
target=${1:?usage: fuzz/campaign.sh TARGET [SECONDS]}
seconds=${2:-600}
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build-fuzz
binary=$build/bin/$target
[ -x "$binary" ] || { echo "no $binary: cmake --preset fuzz && cmake --build --preset fuzz" >&2; exit 2; }
work=$build/campaign/$target
mkdir -p "$work"
dict=$here/${target%_fuzz}.dict
set -- -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work-"
[ -f "$dict" ] && set -- "$@" -dict="$dict"
[ "$target" = replyreceiver_fuzz ] && set -- "$@" -max_len=4096
[ -d /dev/shm ] && export TMPDIR=/dev/shm
echo "$(date -u +%FT%TZ) $binary $* $work $here/corpus/$target" > "$build/campaign/$target.log"
nice -n 10 "$binary" "$@" "$work" "$here/corpus/$target" >> "$build/campaign/$target.log" 2>&1 || status=$?
grep -E '^#[0-9]+[[:space:]]+DONE|^Done|^stat::|invariant broken|ERROR|SUMMARY' "$build/campaign/$target.log" || true
exit ${status:-0}
