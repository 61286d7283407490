"""The keys a reader expects, typed as a user types them: Alt+Left and Alt+Right and the
mouse's back and forward buttons walk the history, Ctrl+plus, Ctrl+minus, Ctrl+0 and
Ctrl+wheel change the text size with the Fonts check mark following, every key a menu
shows is the key binding the accessibility bus reports, and Ctrl+W closes the book as
File > Exit does: the exit script runs and the book folder goes."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gi  # noqa: E402

gi.require_version("Gdk", "3.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402
import pyatspi  # noqa: E402
from font_sizes_test import checked_sizes, heading_height  # noqa: E402
from reader_driver import (Book, Reader, Scratch, check, find, mouse, page_text,  # noqa: E402
                           press_combination, run, user_click, wait_for, with_key_held,
                           x_button_click)

MANIFEST = """[book]
esbn = GUI-KEYS-1
title = Keys Book
exit-script = #!exit.txt
"""
PAGE = ("<html><body><h1>Start heading</h1>"
        "<p><a href=second.html>Second page</a></p></body></html>")
SECOND = "<html><body><h1>Second heading</h1><p>Second body</p></body></html>"

# Every menu item and the accelerator label the menus show for it (none: "").
MENU_LABELS = [
    (("File", "Print..."), "Ctrl+P"),
    (("File", "Print Setup..."), ""),
    (("File", "Exit"), ""),
    (("Edit", "Copy"), "Ctrl+C"),
    (("Edit", "Select All"), "Ctrl+A"),
    (("Edit", "Find (on this page)..."), "Ctrl+F"),
    (("View", "Toolbar"), ""),
    (("View", "Status Bar"), ""),
    (("View", "Fonts", "Largest"), ""),
    (("View", "Fonts", "Medium"), ""),
    (("View", "Stop"), "Esc"),
    (("View", "Refresh"), "F5"),
    (("Go", "Back"), "Alt+Left Arrow"),
    (("Go", "Forward"), "Alt+Right Arrow"),
    (("Go", "Home"), "Ctrl+H"),
    (("Go", "Search this E-Book..."), "Ctrl+S"),
    (("Go", "Table Of Contents"), "Ctrl+T"),
    (("Help", "About"), ""),
]


def label_to_key(label):
    """A menu's accelerator label as a GTK key and modifiers: "Alt+Left Arrow"."""
    if not label:
        return None
    names = {"Ctrl": "<Control>", "Alt": "<Alt>", "Shift": "<Shift>"}
    keys = {"Left Arrow": "Left", "Right Arrow": "Right", "Esc": "Escape"}
    parts = label.split("+")
    key = keys.get(parts[-1], parts[-1].lower() if len(parts[-1]) == 1 else parts[-1])
    accelerator = "".join(names[p] for p in parts[:-1]) + key
    return tuple(Gtk.accelerator_parse(accelerator))


def reported_key(item):
    """The accelerator the accessibility bus reports for a menu item, or None. GTK's key
    binding text is "mnemonic;path;accelerator"."""
    binding = item.queryAction().getKeyBinding(0) or ""
    accelerator = binding.split(";")[-1] if ";" in binding else ""
    if not accelerator:
        return None
    key, mods = Gtk.accelerator_parse(accelerator)
    return (key, mods) if key else None


def centre(acc):
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x + box.width // 2, box.y + box.height // 2


def test():
    with Scratch() as work:
        out = os.path.join(work, "out")
        os.makedirs(out)
        files = {"index.html": PAGE, "second.html": SECOND,
                 "exit.txt": "FILEWRITE('ok','%s/exit.txt','closed')\n" % out}
        reader = Reader(Book(work, files, MANIFEST), os.path.join(work, "home"))
        try:
            frame = reader.frame()
            wait_for(lambda: "Start heading" in page_text(reader.document()), "the start page")

            # The key bindings the accessibility bus reports are those the menus show.
            for path, label in MENU_LABELS:
                item = reader.menu_item(*path)
                check(reported_key(item) == label_to_key(label),
                      "%s reports %r, the menu shows %r" % (
                          " > ".join(path), item.queryAction().getKeyBinding(0), label))

            mouse(*centre(frame), "abs")
            user_click(find(reader.document(), role=pyatspi.ROLE_LINK, name="Second page"))
            wait_for(lambda: "Second body" in page_text(reader.document()), "the second page")
            reader.walk_history_by_keys("Start heading", "Second body")
            # The mouse's own back (8) and forward (9) buttons over the page.
            x, y = centre(reader.document())
            x_button_click(x, y, 8)
            wait_for(lambda: "Start heading" in page_text(reader.document()),
                     "the start page after the back button")
            x_button_click(x, y, 9)
            wait_for(lambda: "Second body" in page_text(reader.document()),
                     "the second page after the forward button")

            medium = wait_for(lambda: heading_height(reader), "the heading's size")
            check(checked_sizes(reader) == ["Medium"], "checked at first: %r" %
                  checked_sizes(reader))
            # Ctrl+plus as typed on the keyboard: the plus sign, with Shift where it needs it.
            with_key_held("Control_L", lambda: pyatspi.Registry.generateKeyboardEvent(
                Gdk.keyval_from_name("plus"), None, pyatspi.KEY_SYM))
            wait_for(lambda: checked_sizes(reader) == ["Larger"], "Larger checked after Ctrl+plus")
            wait_for(lambda: heading_height(reader) > medium, "a larger heading")
            press_combination("Control_L", "plus")
            wait_for(lambda: checked_sizes(reader) == ["Largest"], "Largest after a second step")
            press_combination("Control_L", "0")
            wait_for(lambda: checked_sizes(reader) == ["Medium"], "Medium again after Ctrl+0")
            wait_for(lambda: heading_height(reader) == medium, "the medium heading again")
            press_combination("Control_L", "minus")
            wait_for(lambda: checked_sizes(reader) == ["Smaller"], "Smaller after Ctrl+minus")
            with_key_held("Control_L", lambda: mouse(x, y, "b4c"))
            wait_for(lambda: checked_sizes(reader) == ["Medium"], "Medium after Ctrl+wheel up")
            check("Second body" in page_text(reader.document()), "Ctrl+wheel did not scroll away")

            press_combination("Control_L", "w")
            reader.expect_closed_cleanly("Ctrl+W", os.path.join(out, "exit.txt"),
                                         reader.book_folder("GUI-KEYS-1"))
        finally:
            reader.close()


if __name__ == "__main__":
    run(test)
