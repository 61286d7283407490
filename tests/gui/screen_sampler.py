"""Watches a rectangle of the screen and writes, once per captured frame, how many of its
columns show the progress bar's fill colour. Runs until it is terminated.

    screen_sampler.py OUT X Y WIDTH HEIGHT
"""

import signal
import sys

import gi

gi.require_version("Gdk", "3.0")
from gi.repository import Gdk  # noqa: E402

running = True


def stop(*_):
    global running
    running = False


def is_fill(r, g, b):
    # The theme's selection blue; page text, the trough and the caption are grey or black.
    return b > 170 and r < 120 and 90 < g < 180


def filled_columns(pixbuf):
    width, height = pixbuf.get_width(), pixbuf.get_height()
    stride, channels = pixbuf.get_rowstride(), pixbuf.get_n_channels()
    data = pixbuf.get_pixels()
    count = 0
    for x in range(width):
        for y in range(height):
            i = y * stride + x * channels
            if is_fill(data[i], data[i + 1], data[i + 2]):
                count += 1
                break
    return count


def main():
    out, x, y, width, height = sys.argv[1], *map(int, sys.argv[2:6])
    signal.signal(signal.SIGTERM, stop)
    root = Gdk.get_default_root_window()
    with open(out, "w", buffering=1) as f:
        f.write("ready\n")
        while running:
            pixbuf = Gdk.pixbuf_get_from_window(root, x, y, width, height)
            if pixbuf is not None:
                f.write("%d\n" % filled_columns(pixbuf))


if __name__ == "__main__":
    main()
