"""The five font sizes: the View menu's commands and the toolbar's Size drop-down change
the page's text size and move the one check mark; in both they are radio items, one
choice of five."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, TestFailure, check, click, find,  # noqa: E402
                           find_all, has_state, is_menu_item, run, wait_for)

MANIFEST = """[book]
esbn = FONTS-1
title = Font Sizes
"""
PAGE = "<html><body><h1 id=t>Sizing heading</h1><p>Some words of the page.</p></body></html>"

SIZES = ["Largest", "Larger", "Medium", "Smaller", "Smallest"]


def heading_height(reader):
    heading = wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_HEADING),
                       "the page's heading")
    return heading.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).height


def checked_sizes(reader):
    fonts = reader.menu_item("View", "Fonts")
    items = [find(fonts, name=size, predicate=is_menu_item, depth=3) for size in SIZES]
    return [size for size, item in zip(SIZES, items) if has_state(item, pyatspi.STATE_CHECKED)]


def check_radio(items, where):
    roles = [item.getRole() for item in items]
    check(roles == [pyatspi.ROLE_RADIO_MENU_ITEM] * len(SIZES),
          "the sizes %s are radio items: %r" % (where, [str(r) for r in roles]))


def test():
    with Scratch() as work:
        book = Book(work, {"index.html": PAGE}, MANIFEST)
        reader = Reader(book, os.path.join(work, "home"))
        try:
            reader.frame()
            medium = wait_for(lambda: heading_height(reader), "the heading's size")
            check(checked_sizes(reader) == ["Medium"],
                  "after start-up the checked size is %r" % checked_sizes(reader))
            fonts = reader.menu_item("View", "Fonts")
            check_radio([find(fonts, name=size, predicate=is_menu_item, depth=3)
                         for size in SIZES], "of View > Fonts")

            click(reader.menu_item("View", "Fonts", "Smallest"))
            smallest = wait_for(lambda: (lambda h: h if h < medium else None)(
                heading_height(reader)), "a smaller heading")
            wait_for(lambda: checked_sizes(reader) == ["Smallest"],
                     "the check mark on Smallest only")

            click(reader.menu_item("View", "Fonts", "Largest"))
            wait_for(lambda: heading_height(reader) > medium, "a larger heading")
            wait_for(lambda: checked_sizes(reader) == ["Largest"],
                     "the check mark on Largest only")

            # The Size drop-down of the toolbar shows the same check mark and sets the size.
            size_button = wait_for(
                lambda: find(reader.frame(), name="Size", predicate=lambda a: a.getRole() in (
                    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON)),
                "the Size button")
            click(size_button)
            popup = wait_for(lambda: find(reader.app, name="Smallest", predicate=is_menu_item,
                                          showing=True).parent, "the Size drop-down")
            items = {size: find(popup, name=size, predicate=is_menu_item) for size in SIZES}
            check_radio([items[size] for size in SIZES], "of the Size drop-down")
            checked = [s for s in SIZES if has_state(items[s], pyatspi.STATE_CHECKED)]
            check(checked == ["Largest"], "the drop-down checks %r" % checked)
            click(items["Smallest"])
            wait_for(lambda: heading_height(reader) == smallest, "the smallest heading again")
            wait_for(lambda: checked_sizes(reader) == ["Smallest"],
                     "the check mark back on Smallest")
            # Choosing the size already chosen keeps it.
            click(reader.menu_item("View", "Fonts", "Smallest"))
            click(reader.menu_item("View", "Fonts", "Medium"))
            wait_for(lambda: heading_height(reader) == medium, "the medium heading again")
            wait_for(lambda: checked_sizes(reader) == ["Medium"], "the check mark on Medium")
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
