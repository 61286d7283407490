"""Searching a UTF-8 book written in French and Russian from the search dialog: a word
typed in lower case finds the page that writes it in capitals and the other way round, the
results show the text around the hit, and the Case Sensitive box still tells them apart."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find, has_state,  # noqa: E402
                           page_text, run, set_entry_text, wait_for)

MANIFEST = """[book]
esbn = SEARCH-LANGUAGES
title = Langues
[file:index.html]
title = Start
[file:ete.html]
title = Summer
[file:moscow.html]
title = Moscow
"""
FILES = {name: text.encode("utf-8") for name, text in {
    "index.html": "<html><body><h1>Start page</h1></body></html>",
    "ete.html": "<html><body><h1>Paris</h1><p>L'&Eacute;T&Eacute; \u00c0 PARIS, au soleil."
                "</p></body></html>",
    "moscow.html": "<html><body><h1>\u0413\u043e\u0440\u043e\u0434</h1><p>\u043c\u043e\u0441"
                   "\u043a\u0432\u0430 \u2014 \u0441\u0442\u043e\u043b\u0438\u0446\u0430</p>"
                   "</body></html>",
}.items()}


def search(reader, words, case_sensitive=False):
    """Runs a search from the Go menu, starting on the start page; returns the text the
    results page shows and the page as the reader wrote it."""
    reader.choose_menu("Go", "Home")
    wait_for(lambda: "Start page" in page_text(reader.document()), "the start page")
    reader.choose_menu("Go", "Search this E-Book...")
    dialog = reader.dialog("Search")
    entry = wait_for(lambda: find(dialog, role=pyatspi.ROLE_TEXT), "the search entry")
    ok = wait_for(lambda: find(dialog, role=pyatspi.ROLE_PUSH_BUTTON, name="OK"), "OK")
    if case_sensitive:
        box = find(dialog, role=pyatspi.ROLE_CHECK_BOX, name="Case Sensitive")
        click(box)
        wait_for(lambda: has_state(box, pyatspi.STATE_CHECKED), "the box checked")
    set_entry_text(entry, words)
    wait_for(lambda: has_state(ok, pyatspi.STATE_SENSITIVE), "OK enabled")
    click(ok)
    written = os.path.join(reader.book_folder("SEARCH-LANGUAGES"), "__search.html")

    def results():
        # The page first: once the new results show, the file is written already.
        text = page_text(reader.document())
        with open(written, encoding="utf-8") as f:
            html = f.read()
        ready = "Searching for <B>" + words + "</B>" in html and "Search Results" in text
        return (text, html) if ready else None

    return wait_for(results, "the results for " + words)


def test():
    with Scratch() as work:
        book = Book(work, FILES, MANIFEST)
        reader = Reader(book, os.path.join(work, "home"))
        try:
            reader.frame()
            text, html = search(reader, "\u00e9t\u00e9")  # été
            check("Summer" in text and "Moscow" not in text, "été: " + text)
            check("L'\u00c9T\u00c9 \u00c0 PARIS" in text, "the excerpt of the hit: " + text)
            check("L'<B>\u00c9T\u00c9</B>" in html, "the hit marked: " + html)

            text, html = search(reader, "\u041c\u041e\u0421\u041a\u0412\u0410")  # МОСКВА
            check("Moscow" in text and "Summer" not in text, "МОСКВА: " + text)

            text, html = search(reader, "\u00e9t\u00e9", case_sensitive=True)
            check("no matching documents" in html and "Summer" not in text,
                  "case-sensitive été: " + html)
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
