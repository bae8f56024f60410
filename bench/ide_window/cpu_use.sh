#!/bin/sh
# kelvane's CPU use with a project and documents open: idle, and while a
# tool of a build runs (the stand-in compiler told to sleep). Run inside
# tests/support/xsession; prints the share of one core for each.
#
#   cpu_use.sh BIN_DIR [SECONDS]
set -u
bin=$(cd "$1" && pwd)
seconds=${2:-10}
work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-cpu.XXXXXX") || exit 1
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME/Umbrane"
cat >"$XDG_CONFIG_HOME/Umbrane/Kelvane.conf" <<CONF
[Config]
FirstRun=FALSE
LumoraFolder=$bin/toolchain/lumo
DMCFolder=$bin/toolchain/dmc
CONF
"$bin/kelvane" --new-project "$work/demo" >/dev/null
printf 'int a;\r\n' >"$work/demo/a.c"
printf 'int b;\r\n' >"$work/demo/b.h"
# Every compile waits, so the build keeps a tool running while we measure.
LUMORA_STANDIN_SLEEP=sc:$((seconds * 3)) "$bin/kelvane" "$work/demo/demo.lmp" "$work/demo/demo.c" \
    "$work/demo/a.c" "$work/demo/b.h" &
pid=$!
tries=0
while ! w=$(xdotool search --onlyvisible --name "demo - Kelvane" 2>/dev/null | head -n 1) || [ -z "$w" ]; do
    tries=$((tries + 1)); [ $tries -gt 200 ] && { echo "cpu_use: no window" >&2; exit 1; }
    sleep 0.1
done
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
