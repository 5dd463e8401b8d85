#!/usr/bin/python3
"""Asks the test's KWin what a person would see, over its session bus, for the end-to-end tests.

    kwin.py windows                       every window KWin manages, one a line:
                                          CAPTION<TAB>X,Y,WIDTH,HEIGHT<TAB>KEEP_ABOVE<TAB>STACKING
                                          (KEEP_ABOVE 0 or 1; STACKING the place in the stacking
                                          order, higher is nearer the viewer)
    kwin.py activate CAPTION              activates the window so titled, as a user who clicked it
                                          would (it comes to the front unless another window is
                                          kept above)
    kwin.py close CAPTION                 closes the window so titled, as its close button would
    kwin.py shot X Y W H FILE             a screenshot of that area of the screen into FILE (PNG)

Places are read from the compositor, not from the program: a KWin script prints them into KWin's
log (the file named by KWIN_LOG), which this waits for, at most 10 s. Screenshots come from KWin's
ScreenShot2 interface (KWin run with KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1). Exits 1 with a
message when KWin does not answer.
"""

import json
import os
import struct
import sys
import tempfile
import time
import zlib

import dbus

SCRIPT = """
const marker = %(marker)s;
const command = %(command)s;
const clients = workspace.clientList();
for (let i = 0; i < clients.length; ++i) {
    const c = clients[i];
    if (command.caption !== undefined && c.caption === command.caption) {
        if (command.close) {
            c.closeWindow();
        } else {
            workspace.activeClient = c;
        }
    }
    const g = c.frameGeometry;
    print(marker + " " + JSON.stringify({caption: c.caption, x: g.x, y: g.y, w: g.width,
        h: g.height, above: c.keepAbove, stacking: c.stackingOrder}));
}
print(marker + " end");
"""


def fail(message):
    print(f"kwin.py: {message}", file=sys.stderr)
    sys.exit(1)


def run_script(command):
    """Runs the script with the command; the windows it printed, as dictionaries."""
    log = os.environ.get("KWIN_LOG")
    if not log:
        fail("KWIN_LOG names no log file")
    marker = f"horalux-e2e-{os.getpid()}-{time.monotonic_ns()}"
    with tempfile.NamedTemporaryFile("w", suffix=".js", delete=False) as f:
        f.write(SCRIPT % {"marker": json.dumps(marker), "command": json.dumps(command)})
        path = f.name
    try:
        bus = dbus.SessionBus()
        scripting = bus.get_object("org.kde.KWin", "/Scripting")
        number = scripting.loadScript(path, marker, dbus_interface="org.kde.kwin.Scripting",
                                      signature="ss")
        bus.get_object("org.kde.KWin", f"/{number}").run(dbus_interface="org.kde.kwin.Script")
        deadline = time.monotonic() + 10
        while True:
            with open(log, errors="replace") as f:
                lines = [line.split(marker + " ", 1)[1].strip() for line in f if marker in line]
            if lines and lines[-1] == "end":
                break
            if time.monotonic() > deadline:
                fail("KWin's script printed nothing within 10 s")
            time.sleep(0.05)
        scripting.unloadScript(marker, dbus_interface="org.kde.kwin.Scripting")
    except dbus.exceptions.DBusException as e:
        fail(f"KWin does not answer: {e}")
    finally:
        os.unlink(path)
    return [json.loads(line) for line in lines[:-1]]


def print_windows(windows):
    for w in windows:
        print(f"{w['caption']}\t{w['x']},{w['y']},{w['w']},{w['h']}\t{int(bool(w['above']))}"
              f"\t{w['stacking']}")


def png(width, height, rgb_rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    raw = b"".join(b"\0" + row for row in rgb_rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw)) +
            chunk(b"IEND", b""))


def shot(x, y, width, height, path):
    bus = dbus.SessionBus()
    screenshot = bus.get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2")
    read_end, write_end = os.pipe()
    try:
        result = screenshot.CaptureArea(x, y, width, height, {"native-resolution": True},
                                        dbus.types.UnixFd(write_end),
                                        dbus_interface="org.kde.KWin.ScreenShot2")
    except dbus.exceptions.DBusException as e:
        fail(f"KWin took no screenshot: {e}")
    finally:
        os.close(write_end)
    data = bytearray()
    while chunk := os.read(read_end, 1 << 20):
        data += chunk
    os.close(read_end)
    w, h, stride = int(result["width"]), int(result["height"]), int(result["stride"])
    if len(data) < stride * h:
        fail(f"the screenshot has {len(data)} bytes, not {stride * h}")
    rows = []
    for row in range(h):
        bgra = data[row * stride:row * stride + 4 * w]  # 32-bit ARGB, little-endian
        rgb = bytearray(3 * w)
        rgb[0::3], rgb[1::3], rgb[2::3] = bgra[2::4], bgra[1::4], bgra[0::4]
        rows.append(bytes(rgb))
    with open(path, "wb") as f:
        f.write(png(w, h, rows))


def main(args):
    if args[:1] == ["windows"]:
        print_windows(run_script({}))
    elif args[:1] == ["activate"] and len(args) == 2:
        print_windows(run_script({"caption": args[1]}))
    elif args[:1] == ["close"] and len(args) == 2:
        print_windows(run_script({"caption": args[1], "close": True}))
    elif args[:1] == ["shot"] and len(args) == 6:
        shot(*map(int, args[1:5]), args[5])
    else:
        fail("usage: kwin.py windows | activate CAPTION | close CAPTION | "
             "shot X Y W H FILE")


if __name__ == "__main__":
    main(sys.argv[1:])
