"""Times searches in the real reader window for window_search_bench: chooses Go > Search
this E-Book... with the mouse, types QUERY, presses OK and waits for the results page to
finish loading, RUNS times; prints one line "run SECONDS" per search. After each search it
goes Home from the same menu and prints "home SECONDS", the time from the click to the
start page's load: what showing a page costs without a search.

    tests/gui/run_gui_test.sh bench/window_search_driver.py BOOK RUNS QUERY
"""

import os
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "gui"))

from gi.repository import GLib  # noqa: E402
import pyatspi  # noqa: E402
from reader_driver import (Reader, click, find, has_state, is_menu_item, page_text,  # noqa: E402
                           set_entry_text, user_click, wait_for)


class Loads:
    """Counts the documents that finish loading in the window."""

    def __init__(self):
        self.count = 0
        pyatspi.Registry.registerEventListener(self.on_event, "document:load-complete")

    def on_event(self, event):
        self.count += 1

    def wait_past(self, count, timeout=300.0):
        context = GLib.MainContext.default()
        deadline = time.monotonic() + timeout
        while self.count <= count:
            if time.monotonic() > deadline:
                raise RuntimeError("no page finished loading")
            context.iteration(False) or time.sleep(0.001)
        return time.monotonic()


def main():
    book, runs, query = sys.argv[1], int(sys.argv[2]), sys.argv[3]

    class Built:
        path = book

    home = tempfile.mkdtemp(prefix="quire-window-search-")
    reader = Reader(Built, home)
    loads = Loads()
    try:
        reader.frame()
        wait_for(lambda: "Start" in page_text(reader.document()), "the start page", timeout=120)
        for _ in range(runs):
            reader.choose_menu("Go", "Search this E-Book...")
            dialog = reader.dialog("Search")
            entry = wait_for(lambda: find(dialog, role=pyatspi.ROLE_TEXT), "the entry")
            set_entry_text(entry, query)
            ok = wait_for(lambda: find(dialog, role=pyatspi.ROLE_PUSH_BUTTON, name="OK"), "OK")
            wait_for(lambda: has_state(ok, pyatspi.STATE_SENSITIVE), "OK enabled")
            before = loads.count
            start = time.monotonic()
            click(ok)
            end = loads.wait_past(before)
            print("run %.6f" % (end - start), flush=True)
            wait_for(lambda: "Search Results" in page_text(reader.document()), "the results")
            # The same navigation without a search: Home, chosen from the same menu, timed
            # from the click on it.
            go = reader.menu_item("Go")
            user_click(go)
            home_item = wait_for(lambda: find(go, name="Home", predicate=is_menu_item,
                                              showing=True), "Home")
            before = loads.count
            start = time.monotonic()
            user_click(home_item)
            end = loads.wait_past(before)
            print("home %.6f" % (end - start), flush=True)
    finally:
        reader.close()


if __name__ == "__main__":
    main()
