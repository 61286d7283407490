"""Takes the README's pictures of the contents pane and of the offer to continue reading,
in a book made of Debian's PostgreSQL manual (postgresql-doc-15) or another site given:

    tests/gui/run_gui_test.sh docs/make_reading_screenshots.py OUT_DIR [SITE_DIR]

with QUIRE_PACK and QUIRE_READER set as for the GUI tests. Writes OUT_DIR/contents-pane.png
(the pane filtered for "select", the SELECT page open) and OUT_DIR/continue-reading.png
(the same book opened again).
"""

import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "gui"))

import gi  # noqa: E402

gi.require_version("Gdk", "3.0")
import pyatspi  # noqa: E402
from gi.repository import Gdk  # noqa: E402
from reader_driver import (Reader, Scratch, find, mouse, page_text, press_key,  # noqa: E402
                           set_entry_text, user_click, wait_for)

SITE = "/usr/share/doc/postgresql-doc-15/html"


def capture(reader, out):
    box = reader.frame().queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    # The pointer rests on the status bar, where it raises no tooltip.
    mouse(box.x + box.width // 2, box.y + box.height - 4, "abs")
    root = Gdk.get_default_root_window()
    previous = [None]

    # Let the window finish painting: wait until two captures in a row agree.
    def settled():
        shot = Gdk.pixbuf_get_from_window(root, box.x, box.y, box.width, box.height)
        same = previous[0] is not None and shot.get_pixels() == previous[0].get_pixels()
        previous[0] = shot
        return shot if same else None

    wait_for(settled, "a settled picture", interval=0.5).savev(out, "png", [], [])


def main():
    out = os.path.abspath(sys.argv[1])
    site = sys.argv[2] if len(sys.argv) > 2 else SITE
    with Scratch() as work:
        book = os.path.join(work, "book")
        subprocess.run([os.environ["QUIRE_PACK"], "build", site, "-o", book, "--flatten",
                        "--reader", os.environ["QUIRE_READER"], "-q"], check=True)

        class Built:
            path = book

        home = os.path.join(work, "home")
        reader = Reader(Built, home)
        try:
            reader.frame()
            reader.document()
            press_key("F9")
            box = wait_for(lambda: find(reader.app, role=pyatspi.ROLE_TEXT,
                                        name="Filter contents", showing=True), "the filter box")
            set_entry_text(box, "select")
            tree = wait_for(lambda: find(reader.app, role=pyatspi.ROLE_TREE_TABLE,
                                         name="Contents", showing=True), "the pane")
            entry = wait_for(lambda: find(tree, role=pyatspi.ROLE_TABLE_CELL, name="SELECT"),
                             "the SELECT entry")
            user_click(entry)
            wait_for(lambda: "SELECT, TABLE, WITH" in page_text(reader.document()), "the page")
            capture(reader, os.path.join(out, "contents-pane.png"))
        finally:
            reader.close()

        reader = Reader(Built, home)
        try:
            reader.frame()
            wait_for(lambda: find(reader.app, role=pyatspi.ROLE_PUSH_BUTTON, showing=True,
                                  name="Continue reading SELECT"), "the offer to continue")
            capture(reader, os.path.join(out, "continue-reading.png"))
        finally:
            reader.close()


if __name__ == "__main__":
    main()
