#!/usr/bin/env python3
"""Draws the program's icon (a printed disc in front of a loader's bin) and writes
Tavrix.ico with 16x16, 32x32 and 48x48 images in 32-bit colour."""
import math
import struct
import sys


def pixel(size, x, y):
    """RGBA of one pixel, sampled 4x4 for smooth edges."""
    acc = [0.0, 0.0, 0.0, 0.0]
    for sy in range(4):
        for sx in range(4):
            u = (x + (sx + 0.5) / 4) / size
            v = (y + (sy + 0.5) / 4) / size
            r, g, b, a = sample(u, v)
            acc[0] += r * a
            acc[1] += g * a
            acc[2] += b * a
            acc[3] += a
    a = acc[3] / 16
    if a == 0:
        return (0, 0, 0, 0)
    return tuple(int(round(c / acc[3])) for c in acc[:3]) + (int(round(a * 255)),)


def sample(u, v):
    # The loader's bin: a dark slate block behind the disc's lower right.
    cx, cy = 0.44, 0.44
    d = math.hypot(u - cx, v - cy)
    if d <= 0.40:
        if d < 0.06:
            return (0, 0, 0, 0)  # centre hole
        if d < 0.13:
            return (200, 205, 215, 1)  # clear hub
        angle = math.atan2(v - cy, u - cx)
        # A printed label: a blue band with a lighter sheen across it.
        sheen = 0.5 + 0.5 * math.cos(2 * angle - 0.8)
        base = (40, 90, 170) if d < 0.36 else (170, 180, 195)
        return tuple(min(255, int(c + 70 * sheen)) for c in base) + (1,)
    if 0.52 <= u <= 0.96 and 0.62 <= v <= 0.96:
        edge = u < 0.56 or u > 0.92 or v > 0.92
        return ((50, 60, 70) if edge else (90, 100, 112)) + (1,)
    return (0, 0, 0, 0)


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up
        for x in range(size):
            r, g, b, a = pixel(size, x, y)
            rows.append(struct.pack('<BBBB', b, g, r, a))
    xor = b''.join(rows)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)  # alpha carries the shape
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def main(path):
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'Tavrix.ico')
