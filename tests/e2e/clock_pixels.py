#!/usr/bin/env python3
"""Reads a picture of the desktop clock window as a person would: what it shows and how.

    tests/e2e/clock_pixels.py PICTURE

PICTURE is the whole clock window (its 4-pixel sizing border included), as `import -window`
saves it. Prints key=value lines:

    size=400x100        the picture's size
    cells=6             digits found: one middle bar each across the window's middle row
    thickness=3         the height of the first digit's middle bar, in pixels
    bar=3               the width of the first digit's upper-left bar, in pixels
    lit=ff0000          the colour of lit segments (RRGGBB): the brighter of the two segment colours
    unlit=300000        the colour of unlit segments
    colon=ff0000        the colour of the separators' dots
    stray=0             pixels inside the digits' area in none of black, lit and unlit
    text=17:05:09       the digits read from their segments, with the separators put back

Nothing here knows the layout's arithmetic: the middle row of the window crosses every digit's
middle bar and no separator dot, and each of the other segments is found from there by walking
over black to the next painted pixel. Segments are painted in one of two colours whatever the
digit, so every digit shows all seven and the lit ones are those in the brighter colour.
"""
import subprocess
import sys

BORDER = 4  # the window's sizing border
MARGIN = 5  # the display's own margin around the digits (inside its 1-pixel sunken edge)
INSET = BORDER + MARGIN

# Lit segments of each digit: bit 0 top, 1 upper right, 2 lower right, 3 bottom, 4 lower left,
# 5 upper left, 6 middle.
DIGITS = {0x3F: "0", 0x06: "1", 0x5B: "2", 0x4F: "3", 0x66: "4",
          0x6D: "5", 0x7D: "6", 0x07: "7", 0x7F: "8", 0x6F: "9"}
BLACK = (0, 0, 0)


def load(path):
    """The picture as rows of (r, g, b), through ImageMagick's plain PPM."""
    data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True,
                          capture_output=True).stdout
    fields = []
    at = 0
    while len(fields) < 4:  # P6, width, height, maximum, separated by white space
        while data[at:at + 1].isspace():
            at += 1
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    at += 1
    if fields[0] != b"P6" or fields[3] != b"255":
        sys.exit(f"clock_pixels: {path}: not an 8-bit RGB picture")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[at:]
    return width, height, [[tuple(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3])
                            for x in range(width)] for y in range(height)]


def runs(row, first, last):
    """(start, end) of each stretch of painted pixels in row[first:last], ends inclusive."""
    found, start = [], None
    for x in range(first, last):
        painted = row[x] != BLACK
        if painted and start is None:
            start = x
        elif not painted and start is not None:
            found.append((start, x - 1))
            start = None
    if start is not None:
        found.append((start, last - 1))
    return found


def walk(pixel, x, y, dx, dy):
    """From (x, y), steps over painted pixels, then over black, to the next painted pixel:
    its position, or None at the edge of the digits' area."""
    for wanted_painted in (False, True):
        while pixel(x, y) is not None and (pixel(x, y) != BLACK) != wanted_painted:
            x, y = x + dx, y + dy
    return (x, y) if pixel(x, y) is not None else None


def extent(pixel, x, y, dx, dy):
    """Painted pixels in a line through (x, y) along (dx, dy), both ways, (x, y) included."""
    count = 1
    for sign in (1, -1):
        cx, cy = x + sign * dx, y + sign * dy
        while pixel(cx, cy) not in (None, BLACK):
            count += 1
            cx, cy = cx + sign * dx, cy + sign * dy
    return count


def read(path):
    width, height, img = load(path)
    left, right, top, bottom = INSET, width - INSET, INSET, height - INSET

    def pixel(x, y):
        return img[y][x] if left <= x < right and top <= y < bottom else None

    middle = height // 2
    cells = runs(img[middle], left, right)
    out = {"size": f"{width}x{height}", "cells": len(cells)}
    if not cells:
        return out

    # Each digit's segments, as colours in bit order.
    digits = []
    for start, end in cells:
        x = (start + end) // 2
        top_bar = walk(pixel, x, middle, 0, -1)
        bottom_bar = walk(pixel, x, middle, 0, 1)
        if top_bar is None or bottom_bar is None:
            digits.append(None)
            continue
        upper = (middle + top_bar[1]) // 2
        lower = (middle + bottom_bar[1]) // 2
        found = [top_bar,
                 walk(pixel, x, upper, 1, 0),
                 walk(pixel, x, lower, 1, 0),
                 bottom_bar,
                 walk(pixel, x, lower, -1, 0),
                 walk(pixel, x, upper, -1, 0),
                 (x, middle)]
        digits.append([pixel(*p) if p is not None else None for p in found])

    colours = sorted({c for d in digits if d for c in d if c is not None}, key=sum, reverse=True)
    lit = colours[0] if colours else None
    unlit = colours[1] if len(colours) > 1 else None
    text = ""
    for d in digits:
        if d is None or None in d:
            text += "?"
            continue
        mask = sum(1 << bit for bit, c in enumerate(d) if c == lit)
        text += DIGITS.get(mask, "?")
    groups = [3, 2, 2, 2] if len(text) == 9 else [2, 2, 2] if len(text) == 6 else [len(text)]
    parts, at = [], 0
    for size in groups:
        parts.append(text[at:at + size])
        at += size
    out["text"] = ":".join(parts)

    first = cells[0]
    x = (first[0] + first[1]) // 2
    out["thickness"] = extent(pixel, x, middle, 0, 1)
    upper_left = walk(pixel, x, (middle + walk(pixel, x, middle, 0, -1)[1]) // 2, -1, 0)
    if upper_left is not None:
        out["bar"] = extent(pixel, upper_left[0], upper_left[1], 1, 0)

    def hexed(c):
        return "%02x%02x%02x" % c if c is not None else "none"

    out["lit"] = hexed(lit)
    out["unlit"] = hexed(unlit)

    # The first separator's upper dot: midway between the middle bars of the digits around it,
    # above the middle row.
    if len(cells) in (6, 9):
        before = 1 if len(cells) == 6 else 2
        x = (cells[before][1] + cells[before + 1][0]) // 2
        dot = walk(pixel, x, middle, 0, -1)
        out["colon"] = hexed(pixel(*dot)) if dot is not None else "none"

    known = {BLACK, lit, unlit}
    out["stray"] = sum(1 for y in range(top, bottom) for x in range(left, right)
                       if img[y][x] not in known)
    return out


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    for key, value in read(sys.argv[1]).items():
        print(f"{key}={value}")


if __name__ == "__main__":
    main()
