"""Where the reader left off and bookmarks, across restarts: the book opens on its start
page as always (its start-up script runs) and then a bar offers "Continue reading <title>"
for the page last shown, which it opens; the text size comes back; Ctrl+D bookmarks the
page shown and the Bookmarks menu lists, opens and removes bookmarks; Bookmarks > Forget
Where I Left Off keeps neither page nor size for the next run. The reader's one state file
is the user's alone."""

import os
import stat
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from font_sizes_test import checked_sizes  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find, find_all,  # noqa: E402
                           has_state, is_menu_item, press_combination, run, user_click,
                           wait_for)

MANIFEST = """[book]
esbn = GUI-READING-1
title = Reading Book
startup-script = #!start.txt
"""


def files(out):
    return {
        "index.html": "<html><head><title>Start</title></head><body><h1>Start heading</h1>"
                      "<p><a href=chapter.html>To the chapter</a></p></body></html>",
        "chapter.html": "<html><head><title>Chapter Two</title></head><body><p>Chapter body"
                        "</p><p><a href=other.html>Onwards</a></p></body></html>",
        "other.html": "<html><head><title>Other Page</title></head><body><p>Other body</p>"
                      "</body></html>",
        # Each run marks that its start-up script ran.
        "start.txt": "FILEWRITE('ok','%s/started.txt','yes')\n" % out,
    }


def continue_button(reader):
    return find(reader.app, role=pyatspi.ROLE_PUSH_BUTTON, showing=True,
                predicate=lambda b: b.name.startswith("Continue reading"))


def bookmarks(reader):
    """The bookmarks the Bookmarks menu lists, between its two separators."""
    menu = reader.menu_item("Bookmarks")
    items = [i for i in find_all(menu, predicate=lambda a: a.getRole() in (
        pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_SEPARATOR), depth=2) if i is not menu]
    roles = [i.getRole() for i in items]
    first = roles.index(pyatspi.ROLE_SEPARATOR)
    last = len(roles) - 1 - roles[::-1].index(pyatspi.ROLE_SEPARATOR)
    return [i.name for i in items[first + 1:last]]


def start(book, home, out):
    """Starts the book and waits until its start-up script has run: the offer to continue,
    if any, shows from then on."""
    marker = os.path.join(out, "started.txt")
    if os.path.exists(marker):
        os.unlink(marker)
    reader = Reader(book, home)
    reader.frame()
    reader.wait_for_page("Start heading", "the start page")
    wait_for(lambda: os.path.exists(marker), "the start-up script")
    return reader


def test():
    with Scratch() as work:
        out = os.path.join(work, "out")
        os.makedirs(out)
        home = os.path.join(work, "home")
        book = Book(work, files(out), MANIFEST)
        reader = start(book, home, out)
        try:
            check(continue_button(reader) is None, "an offer to continue in the first run")
            check(bookmarks(reader) == ["(No Bookmarks)"], "bookmarks at first: %r"
                  % bookmarks(reader))
            user_click(wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_LINK,
                                             name="To the chapter"), "the link"))
            reader.wait_for_page("Chapter body", "the chapter")
            press_combination("Control_L", "d")
            wait_for(lambda: bookmarks(reader) == ["Chapter Two"], "the chapter bookmarked")
            check(not has_state(reader.menu_item("Bookmarks", "Bookmark This Page"),
                                pyatspi.STATE_SENSITIVE), "a marked page can be marked again")
            user_click(wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_LINK,
                                             name="Onwards"), "the link onwards"))
            reader.wait_for_page("Other body", "the other page")
            press_combination("Control_L", "d")
            wait_for(lambda: bookmarks(reader) == ["Chapter Two", "Other Page"], "two bookmarks")
            reader.choose_menu("View", "Fonts", "Larger")
            wait_for(lambda: checked_sizes(reader) == ["Larger"], "Larger chosen")
        finally:
            reader.close()
        state = os.path.join(home, ".local", "state", "quire", "reading-state")
        mode = os.lstat(state).st_mode
        check(stat.S_ISREG(mode) and stat.S_IMODE(mode) == 0o600,
              "the state file is no owner-only file: %o" % mode)
        check(stat.S_IMODE(os.stat(os.path.dirname(state)).st_mode) == 0o700,
              "the state folder is open to others")

        reader = start(book, home, out)
        try:
            button = wait_for(lambda: continue_button(reader), "the offer to continue")
            check(button.name == "Continue reading Other Page", "the offer: %r" % button.name)
            check(checked_sizes(reader) == ["Larger"], "the size kept: %r" % checked_sizes(reader))
            check(bookmarks(reader) == ["Chapter Two", "Other Page"], "bookmarks kept: %r"
                  % bookmarks(reader))
            click(button)
            reader.wait_for_page("Other body", "the page left off at")
            wait_for(lambda: continue_button(reader) is None, "the offer gone once taken")
            reader.choose_menu("Bookmarks", "Chapter Two")
            reader.wait_for_page("Chapter body", "the bookmarked chapter")
            reader.choose_menu("Bookmarks", "Remove Bookmark", "Other Page")
            wait_for(lambda: bookmarks(reader) == ["Chapter Two"], "a bookmark removed")
            reader.choose_menu("Bookmarks", "Forget Where I Left Off")
            wait_for(lambda: not has_state(reader.menu_item("Bookmarks",
                                                            "Forget Where I Left Off"),
                                           pyatspi.STATE_SENSITIVE), "nothing left to forget")
        finally:
            reader.close()

        reader = start(book, home, out)
        try:
            check(continue_button(reader) is None, "an offer after forgetting")
            check(checked_sizes(reader) == ["Medium"], "a size after forgetting: %r"
                  % checked_sizes(reader))
            check(bookmarks(reader) == ["Chapter Two"], "bookmarks stay: %r" % bookmarks(reader))
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
