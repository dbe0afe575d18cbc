#!/usr/bin/env python3
"""Finds the Tarnwick lamp in a screenshot of a Wine desktop and names its colour.

usage: lamp.py SHOT.png [X Y W H]
The optional rectangle is the desktop window on the screen (default: the whole shot).
The taskbar is the strip at the bottom of the desktop that has the colour of its bottom
right corner; the notification area is its right half, where the icon is the rightmost
16 x 16 cell of pixels that differ from the strip. The colour is judged from the pixels
of that cell: red, green or yellow for a lit lamp, dark for a lamp without light, other
for anything else drawn there (a spark, an explosion), none when the cell is empty.

Prints "COLOUR CX CY DIGEST LIT": the cell's centre in screen coordinates, a digest of its
pixels (equal digests: the same frame) and how many pixels have the lamp's colour (how
brightly it is lit). Exits 0 when something is drawn there, 1 when not.
"""
import hashlib
import subprocess
import sys

CELL = 16
MAX_TASKBAR = 48
# Pixels of one lamp colour needed to call the lamp lit; a pinpoint light has about four.
LIT_PIXELS = 4
DARK_PIXELS = 20


def read_ppm(path, rect=None):
    args = ["convert", path]
    if rect:
        args += ["-crop", "%dx%d+%d+%d" % (rect[2], rect[3], rect[0], rect[1]), "+repage"]
    data = subprocess.run(args + ["-depth", "8", "ppm:-"], check=True, capture_output=True).stdout
    # P6 header: magic, width, height, maxval, each followed by whitespace
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


def kind_of(rgb):
    """Sorts one pixel: a lamp colour, dark, grey (the lamp's rim) or other."""
    r, g, b = rgb
    if max(r, g, b) < 40:
        return "dark"
    if r >= 100 and g < 70 and b < 70:
        return "red"
    if g >= 100 and r < 70 and b < 70:
        return "green"
    if r >= 100 and g >= 100 and b < 70 and abs(r - g) <= 40:
        return "yellow"
    if max(r, g, b) - min(r, g, b) < 16:
        return "grey"
    return "other"


def judge(pixels):
    """The cell's colour and the number of pixels of that colour."""
    counts = {}
    for p in pixels:
        k = kind_of(p)
        counts[k] = counts.get(k, 0) + 1
    lit = max(("red", "green", "yellow"), key=lambda k: counts.get(k, 0))
    if counts.get(lit, 0) >= LIT_PIXELS:
        return lit, counts[lit]
    if counts.get("dark", 0) >= DARK_PIXELS:
        return "dark", counts["dark"]
    return "other", counts.get("other", 0)


def find_lamp(path, rect=None):
    width, height, data = read_ppm(path, rect)
    ox, oy = (rect[0], rect[1]) if rect else (0, 0)

    def px(x, y):
        i = (y * width + x) * 3
        return tuple(data[i:i + 3])

    background = px(width - 1, height - 1)
    top = height - 1
    while top > 0 and height - top < MAX_TASKBAR and px(width - 1, top - 1) == background:
        top -= 1
    drawn = [(x, y) for y in range(top, height) for x in range(width // 2, width) if px(x, y) != background]
    if not drawn:
        return None
    right = max(x for x, _ in drawn)
    cell = [(x, y) for x, y in drawn if right - x < CELL]
    xs = [x for x, _ in cell]
    ys = [y for _, y in cell]
    box = (min(xs), min(ys), max(xs), max(ys))
    pixels = [px(x, y) for y in range(box[1], box[3] + 1) for x in range(box[0], box[2] + 1)]
    colour, amount = judge(px(x, y) for x, y in cell)
    digest = hashlib.sha1(repr((box, pixels)).encode()).hexdigest()[:12]
    return colour, ox + (box[0] + box[2]) // 2, oy + (box[1] + box[3]) // 2, digest, amount


def main():
    if len(sys.argv) not in (2, 6):
        print(__doc__, file=sys.stderr)
        return 2
    rect = tuple(int(v) for v in sys.argv[2:6]) if len(sys.argv) == 6 else None
    try:
        found = find_lamp(sys.argv[1], rect)
    except (subprocess.CalledProcessError, OSError, ValueError, IndexError) as e:
        print("lamp.py: cannot read %s: %s" % (sys.argv[1], e), file=sys.stderr)
        print("none 0 0 - 0")
        return 1
    if not found:
        print("none 0 0 - 0")
        return 1
    print("%s %d %d %s %d" % found)
    return 0


if __name__ == "__main__":
    sys.exit(main())
