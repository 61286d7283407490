"""OPEN hands an address to the desktop's opener and waits for its answer while the
window stays responsive; an opener that finds no program for the address gives the long
message with its reason."""

import os
import stat
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, do_action, find,  # noqa: E402
                           find_all, page_text, run, wait_for)

MESSAGE = ("The web page could not be opened.\n\nTo use this option, you must :-\n"
           "1. Have a connection to the Internet.\n"
           "2. Have a web browser (for example Microsoft Internet Explorer) installed on your "
           "system.\n"
           "3. The web browser set to pick up file associations (this normally occurs as part "
           "of the installation process for the web browser).\n\nThe reason was:-\n"
           "There is no application associated with the given filename extension.")

# Stands in for xdg-open: says it started, waits (up to 4 s, within the reader's patience)
# until the test lets it go, notes whether it was let go, then reports that nothing can
# open the address (xdg-open's status 3).
OPENER = """#!/bin/sh
echo "$1" > "{out}/opened.txt"
n=0
while [ ! -e "{out}/release" ] && [ $n -lt 200 ]; do sleep 0.02; n=$((n+1)); done
if [ -e "{out}/release" ]; then echo released; else echo "gave up"; fi > "{out}/end.txt"
exit 3
"""


def test():
    with Scratch() as work:
        out = os.path.join(work, "out")
        fake_bin = os.path.join(work, "bin")
        os.makedirs(out)
        os.makedirs(fake_bin)
        opener = os.path.join(fake_bin, "xdg-open")
        with open(opener, "w") as f:
            f.write(OPENER.format(out=out))
        os.chmod(opener, os.stat(opener).st_mode | stat.S_IEXEC)
        os.environ["PATH"] = fake_bin + os.pathsep + os.environ["PATH"]

        page = ("<html><body><p>Opener page</p><p><a href=\"##OPEN('https://example.org/a b')"
                "##FILEWRITE('ok','%s/after.txt','done')\">Open it</a></p></body></html>" % out)
        book = Book(work, {"index.html": page}, "[book]\nesbn = GUI-OPEN-1\ntitle = Open Book\n")
        reader = Reader(book, os.path.join(work, "home"))
        try:
            frame = reader.frame()
            wait_for(lambda: "Opener page" in page_text(reader.document()), "the page")
            link = find(reader.document(), role=pyatspi.ROLE_LINK, name="Open it")
            do_action(link, "jump", "click", "press")
            wait_for(lambda: os.path.exists(os.path.join(out, "opened.txt")), "the opener")
            # While the reader waits for the opener its window still answers: the question
            # below is answered before the opener gives up waiting for the release.
            frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            check(find(reader.app, role=pyatspi.ROLE_ALERT, showing=True) is None,
                  "no message before the opener answered")
            open(os.path.join(out, "release"), "w").close()

            box = reader.message_box()
            labels = [a.name for a in find_all(box, role=pyatspi.ROLE_LABEL)]
            check(MESSAGE in labels, "the message says %r" % labels)
            with open(os.path.join(out, "opened.txt")) as f:
                check(f.read().strip() == "https://example.org/a b",
                      "the opener got the address")
            with open(os.path.join(out, "end.txt")) as f:
                check(f.read().strip() == "released",
                      "the window answered while the opener ran")
            click(find(box, name="OK"))
            # A failed OPEN ends the link: the command after it does not run.
            check(not os.path.exists(os.path.join(out, "after.txt")),
                  "the link stopped at the failed OPEN")
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
