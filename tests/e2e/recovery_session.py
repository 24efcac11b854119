#!/usr/bin/python3
"""End-to-end: nothing typed is lost when the editor is killed (Xvfb, openbox, synthetic keys).

For SIGKILL and then SIGTERM: opens a definition, types a title into the title field, ends the
editor with the signal (after the recovery copy has appeared for SIGKILL; at once for SIGTERM,
which must write it itself and end without a question), starts it again on the same file,
expects the recovery question, takes the default with Enter, saves with Ctrl+S (answering Да to the
question a restored file asks before it is replaced) and checks that the file holds what was typed. Then closes the editor normally and checks that no copy is left and
that the next start asks nothing. Every run has a private home and state folder.

usage: recovery_session.py VORNAK_BINARY SOURCE_RPT
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from editor_session import (  # noqa: E402
    find_window, press, start_window_manager, type_text, wait_for, window_titles)

from Xlib import X, display  # noqa: E402
from Xlib.ext import xtest  # noqa: E402

TITLE = "Vornak - stature.rpt"
QUESTION = "Восстановление"


def focus(dpy, window):
    geometry = window.get_geometry()
    origin = window.translate_coords(dpy.screen().root, 0, 0)
    xtest.fake_input(dpy, X.MotionNotify, x=-origin.x + geometry.width // 2, y=-origin.y + geometry.height // 2)
    window.set_input_focus(X.RevertToParent, X.CurrentTime)
    dpy.sync()


def copies(state):
    folder = os.path.join(state, "vornak", "recovery")
    if not os.path.isdir(folder):
        return []
    return sorted(name for name in os.listdir(folder) if not name.startswith("."))


def read_title(path):
    with open(path, "rb") as f:
        return f.read().split(b"\r\n")[1]


def run_case(dpy, binary, source, work, kill_signal):
    state = os.path.join(work, "state")
    document = os.path.join(work, "stature.rpt")
    shutil.copyfile(source, document)
    env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_STATE_HOME=state)
    env.pop("QT_QPA_PLATFORM", None)
    typed = "Typed" + kill_signal.name[3:]

    editor = subprocess.Popen([binary, document], env=env)
    try:
        window = wait_for("the editor's window", lambda: find_window(dpy, TITLE))
        focus(dpy, window)
        # The title field has the focus at start-up: select what it holds and type over it.
        press(dpy, "a", ("Control_L",))
        type_text(dpy, typed)
        if kill_signal == signal.SIGKILL:
            wait_for("the recovery copy", lambda: len(copies(state)) == 2, limit=10)
        else:
            time.sleep(0.3)  # the keys reach the editor; the copy must not be needed yet
        editor.send_signal(kill_signal)
        editor.wait(timeout=30)
    finally:
        if editor.poll() is None:
            editor.kill()
            editor.wait()
    if editor.returncode != -kill_signal:
        raise SystemExit(f"{kill_signal.name}: the editor ended with {editor.returncode}")
    if len(copies(state)) != 2:
        raise SystemExit(f"{kill_signal.name}: expected one copy and its description, found {copies(state)}")
    if read_title(document) == typed.encode():
        raise SystemExit(f"{kill_signal.name}: the file was saved without being asked to")

    editor = subprocess.Popen([binary, document], env=env)
    try:
        wait_for("the recovery question", lambda: find_window(dpy, QUESTION))
        last_press = [0.0]

        def restored():
            # Enter takes the default, Восстановить. On a loaded machine the window manager may hand
            # the question the keys only after the first press: pressed again while it stays.
            question = find_window(dpy, QUESTION)
            if question:
                if time.monotonic() - last_press[0] > 2.0:
                    focus(dpy, question)
                    press(dpy, "Return")
                    last_press[0] = time.monotonic()
                return None
            # Restored as unsaved changes: the title carries the mark until the save.
            return find_window(dpy, TITLE + "*")

        try:
            window = wait_for("the restored window", restored)
        except SystemExit:
            print("windows shown then:", sorted(window_titles(dpy)), file=sys.stderr)
            raise
        focus(dpy, window)
        press(dpy, "s", ("Control_L",))
        # A restored file is replaced only on the user's word: the question's default is No, so
        # Tab moves to the other button, Да, and Space presses it.
        question = wait_for("the question before the restored file is replaced",
                            lambda: find_window(dpy, QUESTION))
        focus(dpy, question)
        press(dpy, "Tab")
        press(dpy, "space")
        wait_for("the save", lambda: read_title(document) == typed.encode())
        wait_for("the copy to go", lambda: not copies(state))
        wait_for("the mark to go after the save", lambda: find_window(dpy, TITLE))
        press(dpy, "F4", ("Alt_L",))
        editor.wait(timeout=30)
    finally:
        if editor.poll() is None:
            editor.kill()
            editor.wait()
    if editor.returncode != 0:
        raise SystemExit(f"{kill_signal.name}: the restored editor ended with {editor.returncode}")

    # After a normal save and close: nothing left, nothing asked.
    editor = subprocess.Popen([binary, document], env=env)
    try:
        window = wait_for("the window", lambda: find_window(dpy, TITLE))
        time.sleep(1.0)
        if find_window(dpy, QUESTION):
            raise SystemExit(f"{kill_signal.name}: a recovery question came after a normal save")
        focus(dpy, window)
        press(dpy, "F4", ("Alt_L",))
        editor.wait(timeout=30)
    finally:
        if editor.poll() is None:
            editor.kill()
            editor.wait()
    if copies(state):
        raise SystemExit(f"{kill_signal.name}: copies left: {copies(state)}")


def main():
    binary, source = sys.argv[1], sys.argv[2]
    dpy = display.Display()
    work_root = tempfile.mkdtemp(prefix="vornak-recovery-e2e-")
    manager = start_window_manager(dpy, dict(os.environ))
    if manager is None:
        raise SystemExit("openbox is not installed (scripts/setup-deps installs it)")
    try:
        for kill_signal in (signal.SIGKILL, signal.SIGTERM):
            work = os.path.join(work_root, kill_signal.name)
            os.makedirs(work)
            run_case(dpy, binary, source, work, kill_signal)
        print("recovery session passed")
    finally:
        manager.terminate()
        manager.wait()
        shutil.rmtree(work_root, ignore_errors=True)


if __name__ == "__main__":
    main()
