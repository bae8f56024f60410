#!/bin/sh
# kelvane's CPU use with a project and documents open: idle, and while a
# tool of a build runs (the stand-in compiler told to sleep). Run inside
# tests/support/xsession; prints the share of one core for each.
#
#   cpu_use.sh BIN_DIR [SECONDS]
set -u
bin=$(cd "$1" && pwd)
seconds=${2:-10}
. "$(dirname "$0")/../../tests/support/x11_script.sh"
x11_script_begin cpu_use
kelvane_settings "$bin"
"$bin/kelvane" --new-project "$work/demo" >/dev/null
printf 'int a;\r\n' >"$work/demo/a.c"
printf 'int b;\r\n' >"$work/demo/b.h"
# Every compile waits, so the build keeps a tool running while we measure.
LUMORA_STANDIN_SLEEP=sc:$((seconds * 3)) "$bin/kelvane" "$work/demo/demo.lmp" "$work/demo/demo.c" \
    "$work/demo/a.c" "$work/demo/b.h" &
pid=$!
w=$(windows_named "demo - Kelvane") || fail "no window"
ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
measure() {
    a=$(cpu); sleep "$seconds"; b=$(cpu)
    awk -v d=$((b - a)) -v t="$ticks" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * d / t / s }'
}
sleep 3
echo "kelvane idle with a project and 3 documents: $(measure) % of a core over $seconds s (goal < 1)"
xdotool windowfocus --sync "$w" 2>/dev/null || true
sleep 0.5
xdotool key F7
sleep 1
pgrep -f "toolchain/dmc/bin/sc" >/dev/null || echo "cpu_use: the compiler does not seem to run" >&2
echo "kelvane while a tool runs: $(measure) % of a core over $seconds s (goal < 5)"
