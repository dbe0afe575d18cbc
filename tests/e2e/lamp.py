#!/usr/bin/env python3
"""Finds the Tarnwick lamp in a screenshot of a Wine desktop and names its colour.

usage: lamp.py SHOT.png [X Y W H]
The optional rectangle is the desktop window on the screen; the taskbar is searched in
its bottom 48 rows. Prints "COLOUR CX CY" (screen coordinates of the lamp's centre) where
COLOUR is red, green, yellow or none; exits 0 when a lamp was found, 1 when not.
"""
import subprocess
import sys

SHADES = {
    "red": [(128, 0, 0), (185, 0, 0), (220, 0, 0)],
    "green": [(0, 150, 0), (0, 185, 0), (0, 220, 0)],
    "yellow": [(128, 128, 0), (185, 185, 0), (220, 220, 0)],
}
TOLERANCE = 24


def read_ppm(path):
    data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True,
                          capture_output=True).stdout
    # P6 header: magic, width, height, maxval, each separated by whitespace
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    pos += 1
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos:pos + width * height * 3]


def colour_of(rgb):
    r, g, b = rgb
    for name, shades in SHADES.items():
        for (sr, sg, sb) in shades:
            if abs(r - sr) <= TOLERANCE and abs(g - sg) <= TOLERANCE and abs(b - sb) <= TOLERANCE:
                return name
    return None


def find_lamp(path, rect=None):
    width, height, pixels = read_ppm(path)
    x0, y0, w, h = rect if rect else (0, 0, width, height)
    top = max(y0, y0 + h - 48)
    hits = []  # (x, y, colour)
    for y in range(top, min(y0 + h, height)):
        row = y * width * 3
        for x in range(x0, min(x0 + w, width)):
            i = row + x * 3
            c = colour_of(pixels[i:i + 3])
            if c:
                hits.append((x, y, c))
    if not hits:
        return None
    # The rightmost group of lamp-coloured pixels that fits in one icon cell.
    right = max(x for x, _, _ in hits)
    group = [(x, y, c) for x, y, c in hits if right - x < 34]
    counts = {}
    for _, _, c in group:
        counts[c] = counts.get(c, 0) + 1
    colour = max(counts, key=counts.get)
    xs = [x for x, _, _ in group]
    ys = [y for _, y, _ in group]
    return colour, (min(xs) + max(xs)) // 2, (min(ys) + max(ys)) // 2


def main():
    if len(sys.argv) not in (2, 6):
        print(__doc__, file=sys.stderr)
        return 2
    rect = tuple(int(v) for v in sys.argv[2:6]) if len(sys.argv) == 6 else None
    found = find_lamp(sys.argv[1], rect)
    if not found:
        print("none 0 0")
        return 1
    print("%s %d %d" % found)
    return 0


if __name__ == "__main__":
    sys.exit(main())
