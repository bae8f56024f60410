#!/usr/bin/python3
"""Reads kelvane's output pane as a screen reader does, over AT-SPI.

Run inside `tests/support/xsession --atspi` with Debian's /usr/bin/python3,
while kelvane shows a project whose output holds lines and has the keyboard
focus:

  atspi_output_pane.py LAST_LINE_START

Checks that the pane is a list named "ｱｳﾄﾌﾟｯﾄ" whose lines are list items
under their text, the last one (which begins with LAST_LINE_START) selected; then presses Alt+2 and Up (through
xdotool) and checks that the reader hears the line above become the focused
item; then presses F7 and checks that new lines are announced as children
added to the list. Exit status 0 when all holds, 1 otherwise.
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

PANE = "ｱｳﾄﾌﾟｯﾄ"


def fail(text):
    print(f"atspi_output_pane: {text}", file=sys.stderr)
    sys.exit(1)


def find_app(name, wait=20.0):
    deadline = time.monotonic() + wait
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    return None


def find_pane(node, depth=0):
    # Stops at the pane: its lines are not walked one by one.
    if node is None or depth > 30:
        return None
    try:
        if node.getRoleName() == "list" and node.name == PANE:
            return node
        count = node.childCount
    except Exception:
        return None
    for i in range(count):
        try:
            found = find_pane(node.getChildAtIndex(i), depth + 1)
        except Exception:
            continue
        if found is not None:
            return found
    return None


def states(node):
    return {pyatspi.stateToString(s) for s in node.getState().getStates()}


def wait_for_events(kinds, keys, seconds, accept):
    """Listens for `kinds` while `keys` are pressed; true once accept(event) holds."""
    heard = []

    def on_event(event):
        heard.append(event)
        try:
            if accept(event):
                pyatspi.Registry.stop()
        except Exception:
            pass

    for kind in kinds:
        pyatspi.Registry.registerEventListener(on_event, kind)
    for key in keys:
        subprocess.run(["xdotool", "key", key], check=False)
    GLib.timeout_add(int(seconds * 1000), lambda: pyatspi.Registry.stop() or False)
    pyatspi.Registry.start()
    for kind in kinds:
        pyatspi.Registry.deregisterEventListener(on_event, kind)
    return any(_safe(accept, e) for e in heard)


def _safe(check, event):
    try:
        return check(event)
    except Exception:
        return False


def main():
    if len(sys.argv) != 2:
        fail("usage: atspi_output_pane.py LAST_LINE_START")
    last_start = sys.argv[1]
    app = find_app("Kelvane")
    if app is None:
        fail("kelvane is not on the accessibility bus")
    pane = None
    deadline = time.monotonic() + 20
    while pane is None and time.monotonic() < deadline:
        pane = find_pane(app)
        if pane is None:
            time.sleep(0.3)
    if pane is None:
        fail(f"no list named {PANE}")

    count = pane.childCount
    if count < 2:
        fail(f"the list holds {count} items")
    items = [pane.getChildAtIndex(i) for i in range(count)]
    for i, item in enumerate(items):
        if item.getRoleName() != "list item":
            fail(f"line {i} reads as {item.getRoleName()!r}")
    if not items[-1].name.startswith(last_start):
        fail(f"the last line reads {items[-1].name!r}, not {last_start!r}...")
    if "selected" not in states(items[-1]):
        fail("the last line is not the selected item")
    if any("selected" in states(item) for item in items[:-1]):
        fail("more than one line is selected")

    # Alt+2 puts the focus on the pane, Up moves to the line above.
    above = items[-2].name
    ok = wait_for_events(
        ["object:state-changed:focused", "focus:"], ["alt+2", "Up"], 10,
        lambda e: e.source.getRoleName() == "list item" and e.source.name == above)
    if not ok:
        fail(f"moving up to {above!r} was not announced as the focused item")

    # A new build: its lines arrive as items added to the list.
    ok = wait_for_events(
        ["object:children-changed:add"], ["F7"], 30,
        lambda e: e.source.name == PANE and e.source.getRoleName() == "list")
    if not ok:
        fail("new lines were not announced")
    print(f"atspi_output_pane: {count} lines read, focus and new lines announced")
    return 0


if __name__ == "__main__":
    sys.exit(main())
