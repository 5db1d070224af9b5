#!/usr/bin/env python3
"""Draws the sample application's icon, a red seal stamp, and writes it as a Windows .ico.

    make_icon.py OUTPUT.ico

Three images (16, 32 and 48 pixels square), 32-bit BGRA with an AND mask, drawn with 4x4
supersampling. Only the standard library is used; the output is the same on every run.
"""
import math
import struct
import sys

SIZES = (16, 32, 48)
SUPERSAMPLE = 4
RED = (0xC8, 0x10, 0x1E)


def star_contains(x, y, cx, cy, outer, inner):
    """True when (x, y) lies inside a five-pointed star with one point upwards."""
    points = []
    for k in range(10):
        radius = outer if k % 2 == 0 else inner
        angle = -math.pi / 2 + k * math.pi / 5
        points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    inside = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def coverage(size, px, py):
    """Share (0..1) of the pixel (px, py) that the seal covers."""
    c = size / 2.0
    outer = size * 0.47
    ring = max(1.0, size * 0.09)
    hits = 0
    for sy in range(SUPERSAMPLE):
        for sx in range(SUPERSAMPLE):
            x = px + (sx + 0.5) / SUPERSAMPLE
            y = py + (sy + 0.5) / SUPERSAMPLE
            d = math.hypot(x - c, y - c)
            in_ring = outer - ring <= d <= outer
            in_star = star_contains(x, y, c, c - size * 0.04, size * 0.27, size * 0.11)
            in_bar = abs(y - (c + size * 0.27)) <= max(0.5, size * 0.035) and abs(x - c) <= size * 0.2
            if in_ring or in_star or in_bar:
                hits += 1
    return hits / float(SUPERSAMPLE * SUPERSAMPLE)


def image(size):
    """BITMAPINFOHEADER, BGRA rows bottom-up, then the AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in range(size - 1, -1, -1):
        mask_row = bytearray(mask_stride)
        for col in range(size):
            alpha = int(round(coverage(size, col, row) * 255))
            pixels += bytes((RED[2], RED[1], RED[0], alpha))
            if alpha == 0:
                mask_row[col // 8] |= 0x80 >> (col % 8)
        mask += mask_row
    return header + bytes(pixels) + bytes(mask)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT.ico")
    images = [image(size) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
