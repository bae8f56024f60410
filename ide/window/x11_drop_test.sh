#!/bin/sh
# Files dragged from another program onto kelvane under a real X server
# (XDND): a.c, a FIFO and b.lmp dropped together open a.c in an editor, the
# FIFO is refused with a message and never opened, then b.lmp opens as the
# project. Run inside tests/support/xsession --atspi.
#
#   x11_drop_test.sh KELVANE DRAG_SOURCE_TOOL
set -u
kelvane=$1
source_tool=$2
bin=$(dirname "$kelvane")
here=$(cd "$(dirname "$0")" && pwd)
support=$here/../../tests/support
. "$support/x11_script.sh"
x11_script_begin x11_drop_test
kelvane_settings "$bin"

"$kelvane" --new-project "$work/b" >/dev/null || fail "could not create the project"
printf 'int a;\n' >"$work/a.c"
mkfifo "$work/pipe.c" || fail "no FIFO"

# Anyone opening the FIFO for reading is noticed (and let go at once).
/usr/bin/python3 - "$work/pipe.c" "$work/fifo-opened" <<'PY' &
import os, sys, time
fifo, mark = sys.argv[1], sys.argv[2]
while True:
    try:
        os.close(os.open(fifo, os.O_WRONLY | os.O_NONBLOCK))
        open(mark, "w").close()
    except OSError:
        pass
    time.sleep(0.05)
PY
pids="$pids $!"

"$kelvane" &
pids="$pids $!"
frame=$(windows_named "Kelvane" 1) || fail "no window titled Kelvane"
xdotool windowmove --sync $frame 300 0 windowsize --sync $frame 700 500 2>/dev/null

"$source_tool" "$work/a.c" "$work/pipe.c" "$work/b/b.lmp" >"$work/drag.out" &
pids="$pids $!"
windows_named "drag source" 1 >/dev/null || fail "no drag source window"
sleep 0.5

# Press in the source, move over kelvane in steps (XDND follows the
# pointer), linger there so it can answer, release.
xdotool mousemove --sync 100 100 mousedown 1
for x in 120 160 220 300 400 500 600 610 600 610 600; do
    xdotool mousemove --sync $x 250
    sleep 0.2
done
sleep 0.5
xdotool mouseup 1

# The FIFO's refusal: a second window titled Kelvane, answered with Enter.
boxes=$(windows_named "Kelvane" 2) || fail "the FIFO was not refused with a message"
for w in $boxes; do
    [ "$w" = "$frame" ] && continue
    xdotool windowfocus --sync "$w" 2>/dev/null
    xdotool key Return
done
windows_named "b - Kelvane" 1 >/dev/null || fail "b.lmp did not open as the project ($(cat "$work/drag.out"))"
[ -e "$work/fifo-opened" ] && fail "the FIFO was opened"

# a.c was opened in an editor: it heads the recent files.
/usr/bin/python3 "$support/atspi_tree.py" --app Kelvane ${KELVANE_ATSPI_DUMP:+--dump} \
    --expect "menu item:1 $work/a.c" || fail "a.c was not opened"
grep -q dropped "$work/drag.out" || fail "the drag source saw no drop"
