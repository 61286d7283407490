"""The reading state from the attacker's side. A state file planted with script links in
its places, paths out of the book and file URLs offers none of them: no bar to continue,
no such bookmark, nothing run; the sound bookmark beside them still works, and the file
the reader writes back holds none of them. A link planted at the state file's place is
replaced, never followed."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import Book, Scratch, check, find, run  # noqa: E402
from reading_state_test import bookmarks, continue_button, start  # noqa: E402

MANIFEST = """[book]
esbn = GUI-READING-ATTACK-1
title = Attacked Book
startup-script = #!start.txt
"""


def planted(out, book_id):
    """The state file of the book `book_id`, with hostile places beside one sound one."""
    evil = "FILEWRITE('ok','%s/pwned.txt','x')" % out
    return "".join([
        "quire-reading-state 1\n",
        "book\t%s\t1\n" % book_id,
        "page\tindex.html\t#%s\n" % evil,  # "index.html##FILEWRITE(...)"
        "mark\tindex.html\t!evil.txt\tScript link\n",
        "mark\tindex.html\t#%s\tCommand link\n" % evil,
        "mark\t../../../../../../etc/passwd\t\tPasswords\n",
        "mark\t/etc/hostname\t\tAbsolute path\n",
        "mark\tfile:%2F%2F%2Fetc%2Fpasswd\t\tFile URL\n",
        "mark\tevil.txt\t%23%23EXIT\tEscaped markers\n",
        "mark\tsecond.html\t\tSound mark\n",
    ])


def test():
    with Scratch() as work:
        out = os.path.join(work, "out")
        os.makedirs(out)
        files = {
            "index.html": "<html><body><h1>Start heading</h1></body></html>",
            "second.html": "<html><head><title>Second</title></head><body><p>Second body</p>"
                           "</body></html>",
            "evil.txt": "FILEWRITE('ok','%s/pwned.txt','x')\n" % out,
            "start.txt": "FILEWRITE('ok','%s/started.txt','yes')\n" % out,
        }
        book = Book(work, files, MANIFEST)
        home = os.path.join(work, "home")
        folder = os.path.join(home, ".local", "state", "quire")
        os.makedirs(folder, mode=0o700)
        os.chmod(folder, 0o700)
        state = os.path.join(folder, "reading-state")
        with open(state, "w") as f:
            f.write(planted(out, book.book_id))
        os.chmod(state, 0o600)
        pwned = os.path.join(out, "pwned.txt")

        reader = start(book, home, out)
        try:
            check(continue_button(reader) is None, "an offer to continue at a command link")
            check(bookmarks(reader) == ["Sound mark"], "bookmarks offered: %r" % bookmarks(reader))
            reader.choose_menu("Bookmarks", "Sound mark")
            reader.wait_for_page("Second body", "the sound bookmark's page")
            check(not os.path.exists(pwned), "a planted place ran a script")
        finally:
            reader.close()
        with open(state) as f:
            written = f.read()
        for word in ("FILEWRITE", "passwd", "hostname", "evil", "%23"):
            check(word not in written, "the written state keeps %r:\n%s" % (word, written))
        check("Sound mark" in written, "the sound bookmark was dropped:\n" + written)

        # A link at the file's place: its target is neither read nor written.
        victim = os.path.join(work, "victim.txt")
        with open(victim, "w") as f:
            f.write(planted(out, book.book_id).replace("Sound mark", "Through the link"))
        os.unlink(state)
        os.symlink(victim, state)
        reader = start(book, home, out)
        try:
            check(bookmarks(reader) == ["(No Bookmarks)"], "read through a planted link: %r"
                  % bookmarks(reader))
        finally:
            reader.close()
        with open(victim) as f:
            check("Through the link" in f.read(), "the link's target was written")
        check(not os.path.islink(state), "the planted link is still in place")
        check(not os.path.exists(pwned), "a planted place ran a script")


if __name__ == "__main__":
    run(test)
