"""The frame of a book that turns its menu bar off: the caption, the toolbar buttons the
book keeps, "Ready" in the status bar, accelerators (Alt+Left and Alt+Right among them)
that still work without the menu bar, and new windows: a Ctrl-click opens nothing, a
Shift-click opens nothing and says why, a link that targets a new window gets a plain
window of its own."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, do_action, find,  # noqa: E402
                           find_all, mouse, page_text, press_combination, run, wait_for,
                           with_key_held)

REFUSED = ("This link is part of the E-Book, you are not to allowed to open it in a new "
           "window.\n\n(Any links to web sites will automatically be opened in your web "
           "browser if you click them)")

MANIFEST = """[book]
esbn = GUI-FRAME-1
title = Frame Book
[window]
menu-bar = no
[toolbar]
texts = yes
buttons = back forward home contents about
"""

PAGE = ("<html><body><h1>Frame page</h1>"
        "<p><a id=plain href=second.html>Second page</a></p>"
        "<p><a href=popup.html target=_blank>Own window</a></p></body></html>")


def centre(acc):
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x + box.width // 2, box.y + box.height // 2


def frames(reader):
    return find_all(reader.app, role=pyatspi.ROLE_FRAME, showing=True)


def boxes(reader):
    return find_all(reader.app, roles=(pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT), showing=True)


def test():
    with Scratch() as work:
        book = Book(work, {"index.html": PAGE,
                           "second.html": "<html><body>Second body</body></html>",
                           "popup.html": "<html><body>Popup body</body></html>"}, MANIFEST)
        reader = Reader(book, os.path.join(work, "home"))
        try:
            frame = reader.frame()
            check(frame.name == "Frame Book", "caption %r" % frame.name)
            check(find(frame, role=pyatspi.ROLE_MENU_BAR, showing=True) is None,
                  "the book turned the menu bar off")
            buttons = [b.name for b in find_all(frame, role=pyatspi.ROLE_PUSH_BUTTON)
                       if b.name in ("Back", "Forward", "Stop", "Refresh", "Home", "Search",
                                     "Contents", "Copy", "Find", "Size", "Print", "About")]
            check(buttons == ["Back", "Forward", "Home", "Contents", "About"],
                  "toolbar buttons %r" % buttons)
            check(find(frame, role=pyatspi.ROLE_LABEL, name="Ready") is not None,
                  "the status bar says Ready")
            wait_for(lambda: "Frame page" in page_text(reader.document()), "the start page")

            # Ctrl+T still shows the contents without a menu bar.
            mouse(*centre(frame), "abs")
            press_combination("Control_L", "t")
            wait_for(lambda: "Table Of Contents" in page_text(reader.document()),
                     "the contents page from Ctrl+T")
            # So do Alt+Left and Alt+Right, which no menu item carries now.
            reader.walk_history_by_keys("Frame page", "Table Of Contents")
            click(find(frame, role=pyatspi.ROLE_PUSH_BUTTON, name="Back"))
            wait_for(lambda: "Frame page" in page_text(reader.document()), "the start page")
            # Modifier clicks on an ordinary link: Ctrl says nothing, Shift explains.
            link = find(reader.document(), role=pyatspi.ROLE_LINK, name="Second page")
            x, y = centre(link)
            mouse(x, y, "abs")
            with_key_held("Control_L", lambda: mouse(x, y, "b1c"))
            with_key_held("Shift_L", lambda: mouse(x, y, "b1c"))
            box = wait_for(lambda: boxes(reader), "the refusal message")[0]
            labels = [a.name for a in find_all(box, role=pyatspi.ROLE_LABEL)]
            check(REFUSED in labels, "the refusal says %r" % labels)
            check(len(boxes(reader)) == 1, "only the Shift-click showed a message")
            click(find(box, name="OK"))
            wait_for(lambda: not boxes(reader), "the message gone")
            check(len(frames(reader)) == 1, "no second window opened")
            check("Frame page" in page_text(reader.document()), "the page stayed")

            # A link that targets a new window gets one.
            do_action(find(reader.document(), role=pyatspi.ROLE_LINK, name="Own window"),
                      "jump", "click", "press")
            wait_for(lambda: any("Popup body" in page_text(f) for f in frames(reader)),
                     "the page's own window")

        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
