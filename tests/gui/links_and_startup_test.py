"""The reader window as a user meets it: the start page, the start-up message and script
once after the first page, a "##" link that sets a variable and shows a page built by
DISPLAY without navigating to the link, a "#!" link that runs its script, Home, and
File > Exit running the exit script and removing the book folder."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, do_action, find,  # noqa: E402
                           page_text, run, wait_for)


def read(path):
    with open(path) as f:
        return f.read()


def link(reader, name):
    return wait_for(lambda: find(reader.document(), role=pyatspi.ROLE_LINK, name=name),
                    "the link " + repr(name))


def follow(link_accessible):
    """Follows a link as a click on it would."""
    do_action(link_accessible, "jump", "click", "press", "activate")


def wait_file(path, what):
    return wait_for(lambda: read(path) if os.path.exists(path) else None, what)


def test():
    with Scratch() as work:
        out = os.path.join(work, "out")
        os.makedirs(out)
        files = {
            "index.html": (
                "<html><head><title>Start</title></head><body><p>Start page body</p>"
                "<p><a href=\"##SET('n','seven')##DISPLAY('<p>Value {n} shown</p>"
                "<p><a href=#!where.txt>where</a></p>')\">Set and display</a></p>"
                "<p><a href=\"#!write.txt\">Run script</a></p></body></html>"),
            "start.txt": "FILEWRITE('ok','%s/startup.txt','{ebookurl}')\n" % out,
            "where.txt": "FILEWRITE('ok','%s/where.txt','{ebookurl}')\n" % out,
            "write.txt": "; the variable the link set is still there\n"
                         "FILEWRITE('ok','%s/script.txt','ran {n}')\n" % out,
            "exit.txt": "FILEWRITE('ok','%s/exit.txt','exit at {ebookurl}')\n"
                        "MESSAGEBOX2('answer','Leaving so soon?',4)\n"
                        "FILEWRITE('ok','%s/answer.txt','{answer}')\n" % (out, out),
        }
        manifest = ("[book]\nesbn = GUI-LINKS-1\ntitle = Link Book\n"
                    "startup-message = \"  Hello once  \"\n"
                    "startup-script = #!start.txt\nexit-script = #!exit.txt\n"
                    "[file:start.txt]\nsearchable = no\ncontents = no\n")
        book = Book(work, files, manifest)
        home = os.path.join(work, "home")
        reader = Reader(book, home)
        folder = os.path.join(home, "tmp", "quire-%d" % os.getuid(), "GUI-LINKS-1.k9w")
        try:
            check(reader.frame().name == "Link Book", "caption " + repr(reader.frame().name))
            box = reader.message_box()
            check(find(box, name="Hello once") is not None or "Hello once" in page_text(box),
                  "the start-up message box shows the trimmed message")
            check("Start page body" in page_text(reader.document()), "the start page shows")
            check(not os.path.exists(os.path.join(out, "startup.txt")),
                  "the start-up script waits for the message box")
            click(find(box, name="OK"))
            started = wait_file(os.path.join(out, "startup.txt"), "the start-up script")
            check(started.startswith("file://") and started.endswith("/index.html"),
                  "the start-up script ran on the first page: " + started)

            follow(link(reader, "Set and display"))
            wait_for(lambda: "Value seven shown" in page_text(reader.document()),
                     "the page DISPLAY built")
            follow(link(reader, "where"))
            where = wait_file(os.path.join(out, "where.txt"), "the where script")
            check(where.endswith("/__display.html"),
                  "the view shows the display page, not the link: " + where)

            click(reader.menu_item("Go", "Home"))
            wait_for(lambda: "Start page body" in page_text(reader.document()),
                     "the start page again")
            follow(link(reader, "Run script"))
            check(wait_file(os.path.join(out, "script.txt"), "the #! script") == "ran seven",
                  "the #! script saw the variable")
            check(find(reader.app, roles=(pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT),
                       showing=True) is None,
                  "the start-up message came only once")
            check(read(os.path.join(out, "startup.txt")) == started,
                  "the start-up script ran only once")

            check(os.path.isdir(folder), "the book folder exists while the book is open")
            click(reader.menu_item("File", "Exit"))
            # The exit script asks; the reader ends once the question is answered.
            box = reader.message_box()
            check(find(reader.app, role=pyatspi.ROLE_FRAME, showing=True) is None,
                  "the window went before the exit script ran")
            click(find(box, name="Yes"))
            check(wait_file(os.path.join(out, "answer.txt"), "the answer") == "6",
                  "Yes gives 6")
            code = reader.process.wait(30)
            check(code == 0, "the reader ended with %d" % code)
            exited = read(os.path.join(out, "exit.txt"))
            check(exited.startswith("exit at file://"), "the exit script ran: " + exited)
            check(not os.path.exists(folder), "the book folder is gone after Exit")
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
