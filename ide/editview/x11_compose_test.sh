#!/bin/sh
# Text from a real input-method plug-in: Qt's compose plug-in turns the key
# sequence Multi_key k j into "漢字" (from a compose file of our own), the
# editor inserts it as Shift-JIS, Ctrl+S saves, and the file holds exactly
# 8A BF 8E 9A. Run inside tests/support/xsession.
set -u
probe=$1
. "$(dirname "$0")/../../tests/support/x11_script.sh"
x11_script_begin editview_x11_compose

# The virtual server's keyboard has no compose key: put one on a keycode
# without symbols before the editor reads the keymap.
spare=$(xmodmap -pke | awk 'NF == 3 { k = $2 } END { print k }')
[ -n "$spare" ] || { echo "no spare keycode for Multi_key" >&2; exit 1; }
xmodmap -e "keycode $spare = Multi_key" || exit 1

printf '<Multi_key> <k> <j> : "漢字"\n' >"$work/Compose"
file=$work/empty.c
: >"$file"
XCOMPOSEFILE=$work/Compose QT_IM_MODULE=compose XDG_STATE_HOME=$work/state "$probe" "$file" &
pid=$!

wid=$(windows_named editview_probe) || fail "no editor window"
xdotool windowfocus --sync "$wid" || fail "the editor window takes no focus"
xdotool key --delay 30 Multi_key k j
xdotool key --delay 30 ctrl+s

expected=$work/expected
printf '\212\277\216\232' >"$expected"
file_becomes "$file" "$expected"
echo "the compose plug-in's text was saved as Shift-JIS"
