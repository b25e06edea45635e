#!/usr/bin/env python3
"""Draws the program's own icons and arrow strip; run it after changing a design.

Writes petariko.ico (the program icon at 16 to 256 px; its 32 to 128 px images are also the
start marker of a cut-out at 100 % to 400 % scaling), tray.ico (the tray icon at 16, 20, 24, 32
and 48 px: the small-icon sizes from 100 % to 300 % scaling), arrows.bmp (128x32: up, left,
right, down arrows on a yellow ground) and the same strip at the larger marker sizes,
arrows_40.bmp to arrows_128.bmp, next to this script.
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

# The start marker and the arrows at 125, 150, 200, 300 and 400 %, drawn for each size so their
# edges stay sharp; the program reduces the next larger ones for the scales between.
MARK_SIZES = (40, 48, 64, 96, 128)
PROGRAM_ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 96, 128, 256)
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
    # The larger images as PNG, which every system since Vista reads, to keep the file small.
    images = [png_image(note_with_pin(n)) if n > 48 else dib_image(note_with_pin(n)) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def arrow_cell(direction, size=32):
    """A size x size cell with a black arrow on yellow; direction 0 up, 1 left, 2 right, 3 down.

    The arrow is designed on 32 px: a head from its tip at (16, 4) widening by one pixel a side
    per row down to row 16, and a shaft 8 px wide down to row 29. Each pixel's centre is tested
    against that design, so 32 px gives the original cell and larger cells get finer edges
    instead of blown-up steps.
    """
    k = size / 32.0
    cell = [[(255, 255, 0)] * size for _ in range(size)]
    last = size - 1
    for y in range(size):
        fy = (y + 0.5) / k
        for x in range(size):
            fx = (x + 0.5) / k
            head = 4 <= fy < 16 and abs(fx - 16) <= fy - 4
            shaft = 16 <= fy < 29 and abs(fx - 16) < 4
            if not (head or shaft):
                continue
            if direction == 0:
                tx, ty = x, y
            elif direction == 3:
                tx, ty = x, last - y
            elif direction == 1:
                tx, ty = y, x
            else:
                tx, ty = last - y, x
            cell[ty][tx] = (0, 0, 0)
    return cell


def strip(size):
    """The four cells side by side: up, left, right, down."""
    cells = [arrow_cell(d, size) for d in range(4)]
    return [sum((cells[d][y] for d in range(4)), []) for y in range(size)]


def bmp(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = b"".join(bytes((b, g, r)) for (r, g, b) in row)
        data += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(data), 0, 0, 54) + info + bytes(data)


def bmp_two_colour(rows):
    """A 4-bit BMP with a palette of the colours used: a strip in an eighth of the 24-bit bytes."""
    height, width = len(rows), len(rows[0])
    palette = sorted({p for row in rows for p in row})
    assert len(palette) <= 16
    index = {p: i for i, p in enumerate(palette)}
    stride = ((width * 4 + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, p in enumerate(row):
            line[x // 2] |= index[p] << (4 if x % 2 == 0 else 0)
        data += line
    table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    offset = 14 + 40 + len(table)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(data), 2835, 2835, len(palette), 0)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + info + table + bytes(data)


def main():
    with open(os.path.join(HERE, "petariko.ico"), "wb") as f:
        f.write(ico(PROGRAM_ICON_SIZES))
    with open(os.path.join(HERE, "tray.ico"), "wb") as f:
        f.write(ico(TRAY_ICON_SIZES))
    with open(os.path.join(HERE, "arrows.bmp"), "wb") as f:
        f.write(bmp(strip(32)))
    for size in MARK_SIZES:
        with open(os.path.join(HERE, f"arrows_{size}.bmp"), "wb") as f:
            f.write(bmp_two_colour(strip(size)))


if __name__ == "__main__":
    main()
