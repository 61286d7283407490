"""The shortcut offer at first start: answering No remembers the answer in KELVRA.INI and
the next start asks nothing. A book that other users could replace (its folder writable
by everybody) gets no offer at all: nothing asked, nothing written."""

import configparser
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find, page_text,  # noqa: E402
                           run, text_of, wait_for)

MANIFEST = """[book]
esbn = OFFER-1
title = Offer Book
shortcut-offer = -1
"""
PAGE = "<html><body><h1>Offered</h1></body></html>"
QUESTION = "Would you like to add a Shortcut to 'Offer Book' to your Desktop?"


def icon_setup(home):
    path = os.path.join(home, ".config", "quire", "KELVRA.INI")
    if not os.path.exists(path):
        return None
    parser = configparser.ConfigParser()
    parser.optionxform = str
    parser.read(path)
    return parser.get("OFFER-1", "IconSetup", fallback=None)


def check_no_offer(reader, home):
    """The book's page shows without a question, and nothing was written for the offer."""
    reader.frame()
    wait_for(lambda: "Offered" in page_text(reader.document()), "the page")
    # The offer comes before the window is shown, so none can come any more.
    check(find(reader.app, roles=(pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT),
               showing=True) is None, "a question was asked")
    check(icon_setup(home) is None, "IconSetup was written")
    check(os.listdir(os.path.join(home, "Desktop")) == [], "a launcher was written")


def test_book_others_could_replace():
    with Scratch() as work:
        shared = os.path.join(work, "shared")
        os.makedirs(shared)
        book = Book(shared, {"index.html": PAGE}, MANIFEST)
        os.chmod(shared, 0o777)
        home = os.path.join(work, "home")
        os.makedirs(os.path.join(home, "Desktop"))
        reader = Reader(book, home)
        try:
            check_no_offer(reader, home)
        finally:
            reader.close()


def test():
    test_book_others_could_replace()
    with Scratch() as work:
        book = Book(work, {"index.html": PAGE}, MANIFEST)
        home = os.path.join(work, "home")
        os.makedirs(os.path.join(home, "Desktop"))

        reader = Reader(book, home)
        try:
            box = reader.message_box()
            wait_for(lambda: find(box, predicate=lambda a: QUESTION in (a.name or "") or
                                  QUESTION in text_of(a)), "the question")
            check(icon_setup(home) is None, "IconSetup was written before the answer")
            click(wait_for(lambda: find(box, role=pyatspi.ROLE_PUSH_BUTTON, name="No"), "No"))
            wait_for(lambda: icon_setup(home) == "1", "IconSetup=1 in KELVRA.INI")
            reader.frame()
            wait_for(lambda: "Offered" in page_text(reader.document()), "the page")
            check(os.listdir(os.path.join(home, "Desktop")) == [], "a launcher was written")
        finally:
            reader.close()

        again = Reader(book, home)
        try:
            again.frame()
            wait_for(lambda: "Offered" in page_text(again.document()), "the page")
            # The offer comes before the window is shown, so none can come any more.
            check(find(again.app, roles=(pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT),
                       showing=True) is None, "the second start asked again")
        finally:
            again.close()


if __name__ == "__main__":
    run(test)
