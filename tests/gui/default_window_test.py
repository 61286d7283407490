"""A book that says nothing about its window opens at a size where every toolbar button
shows with its text: none of them is pushed behind the toolbar's overflow arrow, all of
them have one size (as wide as the widest, as high as the highest), the search box shows
after them, and the window fits on the screen."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, find, find_all, has_state, run,  # noqa: E402
                           wait_for)

# No [window] and no [toolbar]: every button, with its text.
MANIFEST = """[book]
esbn = DEFAULT-WINDOW-1
title = Default Window
"""
PAGE = "<html><head><title>Start</title></head><body><h1>Start</h1></body></html>"
# Back forward stop refresh home search contents copy find size print about.
BUTTONS = 12


def extents(acc):
    return acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)


def screen_size():
    import gi
    gi.require_version("Gdk", "3.0")
    from gi.repository import Gdk
    geometry = Gdk.Display.get_default().get_monitor(0).get_geometry()
    return geometry.width, geometry.height


def toolbar_buttons(frame):
    toolbar = find_all(frame, role=pyatspi.ROLE_TOOL_BAR)
    check(len(toolbar) == 1, "one toolbar, found %d" % len(toolbar))
    return [b for b in find_all(toolbar[0], roles=(pyatspi.ROLE_PUSH_BUTTON,
                                                   pyatspi.ROLE_TOGGLE_BUTTON))
            if b.name], toolbar[0]


def test():
    with Scratch() as work:
        book = Book(work, {"index.html": PAGE}, MANIFEST)
        home = os.path.join(work, "home")
        reader = Reader(book, home)
        try:
            frame = reader.frame()
            # The window has its size once the page shows in it.
            wait_for(lambda: reader.document(), "the start page")

            def all_placed():
                buttons, bar = toolbar_buttons(frame)
                if len(buttons) < BUTTONS:
                    return None
                return buttons, bar
            buttons, bar = wait_for(all_placed, "the toolbar's buttons")
            window = extents(frame)
            bar_box = extents(bar)
            hidden = [b.name for b in buttons if not has_state(b, pyatspi.STATE_SHOWING)]
            widths = [extents(b).width for b in buttons]
            heights = [extents(b).height for b in buttons]
            print("window %dx%d, toolbar %d wide, buttons %s" % (
                window.width, window.height, bar_box.width, widths), file=sys.stderr)
            check(not hidden, "buttons in the overflow: %s" % hidden)
            box = find(bar, role=pyatspi.ROLE_TEXT, name="Search this E-Book", showing=True)
            check(box is not None, "the search box is in the overflow")
            inside = extents(box)
            check(inside.x + inside.width <= window.x + window.width,
                  "the search box lies outside the window")
            check(len(set(widths)) == 1 and len(set(heights)) == 1,
                  "buttons of one size: widths %s, heights %s" % (widths, heights))
            for b in buttons:
                box = extents(b)
                check(box.x >= window.x and box.x + box.width <= window.x + window.width,
                      "%s lies outside the window" % b.name)
            screen = screen_size()
            check(window.width <= screen[0] and window.height <= screen[1],
                  "the window (%dx%d) is larger than the screen (%dx%d)" % (
                      window.width, window.height, screen[0], screen[1]))
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
