#!/usr/bin/env python3
"""Draws the program icon, src/res/plovik.ico: a folder with a green arrow
(a tree brought up to date, one way), at 16, 32 and 48 pixels, 32-bit with
alpha. Run it again after changing the drawing; the icon file is checked in.

Usage: scripts/make-icon.py [output]
"""
import struct
import sys
from pathlib import Path

SIZES = (16, 32, 48)
GRID = 16.0  # the drawing's units; every size scales them

FOLDER_BACK = (0xC8, 0x8A, 0x1E, 0xFF)
FOLDER_FRONT = (0xF5, 0xC2, 0x42, 0xFF)
OUTLINE = (0x7A, 0x52, 0x0C, 0xFF)
ARROW = (0x2E, 0x9B, 0x3A, 0xFF)
ARROW_EDGE = (0x1B, 0x5E, 0x22, 0xFF)


def inside_polygon(x, y, points):
    """Even-odd rule for the point (x, y) against a closed polygon."""
    inside = False
    for i, (x1, y1) in enumerate(points):
        x2, y2 = points[(i + 1) % len(points)]
        if (y1 > y) != (y2 > y):
            cross = x1 + (y - y1) * (x2 - x1) / (y2 - y1)
            if x < cross:
                inside = not inside
    return inside


def shapes():
    """The drawing, back to front: (polygon in grid units, fill, outline)."""
    tab = [(1, 2.5), (6, 2.5), (7.5, 4), (15, 4), (15, 13.5), (1, 13.5)]
    front = [(1, 6), (15, 6), (15, 13.5), (1, 13.5)]
    arrow = [(3.5, 8.5), (8.5, 8.5), (8.5, 6.8), (12.5, 10), (8.5, 13.2), (8.5, 11.5),
             (3.5, 11.5)]
    return [(tab, FOLDER_BACK, OUTLINE), (front, FOLDER_FRONT, OUTLINE),
            (arrow, ARROW, ARROW_EDGE)]


def render(size):
    """Rows of RGBA pixels, top row first."""
    scale = size / GRID
    edge = 1.0 / scale  # one pixel, in grid units
    pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for polygon, fill, outline in shapes():
        for row in range(size):
            for column in range(size):
                x, y = (column + 0.5) / scale, (row + 0.5) / scale
                if not inside_polygon(x, y, polygon):
                    continue
                near_edge = any(not inside_polygon(x + dx, y + dy, polygon)
                                for dx, dy in ((edge, 0), (-edge, 0), (0, edge), (0, -edge)))
                pixels[row][column] = outline if near_edge else fill
    return pixels


def icon_image(size):
    """One image of an ICO file: a bottom-up 32-bit DIB and its AND mask."""
    pixels = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(struct.pack("BBBB", b, g, r, a)
                      for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_row * size)
    return header + colour + mask


def main():
    output = Path(sys.argv[1]) if len(sys.argv) > 1 else \
        Path(__file__).resolve().parent.parent / "src" / "res" / "plovik.ico"
    images = [icon_image(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    output.write_bytes(directory + b"".join(images))
    print(f"{output}: {', '.join(str(s) for s in SIZES)} pixels")


if __name__ == "__main__":
    main()
