#!/usr/bin/python3
"""Reads a running Horalux window the way a screen reader does (AT-SPI), for the end-to-end tests.

    a11y.py dump WINDOW                 every object: role, name, value, description, states
    a11y.py value WINDOW NAME [ROLE]    the value of the first showing object so named: an edit's
                                        or a static text's text, else its name
    a11y.py center WINDOW NAME [ROLE]   "X Y" on the screen of that object's middle
    a11y.py extents WINDOW NAME [ROLE]  "X Y WIDTH HEIGHT" of that object on the screen
    a11y.py action WINDOW NAME [ROLE]   runs its first action (press a button, check a box)
    a11y.py states WINDOW NAME [ROLE]   its states, one word each ("enabled checked focused ...")
    a11y.py entries WINDOW LABEL        the entries of a drop-down list, one a line, whether it is
                                        open or not; LABEL is its label's text (or its name)

WINDOW is the window's title; NAME an object's accessible name (an edit's is its label's text),
or ~REGEX for a name that the regular expression matches whole (a clock's name is its time);
ROLE narrows the match ("push button", "radio button", "check box", "text", "page tab", ...).
Objects of hidden pages, and everything inside any part that is not showing, are skipped.
Exits 1 with a message when the program, the window or the object is not there. Needs the session bus and the accessibility bus
that harness.sh starts (e2e_start_a11y) and the program run with QT_LINUX_ACCESSIBILITY_ALWAYS_ON.
"""

import re
import sys

import pyatspi


def fail(message):
    print(f"a11y: {message}", file=sys.stderr)
    sys.exit(1)


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        if app is not None and app.name in ("Horalux", "horalux"):
            return app
    fail("the program is not on the accessibility bus")


def window(title):
    app = application()
    for index in range(app.childCount):
        win = app.getChildAtIndex(index)
        if win is not None and win.name == title:
            return win
    fail(f"no window titled {title!r}")


def walk(node, depth=0):
    """The node and what is inside it, leaving out whatever lies inside a part that is not
    showing (a hidden page's controls, a closed list's entries), whatever those say of
    themselves."""
    yield node, depth
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None and showing(child):
            yield from walk(child, depth + 1)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def value(node):
    try:
        text = node.queryText()
        return text.getText(0, -1)
    except NotImplementedError:
        pass
    try:
        return str(node.queryValue().currentValue)
    except NotImplementedError:
        return node.name


def state_words(node):
    words = []
    state = node.getState()
    for name, st in (
        ("enabled", pyatspi.STATE_ENABLED),
        ("checked", pyatspi.STATE_CHECKED),
        ("focused", pyatspi.STATE_FOCUSED),
        ("selected", pyatspi.STATE_SELECTED),
        ("editable", pyatspi.STATE_EDITABLE),
        ("visited", pyatspi.STATE_VISITED),
    ):
        if state.contains(st):
            words.append(name)
    return words


def labels(node):
    """The texts of the labels a node is labelled by."""
    out = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            for index in range(relation.getNTargets()):
                out.append(relation.getTarget(index).name)
    return out


def entries(title, label):
    for node, _ in walk(window(title)):
        if node.getRoleName() == "combo box" and (node.name == label or label in labels(node)):
            return [n.name for n, _ in walk_all(node) if n.getRoleName() == "list item"]
    fail(f"no drop-down list labelled {label!r} in {title!r}")


def walk_all(node):
    yield node, 0
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            yield from walk_all(child)


def named(node, name):
    if name.startswith("~"):
        return re.fullmatch(name[1:], node.name or "") is not None
    return node.name == name


def find(title, name, role=None):
    for node, _ in walk(window(title)):
        if named(node, name) and showing(node) and (role is None or node.getRoleName() == role):
            return node
    fail(f"nothing named {name!r}" + (f" ({role})" if role else "") + f" in {title!r}")


def main(argv):
    if len(argv) < 3:
        fail(__doc__)
    command, title = argv[1], argv[2]
    if command == "dump":
        for node, depth in walk(window(title)):
            if not showing(node):
                continue
            text = value(node) if node.getRoleName() in ("text", "label") else ""
            print("  " * depth + " | ".join(
                [node.getRoleName(), node.name, text, node.description, " ".join(state_words(node))]))
        return
    if len(argv) < 4:
        fail(__doc__)
    if command == "entries":
        print("\n".join(entries(title, argv[3])))
        return
    node = find(title, argv[3], argv[4] if len(argv) > 4 else None)
    if command == "value":
        print(value(node))
    elif command == "center":
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        print(f"{box.x + box.width // 2} {box.y + box.height // 2}")
    elif command == "extents":
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        print(f"{box.x} {box.y} {box.width} {box.height}")
    elif command == "action":
        node.queryAction().doAction(0)
    elif command == "states":
        print(" ".join(state_words(node)))
    else:
        fail(f"unknown command {command!r}")


if __name__ == "__main__":
    main(sys.argv)
