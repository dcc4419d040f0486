# SPDX-License-Identifier: MIT
"""Closes a program's top-level window the way a window manager does when the user clicks the
close button (a WM_DELETE_WINDOW message), on an X server that has no window manager.

Usage: close_window.py TITLE SECONDS [FINAL_TITLE]
Waits until a window with that title is mapped and, when FINAL_TITLE is given, until its title
has become that; then asks it to close, and waits until it is unmapped or destroyed. Exit status
0 when all that happens within SECONDS, 1 otherwise.
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


def is_mapped_with_title(screen_display, window, titles):
    try:
        mapped = window.get_attributes().map_state == X.IsViewable
        return mapped and title_of(screen_display, window) in titles
    except error.BadWindow:  # destroyed while we looked
        return False


def next_event_before(screen_display, deadline):
    """The next event, or None when the deadline passes first."""
    while not screen_display.pending_events():
        remaining = deadline - time.monotonic()
        if remaining <= 0:
            return None
        select.select([screen_display], [], [], remaining)
    return screen_display.next_event()


def wait_for_window(screen_display, titles, deadline):
    root = screen_display.screen().root
    # Listen before looking, so a window mapped in between is not missed. This also reports
    # when a top-level window is unmapped or destroyed.
    root.change_attributes(event_mask=X.SubstructureNotifyMask)
    for window in root.query_tree().children:
        if is_mapped_with_title(screen_display, window, titles):
            return window
    while (notice := next_event_before(screen_display, deadline)) is not None:
        if notice.type == X.MapNotify and is_mapped_with_title(screen_display, notice.window, titles):
            return notice.window
    return None


def wait_for_title(screen_display, window, title, deadline):
    window.change_attributes(event_mask=X.PropertyChangeMask | X.StructureNotifyMask)
    while title_of(screen_display, window) != title:
        if next_event_before(screen_display, deadline) is None:
            return False
    return True


def ask_to_close(screen_display, window):
    delete = screen_display.intern_atom("WM_DELETE_WINDOW")
    if delete not in (window.get_wm_protocols() or []):
        raise SystemExit("the window does not take WM_DELETE_WINDOW")
    message = event.ClientMessage(
        window=window,
        client_type=screen_display.intern_atom("WM_PROTOCOLS"),
        data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(message, event_mask=X.NoEventMask)
    # A round trip, not just a flush: the server may drop requests it has not yet read from a
    # client that disconnects, and this script ends soon after.
    screen_display.sync()


def wait_until_gone(screen_display, window, deadline):
    while (notice := next_event_before(screen_display, deadline)) is not None:
        if notice.type in (X.UnmapNotify, X.DestroyNotify) and notice.window == window:
            return True
    return False


def main():
    title, seconds = sys.argv[1], float(sys.argv[2])
    final_title = sys.argv[3] if len(sys.argv) > 3 else title
    deadline = time.monotonic() + seconds
    screen_display = display.Display()
    window = wait_for_window(screen_display, {title, final_title}, deadline)
    if window is None:
        print(f"no window titled {title!r} was mapped within {seconds:g} s", file=sys.stderr)
        return 1
    if not wait_for_title(screen_display, window, final_title, deadline):
        print(f"the window's title never became {final_title!r}", file=sys.stderr)
        return 1
    print(f"window {final_title!r} mapped (0x{window.id:x}); closing it")
    ask_to_close(screen_display, window)
    if not wait_until_gone(screen_display, window, deadline):
        print(f"the window was still there after {seconds:g} s", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
