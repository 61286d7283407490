"""Searching from the Go menu: the dialog's OK button follows the entry, Cancel leaves the
page in place, OK shows the results page, and the page opened from the results shows the
search word highlighted, scrolled into view. The found page's name holds a space and
brackets, which its link keeps as they are."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find, find_all, user_click,  # noqa: E402
                           has_state, page_text, run, set_entry_text, text_of, wait_for)

MANIFEST = """[book]
esbn = SEARCH-1
title = Searching
[file:index.html]
title = Start
[file:far page (1).html]
title = Far Page
"""
FILLER = "".join("<p>Filler line %d of a long page.</p>\n" % i for i in range(300))
FILES = {
    "index.html": "<html><body><h1>Start page</h1><p>Nothing to see.</p></body></html>",
    "far page (1).html": "<html><body><h1>Far away</h1>" + FILLER +
                "<p id=hit>Here lives the Quokka at last.</p></body></html>",
}


def open_search_dialog(reader):
    reader.choose_menu("Go", "Search this E-Book...")
    dialog = reader.dialog("Search")
    entry = wait_for(lambda: find(dialog, role=pyatspi.ROLE_TEXT), "the search entry")
    ok = wait_for(lambda: find(dialog, role=pyatspi.ROLE_PUSH_BUTTON, name="OK"), "OK")
    cancel = wait_for(lambda: find(dialog, role=pyatspi.ROLE_PUSH_BUTTON, name="Cancel"),
                      "Cancel")
    return dialog, entry, ok, cancel


def sensitive(acc):
    return has_state(acc, pyatspi.STATE_SENSITIVE)


def test():
    with Scratch() as work:
        book = Book(work, FILES, MANIFEST)
        reader = Reader(book, os.path.join(work, "home"))
        try:
            reader.frame()
            wait_for(lambda: "Start page" in page_text(reader.document()), "the start page")

            dialog, entry, ok, cancel = open_search_dialog(reader)
            check(find(dialog, name="Enter a word or phrase to search for") is not None,
                  "the dialog's prompt")
            check(find(dialog, role=pyatspi.ROLE_CHECK_BOX, name="Case Sensitive") is not None,
                  "the Case Sensitive box")
            check(not sensitive(ok), "OK is enabled with an empty entry")
            set_entry_text(entry, "quokka")
            wait_for(lambda: sensitive(ok), "OK enabled by text")
            set_entry_text(entry, "")
            wait_for(lambda: not sensitive(ok), "OK greyed again")
            set_entry_text(entry, "   ")
            wait_for(lambda: sensitive(ok), "OK enabled by spaces")
            click(cancel)
            wait_for(lambda: find(reader.app, name="Search", showing=True,
                                  role=pyatspi.ROLE_DIALOG) is None, "the dialog to close")
            check("Start page" in page_text(reader.document()), "Cancel left the page")

            dialog, entry, ok, cancel = open_search_dialog(reader)
            set_entry_text(entry, "quokka")
            wait_for(lambda: sensitive(ok), "OK enabled")
            click(ok)
            wait_for(lambda: "Search Results" in page_text(reader.document()), "the results page")
            link = wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_LINK,
                                         name="Far Page"), "the result's link")
            user_click(link)

            def highlighted():
                hit = find(reader.document(), predicate=lambda a: "Quokka at last" in text_of(a)
                           and a.getRole() != pyatspi.ROLE_DOCUMENT_WEB)
                if hit is None:
                    return None
                text = hit.queryText()
                for i in range(text.getNSelections()):
                    start, end = text.getSelection(i)
                    if text.getText(start, end) == "Quokka":
                        return hit
                return None

            hit = wait_for(highlighted, "the search word selected on the opened page")
            frame = reader.frame().queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            box = hit.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            check(frame.y <= box.y < frame.y + frame.height,
                  "the highlighted word lies outside the window (%d, frame %d+%d)"
                  % (box.y, frame.y, frame.height))
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
