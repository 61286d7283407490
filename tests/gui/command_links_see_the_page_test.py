"""Command links see the page, and leave the history as it was. {ebookurl} read by a "##" or
"#!" link is the page the view shows, never the link's own address: several links clicked
in a row, on a page and after a move to a part of it, each write the page. A "##" link
that the page's own script runs when the page shows again after Back (from "pageshow",
by a click or by setting location) keeps Forward in the toolbar, the Go menu and the
pop-up menu, as the same link clicked by the user does, and Forward goes there."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find, has_state,  # noqa: E402
                           is_menu_item, mouse, page_text, press_key, run, user_click,
                           wait_for)


def read(path):
    with open(path) as f:
        return f.read()


def page(reader, text):
    wait_for(lambda: text in page_text(reader.document()), repr(text))


def click_link(reader, name):
    user_click(wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_LINK, name=name),
                        "the link " + repr(name)))


def written(path, what):
    value = wait_for(lambda: os.path.exists(path) and read(path), what)
    os.remove(path)
    return value


def test_links_in_a_row(work):
    out = os.path.join(work, "out-row")
    os.makedirs(out)
    record = "FILEWRITE('ok','%s/seen.txt','{ebookurl}')" % out
    links = "".join("<p><a href=\"##%s##SET('n','%d')\">Command %d</a></p>" % (record, i, i)
                    for i in range(4))
    links += "".join("<p><a href=\"#!where.txt\">Script %d</a></p>" % i for i in range(2))
    files = {
        "index.html": "<html><body><h1>Row page</h1>%s<p><a href=\"#part\">Part</a></p>"
                      "<div style='height:3000px'></div><h2 id=part>The part</h2>"
                      "<p><a href=\"##%s\">Command in part</a></p></body></html>"
                      % (links, record),
        "where.txt": record + "\n",
    }
    book = Book(os.path.join(work, "row"), files,
                "[book]\nesbn = GUI-SEEN-1\ntitle = Seen\n[file:where.txt]\nsearchable = no\n"
                "contents = no\n")
    reader = Reader(book, os.path.join(work, "home-row"))
    try:
        reader.frame()
        page(reader, "Row page")
        seen = os.path.join(out, "seen.txt")
        for name in ["Command %d" % i for i in range(4)] + ["Script 0", "Script 1",
                                                             "Command 0", "Script 0"]:
            click_link(reader, name)
            url = written(seen, "what %r saw" % name)
            check(url.startswith("file://") and url.endswith("/GUI-SEEN-1.k9w/index.html"),
                  "%r saw the page, not itself: %r" % (name, url))
        click_link(reader, "Part")
        click_link(reader, "Command in part")
        url = written(seen, "what the link in the part saw")
        check(url.endswith("/index.html#part"), "the page with its part: %r" % url)
    finally:
        reader.close()


def forward_offered(reader):
    frame = reader.frame()
    button = find(frame, role=pyatspi.ROLE_PUSH_BUTTON, name="Forward", showing=True)
    menu = reader.menu_item("Go", "Forward")
    return (has_state(button, pyatspi.STATE_SENSITIVE), has_state(menu, pyatspi.STATE_SENSITIVE))


def popup_forward(reader):
    box = reader.document().queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    mouse(box.x + box.width // 2, box.y + box.height - 20, "b3c")

    def lookup():
        for window in reader.app:
            if window is not None and has_state(window, pyatspi.STATE_SHOWING):
                item = find(window, name="Forward", predicate=is_menu_item)
                if item is not None and find(window, name="Print...", predicate=is_menu_item):
                    return item
        return None
    return wait_for(lookup, "the pop-up menu")


def test_forward_kept(work, how):
    out = os.path.join(work, "out-" + how)
    os.makedirs(out)
    command = "##FILEWRITE('ok','%s/ran.txt','{ebookurl}')" % out
    run_it = ("document.getElementById('cmd').click();" if how == "click"
              else "location.href = \"%s\";" % command)
    index = ("<html><body><h1>First page</h1><p><a id=cmd href=\"%s\">Run</a></p>"
             "<p><a href=second.html>Second</a></p><div style='height:400px'></div>"
             "<script>window.addEventListener('pageshow', function () { %s });</script>"
             "</body></html>" % (command, run_it))
    files = {"index.html": index,
             "second.html": "<html><body><h1>Second page</h1></body></html>"}
    book = Book(os.path.join(work, how), files,
                "[book]\nesbn = GUI-FWD-%s\ntitle = Forward\n" % how.upper())
    reader = Reader(book, os.path.join(work, "home-" + how))
    try:
        reader.frame()
        page(reader, "First page")
        ran = os.path.join(out, "ran.txt")
        written(ran, "the script's command on the first show")
        click_link(reader, "Second")
        page(reader, "Second page")
        click(reader.menu_item("Go", "Back"))
        page(reader, "First page")
        url = written(ran, "the script's command after Back")
        check(url.endswith("/index.html"), "the command saw the page: %r" % url)
        wait_for(lambda: forward_offered(reader) == (True, True),
                 "Forward offered on the toolbar and in the Go menu (%s)" % how)
        item = popup_forward(reader)
        check(has_state(item, pyatspi.STATE_SENSITIVE), "Forward offered in the pop-up menu")
        press_key("Escape")
        wait_for(lambda: not has_state(item, pyatspi.STATE_SHOWING), "the menu to close")
        click(reader.menu_item("Go", "Forward"))
        page(reader, "Second page")
        wait_for(lambda: forward_offered(reader) == (False, False), "nothing ahead any more")
        click(reader.menu_item("Go", "Back"))
        page(reader, "First page")
        written(ran, "the command again")
        wait_for(lambda: forward_offered(reader) == (True, True), "Forward offered again")
    finally:
        reader.close()


def test():
    with Scratch() as work:
        test_links_in_a_row(work)
        test_forward_kept(work, "click")
        test_forward_kept(work, "location")


if __name__ == "__main__":
    run(test)
