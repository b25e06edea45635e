#!/usr/bin/env python3
"""Draws the program's own icons and arrow strip; run it after changing a design.

Writes petariko.ico (the program icon at 16, 20, 24, 32, 48 and 256 px), tray.ico (the tray
icon at 16, 20, 24, 32 and 48 px: the small-icon sizes from 100 % to 300 % scaling) and
arrows.bmp (128x32: up, left, right, down arrows on a yellow ground) next to this script.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

YELLOW = (255, 240, 120)
ORANGE = (240, 120, 0)
RED = (210, 20, 40)
DARK = (60, 30, 0)
WHITE = (255, 255, 255)

PROGRAM_ICON_SIZES = (16, 20, 24, 32, 48, 256)
TRAY_ICON_SIZES = (16, 20, 24, 32, 48)


def note_with_pin(size):
    """A pinned note: the picture of what the program makes. Returns rows of RGBA."""
    s = size / 32.0
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    # A slightly irregular, freehand-looking piece of paper.
    for y in range(size):
        for x in range(size):
            fx, fy = x / s, y / s
            inside = 3 <= fx <= 29 and 5 <= fy <= 30 and (fx - 3) + (fy - 5) > 3 and (29 - fx) + (30 - fy) > 4
            if inside:
                edge = fx < 4.2 or fx > 27.8 or fy < 6.2 or fy > 28.8
                px[y][x] = ORANGE + (255,) if edge else YELLOW + (255,)
    # Three ruled lines hinting at captured content.
    for fy in (14, 19, 24):
        y = int(fy * s)
        for x in range(int(7 * s), int(25 * s)):
            if px[y][x][3]:
                px[y][x] = DARK + (255,)
    # The pin: a red head with a white gleam.
    cx, cy, r = 16 * s, 7 * s, 4.5 * s
    for y in range(size):
        for x in range(size):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                px[y][x] = RED + (255,)
    gx, gy = int(14.5 * s), int(5.5 * s)
    px[gy][gx] = WHITE + (255,)
    return px


def dib_image(px):
    """One icon image as a bottom-up 32-bit DIB with its AND mask."""
    size = len(px)
    xor = b"".join(
        bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    mask_row_bytes = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(px):
        bits = bytearray(mask_row_bytes)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + bytes(mask)


def png_image(px):
    """One icon image as PNG, the form the 256 px image takes in an icon file."""
    size = len(px)
    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in px)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(sizes):
    images = [png_image(note_with_pin(n)) if n >= 256 else dib_image(note_with_pin(n)) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def arrow_cell(direction):
    """A 32x32 cell with a black arrow on yellow; direction 0 up, 1 left, 2 right, 3 down."""
    cell = [[(255, 255, 0)] * 32 for _ in range(32)]
    up = set()
    for y in range(4, 16):  # head: a triangle from the tip at row 4 down to row 15
        half = (y - 4) * 11 // 11
        for x in range(16 - half - 1, 16 + half + 1):
            if 0 <= x < 32:
                up.add((x, y))
    for y in range(16, 29):  # shaft
        for x in range(12, 20):
            up.add((x, y))
    for (x, y) in up:
        if direction == 0:
            tx, ty = x, y
        elif direction == 3:
            tx, ty = x, 31 - y
        elif direction == 1:
            tx, ty = y, x
        else:
            tx, ty = 31 - y, x
        cell[ty][tx] = (0, 0, 0)
    return cell


def bmp(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = b"".join(bytes((b, g, r)) for (r, g, b) in row)
        data += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(data), 0, 0, 54) + info + bytes(data)


def main():
    with open(os.path.join(HERE, "petariko.ico"), "wb") as f:
        f.write(ico(PROGRAM_ICON_SIZES))
    with open(os.path.join(HERE, "tray.ico"), "wb") as f:
        f.write(ico(TRAY_ICON_SIZES))
    cells = [arrow_cell(d) for d in range(4)]
    strip = [sum((cells[d][y] for d in range(4)), []) for y in range(32)]
    with open(os.path.join(HERE, "arrows.bmp"), "wb") as f:
        f.write(bmp(strip))


if __name__ == "__main__":
    main()
