"""The sample book as a newcomer reads it: every link on every page is followed and does
what its text says (pages, generated pages, searches, questions, scripts, text sizes,
the extension's commands, Home and Back), and Back after a link that ran commands
returns to the page before in one step."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Reader, Scratch, check, click, do_action, find, find_all,  # noqa: E402
                           has_state, page_text, run, text_of, unique_book_id, wait_for,
                           with_book_id)

# A sentence that only the named page shows.
PAGES = {
    "index": "This little almanac follows",
    "chapter1": "Chapter one of The Lighthouse Almanac",
    "chapter2": "Chapter two of The Lighthouse Almanac",
    "chapter3": "Chapter three of The Lighthouse Almanac",
    "commands": "Links that run Pagora Script",
    "extension": "A library inside the book",
    "contents": "Table Of Contents",
    "results": "Search Results",
    "about": "Software & Copyright",
}


class SampleBook:
    """The sample book with an id of its own, so that it never hands over to a sample book
    that another checkout's test (or a reader) runs at the same time."""

    def __init__(self, work):
        self.path = os.path.join(work, "lighthouse")
        with open(os.path.join(os.environ["QUIRE_SAMPLE_BOOK"], "book.ini")) as f:
            manifest = with_book_id(f.read(), unique_book_id(), replace=True)
        manifest_path = os.path.join(work, "sample.ini")
        with open(manifest_path, "w") as f:
            f.write(manifest)
        subprocess.run([os.environ["QUIRE_PACK"], "build", os.environ["QUIRE_SAMPLE_BOOK"],
                        "-o", self.path, "--reader", os.environ["QUIRE_READER"],
                        "--manifest", manifest_path,
                        "--add", os.environ["QUIRE_EXAMPLE_EXT"], "-q"], check=True)


class Tour:
    def __init__(self, reader):
        self.reader = reader
        self.last = "the start"

    def text(self):
        return page_text(self.reader.document())

    def on(self, page):
        wait_for(lambda: PAGES[page] in self.text(), "the %s page after %s" % (page, self.last))

    def shows(self, *texts):
        wait_for(lambda: all(t in self.text() for t in texts),
                 "a page showing %r after %s" % (texts, self.last))

    def follow(self, name):
        link = wait_for(lambda: find(self.reader.document(), role=pyatspi.ROLE_LINK, name=name),
                        "the link " + repr(name))
        do_action(link, "jump", "click", "press", "activate")
        self.last = "the link " + repr(name)

    def box(self, text):
        def lookup():
            for box in find_all(self.reader.app, roles=(pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT),
                                showing=True):
                if find(box, predicate=lambda a: text in (a.name or "") or text in text_of(a)):
                    return box
            return None
        return wait_for(lookup, "a box saying " + repr(text))

    def answer(self, text, button):
        box = self.box(text)
        click(wait_for(lambda: find(box, role=pyatspi.ROLE_PUSH_BUTTON, name=button), button))
        wait_for(lambda: not has_state(box, pyatspi.STATE_SHOWING) or
                 has_state(box, pyatspi.STATE_DEFUNCT), "the box to close")

    def menu_back(self):
        click(self.reader.menu_item("Go", "Back"))
        self.last = "Back after " + self.last

    def back_offered(self):
        return has_state(self.reader.menu_item("Go", "Back"), pyatspi.STATE_SENSITIVE)

    def checked_size(self):
        for size in ("Largest", "Larger", "Medium", "Smaller", "Smallest"):
            if has_state(self.reader.menu_item("View", "Fonts", size), pyatspi.STATE_CHECKED):
                return size
        return None


def index_links(tour):
    for name, page in (("The Keeper", "chapter1"), ("The Lamp", "chapter2"),
                       ("Storms", "chapter3"), ("Links that run commands", "commands"),
                       ("The example extension", "extension")):
        tour.follow(name)
        tour.on(page)
        tour.menu_back()
        tour.on("index")

    # Links that run commands: Back returns to the first page in one step.
    for name, page in (("Table of contents", "contents"),
                       ("Search the book for \u201clamp\u201d", "results"),
                       ("About this book", "about")):
        tour.follow(name)
        tour.on(page)
        tour.menu_back()
        tour.on("index")
    tour.follow("Search the book for \u201clamp\u201d")
    tour.shows(PAGES["results"], "The Lamp")
    tour.menu_back()
    tour.on("index")

    # Asking for words and cancelling leaves the page, and history, as they were.
    check(not tour.back_offered(), "Back offered on the first page")
    tour.follow("ask for words to search for")
    dialog = tour.reader.dialog("Search")
    click(wait_for(lambda: find(dialog, role=pyatspi.ROLE_PUSH_BUTTON, name="Cancel"), "Cancel"))
    tour.on("index")
    check(not tour.back_offered(), "Back offered after cancelling the search")

    tour.follow("Run the tour script")
    tour.shows("All lamps lit", "Lamp 5 takes its flame from lamp 4.")
    tour.follow("Back to the commands")
    tour.on("commands")
    tour.menu_back()
    tour.shows("All lamps lit")
    tour.menu_back()
    tour.on("index")


def chapter_links(tour):
    tour.follow("The Keeper")
    tour.on("chapter1")
    tour.follow("\u2190 Welcome")
    tour.on("index")
    tour.follow("The Keeper")
    tour.on("chapter1")
    for forward, page in (("The Lamp \u2192", "chapter2"), ("Storms \u2192", "chapter3"),
                          ("Commands \u2192", "commands")):
        tour.follow(forward)
        tour.on(page)
    for backward, page in (("\u2190 Storms", "chapter3"), ("\u2190 The Lamp", "chapter2"),
                           ("\u2190 The Keeper", "chapter1")):
        tour.follow(backward)
        tour.on(page)
    tour.follow("The Lamp \u2192")
    tour.follow("Storms \u2192")
    tour.follow("Commands \u2192")
    tour.on("commands")


def command_links(tour):
    for name, texts in (("Search for \u201cstorm\u201d", (PAGES["results"], "Storms")),
                        ("Search for \u201cLamp\u201d, case-sensitive",
                         (PAGES["results"], "The Lamp")),
                        ("Show the table of contents", (PAGES["contents"],)),
                        ("About this book", (PAGES["about"],))):
        tour.follow(name)
        tour.shows(*texts)
        tour.menu_back()
        tour.on("commands")

    tour.follow("Display a page written by the link itself")
    tour.shows("A page made on the spot", "pixels wide")
    tour.follow("Back to the commands")
    tour.on("commands")

    tour.follow("Set a variable and show it")
    tour.answer("Hello, friend of the light! The variable visitor now holds this text.", "OK")
    tour.follow("Ask a question and show the answer on a new page")
    tour.answer("Shall the keeper light the lamp tonight?", "Yes")
    tour.shows("You pressed the button with code 6", "The lamp burns bright over the bay.")
    tour.follow("Back to the commands")
    tour.on("commands")
    tour.follow("The same question, asked by a script file")
    tour.answer("Is the fog coming in?", "No")
    tour.shows("You answered with button code 7", "The fog horn stays silent tonight.")
    tour.follow("Back to the commands")
    tour.on("commands")
    tour.follow("Run the tour")
    tour.shows("All lamps lit")
    tour.follow("Back to the commands")
    tour.on("commands")

    tour.follow("Larger text")
    wait_for(lambda: tour.checked_size() == "Larger", "the larger text size")
    tour.follow("Normal text")
    wait_for(lambda: tour.checked_size() == "Medium", "the normal text size")

    tour.follow("\u2190 Storms")
    tour.on("chapter3")
    tour.follow("Commands \u2192")
    tour.on("commands")
    tour.follow("Home")
    tour.on("index")
    tour.menu_back()
    tour.on("commands")
    # ##BACK goes where the Back button goes: to the page the commands were reached from,
    # also when a command link was followed in between.
    tour.follow("Back")
    tour.on("chapter3")
    tour.follow("Commands \u2192")
    tour.on("commands")
    tour.follow("Show the table of contents")
    tour.on("contents")
    tour.menu_back()
    tour.on("commands")
    tour.follow("Back")
    tour.on("chapter3")
    tour.follow("Commands \u2192")
    tour.on("commands")
    tour.follow("The extension \u2192")
    tour.on("extension")


def extension_links(tour):
    tour.follow("Show the extension's variables on a page")
    tour.shows("Asked the extension", "Command links and scripts run so far")
    tour.follow("Back to the extension page")
    tour.on("extension")
    tour.follow("Ask the extension to greet the keeper")
    tour.answer("The extension says: Hello, keeper!", "OK")
    tour.follow("Add up two numbers in the extension")
    tour.answer("5 + 7 = 12 (the extension keeps a running total)", "OK")
    tour.follow("Let the extension report an error")
    tour.answer("The extension reports an error like any command", "OK")
    tour.on("extension")
    tour.follow("\u2190 Commands")
    tour.on("commands")
    tour.menu_back()
    tour.on("extension")
    tour.follow("Welcome \u2192")
    tour.on("index")


def test():
    with Scratch() as work:
        book = SampleBook(work)
        reader = Reader(book, os.path.join(work, "home"))
        try:
            tour = Tour(reader)
            reader.frame()
            tour.answer("Welcome to The Lighthouse Almanac.", "OK")
            tour.on("index")
            index_links(tour)
            chapter_links(tour)
            command_links(tour)
            extension_links(tour)
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
