"""View commands greyed as the book and the page allow: a book without an about page,
searchable pages or contents greys those commands in the menus and on the toolbar (and
Ctrl+I does nothing); Back is greyed on the first page and offered after a link."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, find, has_state,  # noqa: E402
                           page_text, run, user_click, wait_for)

MANIFEST = """[book]
esbn = ENABLING-1
title = Enabling

[toolbar]
buttons = back forward home search contents about

[about]
mode = none

[file:index.html]
searchable = no
contents = no

[file:second.html]
searchable = no
contents = no
"""
FIRST = "<html><body><h1>First page</h1><p><a href=second.html>Second page</a></p></body></html>"
SECOND = "<html><body><h1>Second body</h1></body></html>"


def key_with_control(keysym_name):
    import gi
    gi.require_version("Gdk", "3.0")
    from gi.repository import Gdk
    keymap = Gdk.Keymap.get_for_display(Gdk.Display.get_default())

    def code(name):
        return keymap.get_entries_for_keyval(Gdk.keyval_from_name(name))[1][0].keycode

    control = code("Control_L")
    pyatspi.Registry.generateKeyboardEvent(control, None, pyatspi.KEY_PRESS)
    try:
        pyatspi.Registry.generateKeyboardEvent(code(keysym_name), None,
                                               pyatspi.KEY_PRESSRELEASE)
    finally:
        pyatspi.Registry.generateKeyboardEvent(control, None, pyatspi.KEY_RELEASE)


def button(reader, name):
    return wait_for(lambda: find(reader.frame(), name=name, predicate=lambda a: a.getRole() in (
        pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON)), "the %s button" % name)


def sensitive(acc):
    return has_state(acc, pyatspi.STATE_SENSITIVE)


def test():
    with Scratch() as work:
        book = Book(work, {"index.html": FIRST, "second.html": SECOND}, MANIFEST)
        reader = Reader(book, os.path.join(work, "home"))
        try:
            reader.frame()
            wait_for(lambda: "First page" in page_text(reader.document()), "the first page")
            greyed = {
                "About": reader.menu_item("Help", "About"),
                "Search": reader.menu_item("Go", "Search this E-Book..."),
                "Table Of Contents": reader.menu_item("Go", "Table Of Contents"),
                "Back": reader.menu_item("Go", "Back"),
                "About button": button(reader, "About"),
                "Search button": button(reader, "Search"),
                "Contents button": button(reader, "Contents"),
                "Back button": button(reader, "Back"),
            }
            wrong = [name for name, acc in greyed.items() if sensitive(acc)]
            check(not wrong, "offered although they may not run: %r" % wrong)
            check(sensitive(reader.menu_item("Go", "Home")), "Home is always offered")

            # Ctrl+I finds About greyed and does nothing: the page's link is still there
            # to be followed.
            key_with_control("i")
            link = wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_LINK,
                                         name="Second page"), "the link")
            user_click(link)
            wait_for(lambda: "Second body" in page_text(reader.document()), "the second page")
            wait_for(lambda: sensitive(greyed["Back"]) and sensitive(greyed["Back button"]),
                     "Back offered after following a link")
            check("About" not in page_text(reader.document()), "no about page was shown")
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
