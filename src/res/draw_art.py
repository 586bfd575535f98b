#!/usr/bin/env python3
"""Draws the program's own art: the application icon and the maker's logo.

    python3 draw_art.py [OUTDIR]

writes tarlisk.ico (48, 32 and 16 pixels, 32 bits per pixel, with alpha) and logo.bmp
(116 x 27, 8 bits per pixel, 256-entry palette, uncompressed, background #DCEEFC).
Plain Python, no libraries: shapes are sampled 4 x 4 times per pixel for smooth edges.
"""
import os
import struct
import sys

SAMPLES = 4

SHIELD_TOP = (40, 120, 215)
SHIELD_BOTTOM = (18, 62, 140)
SHADOW_RED = (214, 32, 38)
WHITE = (255, 255, 255)


def inside_shield(x, y):
    """The shield on a unit square: flat top, straight sides, a pointed bottom."""
    if y < 0.06 or x < 0.1 or x > 0.9:
        return False
    if y <= 0.55:
        return True
    # Below the middle the sides curve in to the point at (0.5, 0.97).
    t = (y - 0.55) / 0.42
    half = 0.4 * (1 - t * t) ** 0.5 if t < 1 else 0
    return abs(x - 0.5) <= half


def shield_colour(x, y):
    """The picture at a point of the unit square: (r, g, b) or None for transparent."""
    if not inside_shield(x, y):
        return None
    # A white rim: points close to the edge of the shield.
    d = 0.045
    if not all(inside_shield(x + dx, y + dy) for dx, dy in ((d, 0), (-d, 0), (0, d), (0, -d))):
        return WHITE
    # The red shadow: a disc, crossed out by a white bar.
    cx, cy, r = 0.5, 0.45, 0.24
    if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
        if abs(y - cy) < 0.055 and abs(x - cx) < 0.16:
            return WHITE
        return SHADOW_RED
    t = y
    return tuple(round(a + (b - a) * t) for a, b in zip(SHIELD_TOP, SHIELD_BOTTOM))


def render_icon_image(size):
    """BGRA rows, top to bottom, of the icon at one size."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = shield_colour((px + (sx + 0.5) / SAMPLES) / size,
                                      (py + (sy + 0.5) / SAMPLES) / size)
                    if c is not None:
                        covered += 1
                        for i in range(3):
                            acc[i] += c[i]
            if covered:
                r, g, b = (round(v / covered) for v in acc)
                a = round(255 * covered / (SAMPLES * SAMPLES))
            else:
                r = g = b = a = 0
            row.append((b, g, r, a))
        rows.append(row)
    return rows


def icon_entry_data(size):
    rows = render_icon_image(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes(c) for row in reversed(rows) for c in row)
    # The AND mask: 1 where transparent, each row padded to 32 bits.
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, c in enumerate(row):
            if c[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def write_icon(path, sizes=(48, 32, 16)):
    images = [icon_entry_data(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


# A 5 x 7 pixel font for the letters of the wordmark.
GLYPHS = {
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "01010", "01010", "00100"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "I": ["11111", "00100", "00100", "00100", "00100", "00100", "11111"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    " ": ["00000"] * 7,
}

LOGO_WIDTH, LOGO_HEIGHT = 116, 27
LOGO_BACKGROUND = (220, 238, 252)  # #DCEEFC
LOGO_INK = (18, 62, 140)


def logo_palette():
    """256 entries: 0 the background, 1 to 64 a ramp from the background to the ink,
    65 to 128 a ramp to the shadow red, 129 to 192 a ramp to white, the rest black."""
    pal = [LOGO_BACKGROUND]
    for target in (LOGO_INK, SHADOW_RED, WHITE):
        for i in range(1, 65):
            t = i / 64
            pal.append(tuple(round(a + (b - a) * t) for a, b in zip(LOGO_BACKGROUND, target)))
    pal += [(0, 0, 0)] * (256 - len(pal))
    return pal


def nearest_index(palette, colour):
    return min(range(193), key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], colour)))


def render_logo():
    palette = logo_palette()
    pixels = [[0] * LOGO_WIDTH for _ in range(LOGO_HEIGHT)]

    # The emblem: the icon's shield, 23 pixels tall, at the left.
    size, ox, oy = 23, 2, 2
    for row_index, row in enumerate(render_icon_image(size)):
        for x, (b, g, r, a) in enumerate(row):
            if a:
                t = a / 255
                c = tuple(round(bg + (v - bg) * t) for bg, v in zip(LOGO_BACKGROUND, (r, g, b)))
                pixels[oy + row_index][ox + x] = nearest_index(palette, c)

    def text(s, x0, y0, scale, index):
        x = x0
        for ch in s:
            for gy, line in enumerate(GLYPHS[ch]):
                for gx, bit in enumerate(line):
                    if bit == "1":
                        for dy in range(scale):
                            for dx in range(scale):
                                pixels[y0 + gy * scale + dy][x + gx * scale + dx] = index
            x += 6 * scale
        return x

    ink = 64  # the full ink colour of the first ramp
    text("NOVA", 31, 2, 2, ink)
    text("SECURITY", 31, 18, 1, 64 + 64)  # the shadow red
    return palette, pixels


def write_logo(path):
    palette, pixels = render_logo()
    stride = (LOGO_WIDTH + 3) // 4 * 4
    image = b"".join(bytes(row) + bytes(stride - LOGO_WIDTH) for row in reversed(pixels))
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, LOGO_WIDTH, LOGO_HEIGHT, 1, 8, 0, len(image),
                       2835, 2835, 256, 0)
    offset = 14 + len(info) + len(pal)
    head = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + pal + image)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    write_icon(os.path.join(out, "tarlisk.ico"))
    write_logo(os.path.join(out, "logo.bmp"))


if __name__ == "__main__":
    main()
