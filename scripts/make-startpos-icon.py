#!/usr/bin/env python3
"""Draws the start position dialog's icon: a sheet of labels, 32 x 32 pixels
in the 16 standard colours. Writes startpos/frmStartPos.ico; run it again
after changing the drawing."""
import pathlib
import struct

SIZE = 32
# The standard 16-colour palette, in the order of the 4-bit indexes.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255),
    (255, 255, 255),
]
BLACK, GREY, WHITE = 0, 8, 15

COLUMNS, ROWS = 5, 9
CELL_W, CELL_H = 4, 2  # white inside of one label
SHADOW = 2


def draw():
    pixels = [[WHITE] * SIZE for _ in range(SIZE)]
    width = COLUMNS * (CELL_W + 1) + 1
    height = ROWS * (CELL_H + 1) + 1
    left = (SIZE - width - SHADOW) // 2
    top = (SIZE - height - SHADOW) // 2
    # The shadow first: the sheet covers all of it but the offset strips.
    for y in range(top + SHADOW, top + height + SHADOW):
        for x in range(left + SHADOW, left + width + SHADOW):
            pixels[y][x] = GREY
    for y in range(top, top + height):
        for x in range(left, left + width):
            on_line = (x - left) % (CELL_W + 1) == 0 or (y - top) % (CELL_H + 1) == 0
            pixels[y][x] = BLACK if on_line else WHITE
    return pixels


def ico(pixels):
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    # Bottom-up rows, two pixels a byte, high nibble first.
    xor = b"".join(
        bytes((row[x] << 4) | row[x + 1] for x in range(0, SIZE, 2)) for row in reversed(pixels))
    and_mask = bytes(SIZE * SIZE // 8)  # every pixel opaque
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0, len(xor) + len(and_mask), 0, 0, 16, 0)
    image = header + palette + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = pathlib.Path(__file__).resolve().parent.parent / "startpos" / "frmStartPos.ico"
    out.write_bytes(ico(draw()))
    print(out)
