"""Finding on the page: Edit > Find opens the bar over the page; typing highlights every
match and says which one is selected of how many ("1 of 3"), also while typing letter by
letter on a long page where the first letters match thousands of times; Next, Enter,
Previous and Shift+Enter move through them and wrap around; Match case counts again; the
bar keeps its width whatever the count says; the entry keeps its own editing keys (Ctrl+A
selects its text, not the page, Ctrl+C copies it); and Esc closes the bar."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pyatspi  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, click, find, has_state,  # noqa: E402
                           page_text, press_combination, press_key, run, set_entry_text,
                           text_of, wait_for)

MANIFEST = "[book]\nesbn = FIND-1\ntitle = Finding\n"
# Thousands of a's, and "apple" three times, once with a capital.
FILLER = "<p>%s</p>" % " ".join(["a banana and a papaya at a bazaar"] * 300)
PAGE = ("<html><body><h1>Orchard</h1><p id=p>An apple, a pear, another Apple and a last "
        "apple.</p>%s</body></html>" % FILLER)


def selection_in_paragraph(reader):
    paragraph = find(reader.document(), predicate=lambda a: text_of(a).startswith("An apple"))
    text = paragraph.queryText()
    if text.getNSelections() == 0:
        return None
    return text.getSelection(0)


def entry_selection(entry):
    text = entry.queryText()
    return text.getSelection(0) if text.getNSelections() else None


def clipboard_text():
    import gi
    gi.require_version("Gtk", "3.0")
    from gi.repository import Gdk, Gtk
    return Gtk.Clipboard.get(Gdk.SELECTION_CLIPBOARD).wait_for_text()


class Bar:
    def __init__(self, reader, entry):
        self.reader = reader
        self.entry = entry
        self.widths = set()

    def count(self):
        label = find(self.reader.frame(), role=pyatspi.ROLE_LABEL, showing=True,
                     predicate=lambda a: " of " in a.name or "match" in a.name)
        return label.name if label else None

    def expect(self, count, what):
        wait_for(lambda: self.count() == count, "%r %s (the bar says %r)"
                 % (count, what, self.count()))
        box = self.entry.parent.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        self.widths.add(box.width)

    def button(self, name):
        return wait_for(lambda: find(self.reader.frame(), role=pyatspi.ROLE_PUSH_BUTTON,
                                     name=name, showing=True), name)


def test():
    with Scratch() as work:
        reader = Reader(Book(work, {"index.html": PAGE}, MANIFEST), os.path.join(work, "home"))
        try:
            reader.frame()
            wait_for(lambda: "Orchard" in page_text(reader.document()), "the page")
            reader.choose_menu("Edit", "Find (on this page)...")
            entry = wait_for(lambda: find(reader.frame(), role=pyatspi.ROLE_ENTRY, showing=True)
                             or find(reader.frame(), role=pyatspi.ROLE_TEXT, showing=True),
                             "the find bar's entry")
            bar = Bar(reader, entry)
            # Typed letter by letter: "a" alone matches thousands of times.
            for letter in "apple":
                press_key(letter)
            bar.expect("1 of 3", "after typing")
            first = wait_for(lambda: selection_in_paragraph(reader), "the first match selected")
            check(first[1] - first[0] == 5, "the selection is %r" % (first,))

            click(bar.button("Next"))
            bar.expect("2 of 3", "after Next")
            press_key("Return")
            bar.expect("3 of 3", "after Enter")
            press_key("Return")
            bar.expect("1 of 3", "after Enter wrapped around")
            press_combination("Shift_L", "Return")
            bar.expect("3 of 3", "after Shift+Enter wrapped back")
            click(bar.button("Previous"))
            bar.expect("2 of 3", "after Previous")

            case = find(reader.frame(), role=pyatspi.ROLE_CHECK_BOX, name="Match case",
                        showing=True)
            click(case)
            wait_for(lambda: (bar.count() or "").endswith(" of 2"),
                     "2 matches with the case matched (%r)" % bar.count())
            click(case)
            bar.expect("1 of 3", "without the case again")
            set_entry_text(entry, "plum")
            bar.expect("No matches", "for a word not on the page")
            set_entry_text(entry, "Orchard")
            bar.expect("1 of 1", "for the heading")
            check(len(bar.widths) == 1, "the bar kept its width: %r" % bar.widths)

            # The entry's own keys: Ctrl+A selects its text, not the page; Ctrl+C copies it.
            press_combination("Control_L", "a")
            wait_for(lambda: entry_selection(entry) == (0, 7), "the entry's text selected")
            check(not find(reader.document(), predicate=lambda a: text_of(a).startswith(
                "An apple") and a.queryText().getNSelections() and
                a.queryText().getSelection(0)[0] == 0), "the page was not selected")
            press_combination("Control_L", "c")
            wait_for(lambda: clipboard_text() == "Orchard", "the entry's text copied")
            check(has_state(entry, pyatspi.STATE_FOCUSED), "the entry keeps the focus")

            press_key("Escape")
            wait_for(lambda: not has_state(entry, pyatspi.STATE_SHOWING), "the bar to close")
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
