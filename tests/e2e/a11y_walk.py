#!/usr/bin/python3
"""Walks Horalux's windows as a screen reader user does (AT-SPI) and flips every radio button and
check box it finds there by the button's own accessible action, checking after each action what
the program stored: once, under one key, the value the settings file (or the autostart entry)
then holds. The controls are found by their roles, not listed, so a new one that stores nothing,
or stores twice, fails here.

    a11y_walk.py first-run
        the first-run dialog: every choice flipped stores nothing; OK, pressed by its action,
        stores the checked choice once as "UseNetworkTime"
    a11y_walk.py properties
        every tab of "Horalux Properties", opened by a click: what it stored while filling itself,
        then each radio button and check box flipped and flipped back. At the end no page has
        stored, while filling itself, a key that its buttons store (but STORED_BACK, the values
        it shows)
    a11y_walk.py dialog TITLE [WINDOW BUTTON]
        a dialog, opened by pressing BUTTON of WINDOW by its action (or already open): its
        buttons flipped as on a page; "Cancel", pressed by its action, closes it; opening and
        cancelling it stored nothing
    a11y_walk.py shot WINDOW PATTERN CMD...
        the name of the first object of WINDOW whose name PATTERN matches whole (a clock's
        display, named by its time), read just before and just after CMD runs (one that takes a
        picture; {x} {y} {w} {h} in it become the object's place on the screen, {around} the
        geometry WxH+X+Y of the object with 3 pixels around it); prints it when
        both readings agree, exits 2 when they differ (the second turned meanwhile)
    a11y_walk.py listen SECONDS
        listens as a screen reader does to name changes for SECONDS; prints how many the program
        sent, and the last name of each object that changed

Reads E2E_APP_LOG (the program's standard error, run with HORALUX_TRACE=1, which reports each
store as "horalux: stored SECTION/KEY=VALUE" or "horalux: stored autostart=0|1"), E2E_INI (the
settings file) and XDG_CONFIG_HOME (the autostart entry). Prints what it did; exits 1 at the first
fault. Every wait is bounded.
"""

import os
import re
import subprocess
import sys
import time
import urllib.parse

import pyatspi

sys.dont_write_bytecode = True  # no cache beside the sources
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import a11y  # noqa: E402

PROPERTIES = "Horalux Properties"
TOGGLES = ("radio button", "check box")
STORED = "horalux: stored "
ANSWER = ("Settings/UseNetworkTime", "Settings/FirstTimeConfig")  # the first-run dialog's


def fail(message):
    print(f"a11y_walk: FAIL: {message}", file=sys.stderr)
    sys.exit(1)


def say(message):
    print(f"a11y_walk: {message}", flush=True)


def wait_for(seconds, probe):
    """probe() until it returns something other than None or False; None when the time is up."""
    deadline = time.monotonic() + seconds
    while True:
        result = probe()
        if result is not None and result is not False:
            return result
        if time.monotonic() >= deadline:
            return None
        time.sleep(0.1)


# --- What the program stored ---------------------------------------------------------------------

def log_lines():
    with open(os.environ["E2E_APP_LOG"], errors="replace") as log:
        return log.read().splitlines()


def stores_since(mark):
    """The stores reported since the log had `mark` lines, as "WHAT=VALUE" texts."""
    return [line[len(STORED):] for line in log_lines()[mark:] if line.startswith(STORED)]


def settle_stores(mark, expect_some):
    """The stores since `mark` once no more come: waits up to 5 s for a first one when some are
    expected, then until 0.4 s pass without another."""
    if expect_some:
        wait_for(5, lambda: stores_since(mark))
    seen = stores_since(mark)
    quiet_since = time.monotonic()
    deadline = time.monotonic() + 5
    while time.monotonic() - quiet_since < 0.4 and time.monotonic() < deadline:
        time.sleep(0.1)
        now = stores_since(mark)
        if now != seen:
            seen, quiet_since = now, time.monotonic()
    return seen


def ini_values():
    values, section = {}, ""
    path = os.environ["E2E_INI"]
    if not os.path.exists(path):
        return values
    with open(path) as ini:
        for raw in ini:
            line = raw.strip()
            if line.startswith("[") and line.endswith("]"):
                section = urllib.parse.unquote(line[1:-1])
            elif "=" in line:
                key, value = line.split("=", 1)
                values[f"{section}/{urllib.parse.unquote(key)}"] = value.strip('"')
    return values


def autostart_state():
    folder = os.path.join(os.environ["XDG_CONFIG_HOME"], "autostart")
    for name in os.listdir(folder) if os.path.isdir(folder) else []:
        with open(os.path.join(folder, name)) as entry:
            text = entry.read()
        if "Hidden=true" not in text and "X-GNOME-Autostart-enabled=false" not in text:
            return "1"
    return "0"


def held(what):
    """What the settings file (or the autostart folder) holds for a store's WHAT now."""
    return autostart_state() if what == "autostart" else ini_values().get(what)


def one_store(stores, context):
    """The single store an action made, checked against the file: (WHAT, VALUE)."""
    if len(stores) != 1:
        fail(f"{context}: stored {len(stores)} times, not once: {stores}")
    what, value = stores[0].split("=", 1)
    if held(what) != value:
        fail(f"{context}: stored {what}={value}, yet the file holds {held(what)!r}")
    return what, value


# --- The windows and their buttons --------------------------------------------------------------

def find_window(title):
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [desktop.getChildAtIndex(i) for i in range(desktop.childCount)]
    app = next((a for a in apps if a is not None and a.name in ("Horalux", "horalux")), None)
    if app is None:
        return None
    for index in range(app.childCount):
        win = app.getChildAtIndex(index)
        if win is not None and win.name == title:
            return win
    return None


def the_window(title, seconds=10):
    win = wait_for(seconds, lambda: find_window(title))
    if win is None:
        fail(f"no window {title!r} on the accessibility bus")
    return win


def showing_nodes(win, roles):
    return [node for node, _ in a11y.walk(win) if node.getRoleName() in roles]


def checked(node):
    return node.getState().contains(pyatspi.STATE_CHECKED)


def enabled(node):
    return node.getState().contains(pyatspi.STATE_ENABLED)


def act(node, preferred):
    """Runs the node's action named `preferred` (any case), or its only action."""
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    for index, name in enumerate(names):
        if name.lower() == preferred:
            action.doAction(index)
            return
    if len(names) == 1:
        action.doAction(0)
        return
    fail(f"{node.getRoleName()} {node.name!r} has no {preferred} action: {names}")


def node_named(win, role, name):
    for node in showing_nodes(win, (role,)):
        if node.name == name:
            return node
    fail(f"the {role} {name!r} is gone")


def flip(win, role, name, context):
    """Flips a button by its action; the stores that made, once none come any more."""
    node = node_named(win, role, name)
    was = checked(node)
    mark = len(log_lines())
    act(node, "toggle")
    want = True if role == "radio button" else not was
    if wait_for(5, lambda: checked(node_named(win, role, name)) == want) is None:
        fail(f"{context}: its action left it {'checked' if was else 'unchecked'}")
    return settle_stores(mark, True)


# Keys a page stores back, as it shows them, while it fills itself.
STORED_BACK = {"Network Time": ("Settings/UseSNTP", "Network Daytime Protocol/UseRandomServer")}


def walk_buttons(title, context):
    """Flips each radio button and check box of a window by its action and back; returns the
    keys they store and how many buttons there are. Each action must store once, and the way
    back must store the value the file held before."""
    win = the_window(title)
    keys = set()
    buttons = [(n.getRoleName(), n.name, enabled(n)) for n in showing_nodes(win, TOGGLES)]
    for role, name, on in buttons:
        where = f"{context}: {role} {name!r}"
        if not on:
            say(f"{where}: disabled, not flipped")
            continue
        if role == "check box":
            what, value = one_store(flip(win, role, name, where), where)
            back_what, back = one_store(flip(win, role, name, where + " (back)"), where + " (back)")
            if back_what != what or back == value:
                fail(f"{where}: stored {what}={value}, then {back_what}={back} on the way back")
            say(f"{where}: stored {what}={value}, and {back} back")
        else:
            if checked(node_named(win, role, name)):
                continue  # flipped to and back from the others of its group
            was = [n.name for n in showing_nodes(win, ("radio button",)) if checked(n)]
            file_before = ini_values()
            what, value = one_store(flip(win, role, name, where), where)
            before = file_before.get(what)
            lost = [n for n in was if not checked(node_named(win, "radio button", n))]
            if len(lost) != 1:
                fail(f"{where}: checking it unchecked {lost}, not one other of its group")
            back_where = f"{where} (back to {lost[0]!r})"
            back_what, back = one_store(flip(win, role, lost[0], back_where), back_where)
            if back_what != what or (before is not None and back != before) or back == value:
                fail(f"{back_where}: stored {back_what}={back} after {what}={value} "
                     f"(the file held {before!r})")
            say(f"{where}: stored {what}={value}; {lost[0]!r} again stored {back}")
        keys.add(what)
    return keys, len(buttons)


# --- The walks ---------------------------------------------------------------------------------

def click(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2),
                    str(box.y + box.height // 2), "click", "1"], check=True)


def tab_selected(win, caption):
    """Whether the tab is the current one: the tab list is named after it."""
    return any(node.name == caption for node in showing_nodes(win, ("page tab list",)))


def walk_first_run():
    title = "Horalux Configuration"
    win = the_window(title, 20)
    answer = [s for s in stores_since(0) if s.split("=")[0] in ANSWER]
    if answer:
        fail(f"stored before the first-run dialog was answered: {answer}")
    radios = [n.name for n in showing_nodes(win, ("radio button",))]
    if len(radios) < 2:
        fail(f"the first-run dialog offers {radios}")
    mark = len(log_lines())
    for name in radios[::-1] + radios:  # each one checked at least once, the last one stays
        node = node_named(win, "radio button", name)
        act(node, "toggle")
        if wait_for(5, lambda: checked(node_named(win, "radio button", name))) is None:
            fail(f"first-run dialog: {name!r} did not take the check")
    if settle_stores(mark, False):
        fail(f"the first-run dialog stored as its choices changed: {stores_since(mark)}")
    choice = radios.index(radios[-1])
    act(node_named(win, "push button", "OK"), "press")
    stores = [s for s in settle_stores(mark, True) if s.startswith("Settings/UseNetworkTime=")]
    what, value = one_store(stores, "first-run dialog, OK")
    if value != str(choice):
        fail(f"OK with {radios[-1]!r} checked stored {what}={value}, not {choice}")
    say(f"first-run dialog: {len(radios)} choices flipped, nothing stored; OK stored "
        f"{what}={value} once")


def walk_properties():
    win = the_window(PROPERTIES)
    captions = [n.name for n in showing_nodes(win, ("page tab",))]
    if len(captions) != 8:
        fail(f"the properties window has the tabs {captions}")
    filled, toggled, shown = {}, {}, {}
    for caption in captions:
        mark = len(log_lines())
        tab = next(n for n in showing_nodes(win, ("page tab",)) if n.name == caption)
        click(tab)
        if wait_for(5, lambda: tab_selected(win, caption)) is None:
            fail(f"the tab {caption!r} did not open")
        filled[caption] = settle_stores(mark, False)
        toggled[caption], _ = walk_buttons(PROPERTIES, caption)
        shown[caption] = ini_values()  # every button flipped back: the file holds what it shows
        say(f"{caption}: filling itself stored {filled[caption] or 'nothing'}")
    every_key = set().union(*toggled.values())
    for caption, stores in filled.items():
        wrong = []
        for store in stores:
            key, value = store.split("=", 1)
            if key not in every_key:
                continue
            # The one store a page makes of its buttons as it fills: Network Time stores the
            # protocol and the random choice as it shows them, once, so the clock update (whose
            # default protocol differs from the page's) agrees with the page from then on.
            if key in STORED_BACK.get(caption, ()) and shown[caption].get(key) == value:
                continue
            wrong.append(store)
        if wrong:
            fail(f"{caption}: stored {wrong} while filling itself")
    if not every_key:
        fail("no radio button or check box stored anything")
    say(f"{sum(len(k) for k in toggled.values())} keys stored by their buttons, none while a "
        f"page filled itself: {sorted(every_key)}")


def walk_dialog(title, opener):
    mark = len(log_lines())
    if opener:
        act(a11y.find(opener[0], opener[1], "push button"), "press")
    the_window(title)
    keys, count = walk_buttons(title, title)
    opened = len(log_lines())
    act(node_named(the_window(title), "push button", "Cancel"), "press")
    if wait_for(5, lambda: find_window(title) is None) is None:
        fail(f"{title!r}: Cancel did not close it")
    if keys:
        say(f"{title}: its buttons stored {sorted(keys)}")
    elif stores_since(mark):
        fail(f"{title}: opening it stored {stores_since(mark)}")
    if settle_stores(opened, False):
        fail(f"{title}: Cancel stored {stores_since(opened)}")
    say(f"{title}: {count} radio buttons and check boxes; opened and cancelled by actions, "
        "nothing stored")


def shot(title, pattern, command):
    node = wait_for(5, lambda: next(
        (n for n, _ in a11y.walk(the_window(title)) if re.fullmatch(pattern, n.name or "")), None))
    if node is None:
        fail(f"nothing in {title!r} is named like {pattern!r}")
    said = fresh_name(node)
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    place = {"x": box.x, "y": box.y, "w": box.width, "h": box.height,
             "around": f"{box.width + 6}x{box.height + 6}+{box.x - 3}+{box.y - 3}"}
    subprocess.run([part.format(**place) for part in command], check=True)
    if fresh_name(node) != said:
        sys.exit(2)
    print(said)


def fresh_name(node):
    """The name as the program gives it now, not as the client remembers it."""
    node.clearCache()
    return node.name


def listen(seconds):
    heard, last = [0], {}

    def on_name(event):
        app = event.source.getApplication() if event.source is not None else None
        if app is not None and app.name in ("Horalux", "horalux"):
            heard[0] += 1
            last[event.source.getRoleName()] = event.source.name

    pyatspi.Registry.registerEventListener(on_name, "object:property-change:accessible-name")
    from gi.repository import GLib
    GLib.timeout_add(int(seconds * 1000), pyatspi.Registry.stop)
    pyatspi.Registry.start()
    print(f"{heard[0]} name changes in {seconds} s; last: {last}")


def main(argv):
    if len(argv) < 2:
        fail(__doc__)
    if argv[1] == "first-run":
        walk_first_run()
    elif argv[1] == "properties":
        walk_properties()
    elif argv[1] == "dialog" and len(argv) in (3, 5):
        walk_dialog(argv[2], argv[3:5] if len(argv) == 5 else None)
    elif argv[1] == "listen" and len(argv) == 3:
        listen(float(argv[2]))
    elif argv[1] == "shot" and len(argv) > 4:
        shot(argv[2], argv[3], argv[4:])
    else:
        fail(__doc__)


if __name__ == "__main__":
    main(sys.argv)
