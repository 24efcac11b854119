#!/usr/bin/python3
"""End-to-end check of the lists' clipboard through the real X clipboard, with the real editor on an
X server (Xvfb) under a window manager (openbox).

Opens a definition whose first parameter is a range table, adds a value row with F3 (it is selected
and the value list has the focus), copies it with Ctrl+C and reads the clipboard as another program
would: exactly the row's three shown cells, tab-separated. Then another program (this script) puts
two tab-separated rows on the clipboard; Ctrl+V pastes them below the selected row, Ctrl+S saves and
the file holds them in that place; Ctrl+Z takes the paste back in one step, which the next save shows.

usage: clipboard_session.py VORNAK_BINARY SOURCE_RPT
"""

import os
import shutil
import subprocess
import sys
import tempfile

from Xlib import X, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from editor_session import find_window, press, read_lines, start_window_manager, wait_for  # noqa: E402
from xclipboard import ClipboardOwner, text_of_clipboard  # noqa: E402


def value_rows(path):
    """The first parameter's value rows, as (value, upper bound, result) in Windows-1251."""
    lines = read_lines(path)
    # Line 12 is the first parameter's name; a range parameter without a formula has its row count
    # four lines later.
    count = int(lines[15])
    return [tuple(lines[16 + 3 * i:19 + 3 * i]) for i in range(count)]


def saved(document, before):
    """Presses Ctrl+S and waits until the file's bytes differ from `before`."""
    return wait_for("the save to reach the disk",
                    lambda: (open(document, "rb").read() != before) and open(document, "rb").read())


def main():
    binary, source = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix="vornak-clipboard-")
    try:
        config = os.path.join(work, "config")
        os.makedirs(config)
        document = os.path.join(work, "stature.rpt")
        shutil.copyfile(source, document)
        original = open(document, "rb").read()
        rows_before = value_rows(document)
        if len(rows_before) != 2:
            raise SystemExit(f"the source should have two value rows, it has {len(rows_before)}")

        env = dict(os.environ, XDG_CONFIG_HOME=config, HOME=work)
        env.pop("QT_QPA_PLATFORM", None)
        dpy = display.Display()
        manager = start_window_manager(dpy, env)
        if manager is None:
            raise SystemExit("openbox is not installed (scripts/setup-deps installs it)")
        editor = subprocess.Popen([binary, document], env=env)
        owner = None
        try:
            window = wait_for("the editor's window", lambda: find_window(dpy, "Vornak - stature.rpt"))
            geometry = window.get_geometry()
            origin = window.translate_coords(dpy.screen().root, 0, 0)
            xtest.fake_input(dpy, X.MotionNotify, x=-origin.x + geometry.width // 2,
                             y=-origin.y + geometry.height // 2)
            window.set_input_focus(X.RevertToParent, X.CurrentTime)
            dpy.sync()

            # A new range row below the first: "0", "1", "Результат", selected, the list focused.
            press(dpy, "F3")
            press(dpy, "c", ("Control_L",))
            expected = "0\t1\tРезультат".encode("utf-8")
            copied = wait_for("the copied row on the clipboard",
                              lambda: text_of_clipboard() == expected and expected)
            if copied != expected:
                raise SystemExit(f"the clipboard holds {copied!r}, not {expected!r}")

            # Another program's rows: Calc puts plain text (and HTML) on the clipboard.
            pasted = "10\t20\tА\r\n20\t30\tБ\r\n"
            owner = ClipboardOwner({"UTF8_STRING": pasted.encode("utf-8"),
                                    "text/plain;charset=utf-8": pasted.encode("utf-8")})
            press(dpy, "v", ("Control_L",))
            press(dpy, "s", ("Control_L",))
            after_paste = saved(document, original)
            rows = value_rows(document)
            new_row = (b"0", b"1", "Результат".encode("cp1251"))
            expected_rows = [rows_before[0], new_row, (b"10", b"20", "А".encode("cp1251")),
                             (b"20", b"30", "Б".encode("cp1251")), rows_before[1]]
            if rows != expected_rows:
                raise SystemExit(f"after the paste the rows are {rows!r}, not {expected_rows!r}")

            # One Ctrl+Z takes both pasted rows back; the row added with F3 stays.
            press(dpy, "z", ("Control_L",))
            press(dpy, "s", ("Control_L",))
            saved(document, after_paste)
            rows = value_rows(document)
            if rows != [rows_before[0], new_row, rows_before[1]]:
                raise SystemExit(f"after Ctrl+Z the rows are {rows!r}")
        finally:
            if owner is not None:
                owner.stop()
            if editor.poll() is None:
                editor.kill()
                editor.wait()
            manager.terminate()
            manager.wait()
        print("clipboard session passed")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
