#!/bin/sh
# kelvane's output pane under a real X server, read over the accessibility
# bus: after F7 its lines are list items, the last one selected; moving the
# selection and new lines are announced. Run inside tests/support/xsession
# --atspi.
#
#   x11_output_pane_test.sh KELVANE
set -u
kelvane=$1
bin=$(dirname "$kelvane")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/kelvane-output.XXXXXX") || exit 1
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "x11_output_pane_test: $*" >&2; exit 1; }

export HOME=$work XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
mkdir -p "$XDG_CONFIG_HOME/Umbrane"
cat >"$XDG_CONFIG_HOME/Umbrane/Kelvane.conf" <<CONF
[Config]
FirstRun=FALSE
LumoraFolder=$bin/toolchain/lumo
DMCFolder=$bin/toolchain/dmc
CONF

"$kelvane" --new-project "$work/demo" >/dev/null || fail "could not create the project"
"$kelvane" "$work/demo/demo.lmp" &
pid=$!
i=0
w=""
while [ -z "$w" ] && [ $i -lt 100 ]; do
    w=$(xdotool search --name "^demo - Kelvane\$" 2>/dev/null | head -n 1)
    [ -n "$w" ] || sleep 0.2
    i=$((i + 1))
done
[ -n "$w" ] || fail "no window titled 'demo - Kelvane'"
xdotool windowfocus --sync "$w" 2>/dev/null || true
sleep 0.5
xdotool key F7
i=0
while [ ! -s "$work/demo/demo.fx" ] && [ $i -lt 300 ]; do sleep 0.2; i=$((i + 1)); done
[ -s "$work/demo/demo.fx" ] || fail "F7 did not build demo.fx"

/usr/bin/python3 "$here/atspi_output_pane.py" "Build Time = " || fail "the output pane does not read as a list"
