"""A search over a 2,000-page book shows its progress in the status bar: the caption, and a
bar of at most 200 pixels whose fill grows while the search runs, painted although the
search never returns to the main loop."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find, page_text,  # noqa: E402
                           run, set_entry_text, wait_for, has_state)

PAGES = 2000
PAGE_BYTES = 64 * 1024


def book_files():
    files = {"index.html": "<html><body><h1>Big book</h1></body></html>"}
    filler = ("<p>" + "lorem ipsum dolor sit amet " * 20 + "</p>\n")
    for i in range(PAGES):
        body = "<html><body><h1>Page %d</h1>" % i
        body += filler * (PAGE_BYTES // len(filler))
        if i % 100 == 7:
            body += "<p>wombat</p>"
        files["p%04d.html" % i] = body + "</body></html>"
    return files


def manifest():
    lines = ["[book]", "esbn = PROGRESS-1", "title = Big Book"]
    return "\n".join(lines) + "\n"


def test():
    with Scratch() as work:
        book = Book(work, book_files(), manifest())
        reader = Reader(book, os.path.join(work, "home"))
        sampler = None
        try:
            frame = reader.frame()
            wait_for(lambda: "Big book" in page_text(reader.document()), "the start page")
            box = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)

            reader.choose_menu("Go", "Search this E-Book...")
            dialog = reader.dialog("Search")
            entry = wait_for(lambda: find(dialog, role=pyatspi.ROLE_TEXT), "the entry")
            set_entry_text(entry, "wombat")
            ok = wait_for(lambda: find(dialog, role=pyatspi.ROLE_PUSH_BUTTON, name="OK"), "OK")
            wait_for(lambda: has_state(ok, pyatspi.STATE_SENSITIVE), "OK enabled")

            samples = os.path.join(work, "samples")
            strip = 48  # the status bar lies in the window's bottom strip
            sampler = subprocess.Popen([sys.executable, os.path.join(
                os.path.dirname(os.path.abspath(__file__)), "screen_sampler.py"), samples,
                str(box.x), str(box.y + box.height - strip), str(box.width), str(strip)])
            wait_for(lambda: os.path.exists(samples) and open(samples).read().startswith(
                "ready"), "the screen sampler")
            click(ok)
            wait_for(lambda: "Search Results" in page_text(reader.document()),
                     "the results page", timeout=120)
            sampler.terminate()
            sampler.wait()
            values = [int(v) for v in open(samples).read().split()[1:]]
            moving = [v for v in values if v > 0]
            check(len(set(moving)) >= 3,
                  "the bar was seen at %d widths only: %r" % (len(set(moving)), sorted(set(moving))))
            check(max(moving) <= 200, "the bar's fill is wider than 200 pixels")
            check(moving[-1] >= moving[0], "the bar went backwards")
            check(values[-1] == 0, "the bar stayed after the search")
        finally:
            if sampler is not None and sampler.poll() is None:
                sampler.kill()
            reader.close()


if __name__ == "__main__":
    run(test)
