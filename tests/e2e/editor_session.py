#!/usr/bin/python3
"""End-to-end session with the real editor on an X server (Xvfb) under a window manager (openbox).

Opens a definition given on the command line and enlarges the window: the parameter list grows
with it. Adds a parameter with F2 and types its name: the title carries the unsaved-changes mark;
two undos take it away again, two redos bring it back, and Ctrl+S saves. Adds another, types its
name and, with the cell editor still open, closes the window with Alt+F4 (the window manager's
key), answers Yes at the save prompt, then checks the bytes on disk (both names there) and the
recent-file entry and remembered size in the editor's settings file. Every wait polls a condition
with a time limit; nothing sleeps blindly.

usage: editor_session.py VORNAK_BINARY SOURCE_RPT
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

from Xlib import X, XK, display
from Xlib.ext import xtest

LIMIT = float(os.environ.get("VORNAK_E2E_LIMIT", "60"))


def wait_for(what, condition, limit=LIMIT):
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise SystemExit(f"timed out after {limit:.0f} s waiting for {what}")


def window_name(dpy, window):
    utf8 = dpy.intern_atom("UTF8_STRING")
    prop = window.get_full_property(dpy.intern_atom("_NET_WM_NAME"), utf8)
    if prop is not None:
        return prop.value.decode("utf-8", "replace")
    name = window.get_wm_name()
    return name if isinstance(name, str) else ""


def window_titles(dpy):
    """The titles of every viewable window (for a message when a wait times out)."""
    found = set()

    def walk(window):
        try:
            if window.get_attributes().map_state == X.IsViewable:
                found.add(window_name(dpy, window))
            for child in window.query_tree().children:
                walk(child)
        except Exception:  # windows come and go while we walk
            pass

    walk(dpy.screen().root)
    return found - {""}


def find_window(dpy, title):
    def walk(window):
        try:
            if window_name(dpy, window) == title and window.get_attributes().map_state == X.IsViewable:
                return window
            for child in window.query_tree().children:
                found = walk(child)
                if found:
                    return found
        except Exception:  # windows come and go while we walk
            return None
        return None

    return walk(dpy.screen().root)


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


def type_text(dpy, text):
    for ch in text:
        if ch.isupper():
            press(dpy, ch, ("Shift_L",))
        else:
            press(dpy, ch)


def start_window_manager(dpy, env):
    """Starts openbox and waits until it manages the screen; None when it is not installed."""
    path = shutil.which("openbox")
    if path is None:
        return None
    manager = subprocess.Popen([path, "--sm-disable"], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    check = dpy.intern_atom("_NET_SUPPORTING_WM_CHECK")
    wait_for("the window manager", lambda: dpy.screen().root.get_full_property(check, X.AnyPropertyType))
    return manager


def white_runs(dpy, window, x_fraction):
    """The longest run of white pixels down the column at x_fraction of the window's width, and
    along the row through that run's middle: how far an empty list reaches there."""
    geometry = window.get_geometry()
    width, height = geometry.width, geometry.height
    image = window.get_image(0, 0, width, height, X.ZPixmap, 0xFFFFFFFF)
    data = image.data
    stride = len(data) // height

    def white(x, y):
        offset = y * stride + x * 4
        return data[offset] >= 0xF8 and data[offset + 1] >= 0xF8 and data[offset + 2] >= 0xF8

    def longest(points):
        best, best_end, run = 0, 0, 0
        for i, (x, y) in enumerate(points):
            run = run + 1 if white(x, y) else 0
            if run > best:
                best, best_end = run, i
        return best, best_end - best + 1

    x = int(width * x_fraction)
    down, top = longest([(x, y) for y in range(height)])
    across, _ = longest([(i, top + down // 2) for i in range(width)])
    return down, across


def resize(dpy, window, width, height):
    window.configure(width=width, height=height)
    dpy.sync()
    wait_for("the window to take its new size",
             lambda: (lambda g: g.width == width and g.height == height)(window.get_geometry()))


def read_lines(path):
    with open(path, "rb") as f:
        return f.read().split(b"\r\n")


def main():
    binary, source = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix="vornak-e2e-")
    try:
        config = os.path.join(work, "config")
        os.makedirs(config)
        document = os.path.join(work, "stature.rpt")
        shutil.copyfile(source, document)
        original = open(document, "rb").read()

        env = dict(os.environ, XDG_CONFIG_HOME=config, HOME=work)
        env.pop("QT_QPA_PLATFORM", None)
        dpy = display.Display()
        manager = start_window_manager(dpy, env)
        if manager is None:
            raise SystemExit("openbox is not installed (scripts/setup-deps installs it)")
        editor = subprocess.Popen([binary, document], env=env)
        try:
            window = wait_for("the editor's window", lambda: find_window(dpy, "Vornak - stature.rpt"))
            geometry = window.get_geometry()
            origin = window.translate_coords(dpy.screen().root, 0, 0)
            # Point at the window and give it the focus: Xvfb runs no window manager.
            xtest.fake_input(dpy, X.MotionNotify, x=-origin.x + geometry.width // 2,
                             y=-origin.y + geometry.height // 2)
            window.set_input_focus(X.RevertToParent, X.CurrentTime)
            dpy.sync()

            # Larger: the parameter list (the left column) takes the new room both ways.
            before = wait_for("the window to be drawn", lambda: (lambda r: r if r[0] > 50 else None)(
                white_runs(dpy, window, 0.25)))
            geometry = window.get_geometry()
            resize(dpy, window, geometry.width + 300, geometry.height + 200)
            after = wait_for("the lists to grow", lambda: (lambda r: r if r[0] > before[0] + 150 else None)(
                white_runs(dpy, window, 0.25)), limit=10)
            if after[1] <= before[1] + 100:
                raise SystemExit(f"the parameter list did not widen: {before} -> {after}")
            if os.environ.get("VORNAK_SCREENSHOT_DIR"):
                subprocess.run(["import", "-window", "root",
                                os.path.join(os.environ["VORNAK_SCREENSHOT_DIR"], "e2e-enlarged.png")],
                               env=env, check=False)

            clean, marked = "Vornak - stature.rpt", "Vornak - stature.rpt*"
            press(dpy, "F2")
            type_text(dpy, "Rost")
            press(dpy, "Return")
            window = wait_for("the unsaved-changes mark", lambda: find_window(dpy, marked))
            press(dpy, "z", ("Control_L",))
            press(dpy, "z", ("Control_L",))
            window = wait_for("the mark to go after undo", lambda: find_window(dpy, clean))
            press(dpy, "y", ("Control_L",))
            press(dpy, "y", ("Control_L",))
            window = wait_for("the mark after redo", lambda: find_window(dpy, marked))
            press(dpy, "s", ("Control_L",))
            wait_for("the save to reach the disk", lambda: open(document, "rb").read() != original)
            window = wait_for("the mark to go after the save", lambda: find_window(dpy, clean))

            # A second parameter whose name is still in the open cell editor when Alt+F4 closes
            # the window: the edit is confirmed, the prompt asks, Yes (the default) saves it.
            press(dpy, "F2")
            type_text(dpy, "Ves")
            press(dpy, "F4", ("Alt_L",))
            wait_for("the save prompt", lambda: find_window(dpy, "Предупреждение."))
            press(dpy, "Return")
            wait_for("the editor to exit", lambda: editor.poll() is not None)
        finally:
            if editor.poll() is None:
                editor.kill()
                editor.wait()
            manager.terminate()
            manager.wait()

        if editor.returncode != 0:
            raise SystemExit(f"the editor exited with {editor.returncode}")
        lines = read_lines(document)
        expected_start = read_lines(source)[:11]
        if lines[:10] != expected_start[:10]:
            raise SystemExit("the nine texts changed")
        if lines[10] != b"3":
            raise SystemExit(f"expected 3 parameters, the file says {lines[10]!r}")
        if b"Rost" not in lines:
            raise SystemExit("the new parameter's name is not in the file")
        if b"Ves" not in lines:
            raise SystemExit("the name typed before Alt+F4 is not in the file")
        if not open(document, "rb").read().endswith(b"\r\n"):
            raise SystemExit("the file does not end with CR LF")

        settings = os.path.join(config, "Dulvarex", "vornak.conf")
        text = wait_for("the settings file", lambda: os.path.exists(settings) and open(settings).read())
        if f"File1={document}" not in text:
            raise SystemExit(f"File1 is not the saved document:\n{text}")
        if "[Main%20Window]" not in text or "Geometry=" not in text:
            raise SystemExit(f"the window's size and place are not remembered:\n{text}")
        print("end-to-end session passed")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
