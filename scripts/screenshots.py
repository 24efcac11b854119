#!/usr/bin/python3
"""Takes the README's screenshots of the editor on a virtual X server under openbox.

usage: screenshots.py VORNAK_BINARY EXAMPLE_RPT OUTPUT_FOLDER

Run by scripts/screenshots inside xvfb-run. Each step waits for what it needs (a window, a menu)
with a time limit; a picture is the screen's pixels inside the window's frame (and an open menu).
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

from Xlib import X, XK, display
from Xlib.ext import xtest

# The end-to-end sessions' helpers for reading window titles.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from editor_session import window_name, window_titles  # noqa: E402

LIMIT = 30.0

# A definition whose range table has a gap (44 to 45) and an overlap (47.5 to 48): the problem
# count and the range strip have something to show.
RANGES = "\r\n".join([
    "R2", "ОПРЕДЕЛЕНИЕ РОСТА ПО КОСТЯМ", "PrintForm.doc", "", "", "", "", "", "", "",
    "2",
    "Длина бедренной кости, см", "1", "1", "0", "5",
    "38", "41,5", "низкий",
    "41,5", "44", "ниже среднего",
    "45", "48", "средний",
    "47,5", "51", "высокий",
    "51", "56", "очень высокий",
    "Пол", "0", "0", "0", "2",
    "м", "", "мужской",
    "ж", "", "женский",
    "1",
    "Рост", '#R(1) + " см"',
]) + "\r\n"


# A long table, as experts keep them: femur length against forty stature classes.
LONG_TABLE = "\r\n".join(
    ["R2", "ОПРЕДЕЛЕНИЕ РОСТА ПО ДЛИНЕ БЕДРЕННОЙ КОСТИ", "PrintForm.doc", "", "", "", "", "", "", "", "1",
     "Длина бедренной кости, см", "1", "1", "0", "40"]
    + [cell for row in range(40)
       for cell in (f"{38 + row * 0.5:.1f}".replace(".", ","), f"{38.5 + row * 0.5:.1f}".replace(".", ","),
                    f"{150 + row} см")]
    + ["1", "Рост", "#R(1)"]) + "\r\n"


def wait_for(what, condition, limit=LIMIT):
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise SystemExit(f"screenshots: timed out after {limit:.0f} s waiting for {what}")


def settle():
    """Lets the editor and the X server finish drawing."""
    time.sleep(0.8)


def find_window(dpy, match):
    """The first viewable window whose title satisfies match."""
    def walk(window):
        try:
            if window.get_attributes().map_state == X.IsViewable and match(window_name(dpy, window)):
                return window
            for child in window.query_tree().children:
                found = walk(child)
                if found:
                    return found
        except Exception:  # windows come and go while we walk
            return None
        return None
    return walk(dpy.screen().root)


def frame_of(dpy, window):
    """The window manager's frame around a client window: the root's child that holds it."""
    root = dpy.screen().root
    while True:
        parent = window.query_tree().parent
        if parent == root or parent is None:
            return window
        window = parent


def rect_of(window):
    g = window.get_geometry()
    origin = window.translate_coords(window.query_tree().root, 0, 0)
    return (-origin.x, -origin.y, g.width + 2 * g.border_width, g.height + 2 * g.border_width)


def override_windows(dpy):
    found = {}
    for child in dpy.screen().root.query_tree().children:
        try:
            a = child.get_attributes()
            if a.map_state == X.IsViewable and a.override_redirect:
                found[child.id] = rect_of(child)
        except Exception:
            pass
    return found


BASELINE = {}


def popups(dpy):
    """Rectangles of the viewable override-redirect windows (open menus) that were not there at
    the start (the toolkit and the window manager keep some of their own)."""
    return [r for wid, r in override_windows(dpy).items() if wid not in BASELINE]


def union(rects):
    left = min(r[0] for r in rects)
    top = min(r[1] for r in rects)
    right = max(r[0] + r[2] for r in rects)
    bottom = max(r[1] + r[3] for r in rects)
    return (left, top, right - left, bottom - top)


def grab(dpy, rect):
    """The screen's pixels in rect as rows of RGB bytes."""
    x, y, w, h = rect
    screen = dpy.screen()
    x, y = max(0, x), max(0, y)
    w, h = min(w, screen.width_in_pixels - x), min(h, screen.height_in_pixels - y)
    image = screen.root.get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF)
    data = image.data
    stride = len(data) // h
    rows = []
    for row in range(h):
        line = data[row * stride: row * stride + 4 * w]
        rgb = bytearray(3 * w)
        rgb[0::3] = line[2::4]
        rgb[1::3] = line[1::4]
        rgb[2::3] = line[0::4]
        rows.append(bytes(rgb))
    return w, h, rows


def write_png(path, w, h, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + row for row in rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def shoot(dpy, rect, path):
    w, h, rows = grab(dpy, rect)
    write_png(path, w, h, rows)
    print(f"screenshots: {path} ({w}x{h})")


def press(dpy, keysym_name, modifiers=()):
    codes = [dpy.keysym_to_keycode(XK.string_to_keysym(m)) for m in modifiers]
    key = dpy.keysym_to_keycode(XK.string_to_keysym(keysym_name))
    for code in codes:
        xtest.fake_input(dpy, X.KeyPress, code)
    xtest.fake_input(dpy, X.KeyPress, key)
    xtest.fake_input(dpy, X.KeyRelease, key)
    for code in reversed(codes):
        xtest.fake_input(dpy, X.KeyRelease, code)
    dpy.sync()


def click(dpy, x, y):
    xtest.fake_input(dpy, X.MotionNotify, x=x, y=y)
    xtest.fake_input(dpy, X.ButtonPress, 1)
    xtest.fake_input(dpy, X.ButtonRelease, 1)
    dpy.sync()


def menu_titles(dpy, client):
    """Centres of the menu bar's titles, found as the runs of dark pixels in the window's top band."""
    x, y, w, _ = rect_of(client)
    band = 20
    _, _, rows = grab(dpy, (x, y + 2, w, band))
    dark = [any(sum(row[3 * c: 3 * c + 3]) < 250 for row in rows) for c in range(w)]
    titles, start, gap = [], None, 0
    for c, is_dark in enumerate(dark + [False] * 12):
        if is_dark:
            if start is None:
                start = c
            gap, end = 0, c
        elif start is not None:
            gap += 1
            if gap > 10:
                titles.append((x + (start + end) // 2, y + 2 + band // 2))
                start = None
    return titles


def start_editor(binary, path, env, dpy):
    editor = subprocess.Popen([binary, path], env=env, stderr=subprocess.DEVNULL)
    name = os.path.basename(path)
    client = wait_for(f"the window naming {name}", lambda: find_window(dpy, lambda t: name in t))
    settle()
    return editor, client


def focus(dpy, client):
    x, y, w, h = rect_of(client)
    xtest.fake_input(dpy, X.MotionNotify, x=x + w // 2, y=y + h // 2)
    client.set_input_focus(X.RevertToParent, X.CurrentTime)
    dpy.sync()


def stop(editor):
    if editor.poll() is None:
        editor.kill()
        editor.wait()


def new_window(dpy, known):
    """A viewable, titled window of some size whose title was not among known (a help window or
    a dialog that has just opened)."""
    def fits(title):
        return title != "" and title not in known
    window = find_window(dpy, fits)
    if window is None or window.get_geometry().width < 50:
        return None
    return window


def main():
    binary, example, out = sys.argv[1:4]
    work = tempfile.mkdtemp(prefix="vornak-screenshots-")
    try:
        env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_STATE_HOME=os.path.join(work, "state"))
        env.pop("QT_QPA_PLATFORM", None)
        definition = os.path.join(work, "stature.rpt")
        shutil.copyfile(example, definition)
        ranges = os.path.join(work, "demo.rpt")
        with open(ranges, "wb") as f:
            f.write(RANGES.encode("cp1251"))
        long_table = os.path.join(work, "femur.rpt")
        with open(long_table, "wb") as f:
            f.write(LONG_TABLE.encode("cp1251"))

        dpy = display.Display()
        manager = subprocess.Popen(["openbox", "--sm-disable"], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        check = dpy.intern_atom("_NET_SUPPORTING_WM_CHECK")
        wait_for("the window manager", lambda: dpy.screen().root.get_full_property(check, X.AnyPropertyType))
        try:
            BASELINE.update(override_windows(dpy))
            editor, client = start_editor(binary, definition, env, dpy)
            BASELINE.update(override_windows(dpy))
            main_title = window_name(dpy, client)
            frame = frame_of(dpy, client)
            focus(dpy, client)
            shoot(dpy, rect_of(frame), os.path.join(out, "main-form.png"))

            titles = menu_titles(dpy, client)
            if len(titles) < 4:
                raise SystemExit(f"screenshots: found {len(titles)} menu titles, not 4")

            # The File menu lists the file just opened.
            click(dpy, *titles[0])
            wait_for("the File menu", lambda: popups(dpy))
            settle()
            shoot(dpy, union([rect_of(frame)] + popups(dpy)), os.path.join(out, "file-menu.png"))
            press(dpy, "Escape")
            wait_for("the File menu to close", lambda: not popups(dpy))

            # A parameter added with F2: the Edit menu names the step it undoes.
            focus(dpy, client)
            press(dpy, "F2")
            settle()
            click(dpy, *titles[1])
            wait_for("the Edit menu", lambda: popups(dpy))
            settle()
            shoot(dpy, union([rect_of(frame)] + popups(dpy)), os.path.join(out, "edit-menu.png"))
            press(dpy, "Escape")
            wait_for("the Edit menu to close", lambda: not popups(dpy))
            focus(dpy, client)
            press(dpy, "z", ("Control_L",))
            settle()

            # The usage help, F1.
            known = window_titles(dpy)
            press(dpy, "F1")
            helper = wait_for("the usage help", lambda: new_window(dpy, known))
            settle()
            help_title = window_name(dpy, helper)
            shoot(dpy, rect_of(frame_of(dpy, helper)), os.path.join(out, "help-window.png"))
            press(dpy, "F4", ("Alt_L",))
            wait_for("the usage help to close", lambda: not find_window(dpy, lambda t: t == help_title))

            # The About box: the Help menu's last entry.
            focus(dpy, client)
            click(dpy, *titles[3])
            wait_for("the Help menu", lambda: popups(dpy))
            settle()
            menu = popups(dpy)[0]
            known = window_titles(dpy) | {help_title}
            click(dpy, menu[0] + menu[2] // 2, menu[1] + menu[3] - 12)
            about = wait_for("the About box", lambda: new_window(dpy, known))
            settle()
            shoot(dpy, rect_of(frame_of(dpy, about)), os.path.join(out, "about-box.png"))
            stop(editor)

            # The problem count and the range strip of a table with a gap and an overlap.
            editor, client = start_editor(binary, ranges, env, dpy)
            focus(dpy, client)
            settle()
            shoot(dpy, rect_of(frame_of(dpy, client)), os.path.join(out, "checks-and-range-strip.png"))

            # The find bar, Ctrl+F, finding a bound used in two rows.
            press(dpy, "f", ("Control_L",))
            settle()
            for key in ("4", "1"):
                press(dpy, key)
            press(dpy, "Return")
            settle()
            shoot(dpy, rect_of(frame_of(dpy, client)), os.path.join(out, "find-bar.png"))
            stop(editor)

            # An enlarged window: the lists take the room, forty rows of a range table in view.
            editor, client = start_editor(binary, long_table, env, dpy)
            client.configure(width=1000, height=740)
            dpy.sync()
            wait_for("the enlarged window", lambda: client.get_geometry().height >= 700)
            focus(dpy, client)
            settle()
            shoot(dpy, rect_of(frame_of(dpy, client)), os.path.join(out, "enlarged-long-table.png"))
            stop(editor)
        finally:
            manager.terminate()
            manager.wait()
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
