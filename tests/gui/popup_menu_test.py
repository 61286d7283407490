"""Right-clicking a page shows the reader's own menu, greyed as the page allows, whose items
run the window's commands; a book that switches the menu off shows its notice instead."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find, has_state,  # noqa: E402
                           is_menu_item, mouse, page_text, press_key, run, text_of, user_click,
                           wait_for)

PAGE = ("<html><body><h1>Right here</h1><p>Plain words to click on.</p>"
        "<p><a href=second.html>Onward</a></p></body></html>")
SECOND = "<html><body><h1>Right here</h1><p>Second words.</p></body></html>"
ITEMS = ["Back", "Forward", "Copy", "Select All", "Print..."]


def right_click_page(reader):
    wait_for(lambda: "Right here" in page_text(reader.document()), "the page")
    box = reader.document().queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    mouse(box.x + box.width // 2, box.y + box.height // 2, "b3c")


def popup_items(reader):
    def lookup():
        for window in reader.app:
            if window is None or not has_state(window, pyatspi.STATE_SHOWING):
                continue
            items = {name: find(window, name=name, predicate=is_menu_item) for name in ITEMS}
            if all(items.values()):
                return items
        return None
    return wait_for(lookup, "the pop-up menu")


def test_menu_on_first_page(work):
    manifest = "[book]\nesbn = POPUP-1\ntitle = Pop-up\n"
    reader = Reader(Book(os.path.join(work, "on"), {"index.html": PAGE, "second.html": SECOND},
                         manifest),
                    os.path.join(work, "home-on"))
    try:
        reader.frame()
        right_click_page(reader)
        items = popup_items(reader)
        enabled = {n: has_state(i, pyatspi.STATE_SENSITIVE) for n, i in items.items()}
        check(enabled == {"Back": False, "Forward": False, "Copy": False, "Select All": True,
                          "Print...": True}, "on the first page the items are %r" % enabled)
        press_key("Escape")
        wait_for(lambda: not has_state(items["Back"], pyatspi.STATE_SHOWING),
                 "the menu to close")

        # After Select All, Copy is offered.
        click(reader.menu_item("Edit", "Select All"))
        right_click_page(reader)
        items = popup_items(reader)
        wait_for(lambda: has_state(items["Copy"], pyatspi.STATE_SENSITIVE),
                 "Copy enabled with a selection")
        press_key("Escape")
        wait_for(lambda: not has_state(items["Back"], pyatspi.STATE_SHOWING),
                 "the menu to close")

        # Back and Forward of the menu walk the history as the Go menu does.
        user_click(find(reader.document(), role=pyatspi.ROLE_LINK, name="Onward"))
        wait_for(lambda: "Second words" in page_text(reader.document()), "the second page")
        for name, text in (("Back", "Plain words"), ("Forward", "Second words")):
            right_click_page(reader)
            items = popup_items(reader)
            wait_for(lambda: has_state(items[name], pyatspi.STATE_SENSITIVE), name + " enabled")
            click(items[name])
            wait_for(lambda: text in page_text(reader.document()), "the page after " + name)
    finally:
        reader.close()


def test_notice_when_switched_off(work):
    manifest = "[book]\nesbn = POPUP-2\ntitle = No Pop-up\npopup-menu = 0\n"
    reader = Reader(Book(os.path.join(work, "off"), {"index.html": PAGE}, manifest),
                    os.path.join(work, "home-off"))
    try:
        reader.frame()
        right_click_page(reader)
        box = reader.message_box()
        label = wait_for(lambda: find(box, predicate=lambda a: text_of(a) == (
            "The Pop-up Menu is disabled in this E-Book") or a.name == (
            "The Pop-up Menu is disabled in this E-Book")), "the notice's text")
        check(label is not None, "the notice")
        click(wait_for(lambda: find(box, role=pyatspi.ROLE_PUSH_BUTTON, name="OK"), "OK"))
    finally:
        reader.close()


def test():
    from reader_driver import Scratch as _Scratch
    with _Scratch() as work:
        test_menu_on_first_page(work)
        test_notice_when_switched_off(work)


if __name__ == "__main__":
    run(test)
