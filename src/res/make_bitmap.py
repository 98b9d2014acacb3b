#!/usr/bin/env python3
"""Writes the wizard's side picture: 120 x 260 pixels, 8 bits per pixel.

The recipe: a vertical gradient from deep blue to teal, a low sun and three
rolling hills in front of it, drawn with a 256-entry palette. Only the
standard library is used, so the picture is reproducible anywhere."""
import math
import struct
import sys

W, H = 120, 260


def palette():
    pal = []
    for i in range(128):          # 0..127: sky, deep blue to teal
        t = i / 127
        pal.append((int(30 + 20 * t), int(40 + 120 * t), int(110 + 80 * t)))
    for i in range(64):           # 128..191: hills, dark to light green
        t = i / 63
        pal.append((int(20 + 60 * t), int(70 + 110 * t), int(30 + 50 * t)))
    for i in range(64):           # 192..255: sun, orange to pale yellow
        t = i / 63
        pal.append((int(230 + 25 * t), int(120 + 120 * t), int(40 + 150 * t)))
    return pal


def pixel(x, y):
    # y counts from the top.
    sun_x, sun_y, sun_r = 84, 150, 26
    d = math.hypot(x - sun_x, y - sun_y)
    hills = [(175, 14, 0.055, 0.0), (200, 12, 0.07, 1.7), (228, 9, 0.09, 3.1)]
    for n, (base, amp, freq, phase) in enumerate(reversed(hills)):
        top = base + amp * math.sin(freq * x + phase)
        if y >= top:
            shade = 128 + min(63, int((y - top) * 1.5) + 20 * (2 - n))
            return min(191, shade)
    if d <= sun_r:
        return 192 + min(63, int((1 - d / sun_r) * 63))
    return min(127, int(y / 175 * 127))


def main(path):
    rows = []
    stride = (W + 3) & ~3
    for y in range(H - 1, -1, -1):          # bottom-up rows
        row = bytes(pixel(x, y) for x in range(W))
        rows.append(row + b"\0" * (stride - W))
    pixels = b"".join(rows)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette())
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(pal)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + pal + pixels)


if __name__ == "__main__":
    main(sys.argv[1])
