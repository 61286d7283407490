"""The splash picture's file goes once the splash has closed; a second copy of a running
book hands over to the first and ends silently, while another book that carries the same
id opens a window of its own; SIGTERM closes the window as its close button does: the
exit script runs and the book folder goes."""

import os
import signal
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import Book, Reader, Scratch, check, has_state, run, wait_for  # noqa: E402


def other_window():
    """A window of another program (this test) that takes the focus from the reader."""
    import gi
    gi.require_version("Gtk", "3.0")
    from gi.repository import Gtk
    window = Gtk.Window(title="Another program")
    window.set_default_size(200, 100)
    window.show_all()
    window.present()

    def pump():
        while Gtk.events_pending():
            Gtk.main_iteration_do(False)
    return window, pump


def test():
    with Scratch() as work:
        out = os.path.join(work, "out")
        os.makedirs(out)
        with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                               "examples", "sample-book", "splash.bmp"), "rb") as f:
            splash = f.read()
        files = {
            "splash.bmp": splash,
            "index.html": "<html><body><p>Only page</p></body></html>",
            # Nobody answers a message box at logout: the close must not wait for one.
            "exit.txt": "MESSAGEBOX('Goodbye')\nFILEWRITE('ok','%s/exit.txt','closed')\n" % out,
        }
        manifest = ("[book]\nesbn = GUI-ONCE-1\ntitle = Once Book\nexit-script = #!exit.txt\n"
                    "splash = splash.bmp\n")
        book = Book(work, files, manifest)
        home = os.path.join(work, "home")
        reader = Reader(book, home)
        folder = reader.book_folder("GUI-ONCE-1")
        try:
            frame = reader.frame()
            wait_for(lambda: os.path.isdir(folder), "the book folder")
            private = os.path.dirname(folder)
            wait_for(lambda: not [n for n in os.listdir(private) if n.startswith("bmp")],
                     "the splash picture's file deleted after the splash")
            check(reader.process.poll() is None, "the reader runs on after the splash")

            other, pump = other_window()
            wait_for(lambda: (pump(), not has_state(frame, pyatspi.STATE_ACTIVE))[1],
                     "another program's window in front")

            second = subprocess.run([book.path], env=dict(os.environ, HOME=home,
                                                          TMPDIR=os.path.join(home, "tmp")),
                                    capture_output=True, timeout=30)
            check(second.returncode == 0, "the second copy ended with %d" % second.returncode)
            check(second.stdout == b"" and second.stderr == b"",
                  "the second copy said %r %r" % (second.stdout, second.stderr))
            check(reader.process.poll() is None, "the first copy still runs")
            wait_for(lambda: has_state(frame, pyatspi.STATE_ACTIVE),
                     "the first copy's window in front")
            check(has_state(frame, pyatspi.STATE_SHOWING), "the first window still shows")
            other.destroy()
            check(os.path.isdir(folder), "the second copy left the book folder alone")

            # Another book with the same id (two sites from folders of the same name) is no
            # copy of this one: it must not end silently.
            same_id = Book(os.path.join(work, "same-id"),
                           {"index.html": "<html><body><p>Another book</p></body></html>"},
                           "[book]\nid = %s\nesbn = GUI-ONCE-2\ntitle = Same Id\n" % book.book_id)
            another = Reader(same_id, home)
            try:
                another.frame()
                another.wait_for_page("Another book", "the other book's own page")
                check(reader.process.poll() is None, "the first book still runs")
            finally:
                another.close()

            reader.process.send_signal(signal.SIGTERM)
            reader.expect_closed_cleanly("SIGTERM", os.path.join(out, "exit.txt"), folder, 30)
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
