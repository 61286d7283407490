"""The contents pane: hidden at first, F9 shows it with the book's contents in the contents
page's order and the page shown selected; typing in its filter box narrows the list; the
selection follows links and Back; choosing an entry opens its page; the user's choice to
show it is kept for the next run; and a book whose book.ini asks for the pane opens with
it."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, find, find_all, has_state,  # noqa: E402
                           page_text, press_combination, press_key, run, set_entry_text,
                           user_click, wait_for)

MANIFEST = """[book]
esbn = GUI-PANE-1
title = Pane Book
"""
ASKING = """[book]
esbn = GUI-PANE-2
title = Pane Asked For
[contents]
pane = yes
"""
FILES = {
    "index.html": "<html><head><title>Start</title></head><body><h1>Start heading</h1>"
                  "<p><a href=b.html>To beta</a></p></body></html>",
    "a.html": "<html><head><title>Alpha Page</title></head><body><p>Alpha body</p></body></html>",
    "b.html": "<html><head><title>Beta Page</title></head><body><p>Beta body</p>"
              "<p><a href=c.html>To gamma</a></p></body></html>",
    "c.html": "<html><head><title>Gamma Chapter</title></head><body><p>Gamma body</p></body>"
              "</html>",
}
ALL = ["Alpha Page", "Beta Page", "Gamma Chapter", "Start"]


def pane(reader):
    """The pane's list while it shows, else None."""
    return find(reader.app, roles=(pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TREE,
                                   pyatspi.ROLE_TABLE), name="Contents", showing=True)


def entries(reader):
    tree = pane(reader)
    return [] if tree is None else [c.name for c in find_all(tree, role=pyatspi.ROLE_TABLE_CELL)]


def selected(reader):
    tree = pane(reader)
    if tree is None:
        return None
    cells = find_all(tree, role=pyatspi.ROLE_TABLE_CELL,
                     predicate=lambda c: has_state(c, pyatspi.STATE_SELECTED))
    return cells[0].name if len(cells) == 1 else None


def link(reader, name):
    return wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_LINK, name=name),
                    "the link " + repr(name))


def test():
    with Scratch() as work:
        home = os.path.join(work, "home")
        book = Book(os.path.join(work, "one"), FILES, MANIFEST)
        reader = Reader(book, home)
        try:
            reader.frame()
            reader.wait_for_page("Start heading", "the start page")
            check(pane(reader) is None, "the pane shows before it was asked for")
            item = reader.menu_item("View", "Contents Pane")
            check(not has_state(item, pyatspi.STATE_CHECKED), "Contents Pane checked at first")

            press_key("F9")
            wait_for(lambda: entries(reader) == ALL, "the contents in order in the pane")
            wait_for(lambda: selected(reader) == "Start", "the start page selected")
            check(has_state(reader.menu_item("View", "Contents Pane"), pyatspi.STATE_CHECKED),
                  "Contents Pane checked while the pane shows")

            # F9 put the cursor in the filter box: typing narrows the list; emptying the box
            # gives it all back.
            box = wait_for(lambda: find(reader.app, role=pyatspi.ROLE_TEXT,
                                        name="Filter contents", showing=True), "the filter box")
            wait_for(lambda: has_state(box, pyatspi.STATE_FOCUSED), "the focus in the box")
            for key in "CHAPTER":
                press_key(key)
            wait_for(lambda: entries(reader) == ["Gamma Chapter"], "the list narrowed to one")
            set_entry_text(box, "page")
            wait_for(lambda: entries(reader) == ["Alpha Page", "Beta Page"], "two pages")
            set_entry_text(box, "")
            wait_for(lambda: entries(reader) == ALL, "the whole list again")

            # The selection follows the page shown: links, then Back.
            user_click(link(reader, "To beta"))
            wait_for(lambda: selected(reader) == "Beta Page", "Beta selected after its link")
            user_click(link(reader, "To gamma"))
            wait_for(lambda: selected(reader) == "Gamma Chapter", "Gamma selected")
            press_combination("Alt_L", "Left")
            reader.wait_for_page("Beta body", "the page before after Alt+Left")
            wait_for(lambda: selected(reader) == "Beta Page", "Beta selected after Back")

            # An entry opens its page.
            alpha = wait_for(lambda: find(pane(reader), role=pyatspi.ROLE_TABLE_CELL,
                                          name="Alpha Page"), "the Alpha entry")
            user_click(alpha)
            reader.wait_for_page("Alpha body", "the page chosen in the pane")
            wait_for(lambda: selected(reader) == "Alpha Page", "Alpha selected")
        finally:
            reader.close()

        # The choice is the book's for the next run.
        reader = Reader(book, home)
        try:
            reader.frame()
            wait_for(lambda: entries(reader) == ALL, "the pane shown again after a restart")
            press_key("F9")
            wait_for(lambda: pane(reader) is None, "the pane hidden by F9")
        finally:
            reader.close()
        reader = Reader(book, home)
        try:
            reader.frame()
            reader.wait_for_page("Start heading", "the start page")
            check(pane(reader) is None, "the pane hidden again after the user hid it")
        finally:
            reader.close()

        # A book that asks for the pane opens with it.
        asking = Book(os.path.join(work, "two"), FILES, ASKING)
        reader = Reader(asking, home)
        try:
            reader.frame()
            wait_for(lambda: entries(reader) == ALL, "the pane the book asks for")
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
