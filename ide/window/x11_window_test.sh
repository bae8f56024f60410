#!/bin/sh
# kelvane under a real X server: the title with and without a project, F7
# pressed on the keyboard builds, the CAP pane follows Caps Lock, and every
# menu item, button and field of the main frame is reachable on the
# accessibility bus under its text.
# Run inside tests/support/xsession --atspi.
#
#   x11_window_test.sh KELVANE EXPECT_FILE
set -u
kelvane=$1
expect=$2
bin=$(dirname "$kelvane")
here=$(cd "$(dirname "$0")" && pwd)
support=$here/../../tests/support
. "$support/x11_script.sh"
x11_script_begin x11_window_test
kelvane_settings "$bin"

# Without a project the title is the program's alone.
"$kelvane" &
pid=$!
windows_named "Kelvane" >/dev/null || fail "no window titled Kelvane"
kill "$pid"; wait "$pid" 2>/dev/null; pid=""

kelvane_build_demo "$kelvane"

# The status bar's CAP pane as a screen reader sees it: lit (sensitive) or greyed.
cap_pane() {
    if /usr/bin/python3 "$support/atspi_tree.py" --app Kelvane --wait 5 --dump --expect "label:CAP" 2>/dev/null |
        grep "label: 'CAP' (" | grep -Eq "[( ]sensitive[ )]"; then
        echo on
    else
        echo off
    fi
}
wait_cap_pane() {
    i=0
    while [ $i -lt 20 ]; do
        [ "$(cap_pane)" = "$1" ] && return 0
        sleep 0.2
        i=$((i + 1))
    done
    return 1
}
wait_cap_pane off || fail "the CAP pane is lit before Caps Lock was pressed"
xdotool key Caps_Lock
wait_cap_pane on || fail "Caps Lock did not light the CAP pane"
xdotool key Caps_Lock
wait_cap_pane off || fail "Caps Lock pressed again did not grey the CAP pane"

/usr/bin/python3 "$support/atspi_tree.py" --app Kelvane --expect-file "$expect" ${KELVANE_ATSPI_DUMP:+--dump} \
    --activate "menu item:設定(&S)..." || fail "the main frame's controls are not all reachable"
# The settings dialog's fields answer to their labels. (The checker reads a
# lone "&" in a name as a mnemonic, so "自動転送&実行" is written without it.)
/usr/bin/python3 "$support/atspi_tree.py" --app Kelvane ${KELVANE_ATSPI_DUMP:+--dump} \
    --expect "text:出力ﾌｫﾙﾀﾞ：" --expect "text:説明：" --expect "text:連結ﾘｿｰｽ：" --expect "text:ﾘﾝｸ ｵﾌﾟｼｮﾝ：" \
    --expect "text:ｺﾝﾊﾟｲﾙ ｵﾌﾟｼｮﾝ(&C)：" --expect "text:マクロ定義(&M)：" --expect "text:ｲﾝｸﾙｰﾄﾞ ﾌｧｲﾙのﾊﾟｽ(&I)：" \
    --expect "check box:最適化する(&O)" --expect "check box:警告をｴﾗｰとして扱う(&E)" \
    --expect "check box:自動転送実行" --expect "radio button:日本語2" \
    --expect "push button:OK" --expect "push button:ｷｬﾝｾﾙ" || fail "the settings dialog's controls are not all reachable"
