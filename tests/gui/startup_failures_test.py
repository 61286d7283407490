"""Start-up without a display and with a damaged book: one clear line on standard error
where no window can open, a message box where one can, and the exit codes the reader
keeps for them."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find,  # noqa: E402
                           find_all, run, wait_for)

CORRUPTED = ("This E-Book appears to be corrupted. If you downloaded from the Internet try "
             "downloading it again.")


def without_display(home):
    env = dict(os.environ, HOME=home, TMPDIR=os.path.join(home, "tmp"))
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    os.makedirs(env["TMPDIR"], exist_ok=True)
    return env


def damaged_copy(book_path, target):
    with open(book_path, "rb") as f:
        data = f.read()
    # Without its last bytes the trailer is not where the reader looks for it.
    with open(target, "wb") as f:
        f.write(data[:-10])
    os.chmod(target, 0o755)


def test():
    with Scratch() as work:
        book = Book(work, {"index.html": "<html><body>x</body></html>"},
                    "[book]\nesbn = GUI-NODISPLAY-1\ntitle = Headless\n")
        home = os.path.join(work, "home")
        tmp_book = os.path.join(home, "tmp", "quire-%d" % os.getuid())

        good = subprocess.run([book.path], env=without_display(home), capture_output=True,
                              timeout=60)
        lines = good.stderr.decode().splitlines()
        check(good.returncode == 1, "a good book without a display ended with %d"
              % good.returncode)
        check(len(lines) == 1 and "cannot open display" in lines[0] and "DISPLAY" in lines[0],
              "one line naming the variable: %r" % lines)
        check(not os.path.exists(os.path.join(tmp_book, "GUI-NODISPLAY-1.k9w")),
              "nothing is left in the temporary folder")
        check(not [n for n in os.listdir(tmp_book) if n.startswith("bmp")]
              if os.path.isdir(tmp_book) else True, "no splash file is left")

        damaged = os.path.join(work, "damaged")
        damaged_copy(book.path, damaged)
        headless = subprocess.run([damaged], env=without_display(home), capture_output=True,
                                  timeout=60)
        check(headless.returncode == 0, "a damaged book ended with %d" % headless.returncode)
        check(CORRUPTED in headless.stderr.decode(), "the damaged-book text on standard error: %r"
              % headless.stderr)

        # With a display the same text is a message box; OK ends the program.
        class Damaged:
            path = damaged
        reader = Reader(Damaged, os.path.join(work, "home2"))
        try:
            box = wait_for(lambda: find(reader.app, roles=(pyatspi.ROLE_DIALOG,
                                                           pyatspi.ROLE_ALERT), showing=True),
                           "the damaged-book message box")
            labels = [a.name for a in find_all(box, role=pyatspi.ROLE_LABEL)]
            check(CORRUPTED in labels, "the box says %r" % labels)
            check(find(reader.app, role=pyatspi.ROLE_FRAME, showing=True) is None,
                  "no main window opened")
            click(find(box, name="OK"))
            code = reader.process.wait(30)
            check(code == 0, "after OK the damaged book ended with %d" % code)
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
