"""A program of another user's desktop that drags an address: a small window at a fixed
place offers URI on a drag (as text/uri-list and as text), and a second window takes
drops, as any program's drop target does. Everything it sees goes, one line each, to the
record file: "ready SX SY TX TY" (the middle of the source and of its own drop target),
"begin", "status ACTION" (the drop target under the pointer changed the drag's action;
0: it refuses now),
"data-get" (a target asked for the address: it takes the drop), "received URI", "end".

Usage: drag_source.py URI RECORD"""

import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402

URI, RECORD = sys.argv[1], sys.argv[2]
SOURCE_AT = (1150, 900)
TARGET_AT = (1000, 900)
SIZE = (100, 80)


def note(text):
    with open(RECORD, "a") as f:
        f.write(text + "\n")


def targets():
    return [Gtk.TargetEntry.new("text/uri-list", 0, 0), Gtk.TargetEntry.new("text/plain", 0, 1)]


def window(title, at, widget):
    win = Gtk.Window(title=title)
    win.set_default_size(*SIZE)
    win.move(*at)
    win.add(widget)
    return win


def on_data_get(widget, context, data, info, time):
    note("data-get")
    if info == 0:
        data.set_uris([URI])
    else:
        data.set_text(URI, -1)


def on_received(widget, context, x, y, data, info, time):
    uris = data.get_uris() or [data.get_text() or ""]
    note("received " + uris[0])


def on_begin(widget, context):
    note("begin")
    # The drop target under the pointer answers where the pointer is; an answer that takes
    # the drop changes the drag's action.
    context.connect("action-changed",
                    lambda context, action: note("status %d" % int(action)))


source = Gtk.EventBox()
source.add(Gtk.Label(label="drag me"))
source.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, targets(),
                       Gdk.DragAction.COPY | Gdk.DragAction.LINK | Gdk.DragAction.MOVE)
source.connect("drag-begin", on_begin)
source.connect("drag-data-get", on_data_get)
source.connect("drag-end", lambda *args: note("end"))

target = Gtk.EventBox()
target.add(Gtk.Label(label="drop here"))
target.drag_dest_set(Gtk.DestDefaults.ALL, targets(), Gdk.DragAction.COPY | Gdk.DragAction.LINK)
target.connect("drag-data-received", on_received)

source_window = window("Drag source", SOURCE_AT, source)
target_window = window("Drop target", TARGET_AT, target)
source_window.show_all()
target_window.show_all()


def ready(*args):
    middle = [a + s // 2 for a, s in zip(SOURCE_AT + TARGET_AT, SIZE + SIZE)]
    note("ready %d %d %d %d" % tuple(middle))
    return False


source_window.connect("map-event", ready)
Gtk.main()
