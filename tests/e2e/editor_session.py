#!/usr/bin/python3
"""End-to-end session with the real editor on an X server (Xvfb).

Opens a definition given on the command line, adds a parameter with F2, types its name, saves
with Ctrl+S, closes the window, then checks the bytes on disk and the recent-file entry in the
editor's settings file. Every wait polls a condition with a time limit; nothing sleeps blindly.

usage: editor_session.py VORNAK_BINARY SOURCE_RPT
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

from Xlib import X, XK, display, protocol
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


def close_window(dpy, window):
    wm_protocols = dpy.intern_atom("WM_PROTOCOLS")
    delete = dpy.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=window, client_type=wm_protocols,
                                         data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(event)
    dpy.sync()


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
        editor = subprocess.Popen([binary, document], env=env)
        try:
            dpy = display.Display()
            window = wait_for("the editor's window", lambda: find_window(dpy, "Vornak - stature.rpt"))
            geometry = window.get_geometry()
            origin = window.translate_coords(dpy.screen().root, 0, 0)
            # Point at the window and give it the focus: Xvfb runs no window manager.
            xtest.fake_input(dpy, X.MotionNotify, x=-origin.x + geometry.width // 2,
                             y=-origin.y + geometry.height // 2)
            window.set_input_focus(X.RevertToParent, X.CurrentTime)
            dpy.sync()

            press(dpy, "F2")
            type_text(dpy, "Rost")
            press(dpy, "Return")
            press(dpy, "s", ("Control_L",))
            wait_for("the save to reach the disk", lambda: open(document, "rb").read() != original)
            close_window(dpy, window)
            wait_for("the editor to exit", lambda: editor.poll() is not None)
        finally:
            if editor.poll() is None:
                editor.kill()
                editor.wait()

        if editor.returncode != 0:
            raise SystemExit(f"the editor exited with {editor.returncode}")
        lines = read_lines(document)
        expected_start = read_lines(source)[:11]
        if lines[:10] != expected_start[:10]:
            raise SystemExit("the nine texts changed")
        if lines[10] != b"2":
            raise SystemExit(f"expected 2 parameters, the file says {lines[10]!r}")
        if b"Rost" not in lines:
            raise SystemExit("the new parameter's name is not in the file")
        if not open(document, "rb").read().endswith(b"\r\n"):
            raise SystemExit("the file does not end with CR LF")

        settings = os.path.join(config, "Dulvarex", "vornak.conf")
        text = wait_for("the settings file", lambda: os.path.exists(settings) and open(settings).read())
        if f"File1={document}" not in text:
            raise SystemExit(f"File1 is not the saved document:\n{text}")
        print("end-to-end session passed")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
