#!/bin/sh
# Opens a Shift-JIS file with CR LF endings in the editor, types through the
# X server's keyboard (xdotool), saves with Ctrl+S and compares the bytes on
# disk. Run inside tests/support/xsession.
set -u
probe=$1
. "$(dirname "$0")/../../tests/support/x11_script.sh"
x11_script_begin editview_x11_typing

file=$work/sjis.c
# "int 漢;" CR LF "x" CR LF
printf 'int \212\277;\r\nx\r\n' >"$file"
XDG_STATE_HOME=$work/state "$probe" "$file" &
pid=$!

wid=$(windows_named editview_probe) || fail "no editor window"
xdotool windowfocus --sync "$wid" || fail "the editor window takes no focus"
# To the empty last line, then two lines of text.
xdotool key --delay 20 ctrl+End
xdotool type --delay 20 'abc'
xdotool key --delay 20 Return
xdotool type --delay 20 'y'
xdotool key --delay 20 ctrl+s

expected=$work/expected
printf 'int \212\277;\r\nx\r\nabc\r\ny' >"$expected"
file_becomes "$file" "$expected"
echo "saved exactly the typed bytes"
