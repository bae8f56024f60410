#!/usr/bin/python3
"""Reads a running program's accessibility tree as a screen reader would.

Run inside `tests/support/xsession --atspi` with Debian's /usr/bin/python3
(pyatspi comes from the python3-pyatspi package):

  atspi_tree.py --app NAME [--wait SECONDS] [--dump]
                [--expect ROLE:NAME ...] [--activate ROLE:NAME]

NAME is the application's name on the bus (a Qt program publishes its
application name, normally the program's file name). ROLE is the role as
AT-SPI names it ("push button", "menu item", "check box", "text", "label",
...); NAME is the control's visible text. A '&' that marks a mnemonic is
ignored on both sides, so "ﾋﾞﾙﾄﾞ(&B)" matches what the screen reader hears.

Exit status: 0 when every expected control was found (and the activation
worked), 1 when some were missing (they are listed), 2 when the program
never appeared on the bus.
"""
import argparse
import sys
import time

import pyatspi


def plain(text):
    """The text as spoken: mnemonic '&' removed, '&&' kept as '&'."""
    out = []
    i = 0
    while i < len(text):
        if text[i] == "&":
            if i + 1 < len(text) and text[i + 1] == "&":
                out.append("&")
                i += 2
                continue
            i += 1
            continue
        out.append(text[i])
        i += 1
    return "".join(out)


def find_app(name, wait):
    deadline = time.monotonic() + wait
    while True:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == name:
                return app
        if time.monotonic() > deadline:
            return None
        time.sleep(0.2)


def walk(node, depth=0, seen=None):
    if seen is None:
        seen = set()
    if node is None or depth > 40:
        return
    key = hash(node)
    if key in seen:
        return
    seen.add(key)
    yield node, depth
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1, seen)


def describe(node):
    try:
        role = node.getRoleName()
    except Exception:
        role = "?"
    name = node.name or ""
    try:
        states = [pyatspi.stateToString(s) for s in node.getState().getStates()]
    except Exception:
        states = []
    try:
        action = node.queryAction()
        actions = [action.getName(i) for i in range(action.nActions)]
    except Exception:
        actions = []
    return role, name, states, actions


def parse_pair(text):
    role, sep, name = text.partition(":")
    if not sep:
        raise SystemExit(f"atspi_tree: expected ROLE:NAME, got {text!r}")
    return role.strip(), plain(name)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--app", required=True)
    parser.add_argument("--wait", type=float, default=20.0)
    parser.add_argument("--dump", action="store_true")
    parser.add_argument("--expect", action="append", default=[])
    parser.add_argument("--expect-file", help="one ROLE:NAME per line")
    parser.add_argument("--activate")
    args = parser.parse_args()

    expected = [parse_pair(e) for e in args.expect]
    if args.expect_file:
        with open(args.expect_file, encoding="utf-8") as f:
            expected += [parse_pair(line.rstrip("\n")) for line in f if line.strip()]

    app = find_app(args.app, args.wait)
    if app is None:
        print(f"atspi_tree: no application named {args.app!r} on the accessibility bus", file=sys.stderr)
        return 2

    # The tree can still be filling while the window is being built: read it
    # again until the expected controls are there or the wait is over.
    deadline = time.monotonic() + args.wait
    while True:
        nodes = [(n, d) + describe(n) for n, d in walk(app)]
        present = {(role, plain(name)) for _, _, role, name, _, _ in nodes}
        missing = [p for p in expected if p not in present]
        if not missing or time.monotonic() > deadline:
            break
        time.sleep(0.3)

    if args.dump:
        for _, depth, role, name, states, actions in nodes:
            extra = f" [{', '.join(actions)}]" if actions else ""
            print(f"{'  ' * depth}{role}: {name!r} ({' '.join(states)}){extra}")

    status = 0
    for role, name in missing:
        print(f"missing: {role}: {name}", file=sys.stderr)
        status = 1

    if args.activate:
        role, name = parse_pair(args.activate)
        target = next((n for n, _, r, nm, _, _ in nodes if r == role and plain(nm) == name), None)
        if target is None:
            print(f"atspi_tree: nothing to activate: {role}: {name}", file=sys.stderr)
            return 1
        action = target.queryAction()
        if action.nActions < 1 or not action.doAction(0):
            print(f"atspi_tree: could not activate {role}: {name}", file=sys.stderr)
            return 1
    return status


if __name__ == "__main__":
    sys.exit(main())
