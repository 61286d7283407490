"""The desktop's theme: under a dark theme the menu bar's and status bar's labels stand
out from their background; the find bar draws its own themed background, so its texts
read well over a dark page in light and dark themes; a message box shows the themed
icon of its style."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gi  # noqa: E402

gi.require_version("Gdk", "3.0")
from gi.repository import Gdk  # noqa: E402
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find, mouse,  # noqa: E402
                           page_text, press_combination, run, set_entry_text, wait_for)

MANIFEST = """[book]
esbn = GUI-THEME-1
title = Theme Book
startup-message = Welcome aboard
startup-script = ##MESSAGEBOX2('a','Mind the step?',36)##MESSAGEBOX2('a','Careful now',0)\
##MESSAGEBOX2('a','Something broke',16)
"""
# A page whose top is dark blue, under the find bar.
PAGE = ("<html><body style='margin:0'><div style='background:#000022;color:#ccccdd;"
        "height:200px'><h1>Night header</h1></div><p>lantern</p></body></html>")


def luminance(r, g, b):
    return (0.2126 * r + 0.7152 * g + 0.0722 * b) / 255.0


def contrast(acc):
    """How far the text of `acc` stands out from its background on the screen: the
    luminance difference between the region's commonest colour and the pixel furthest
    from it (0 to 1)."""
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    pixbuf = Gdk.pixbuf_get_from_window(Gdk.get_default_root_window(), box.x, box.y,
                                        box.width, box.height)
    if pixbuf is None:
        return None
    data, stride, channels = pixbuf.get_pixels(), pixbuf.get_rowstride(), pixbuf.get_n_channels()
    counts = {}
    for y in range(pixbuf.get_height()):
        for x in range(pixbuf.get_width()):
            i = y * stride + x * channels
            colour = (data[i], data[i + 1], data[i + 2])
            counts[colour] = counts.get(colour, 0) + 1
    background = luminance(*max(counts, key=counts.get))
    return max(abs(luminance(*colour) - background) for colour in counts)


def shows_page_top(document):
    """Whether the screen shows the page's dark blue top where the find bar will open."""
    box = document.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    pixbuf = Gdk.pixbuf_get_from_window(Gdk.get_default_root_window(),
                                        box.x + box.width - 20, box.y + 10, 1, 1)
    return pixbuf is not None and tuple(pixbuf.get_pixels()[:3]) == (0, 0, 0x22)


def stands_out(acc, what):
    wait_for(lambda: (contrast(acc) or 0) > 0.4, what + " readable", timeout=20)


def open_find_bar(reader, frame):
    box = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    mouse(box.x + box.width // 2, box.y + box.height // 2, "abs")
    press_combination("Control_L", "f")
    entry = wait_for(lambda: find(frame, role=pyatspi.ROLE_ENTRY, showing=True)
                     or find(frame, role=pyatspi.ROLE_TEXT, showing=True), "the find bar")
    set_entry_text(entry, "lantern")
    return wait_for(lambda: find(frame, role=pyatspi.ROLE_LABEL, name="1 of 1", showing=True),
                    "the find bar's count")


def read_in_theme(work, theme, check_bars):
    book = Book(os.path.join(work, theme.replace(":", "-")), {"index.html": PAGE}, MANIFEST)
    reader = Reader(book, os.path.join(work, "home-" + theme.replace(":", "-")),
                    {"GTK_THEME": theme})
    try:
        # The start-up message informs; the script asks, warns (its style's default icon) and
        # reports an error.
        for text, style, button in (("Welcome aboard", "Information", "OK"),
                                    ("Mind the step?", "Question", "Yes"),
                                    ("Careful now", "Warning", "OK"),
                                    ("Something broke", "Error", "OK")):
            box = wait_for(lambda: find(reader.app, roles=(pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT),
                                        showing=True, predicate=lambda b: find(b, name=text)),
                           "the message box " + repr(text))
            icon = wait_for(lambda: find(box, roles=(pyatspi.ROLE_ICON, pyatspi.ROLE_IMAGE),
                                         showing=True), "the message box's icon")
            check(icon.name == style, "%r shows the %r icon" % (text, icon.name))
            click(find(box, role=pyatspi.ROLE_PUSH_BUTTON, name=button))
        frame = reader.frame()
        wait_for(lambda: "Night header" in page_text(reader.document()), "the page")
        wait_for(lambda: shows_page_top(reader.document()), "the page's top on the screen")
        if check_bars:
            bar = find(frame, role=pyatspi.ROLE_MENU_BAR, showing=True)
            stands_out(wait_for(lambda: find(bar, name="File", showing=True), "File"),
                       "the menu bar's File")
            stands_out(wait_for(lambda: find(frame, role=pyatspi.ROLE_LABEL, name="Ready",
                                             showing=True), "Ready"), "the status bar's Ready")
        stands_out(open_find_bar(reader, frame), "the count over the dark page")
    finally:
        reader.close()


def test():
    with Scratch() as work:
        read_in_theme(work, "Adwaita:dark", True)
        read_in_theme(work, "Adwaita", False)


if __name__ == "__main__":
    run(test)
