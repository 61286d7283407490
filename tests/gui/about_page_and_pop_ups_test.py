"""The about page the reader writes: it names this program's version (what quire-pack
--version says), and its credit link and the author's web address go to the user's
browser instead of a window of the reader. Windows that a page opens close with Ctrl+W and
with Esc."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, find, find_all,  # noqa: E402
                           page_text, press_combination, press_key, run, user_click,
                           wait_for)

MANIFEST = """[book]
esbn = GUI-ABOUT-1
title = About Book
author = Ada
author-url = https://example.org/ada
"""
INDEX = ("<html><body><h1>Start page</h1>"
         "<p><a href=\"second.html\" target=\"_blank\">In a window</a></p></body></html>")
SECOND = "<html><head><title>Second</title></head><body><h1>Second page</h1></body></html>"


def opened(record):
    if not os.path.exists(record):
        return []
    with open(record) as f:
        return [line.rstrip("\n") for line in f if line.strip()]


def frames(reader):
    return [w for w in find_all(reader.app, role=pyatspi.ROLE_FRAME, depth=1)]


def test():
    with Scratch() as work:
        version = subprocess.run([os.environ["QUIRE_PACK"], "--version"], capture_output=True,
                                 text=True, check=True).stdout.split()[-1]
        bin_dir = os.path.join(work, "bin")
        os.makedirs(bin_dir)
        record = os.path.join(work, "opened.txt")
        with open(os.path.join(bin_dir, "xdg-open"), "w") as f:
            f.write("#!/bin/sh\nprintf '%%s\\n' \"$*\" >> '%s'\n" % record)
        os.chmod(os.path.join(bin_dir, "xdg-open"), 0o755)
        book = Book(work, {"index.html": INDEX, "second.html": SECOND}, MANIFEST)
        reader = Reader(book, os.path.join(work, "home"),
                        {"PATH": bin_dir + os.pathsep + os.environ["PATH"]})
        try:
            reader.frame()
            wait_for(lambda: "Start page" in page_text(reader.document()), "the start page")
            press_combination("Control_L", "i")
            wait_for(lambda: "Software & Copyright" in page_text(reader.document()),
                     "the about page")
            about = os.path.join(work, "home", "tmp", "quire-%d" % os.getuid(),
                                 "GUI-ABOUT-1.k9w", "__about.html")
            with open(about, encoding="utf-8") as f:
                text = f.read()
            check("Compiler, version %s<BR>" % version in text,
                  "the about page names version %s: %r" % (version, text))
            check("4.00" not in text, "and no other version: %r" % text)

            links = [a for a in find_all(reader.document(), role=pyatspi.ROLE_LINK)
                     if a.name == "Quire"]
            check(len(links) == 2, "two credit links: %r" % [a.name for a in links])
            user_click(links[0])
            wait_for(lambda: len(opened(record)) == 1, "the credit link handed to the browser")
            check(opened(record)[0].startswith("https://"), "an address: %r" % opened(record))
            user_click(wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_LINK,
                                             name="https://example.org/ada"), "the author's"))
            wait_for(lambda: len(opened(record)) == 2, "the author's address to the browser")
            check(opened(record)[1] == "https://example.org/ada", "%r" % opened(record))
            check(len(frames(reader)) == 1, "no window of the reader opened for them")
            check("Software & Copyright" in page_text(reader.document()),
                  "the about page stays")

            # A window a page opens closes with Ctrl+W, and with Esc.
            press_combination("Alt_L", "Left")
            wait_for(lambda: "Start page" in page_text(reader.document()), "the start page")
            for keys in (("Control_L", "w"), (None, "Escape")):
                main = reader.frame()
                user_click(wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_LINK,
                                                 name="In a window"), "the link"))
                window = wait_for(lambda: find(reader.app, role=pyatspi.ROLE_FRAME,
                                               name="Second", showing=True), "the page's window")
                wait_for(lambda: "Second page" in page_text(window), "its page")
                if keys[0]:
                    press_combination(*keys)
                else:
                    press_key(keys[1])
                wait_for(lambda: find(reader.app, role=pyatspi.ROLE_FRAME, name="Second",
                                      showing=True) is None, "the window to close on %r"
                         % (keys,))
                check(reader.process.poll() is None and main.name == "About Book",
                      "the book stays open")
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
