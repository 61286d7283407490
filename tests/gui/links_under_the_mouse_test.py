"""Links under the mouse. Hovering a link shows where it goes in the status bar (a page of
the book by its path in the book, anything else by its address) and leaving it brings
"Ready" back. Right-clicking a link adds Open Link, Open Link Outside and Copy Link
Address to the reader's menu: Open Link follows it as a click would, through the same
policy (a page shows, a command link of the book's page runs, the same link on a page
from outside the book does not run); Open Link Outside hands the address to the user's
browser; Copy Link Address puts it on the clipboard. Outside is greyed for command links.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find, has_state,  # noqa: E402
                           is_menu_item, mouse, page_text, press_key, run, user_click,
                           wait_for)

LINK_ITEMS = ["Open Link", "Open Link Outside", "Copy Link Address", "Back", "Print..."]


def index_page(out, foreign):
    return ("<html><body><h1>Start page</h1>"
            "<p><a href=\"chapter2.html#intro\">Chapter two</a></p>"
            "<p><a href=\"##FILEWRITE('ok','%s/ran.txt','ran')\">Record</a></p>"
            "<p><a href=\"https://example.org/x?y=1\">Outside</a></p>"
            "<p><a href=\"%s\">Foreign</a></p>"
            "<p style='margin-top:200px'>Nothing here</p></body></html>"
            % (out, "file://" + foreign))


def status(reader):
    label = find(reader.frame(), role=pyatspi.ROLE_LABEL, showing=True,
                 predicate=lambda a: a.name == "Ready" or ".html" in a.name
                 or "example.org" in a.name)
    return label.name if label else None


def centre(acc):
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x + box.width // 2, box.y + box.height // 2


def link(reader, name):
    return wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_LINK, name=name),
                    "the link " + repr(name))


def link_menu(reader, name):
    """Right-clicks the link `name` and returns the menu's items by name."""
    x, y = centre(link(reader, name))
    mouse(x, y, "abs")
    mouse(x, y, "b3c")

    def lookup():
        for window in reader.app:
            if window is None or not has_state(window, pyatspi.STATE_SHOWING):
                continue
            items = {n: find(window, name=n, predicate=is_menu_item) for n in LINK_ITEMS}
            if all(items.values()):
                return items
        return None
    return wait_for(lookup, "the link's menu")


def offered(items):
    return tuple(has_state(items[n], pyatspi.STATE_SENSITIVE) for n in LINK_ITEMS[:3])


def clipboard_text():
    import gi
    gi.require_version("Gtk", "3.0")
    from gi.repository import Gdk, Gtk
    return Gtk.Clipboard.get(Gdk.SELECTION_CLIPBOARD).wait_for_text()


def test():
    with Scratch() as work:
        out = os.path.join(work, "out")
        os.makedirs(out)
        home = os.path.join(work, "home")
        folder = os.path.join(home, "tmp", "quire-%d" % os.getuid(), "GUI-LINKS-2.k9w")
        foreign = os.path.join(work, "foreign.html")
        with open(foreign, "w") as f:
            f.write("<html><body><h1>Foreign page</h1><p><a href=\"file://%s/index.html"
                    "##FILEWRITE('ok','%s/foreign.txt','ran')\">Planted</a></p></body></html>"
                    % (folder, out))
        bin_dir = os.path.join(work, "bin")
        os.makedirs(bin_dir)
        record = os.path.join(work, "opened.txt")
        with open(os.path.join(bin_dir, "xdg-open"), "w") as f:
            f.write("#!/bin/sh\nprintf '%%s\\n' \"$*\" >> '%s'\n" % record)
        os.chmod(os.path.join(bin_dir, "xdg-open"), 0o755)
        book = Book(work, {
            "index.html": index_page(out, foreign),
            "chapter2.html": "<html><body><h1>Chapter two</h1><p id=intro>Intro</p>"
                             "</body></html>",
        }, "[book]\nesbn = GUI-LINKS-2\ntitle = Links\n")
        reader = Reader(book, home, {"PATH": bin_dir + os.pathsep + os.environ["PATH"]})
        try:
            reader.frame()
            wait_for(lambda: "Start page" in page_text(reader.document()), "the start page")

            # Hovering shows where a link goes; leaving it shows "Ready" again.
            for name, shown in (("Chapter two", "chapter2.html#intro"),
                                ("Outside", "https://example.org/x?y=1"),
                                ("Record", "index.html##FILEWRITE('ok','%s/ran.txt','ran')"
                                 % out)):
                mouse(*centre(link(reader, name)), "abs")
                wait_for(lambda: status(reader) == shown,
                         "the status bar to show %r (it shows %r)" % (shown, status(reader)))
                heading = find(reader.document(), role=pyatspi.ROLE_HEADING)
                mouse(*centre(heading), "abs")
                wait_for(lambda: status(reader) == "Ready", "Ready after leaving " + name)

            # What each link offers.
            for name, expected in (("Chapter two", (True, True, True)),
                                   ("Outside", (True, True, True)),
                                   ("Record", (True, False, True))):
                items = link_menu(reader, name)
                check(offered(items) == expected,
                      "%s offers %r, not %r" % (name, offered(items), expected))
                press_key("Escape")
                wait_for(lambda: not has_state(items["Back"], pyatspi.STATE_SHOWING),
                         "the menu to close")

            click(link_menu(reader, "Outside")["Copy Link Address"])
            wait_for(lambda: clipboard_text() == "https://example.org/x?y=1",
                     "the address on the clipboard")
            click(link_menu(reader, "Outside")["Open Link Outside"])
            wait_for(lambda: os.path.exists(record) and
                     open(record).read() == "https://example.org/x?y=1\n",
                     "the address handed to the browser")
            check("Start page" in page_text(reader.document()), "the reader stays on its page")

            click(link_menu(reader, "Record")["Open Link"])
            ran = os.path.join(out, "ran.txt")
            wait_for(lambda: os.path.exists(ran), "the command link run from the menu")
            click(link_menu(reader, "Chapter two")["Open Link"])
            wait_for(lambda: "Intro" in page_text(reader.document()), "the chapter opened")
            click(reader.menu_item("Go", "Back"))
            wait_for(lambda: "Start page" in page_text(reader.document()), "the start page")

            # A page from outside the book: its planted command link is shown, never run,
            # whether it is clicked or opened from the menu.
            user_click(link(reader, "Foreign"))
            wait_for(lambda: "Foreign page" in page_text(reader.document()), "the foreign page")
            click(link_menu(reader, "Planted")["Open Link"])
            wait_for(lambda: "Start page" in page_text(reader.document()),
                     "the planted link shows the book's page")
            click(reader.menu_item("Go", "Back"))
            wait_for(lambda: "Foreign page" in page_text(reader.document()), "back on it")
            user_click(link(reader, "Planted"))
            wait_for(lambda: "Start page" in page_text(reader.document()),
                     "the clicked planted link shows the book's page")
            check(not os.path.exists(os.path.join(out, "foreign.txt")),
                  "a command link of a page from outside the book never runs")
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
