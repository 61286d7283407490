"""After the reader navigates, the page has the keyboard: a page chosen from the toolbar's
Contents drop-down, the start page from the Home button, a search result page from the
search dialog and the page before from the Back button each scroll with Page Down at once,
although a toolbar button or a dialog had the focus."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, click, find, has_state,  # noqa: E402
                           is_menu_item, page_text, press_key, run, set_entry_text, user_click,
                           wait_for)


def long_page(name, title):
    # Scrolling writes a line at the page's top, which the accessibility bus reads.
    return ("<html><head><title>%s</title></head><body><h1>%s page</h1>"
            "<p id=note></p><p>The pelican flies here.</p><div style='height:5000px'></div>"
            "<script>addEventListener('scroll', function () {"
            " document.getElementById('note').textContent = 'Scrolled %s'; });</script>"
            "</body></html>" % (title, title, name))


def toolbar_button(reader, name):
    return wait_for(lambda: find(reader.frame(), name=name, showing=True,
                                 predicate=lambda a: a.getRole() in (
                                     pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON)),
                    "the toolbar's " + name)


def scrolls_with_page_down(reader, name):
    wait_for(lambda: "%s page" % name.capitalize() in page_text(reader.document()),
             "the %s page" % name)
    wait_for(lambda: not has_state(reader.document(), pyatspi.STATE_BUSY), "it loaded")
    press_key("Page_Down")
    wait_for(lambda: "Scrolled " + name in page_text(reader.document()),
             "Page Down to scroll the %s page" % name)


def test():
    with Scratch() as work:
        book = Book(work, {"index.html": long_page("start", "Start"),
                           "chapter.html": long_page("chapter", "Chapter")},
                    "[book]\nesbn = GUI-FOCUS-1\ntitle = Focus\n[contents]\npopup = yes\n")
        reader = Reader(book, os.path.join(work, "home"))
        try:
            reader.frame()
            scrolls_with_page_down(reader, "start")

            user_click(toolbar_button(reader, "Contents"))
            item = wait_for(lambda: find(reader.app, name="Chapter", predicate=is_menu_item,
                                         showing=True), "the drop-down's Chapter")
            click(item)
            scrolls_with_page_down(reader, "chapter")

            user_click(toolbar_button(reader, "Home"))
            scrolls_with_page_down(reader, "start")

            user_click(toolbar_button(reader, "Search"))
            dialog = reader.dialog("Search")
            entry = wait_for(lambda: find(dialog, role=pyatspi.ROLE_TEXT, showing=True)
                             or find(dialog, role=pyatspi.ROLE_ENTRY, showing=True),
                             "the search words")
            set_entry_text(entry, "pelican")
            user_click(wait_for(lambda: find(dialog, role=pyatspi.ROLE_PUSH_BUTTON, name="OK"),
                                "OK"))
            wait_for(lambda: "Search Results" in page_text(reader.document()), "the results")
            result = wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_LINK,
                                           name="Chapter"), "the result")
            # The results page is too short to scroll: Tab moves to its link, and Enter
            # follows it.
            wait_for(lambda: not has_state(reader.document(), pyatspi.STATE_BUSY), "it loaded")
            press_key("Tab")
            wait_for(lambda: has_state(result, pyatspi.STATE_FOCUSED), "Tab to reach the result")
            press_key("Return")
            scrolls_with_page_down(reader, "chapter")

            user_click(toolbar_button(reader, "Back"))
            wait_for(lambda: "Search Results" in page_text(reader.document()), "the results")
            user_click(toolbar_button(reader, "Back"))
            scrolls_with_page_down(reader, "start")
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
