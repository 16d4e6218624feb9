#!/usr/bin/env python3
"""Draws list/CustomList.ico: the list picker's icon, a list box with one row
highlighted, at 32 x 32 and 16 x 16 pixels in the 16 standard colours.

Run it from anywhere; it rewrites the .ico next to the list sources."""
import os
import struct

# The 16-colour palette of Windows, in palette order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GRAY, WHITE = 0, 4, 7, 8, 15
CLEAR = None


def canvas(size):
    return [[CLEAR] * size for _ in range(size)]


def fill(img, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = colour


def draw_large():
    img = canvas(32)
    fill(img, 2, 2, 29, 29, BLACK)      # the list box's frame
    fill(img, 3, 3, 28, 28, WHITE)
    fill(img, 23, 3, 23, 28, GRAY)      # its scroll bar
    fill(img, 24, 3, 28, 28, SILVER)
    fill(img, 24, 3, 28, 7, GRAY)
    fill(img, 25, 4, 27, 6, SILVER)
    fill(img, 24, 24, 28, 28, GRAY)
    fill(img, 25, 25, 27, 27, SILVER)
    for top, width in ((6, 14), (10, 11), (20, 13), (24, 9)):
        fill(img, 6, top, 6 + width, top + 1, GRAY)   # rows of text
    fill(img, 4, 13, 22, 17, NAVY)      # the chosen row
    fill(img, 6, 14, 19, 15, WHITE)
    return img


def draw_small():
    img = canvas(16)
    fill(img, 0, 0, 15, 15, BLACK)
    fill(img, 1, 1, 14, 14, WHITE)
    fill(img, 12, 1, 14, 14, SILVER)
    fill(img, 11, 1, 11, 14, GRAY)
    for top, width in ((3, 7), (11, 5)):
        fill(img, 3, top, 3 + width, top, GRAY)
    fill(img, 2, 6, 10, 8, NAVY)
    fill(img, 3, 7, 9, 7, WHITE)
    return img


def rows_bottom_up(img, bits_per_pixel, pixel):
    size = len(img)
    stride = (size * bits_per_pixel + 31) // 32 * 4
    out = b""
    for y in reversed(range(size)):
        value, nbits, row = 0, 0, bytearray()
        for x in range(size):
            value = (value << bits_per_pixel) | pixel(img[y][x])
            nbits += bits_per_pixel
            if nbits == 8:
                row.append(value)
                value, nbits = 0, 0
        row += bytes(stride - len(row))
        out += bytes(row)
    return out


def image(img):
    size = len(img)
    colours = rows_bottom_up(img, 4, lambda c: 0 if c is CLEAR else c)
    mask = rows_bottom_up(img, 1, lambda c: 1 if c is CLEAR else 0)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(colours) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + colours + mask


def main():
    images = [image(draw_large()), image(draw_small())]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, data in zip((32, 16), images):
        directory += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "list", "CustomList.ico")
    with open(path, "wb") as f:
        f.write(directory + b"".join(images))


if __name__ == "__main__":
    main()
