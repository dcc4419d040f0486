# SPDX-License-Identifier: MIT
"""Waits until a top-level window with the given title is mapped, then asks it to close the way a
window manager does when the user clicks the close button: a WM_DELETE_WINDOW client message.

Usage: close_window.py TITLE SECONDS   (exit status 0 once the message is sent, 1 on time-out)
"""
import select
import sys
import time

from Xlib import X, Xatom, display, error
from Xlib.protocol import event


def title_of(screen_display, window):
    utf8 = screen_display.intern_atom("UTF8_STRING")
    for name, kind in (("_NET_WM_NAME", utf8), ("WM_NAME", Xatom.STRING)):
        prop = window.get_full_property(screen_display.intern_atom(name), kind)
        if prop is not None:
            value = prop.value
            return value.decode("utf-8", "replace") if isinstance(value, bytes) else value
    return None


def is_mapped_with_title(screen_display, window, title):
    try:
        mapped = window.get_attributes().map_state == X.IsViewable
        return mapped and title_of(screen_display, window) == title
    except error.BadWindow:  # destroyed while we looked
        return False


def wait_for_window(screen_display, title, seconds):
    root = screen_display.screen().root
    # Listen before looking, so a window mapped in between is not missed.
    root.change_attributes(event_mask=X.SubstructureNotifyMask)
    for window in root.query_tree().children:
        if is_mapped_with_title(screen_display, window, title):
            return window
    deadline = time.monotonic() + seconds
    while True:
        while screen_display.pending_events():
            notice = screen_display.next_event()
            if notice.type == X.MapNotify and is_mapped_with_title(screen_display, notice.window, title):
                return notice.window
        remaining = deadline - time.monotonic()
        if remaining <= 0:
            return None
        select.select([screen_display], [], [], remaining)


def ask_to_close(screen_display, window):
    protocols = screen_display.intern_atom("WM_PROTOCOLS")
    delete = screen_display.intern_atom("WM_DELETE_WINDOW")
    if delete not in (window.get_wm_protocols() or []):
        raise SystemExit("the window does not take WM_DELETE_WINDOW")
    message = event.ClientMessage(
        window=window, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(message, event_mask=X.NoEventMask)
    screen_display.flush()


def main():
    title, seconds = sys.argv[1], float(sys.argv[2])
    screen_display = display.Display()
    window = wait_for_window(screen_display, title, seconds)
    if window is None:
        print(f"no window titled {title!r} was mapped within {seconds:g} s", file=sys.stderr)
        return 1
    print(f"window {title!r} mapped (0x{window.id:x}); asking it to close")
    ask_to_close(screen_display, window)
    return 0


if __name__ == "__main__":
    sys.exit(main())
