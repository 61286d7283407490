"""Finding on the page: Edit > Find opens the bar over the page, typing counts and
highlights the matches, Next moves to the following one, and Esc closes the bar."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find, has_state,  # noqa: E402
                           page_text, press_key, run, set_entry_text, text_of, wait_for)

MANIFEST = "[book]\nesbn = FIND-1\ntitle = Finding\n"
PAGE = ("<html><body><h1>Orchard</h1><p id=p>An apple, a pear, another Apple and a last "
        "apple.</p></body></html>")


def selection_in_paragraph(reader):
    paragraph = find(reader.document(), predicate=lambda a: text_of(a).startswith("An apple"))
    text = paragraph.queryText()
    if text.getNSelections() == 0:
        return None
    return text.getSelection(0)


def test():
    with Scratch() as work:
        reader = Reader(Book(work, {"index.html": PAGE}, MANIFEST), os.path.join(work, "home"))
        try:
            reader.frame()
            wait_for(lambda: "Orchard" in page_text(reader.document()), "the page")
            reader.choose_menu("Edit", "Find (on this page)...")
            entry = wait_for(lambda: find(reader.frame(), role=pyatspi.ROLE_ENTRY, showing=True)
                             or find(reader.frame(), role=pyatspi.ROLE_TEXT, showing=True),
                             "the find bar's entry")
            set_entry_text(entry, "apple")
            wait_for(lambda: find(reader.frame(), role=pyatspi.ROLE_LABEL, name="3 matches",
                                  showing=True), "3 matches counted")
            first = wait_for(lambda: selection_in_paragraph(reader), "the first match selected")
            check(first[1] - first[0] == 5, "the selection is %r" % (first,))

            click(wait_for(lambda: find(reader.frame(), role=pyatspi.ROLE_PUSH_BUTTON,
                                        name="Next", showing=True), "Next"))
            wait_for(lambda: (lambda s: s if s and s[0] > first[0] else None)(
                selection_in_paragraph(reader)), "the next match selected")

            case = find(reader.frame(), role=pyatspi.ROLE_CHECK_BOX, name="Match case",
                        showing=True)
            click(case)
            wait_for(lambda: find(reader.frame(), role=pyatspi.ROLE_LABEL, name="2 matches",
                                  showing=True), "2 matches with the case matched")

            press_key("Escape")
            wait_for(lambda: not has_state(entry, pyatspi.STATE_SHOWING), "the bar to close")
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
