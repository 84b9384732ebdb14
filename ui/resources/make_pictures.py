#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the program's pictures and writes them next to this script.

    rz408.png     window icon, 32x32, a black cross with white edges on a red ground, opaque
    rz408.ico     the same icon as a 16-colour Windows icon (the executable's icon resource)
    smiley.png    32x32, yellow face, black outline, eyes and nose, red mouth, transparent outside
    portrait.png  60x60, a drawn face for the English choice button
    folder-open.png, folder-closed.png
                  16x16, the folder list's pictures: the open folder (and its ancestors)
                  with its front flap swung open, every other folder shut

Everything is drawn here from simple shapes; nothing is taken from elsewhere. Only the
standard library is used (zlib and struct write the files), so the script runs anywhere:

    python3 ui/resources/make_pictures.py

The outputs are committed; the normal build does not run this script.
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# The 16 colours of the classic Windows icon palette.
PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, RED, YELLOW, WHITE = (0, 0, 0), (255, 0, 0), (255, 255, 0), (255, 255, 255)


# ---------------------------------------------------------------- file writers

def write_png(path, width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples. Written as 8-bit RGBA."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # no filter
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def write_ico16(path, pixels):
    """A 32x32 icon with the 16-colour palette: header, one directory entry, BITMAPINFOHEADER,
    palette, 4-bit colour rows and the 1-bit transparency mask (766 bytes)."""
    size = 32
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):  # bitmaps are stored bottom-up
        nibbles = []
        bits = 0
        maskrow = bytearray()
        for x, (r, g, b, a) in enumerate(row):
            if a == 0:
                nibbles.append(0)
                bits |= 1 << (7 - x % 8)
            else:
                nibbles.append(PALETTE16.index((r, g, b)))
            if x % 8 == 7:
                maskrow.append(bits)
                bits = 0
        for i in range(0, size, 2):
            xor.append(nibbles[i] << 4 | nibbles[i + 1])
        mask += maskrow
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE16)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(mask), 0, 0,
                       16, 0)
    image = info + palette + bytes(xor) + bytes(mask)
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(header + entry + image)


# ---------------------------------------------------------------- drawing helpers

def inside_ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def near_segment(x, y, ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) <= half_width


def inside_polygon(x, y, points):
    result = False
    n = len(points)
    for i in range(n):
        x1, y1 = points[i]
        x2, y2 = points[(i + 1) % n]
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            result = not result
    return result


def render(width, height, background, shapes, samples):
    """Paints shapes (test(x, y) -> bool, colour) in order over the background, samples x samples
    points per pixel, and averages them. A colour or background of None is transparent."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    x = px + (sx + 0.5) / samples
                    y = py + (sy + 0.5) / samples
                    colour = background
                    for test, fill in shapes:
                        if test(x, y):
                            colour = fill
                    if colour is not None:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 255
            n = samples * samples
            alpha = acc[3] / n
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                scale = 255 / acc[3]
                row.append(tuple(round(c * scale) for c in acc[:3]) + (round(alpha),))
        rows.append(row)
    return rows


# ---------------------------------------------------------------- the pictures

def window_icon():
    # A cross with flared arms; the white edge is the black cross grown by a little more than a
    # pixel. Hard edges and palette colours only, so that the 16-colour icon equals the PNG.
    c = 16.0

    def cross(x, y, grow):
        dx, dy = abs(x - c), abs(y - c)
        reach = 13.0 + grow
        vertical = dy <= reach and dx <= 2.0 + 6.0 * dy / 13.0 + grow
        horizontal = dx <= reach and dy <= 2.0 + 6.0 * dx / 13.0 + grow
        return vertical or horizontal

    shapes = [(lambda x, y: cross(x, y, 1.6), WHITE), (lambda x, y: cross(x, y, 0.0), BLACK)]
    return render(32, 32, RED, shapes, 1)


def smiley():
    c = 16.0
    shapes = [
        (lambda x, y: inside_ellipse(x, y, c, c, 15.0, 15.0), BLACK),
        (lambda x, y: inside_ellipse(x, y, c, c, 13.4, 13.4), YELLOW),
        (lambda x, y: inside_ellipse(x, y, 11.0, 12.0, 2.0, 3.0), BLACK),
        (lambda x, y: inside_ellipse(x, y, 21.0, 12.0, 2.0, 3.0), BLACK),
        (lambda x, y: inside_polygon(x, y, [(16.0, 14.0), (14.0, 19.0), (18.0, 19.0)]), BLACK),
        # the mouth: the lower part of a ring
        (lambda x, y: y > 19.5 and 7.0 <= math.hypot(x - c, y - 14.5) <= 9.4, RED),
    ]
    return render(32, 32, None, shapes, 1)


def portrait():
    # A cartoon man, seen close up: short brown hair, ears, eyebrows, blue eyes, a big nose, a
    # moustache and a smile, in front of a pale blue wall with a dark jacket collar at the bottom.
    skin = (240, 196, 160)
    skin_shadow = (214, 160, 124)
    hair = (110, 66, 30)
    outline = (60, 36, 20)
    eye_white = (255, 255, 255)
    iris = (40, 90, 170)
    lips = (190, 70, 60)
    wall = (170, 205, 235)
    jacket = (50, 60, 90)
    shirt = (245, 245, 245)
    shapes = [
        # body: jacket, shirt and neck
        (lambda x, y: inside_polygon(x, y, [(0, 60), (0, 52), (14, 46), (46, 46), (60, 52),
                                            (60, 60)]), jacket),
        (lambda x, y: inside_polygon(x, y, [(22, 46), (38, 46), (30, 60)]), shirt),
        (lambda x, y: inside_polygon(x, y, [(23, 38), (37, 38), (35, 50), (30, 54), (25, 50)]),
         skin_shadow),
        # ears
        (lambda x, y: inside_ellipse(x, y, 11.5, 28.0, 4.5, 6.5), outline),
        (lambda x, y: inside_ellipse(x, y, 11.8, 28.0, 3.6, 5.6), skin_shadow),
        (lambda x, y: inside_ellipse(x, y, 48.5, 28.0, 4.5, 6.5), outline),
        (lambda x, y: inside_ellipse(x, y, 48.2, 28.0, 3.6, 5.6), skin_shadow),
        # head with outline
        (lambda x, y: inside_ellipse(x, y, 30.0, 28.0, 18.5, 22.0), outline),
        (lambda x, y: inside_ellipse(x, y, 30.0, 28.0, 17.6, 21.1), skin),
        # hair: a cap over the top of the head with a wavy fringe, longer at the temples
        (lambda x, y: inside_ellipse(x, y, 30.0, 21.0, 19.2, 15.5)
         and y < 12.5 + 1.5 * math.sin(x / 2.2) + 0.012 * (x - 30.0) ** 2, hair),
        (lambda x, y: inside_ellipse(x, y, 30.0, 21.0, 19.2, 15.5) and (x < 14.0 or x > 46.0)
         and y < 23.0, hair),
        # eyebrows
        (lambda x, y: near_segment(x, y, 17.0, 21.0, 26.0, 19.5, 1.3), hair),
        (lambda x, y: near_segment(x, y, 34.0, 19.5, 43.0, 21.0, 1.3), hair),
        # eyes
        (lambda x, y: inside_ellipse(x, y, 22.0, 25.5, 4.2, 2.9), outline),
        (lambda x, y: inside_ellipse(x, y, 22.0, 25.5, 3.5, 2.3), eye_white),
        (lambda x, y: inside_ellipse(x, y, 22.6, 25.6, 1.9, 1.9), iris),
        (lambda x, y: inside_ellipse(x, y, 22.6, 25.6, 0.9, 0.9), BLACK),
        (lambda x, y: inside_ellipse(x, y, 38.0, 25.5, 4.2, 2.9), outline),
        (lambda x, y: inside_ellipse(x, y, 38.0, 25.5, 3.5, 2.3), eye_white),
        (lambda x, y: inside_ellipse(x, y, 37.4, 25.6, 1.9, 1.9), iris),
        (lambda x, y: inside_ellipse(x, y, 37.4, 25.6, 0.9, 0.9), BLACK),
        # nose: a shaded ridge ending in a round tip
        (lambda x, y: inside_polygon(x, y, [(29.0, 25.0), (31.0, 25.0), (33.5, 35.0),
                                            (26.5, 35.0)]), skin_shadow),
        (lambda x, y: inside_ellipse(x, y, 30.0, 35.0, 4.2, 2.8), skin_shadow),
        (lambda x, y: inside_ellipse(x, y, 30.0, 34.5, 3.2, 2.0), skin),
        # moustache
        (lambda x, y: inside_ellipse(x, y, 26.0, 38.6, 5.0, 1.9), hair),
        (lambda x, y: inside_ellipse(x, y, 34.0, 38.6, 5.0, 1.9), hair),
        # smile: the lower part of a ring
        (lambda x, y: y > 40.8 and 4.6 <= math.hypot(x - 30.0, y - 37.8) <= 6.4
         and abs(x - 30.0) < 6.0, lips),
        # chin dimple
        (lambda x, y: near_segment(x, y, 30.0, 46.0, 30.0, 47.2, 0.5), skin_shadow),
    ]
    return render(60, 60, wall, shapes, 4)


def folder(opened):
    # A yellow folder with a tab at its top left. Shut, its front covers it whole; open, the
    # back stands darker behind a lighter front flap that leans to the right.
    outline = (120, 84, 0)
    front = (255, 214, 80)
    back = (214, 160, 32)
    flap = (255, 236, 150)
    body = [(0.5, 2.0), (6.0, 2.0), (7.5, 3.5), (15.5, 3.5), (15.5, 14.5), (0.5, 14.5)]
    inner = [(1.5, 3.0), (5.6, 3.0), (7.1, 4.5), (14.5, 4.5), (14.5, 13.5), (1.5, 13.5)]
    shapes = [
        (lambda x, y: inside_polygon(x, y, body), outline),
        (lambda x, y: inside_polygon(x, y, inner), back if opened else front),
    ]
    if opened:
        shapes += [
            (lambda x, y: inside_polygon(x, y, [(4.0, 6.5), (16.0, 6.5), (13.0, 14.5),
                                                (0.5, 14.5)]), outline),
            (lambda x, y: inside_polygon(x, y, [(4.8, 7.5), (14.6, 7.5), (12.3, 13.5),
                                                (1.9, 13.5)]), flap),
        ]
    else:
        shapes.append((lambda x, y: 1.5 <= x <= 14.5 and 5.5 <= y <= 6.5, flap))
    return render(16, 16, None, shapes, 4)


def main():
    icon = window_icon()
    write_png(os.path.join(HERE, "rz408.png"), 32, 32, icon)
    write_ico16(os.path.join(HERE, "rz408.ico"), icon)
    write_png(os.path.join(HERE, "smiley.png"), 32, 32, smiley())
    write_png(os.path.join(HERE, "portrait.png"), 60, 60, portrait())
    write_png(os.path.join(HERE, "folder-open.png"), 16, 16, folder(True))
    write_png(os.path.join(HERE, "folder-closed.png"), 16, 16, folder(False))


if __name__ == "__main__":
    main()
