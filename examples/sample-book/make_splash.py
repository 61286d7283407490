#!/usr/bin/env python3
"""Draws splash.bmp, the sample book's splash picture: a lighthouse at dusk.

An 8-bit BMP with a 256-colour palette keeps the picture small. Run it again after
changing the drawing; the book stores the BMP, not this script (book.ini ignores *.py).
"""
import math
import struct

W, H = 320, 150


def palette():
    colours = []
    # 0-127: sky, deep blue at the top to warm amber at the horizon.
    for i in range(128):
        t = i / 127
        colours.append((int(30 + 215 * t), int(40 + 140 * t), int(90 + 30 * t)))
    # 128-191: sea, dark to lighter teal.
    for i in range(64):
        t = i / 63
        colours.append((int(15 + 40 * t), int(50 + 70 * t), int(70 + 70 * t)))
    # 192-223: beam, pale yellow fading into the sky.
    for i in range(32):
        t = i / 31
        colours.append((int(255 - 20 * t), int(240 - 60 * t), int(170 - 80 * t)))
    colours.append((245, 240, 230))  # 224 tower white
    colours.append((170, 40, 40))    # 225 tower red
    colours.append((40, 35, 35))     # 226 rock
    colours.append((255, 250, 200))  # 227 lamp
    colours.append((250, 245, 235))  # 228 lettering
    while len(colours) < 256:
        colours.append((0, 0, 0))
    return colours


def pixel(x, y):
    # y counts from the top.
    horizon = 105
    tower_x, tower_top, lamp_y = 250, 28, 34
    # Lettering band: a simple "Q" monogram ring at the left.
    cx, cy = 52, 52
    d = math.hypot(x - cx, y - cy)
    if 20 <= d <= 25 or (x - cx > 8 and abs((x - cx) - (y - cy)) < 3 and 8 < y - cy < 30):
        return 228
    # Lamp and beam.
    if math.hypot(x - tower_x, y - lamp_y) < 5:
        return 227
    angle = math.atan2(y - lamp_y, x - tower_x)
    spread = abs(angle - math.pi * 0.93)
    if x < tower_x and spread < 0.09 and y < horizon:
        fade = min(31, int((tower_x - x) / 8))
        return 192 + fade
    # Tower: a tapering trunk with red bands, on a rock.
    if tower_top <= y < 100:
        half = 6 + (y - tower_top) * 6 // 72
        if abs(x - tower_x) <= half:
            band = ((y - tower_top) // 12) % 2
            return 225 if band else 224
    if 95 <= y < 115 and abs(x - tower_x) < 30 - (y - 95) // 2 + (y - 95):
        return 226
    if y < horizon:
        return int(127 * y / horizon)
    wave = math.sin(x / 9 + y / 3) * 4
    return 128 + max(0, min(63, int((y - horizon) * 63 / (H - horizon) + wave)))


def main():
    colours = palette()
    row = (W + 3) & ~3
    pixels = bytearray()
    for y in reversed(range(H)):  # BMP rows run bottom-up
        line = bytes(pixel(x, y) for x in range(W))
        pixels += line + b"\0" * (row - W)
    header_size = 14 + 40 + 256 * 4
    bmp = b"BM" + struct.pack("<IHHI", header_size + len(pixels), 0, 0, header_size)
    bmp += struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    for r, g, b in colours:
        bmp += bytes((b, g, r, 0))
    bmp += pixels
    with open("splash.bmp", "wb") as out:
        out.write(bmp)


if __name__ == "__main__":
    main()
