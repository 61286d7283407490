"""Menus leave nothing behind: once a menu of the menu bar or the page's own pop-up menu
closes, the page shows again where it covered it, without waiting for the page to change."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gi  # noqa: E402

gi.require_version("Gdk", "3.0")
from gi.repository import Gdk  # noqa: E402
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, find, is_menu_item, mouse,  # noqa: E402
                           press_key, run, wait_for)

MANIFEST = "[book]\nesbn = GUI-REPAINT-1\ntitle = Repaint Book\n"
# Red all over its top, where the menus open; its words lie further down.
PAGE = ("<html><body style='margin:0;padding-top:400px;background:#ff0000'>"
        "<p>Nothing but red above.</p></body></html>")


class Box:
    def __init__(self, x, y, width, height):
        self.x, self.y, self.width, self.height = x, y, width, height


def extents(acc):
    return acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)


def not_red(box):
    """How many sampled pixels of the screen rectangle `box` (x, y, width, height) are not
    the page's red."""
    x, y, width, height = box
    if width <= 0 or height <= 0:
        return 0
    pixbuf = Gdk.pixbuf_get_from_window(Gdk.get_default_root_window(), x, y, width, height)
    data, stride, channels = pixbuf.get_pixels(), pixbuf.get_rowstride(), pixbuf.get_n_channels()
    count = 0
    for row in range(0, height, 3):
        for column in range(0, width, 3):
            i = row * stride + column * channels
            if not (data[i] > 200 and data[i + 1] < 60 and data[i + 2] < 60):
                count += 1
    return count


def covered(document, menu_box):
    """The part of the page's red top that the menu covered."""
    page = extents(document)
    top = max(menu_box.y, page.y)
    bottom = min(menu_box.y + menu_box.height, page.y + 350)
    left = max(menu_box.x, page.x)
    right = min(menu_box.x + menu_box.width, page.x + page.width)
    return left, top, right - left, bottom - top


def open_menu_box(reader, item_name):
    """An item of the open menu that holds `item_name`, and the rectangle its items fill."""
    item = wait_for(lambda: find(reader.app, name=item_name, predicate=is_menu_item,
                                 showing=True), "the menu with " + item_name)

    def items_box():
        boxes = [extents(item.parent.getChildAtIndex(i)) for i in range(item.parent.childCount)]
        boxes = [b for b in boxes if b.width > 0 and b.height > 0]
        if not boxes:
            return None
        left, top = min(b.x for b in boxes), min(b.y for b in boxes)
        right = max(b.x + b.width for b in boxes)
        bottom = max(b.y + b.height for b in boxes)
        return Box(left, top, right - left, bottom - top)
    return item, wait_for(items_box, "the menu's place")


def test():
    with Scratch() as work:
        reader = Reader(Book(work, {"index.html": PAGE}, MANIFEST), os.path.join(work, "home"))
        try:
            reader.frame()
            # Asked for again while it loads: the first document may be an empty one that the
            # page then replaces.
            reader.wait_for_page("Nothing but red", "the page")
            document = reader.document()
            page = extents(document)
            wait_for(lambda: not_red((page.x, page.y, page.width, 350)) == 0,
                     "the red page on the screen")

            # A tall menu of the menu bar, opened with the mouse and closed with Esc.
            reader.choose_menu("Go")
            item, box = open_menu_box(reader, "Table Of Contents")
            region = covered(document, box)
            check(region[2] > 0 and region[3] > 0, "the Go menu covers the page: %r" % (region,))
            press_key("Escape")
            wait_for(lambda: not pyatspi.Accessible.getState(item).contains(
                pyatspi.STATE_SHOWING), "the Go menu to close")
            wait_for(lambda: not_red(region) == 0, "the page where the Go menu was", timeout=10)

            # The page's own pop-up menu.
            mouse(page.x + 40, page.y + 40, "b3c")
            item, box = open_menu_box(reader, "Print...")
            region = covered(document, box)
            press_key("Escape")
            wait_for(lambda: not pyatspi.Accessible.getState(item).contains(
                pyatspi.STATE_SHOWING), "the pop-up menu to close")
            wait_for(lambda: not_red(region) == 0, "the page where the pop-up menu was",
                     timeout=10)
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
