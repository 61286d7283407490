"""The toolbar's Contents drop-down: the first twenty pages marked for the contents, sorted
among themselves, with ampersands shown as written; its last item shows the whole contents
page."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find,  # noqa: E402
                           is_menu_item, page_text, run, wait_for)

PAGES = 22  # two more than the drop-down lists
FISH = 5    # the page titled with an ampersand


def title_of(i):
    return "Fish & Chips" if i == FISH else "T%02d" % (PAGES - 1 - i)


def build(work):
    files = {"index.html": "<html><body><h1>Front page</h1></body></html>"}
    manifest = "[book]\nesbn = CONTENTS-DROP-1\ntitle = Drop-down\n\n[contents]\npopup = yes\n\n"
    manifest += "[file:index.html]\ncontents = no\n\n"
    for i in range(PAGES):
        name = "p%02d.html" % i
        files[name] = "<html><body><h1>Body of %s</h1></body></html>" % name
        manifest += "[file:%s]\ncontents = yes\ntitle = %s\n\n" % (name, title_of(i))
    return Book(work, files, manifest)


def open_dropdown(reader):
    button = wait_for(lambda: find(reader.frame(), name="Contents", predicate=lambda a:
                                   a.getRole() in (pyatspi.ROLE_PUSH_BUTTON,
                                                   pyatspi.ROLE_TOGGLE_BUTTON)),
                      "the Contents button")
    click(button)
    last = wait_for(lambda: find(reader.app, name="View As E-Book Page", predicate=is_menu_item,
                                 showing=True), "the Contents drop-down")
    return last.parent


def test():
    with Scratch() as work:
        reader = Reader(build(work), os.path.join(work, "home"))
        try:
            reader.frame()
            wait_for(lambda: "Front page" in page_text(reader.document()), "the first page")

            menu = open_dropdown(reader)
            children = [menu.getChildAtIndex(i) for i in range(menu.childCount)]
            names = [child.name for child in children if is_menu_item(child)]
            listed = sorted(title_of(i) for i in range(20))
            check(names == listed + ["View As E-Book Page"],
                  "the drop-down lists %r" % names)
            roles = [child.getRole() for child in children]
            check(roles.count(pyatspi.ROLE_SEPARATOR) == 1 and
                  roles.index(pyatspi.ROLE_SEPARATOR) == len(roles) - 2,
                  "one separator before the last item, roles %r" % roles)

            click(find(menu, name="Fish & Chips", predicate=is_menu_item))
            wait_for(lambda: "Body of p%02d.html" % FISH in page_text(reader.document()),
                     "the page chosen in the drop-down")

            menu = open_dropdown(reader)
            click(find(menu, name="View As E-Book Page", predicate=is_menu_item))
            text = wait_for(lambda: (lambda t: t if "Table Of Contents" in t else None)(
                page_text(reader.document())), "the contents page")
            for i in range(PAGES):
                check(title_of(i) in text, "the contents page lists %r" % title_of(i))
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
