"""History follows the pages: links that run commands add no step of their own, Back
after one returns to the page before at once, ##BACK and ##FORWARD go where Back and
Forward go (also on a page a command made), Back and Forward are offered only when there
is a page to go to, and a search's highlight stays on the page opened from the results."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, do_action, find,  # noqa: E402
                           find_all, has_state, page_text, run, user_click, wait_for)

INDEX = ("<html><head><title>Start</title></head><body><h1>Start page</h1>"
         "<p>A quokka sits on the start page.</p>"
         "<p><a href=\"##SET('x','1')\">Set only</a> <a href=\"#!show.txt\">Show</a> "
         "<a href=\"##FORWARD\">Go forward</a> "
         "<a href=\"##SEARCH('quokka')\">Search quokka</a></p></body></html>")
SECOND = ("<html><head><title>Second</title></head><body><h1>Second page</h1>"
          "<p>The quokka lives here.</p>"
          "<p><a href=\"##TOC\">Contents</a> <a href=\"##BACK\">Go back</a></p></body></html>")
SHOW = ("DISPLAY('<html><body><h1>Shown page</h1><p><a href=\"##BACK\">Back from shown</a> "
        "<a href=\"##FORWARD\">Forward from shown</a> <a href=second.html>Second</a></p>"
        "</body></html>')\n")
MANIFEST = """[book]
esbn = HISTORY-1
title = History Book

[file:show.txt]
searchable = no
contents = no
"""


class History:
    def __init__(self, reader):
        self.reader = reader

    def on(self, text):
        wait_for(lambda: text in page_text(self.reader.document()), repr(text))

    def follow(self, name):
        link = wait_for(lambda: find(self.reader.document(), role=pyatspi.ROLE_LINK, name=name),
                        "the link " + repr(name))
        do_action(link, "jump", "click", "press", "activate")

    def go(self, item):
        click(self.reader.menu_item("Go", item))

    def offered(self):
        return tuple(has_state(self.reader.menu_item("Go", item), pyatspi.STATE_SENSITIVE)
                     for item in ("Back", "Forward"))

    def expect_offered(self, back, forward, what):
        wait_for(lambda: self.offered() == (back, forward),
                 "Back %s and Forward %s %s" % (("offered" if back else "greyed"),
                                                ("offered" if forward else "greyed"), what))

    def selections(self):
        found = []
        for acc in find_all(self.reader.document()):
            try:
                text = acc.queryText()
                for i in range(text.getNSelections()):
                    start, end = text.getSelection(i)
                    found.append(text.getText(start, end))
            except Exception:
                pass
        return found


def test():
    with Scratch() as work:
        book = Book(work, {"index.html": INDEX, "second.html": SECOND, "show.txt": SHOW},
                    MANIFEST)
        reader = Reader(book, os.path.join(work, "home"))
        try:
            h = History(reader)
            reader.frame()
            h.on("Start page")
            h.expect_offered(False, False, "on the first page")
            h.follow("Set only")
            h.follow("Go forward")  # nothing ahead: stays
            h.on("Start page")
            h.expect_offered(False, False, "after links that loaded nothing")

            h.follow("Show")
            h.on("Shown page")
            h.expect_offered(True, False, "on a page a script made")
            h.follow("Back from shown")
            h.on("Start page")
            h.expect_offered(False, True, "back on the first page")
            h.follow("Go forward")
            h.on("Shown page")
            h.follow("Second")
            h.on("Second page")
            h.go("Back")
            h.on("Shown page")
            h.follow("Forward from shown")
            h.on("Second page")

            h.follow("Contents")
            h.on("Table Of Contents")
            h.go("Back")
            h.on("Second page")
            h.expect_offered(True, True, "after Back from the contents")
            h.go("Forward")
            h.on("Table Of Contents")
            h.go("Back")
            h.on("Second page")
            h.follow("Go back")
            h.on("Shown page")
            h.go("Back")
            h.on("Start page")

            # The search word is highlighted on the page opened from the results only.
            h.follow("Search quokka")
            h.on("Search Results")
            user_click(wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_LINK,
                                             name="Second"), "the result"))
            h.on("Second page")
            wait_for(lambda: "quokka" in h.selections(), "the word highlighted on the result")
            for item, text in (("Back", "Search Results"), ("Back", "Start page"),
                               ("Forward", "Search Results"), ("Forward", "Second page")):
                h.go(item)
                h.on(text)
                # The page is the one asked for; a highlight would come with its load.
                wait_for(lambda: not has_state(reader.document(), pyatspi.STATE_BUSY),
                         "the page loaded")
                check(h.selections() == [],
                      "%s to %r shows a highlight: %r" % (item, text, h.selections()))
            h.expect_offered(True, False, "at the end of the history")
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
