"""Takes the README's picture of a search in the sample book.

    tests/gui/run_gui_test.sh docs/make_search_screenshot.py OUTPUT.png

with QUIRE_PACK and QUIRE_READER set as for the GUI tests.
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "gui"))

import pyatspi  # noqa: E402
from make_reading_screenshots import capture  # noqa: E402
from reader_driver import (Reader, Scratch, click, find, has_state, page_text,  # noqa: E402
                           set_entry_text, wait_for)
import subprocess  # noqa: E402


def main():
    out = os.path.abspath(sys.argv[1])
    with Scratch() as work:
        book = os.path.join(work, "lighthouse")
        subprocess.run([os.environ["QUIRE_PACK"], "build", os.path.join(HERE, "..", "examples",
                        "sample-book"), "-o", book, "--reader", os.environ["QUIRE_READER"], "-q"],
                       check=True)

        class Built:
            path = book

        reader = Reader(Built, os.path.join(work, "home"))
        try:
            welcome = reader.message_box()
            click(wait_for(lambda: find(welcome, role=pyatspi.ROLE_PUSH_BUTTON, name="OK"), "OK"))
            reader.choose_menu("Go", "Search this E-Book...")
            dialog = reader.dialog("Search")
            entry = wait_for(lambda: find(dialog, role=pyatspi.ROLE_TEXT), "the entry")
            set_entry_text(entry, "fog lantern")
            ok = wait_for(lambda: find(dialog, role=pyatspi.ROLE_PUSH_BUTTON, name="OK"), "OK")
            wait_for(lambda: has_state(ok, pyatspi.STATE_SENSITIVE), "OK enabled")
            click(ok)
            wait_for(lambda: "Search Results" in page_text(reader.document()), "the results")
            wait_for(lambda: find(reader.app, roles=(pyatspi.ROLE_DIALOG,), showing=True) is None,
                     "the dialog to go")
            capture(reader, out)
        finally:
            reader.close()


if __name__ == "__main__":
    main()
