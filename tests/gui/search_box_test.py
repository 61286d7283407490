"""The search box on the toolbar: Ctrl+K puts the focus in it, Enter searches the book as
the dialog does and shows the results page; Ctrl+S, the search's own key, moves the focus
there too, while Go > Search this E-Book... still asks with the dialog. A book that hides
its toolbar has no box: Ctrl+K and Ctrl+S ask with the dialog instead."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find, has_state,  # noqa: E402
                           press_combination, press_key, run, set_entry_text, text_of,
                           user_click, wait_for)

MANIFEST = """[book]
esbn = GUI-SEARCHBOX-1
title = Search Box Book
[toolbar]
texts = no
[file:index.html]
title = Start
[file:far.html]
title = Far Page
"""
HIDDEN_TOOLBAR = """[book]
esbn = GUI-SEARCHBOX-2
title = No Toolbar
[toolbar]
show = no
"""
FILES = {
    "index.html": "<html><body><h1>Start page</h1><p>Nothing here.</p></body></html>",
    "far.html": "<html><body><h1>Far away</h1><p>Here lives the Quokka.</p></body></html>",
}


def search_box(reader):
    return find(reader.app, role=pyatspi.ROLE_TEXT, name="Search this E-Book", showing=True)


def focused(acc):
    return acc is not None and has_state(acc, pyatspi.STATE_FOCUSED)


def dialog_shows(reader):
    return find(reader.app, role=pyatspi.ROLE_DIALOG, name="Search", showing=True) is not None


def cancel_dialog(reader):
    dialog = reader.dialog("Search")
    click(wait_for(lambda: find(dialog, role=pyatspi.ROLE_PUSH_BUTTON, name="Cancel"), "Cancel"))
    wait_for(lambda: not dialog_shows(reader), "the dialog to close")


def test():
    with Scratch() as work:
        reader = Reader(Book(os.path.join(work, "one"), FILES, MANIFEST), os.path.join(work, "h"))
        try:
            reader.frame()
            reader.wait_for_page("Start page", "the start page")
            box = wait_for(lambda: search_box(reader), "the search box on the toolbar")

            press_combination("Control_L", "k")
            wait_for(lambda: focused(search_box(reader)), "the focus in the box after Ctrl+K")
            set_entry_text(box, "quokka")
            press_key("Return")
            reader.wait_for_page("Search Results", "the results page")
            result = wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_LINK,
                                           name="Far Page"), "the result's link")
            check(text_of(search_box(reader)) == "quokka", "the box keeps the words")
            check(not dialog_shows(reader), "the box asked with the dialog")

            user_click(result)
            reader.wait_for_page("Here lives", "the page found")
            check(not focused(search_box(reader)), "the box kept the focus")
            press_combination("Control_L", "s")
            wait_for(lambda: focused(search_box(reader)), "the focus in the box after Ctrl+S")
            check(not dialog_shows(reader), "Ctrl+S opened the dialog beside the box")

            # The menu item still asks with the dialog.
            reader.choose_menu("Go", "Search this E-Book...")
            cancel_dialog(reader)
        finally:
            reader.close()

        reader = Reader(Book(os.path.join(work, "two"), FILES, HIDDEN_TOOLBAR),
                        os.path.join(work, "h"))
        try:
            reader.frame()
            reader.wait_for_page("Start page", "the start page")
            check(search_box(reader) is None, "a search box without a toolbar")
            press_combination("Control_L", "k")
            cancel_dialog(reader)
            press_combination("Control_L", "s")
            cancel_dialog(reader)
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
