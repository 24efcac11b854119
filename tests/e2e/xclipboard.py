"""The X clipboard from Python, as another program uses it: owning the CLIPBOARD selection and
serving its text to whoever asks (the editor's Ctrl+V), and asking the owner for its text (after the
editor's Ctrl+C). Small transfers only (no INCR), which is all a few table rows need."""

import select
import threading
import time

from Xlib import X, Xatom, display
from Xlib.protocol import event


class ClipboardOwner:
    """Owns the clipboard and hands out the given data, keyed by target name, until stopped or until
    another program takes the clipboard over."""

    def __init__(self, data):
        self._dpy = display.Display()
        self._window = self._dpy.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        self._clipboard = self._dpy.intern_atom("CLIPBOARD")
        self._targets = self._dpy.intern_atom("TARGETS")
        self._data = {self._dpy.intern_atom(name): value for name, value in data.items()}
        self.served = []
        self._stop = threading.Event()
        self._window.set_selection_owner(self._clipboard, X.CurrentTime)
        self._dpy.flush()
        if self._dpy.get_selection_owner(self._clipboard) != self._window:
            raise SystemExit("could not take the clipboard")
        self._thread = threading.Thread(target=self._serve, daemon=True)
        self._thread.start()

    def _serve(self):
        while not self._stop.is_set():
            if not self._dpy.pending_events():
                select.select([self._dpy.fileno()], [], [], 0.05)
                continue
            e = self._dpy.next_event()
            if e.type == X.SelectionClear:
                break
            if e.type != X.SelectionRequest:
                continue
            prop = e.property if e.property != X.NONE else e.target
            if e.target == self._targets:
                atoms = [self._targets] + list(self._data)
                e.requestor.change_property(prop, Xatom.ATOM, 32, atoms)
            elif e.target in self._data:
                e.requestor.change_property(prop, e.target, 8, self._data[e.target])
                self.served.append(self._dpy.get_atom_name(e.target))
            else:
                prop = X.NONE
            reply = event.SelectionNotify(time=e.time, requestor=e.requestor, selection=e.selection,
                                          target=e.target, property=prop)
            e.requestor.send_event(reply, event_mask=0)
            self._dpy.flush()

    def stop(self):
        self._stop.set()
        self._thread.join(timeout=5)
        self._dpy.close()


def text_of_clipboard(target="UTF8_STRING", limit=10.0):
    """The clipboard's content as the given target (bytes), or None when its owner has none."""
    dpy = display.Display()
    try:
        window = dpy.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        clipboard = dpy.intern_atom("CLIPBOARD")
        wanted = dpy.intern_atom(target)
        prop = dpy.intern_atom("VORNAK_TEST_CLIPBOARD")
        window.convert_selection(clipboard, wanted, prop, X.CurrentTime)
        dpy.flush()
        deadline = time.monotonic() + limit
        while time.monotonic() < deadline:
            if not dpy.pending_events():
                select.select([dpy.fileno()], [], [], 0.05)
                continue
            e = dpy.next_event()
            if e.type != X.SelectionNotify:
                continue
            if e.property == X.NONE:
                return None
            value = window.get_full_property(prop, X.AnyPropertyType)
            if value is None:
                return None
            data = value.value
            return data if isinstance(data, bytes) else bytes(data)
        raise SystemExit(f"the clipboard's owner did not answer within {limit:.0f} s")
    finally:
        dpy.close()
