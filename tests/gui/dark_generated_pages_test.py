"""The pages the reader writes follow a dark desktop theme when the book set no colours:
under GTK_THEME=Adwaita:dark, or the theme's prefer-dark setting, the contents page of such
a book is written and shown in the readable palette's dark variant; under a light theme in
the light palette; a book with colours of its own keeps them under either."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gi  # noqa: E402

gi.require_version("Gdk", "3.0")
from gi.repository import Gdk  # noqa: E402
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, page_text,  # noqa: E402
                           press_combination, run, wait_for)

PAGES = {"index.html": "<html><head><title>Start</title></head><body><h1>Start</h1></body></html>",
         "two.html": "<html><head><title>Two</title></head><body><h1>Two</h1></body></html>"}
OWN = "[colors]\nbackground = #FFFFF0\ntext = #000000\n"


def page_pixel(reader):
    """The colour of the page's top left corner on the screen, outside its boxes."""
    box = reader.document().queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    pixbuf = Gdk.pixbuf_get_from_window(Gdk.get_default_root_window(), box.x + 3, box.y + 3,
                                        1, 1)
    return tuple(pixbuf.get_pixels()[:3]) if pixbuf is not None else None


def contents_in(work, name, colours, env, prefer_dark, pixel):
    esbn = "GUI-DARK-" + name.upper()
    book = Book(os.path.join(work, name), PAGES,
                "[book]\nesbn = %s\ntitle = Dark\n%s" % (esbn, colours))
    home = os.path.join(work, "home-" + name)
    if prefer_dark:
        config = os.path.join(home, ".config", "gtk-3.0")
        os.makedirs(config)
        with open(os.path.join(config, "settings.ini"), "w") as f:
            f.write("[Settings]\ngtk-application-prefer-dark-theme = true\n")
    reader = Reader(book, home, env)
    try:
        reader.frame()
        wait_for(lambda: "Start" in page_text(reader.document()), "the start page")
        press_combination("Control_L", "t")
        wait_for(lambda: "Table Of Contents" in page_text(reader.document()), "the contents")
        path = os.path.join(home, "tmp", "quire-%d" % os.getuid(), esbn + ".k9w", "__jump.html")
        with open(path, encoding="utf-8") as f:
            html = f.read()
        body = html[html.index("<BODY BGCOLOR=") + 14:][:6]
        wait_for(lambda: page_pixel(reader) == pixel, "%s: the page to show %r (it shows %r)"
                 % (name, pixel, page_pixel(reader)))
        return body
    finally:
        reader.close()


def test():
    with Scratch() as work:
        dark = (0x12, 0x12, 0x12)
        for name, colours, env, prefer, written, pixel in (
                ("theme", "", {"GTK_THEME": "Adwaita:dark"}, False, "121212", dark),
                ("setting", "", {"GTK_THEME": ""}, True, "121212", dark),
                ("light", "", {"GTK_THEME": "Adwaita"}, False, "FFFFFF", (0xFF, 0xFF, 0xFF)),
                ("own", OWN, {"GTK_THEME": "Adwaita:dark"}, False, "FFFFF0",
                 (0xFF, 0xFF, 0xF0))):
            body = contents_in(work, name, colours, env, prefer, pixel)
            check(body == written, "%s: the contents page is written on %s, not %s"
                  % (name, written, body))


if __name__ == "__main__":
    run(test)
