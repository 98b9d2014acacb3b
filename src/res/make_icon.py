#!/usr/bin/env python3
"""Writes the program icon: 32 x 32 and 16 x 16, 32 bits per pixel.

The recipe: a rounded square in the picture's teal with a white box and a
downward arrow, the usual sign of a setup program."""
import struct
import sys


def draw(size):
    px = []
    s = size / 32.0
    for y in range(size - 1, -1, -1):       # bottom-up rows
        for x in range(size):
            fx, fy = x / s, y / s
            inside = 2 <= fx < 30 and 2 <= fy < 30
            corner = min(fx - 2, 29.99 - fx, fy - 2, 29.99 - fy)
            if not inside or (corner < 3 and ((min(fx - 2, 29.99 - fx) < 3) and (min(fy - 2, 29.99 - fy) < 3))
                              and (min(fx - 2, 29.99 - fx) - 3) ** 2 + (min(fy - 2, 29.99 - fy) - 3) ** 2 > 9):
                px.append((0, 0, 0, 0))
                continue
            color = (40, 150, 170, 255)
            box = 7 <= fx < 25 and 17 <= fy < 26
            shaft = 14 <= fx < 18 and 6 <= fy < 19
            head = fy >= 17 and fy < 23 and abs(fx - 16) < (23 - fy) + 0.5
            if box or shaft or head:
                color = (255, 255, 255, 255)
            px.append(color)
    xor = b"".join(struct.pack("<BBBB", b, g, r, a) for (r, g, b, a) in px)
    mask_stride = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_stride * size)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def main(path):
    images = [draw(32), draw(16)]
    sizes = [32, 16]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, img in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
        blobs += img
    with open(path, "wb") as f:
        f.write(out + entries + blobs)


if __name__ == "__main__":
    main(sys.argv[1])
