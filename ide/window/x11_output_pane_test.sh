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

kelvane_build_demo "$kelvane"

/usr/bin/python3 "$here/atspi_output_pane.py" "Build Time = " || fail "the output pane does not read as a list"
