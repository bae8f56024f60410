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
. "$here/../../tests/support/x11_script.sh"
x11_script_begin x11_output_pane_test
kelvane_settings "$bin"

"$kelvane" --new-project "$work/demo" >/dev/null || fail "could not create the project"
"$kelvane" "$work/demo/demo.lmp" &
pid=$!
w=$(windows_named "demo - Kelvane") || fail "no window titled 'demo - Kelvane'"
xdotool windowfocus --sync "$w" 2>/dev/null || true
sleep 0.5
xdotool key F7
i=0
while [ ! -s "$work/demo/demo.fx" ] && [ $i -lt 300 ]; do sleep 0.2; i=$((i + 1)); done
[ -s "$work/demo/demo.fx" ] || fail "F7 did not build demo.fx"

/usr/bin/python3 "$here/atspi_output_pane.py" "Build Time = " || fail "the output pane does not read as a list"
