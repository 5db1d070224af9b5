#!/usr/bin/env python3
"""Draws the installer's pictures and writes them as Windows resource files.

  setup_icon.ico     program icon: one 128 x 128 image, 32 bits per pixel (BGRA + AND mask)
  setup_picture.bmp  left-panel picture: 164 x 314 pixels, 16 colours (4 bits per pixel)

The art is ours: a document page with a red round seal, on a blue panel. Everything is drawn
with plain arithmetic (no imaging library), so the build needs only python3.

usage: make_art.py OUTPUT_DIR
"""
import math
import os
import struct
import sys

RED = (200, 30, 36)
BLUE = (22, 84, 160)


def seal_coverage(x, y, cx, cy, r):
    """Coverage (0..1) of a seal centred at cx, cy with radius r: a ring and a star."""
    d = math.hypot(x - cx, y - cy)
    ring = r * 0.84 <= d <= r
    inner_ring = r * 0.72 <= d <= r * 0.76
    # Five-pointed star of outer radius 0.45 r, one tip up.
    star = inside_polygon(x, y, star_points(cx, cy, 0.45 * r))
    return ring or inner_ring or star


def star_points(cx, cy, rr):
    ri = rr * 0.382
    pts = []
    for i in range(10):
        rad = rr if i % 2 == 0 else ri
        a = -math.pi / 2 + i * math.pi / 5
        pts.append((cx + rad * math.cos(a), cy + rad * math.sin(a)))
    return pts


def inside_polygon(x, y, pts):
    inside = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def page_shape(x, y, left, top, w, h, fold):
    """'page', 'fold', 'line' or None for a document page with a folded top-right corner."""
    if not (left <= x < left + w and top <= y < top + h):
        return None
    fx = x - (left + w - fold)
    fy = y - top
    if fx >= 0 and fy < fold:
        if fx > fy:
            return None
        return 'fold'
    row = (y - top - h * 0.22) / (h * 0.1)
    if 0 <= row < 6 and (row % 1) < 0.35 and left + w * 0.15 <= x < left + w * (0.85 if int(row) % 3 else 0.6):
        return 'line'
    return 'page'


def icon_pixel(x, y):
    """RGBA of the icon at pixel centre x, y (128 x 128 design)."""
    s = page_shape(x, y, 18, 8, 76, 100, 22)
    rgba = (0, 0, 0, 0)
    if s == 'page':
        rgba = (250, 250, 252, 255)
    elif s == 'fold':
        rgba = (190, 205, 225, 255)
    elif s == 'line':
        rgba = (120, 150, 190, 255)
    # Page outline.
    if s is not None:
        edge = min(x - 18, 94 - x, y - 8, 108 - y)
        if edge < 2.0:
            rgba = (*BLUE, 255)
    if seal_coverage(x, y, 86, 84, 38):
        rgba = (*RED, 255)
    return rgba


def make_icon():
    size, ss = 128, 4
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(ss):
                for sx in range(ss):
                    r, g, b, a = icon_pixel(x + (sx + 0.5) / ss, y + (sy + 0.5) / ss)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3] / (ss * ss)
            if acc[3]:
                row.append((acc[0] / acc[3], acc[1] / acc[3], acc[2] / acc[3], a))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    xor = bytearray()
    for y in reversed(range(size)):  # bottom-up
        for r, g, b, a in pixels[y]:
            xor += bytes((round(b), round(g), round(r), round(a)))
    mask_row = size // 8  # 16 bytes: already a multiple of 4
    andmask = bytearray()
    for y in reversed(range(size)):
        bits = 0
        row = bytearray()
        for x in range(size):
            bits = (bits << 1) | (1 if pixels[y][x][3] < 1 else 0)
            if x % 8 == 7:
                row.append(bits)
                bits = 0
        andmask += row
        assert len(row) == mask_row
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    image = header + xor + andmask
    icondir = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), 6 + 16)
    return icondir + entry + image


PALETTE = [
    (0, 0, 0), (255, 255, 255), (12, 40, 92), (18, 58, 122), (24, 76, 150), (36, 98, 176),
    (60, 124, 200), (96, 152, 216), (140, 184, 232), (196, 218, 242), (200, 30, 36),
    (150, 20, 28), (232, 236, 242), (160, 168, 180), (96, 104, 120), (250, 214, 90),
]
BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]
GRADIENT = [2, 3, 4, 5, 6, 7]  # dark to light blues


def picture_index(x, y, w, h):
    # Background: a vertical gradient from dark blue (top) to lighter blue, ordered-dithered.
    t = y / (h - 1) * (len(GRADIENT) - 1)
    base = int(t)
    frac = t - base
    idx = GRADIENT[min(base + (1 if frac * 16 > BAYER[y % 4][x % 4] + 0.5 else 0), len(GRADIENT) - 1)]
    # Soft diagonal bands.
    if ((x + y * 0.6) // 22) % 5 == 0 and idx > 2:
        idx -= 1
    # Page and seal in the top-left part, which the panel always shows.
    s = page_shape(x, y, 22, 26, 70, 92, 20)
    if s == 'page':
        idx = 1
    elif s == 'fold':
        idx = 9
    elif s == 'line':
        idx = 8
    if s is not None and min(x - 22, 91 - x, y - 26, 117 - y) < 1.5:
        idx = 2
    if seal_coverage(x + 0.5, y + 0.5, 84, 104, 30):
        idx = 10
    # A thin gold rule under the picture and small dots lower down.
    if 140 <= y < 142 and 16 <= x < w - 16:
        idx = 15
    if y > 160 and x % 24 == 12 and y % 24 == 12:
        idx = 9
    return idx


def make_bitmap():
    w, h = 164, 314
    stride = ((w * 4 + 31) // 32) * 4
    rows = bytearray()
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            v = picture_index(x, y, w, h)
            if x % 2 == 0:
                row[x // 2] |= v << 4
            else:
                row[x // 2] |= v
        rows += row
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 4, 0, len(rows), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(palette)
    filehdr = struct.pack('<2sIHHI', b'BM', offset + len(rows), 0, 0, offset)
    return filehdr + info + palette + rows


def write_if_changed(path, data):
    try:
        with open(path, 'rb') as f:
            if f.read() == data:
                return
    except OSError:
        pass
    with open(path, 'wb') as f:
        f.write(data)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else '.'
    os.makedirs(out, exist_ok=True)
    write_if_changed(os.path.join(out, 'setup_icon.ico'), make_icon())
    write_if_changed(os.path.join(out, 'setup_picture.bmp'), make_bitmap())


if __name__ == '__main__':
    main()
