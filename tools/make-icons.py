#!/usr/bin/env python3
"""Draws the program's icons: ENASHUT (monitoring on: a white clock on a
green disc) and DISSHUT (monitoring off: the clock on a grey disc, struck
through in red), each from 16x16 to 128x128, as 32-bit ICO files.

usage: make-icons.py OUTPUT_DIR   (writes enashut.ico and disshut.ico)"""
import math
import struct
import sys

SIZES = (16, 24, 32, 48, 64, 128)
SAMPLES = 4  # per axis, for smooth edges


def capsule(px, py, ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy)) <= r


def shade(x, y, off):
    """Colour (r, g, b, a) of a point in the unit square, y downwards."""
    cx, cy = 0.5, 0.5
    d = math.hypot(x - cx, y - cy)
    if off and capsule(x, y, 0.18, 0.18, 0.82, 0.82, 0.07):
        return (214, 40, 40, 255)
    if d > 0.47:
        return (0, 0, 0, 0)
    if d > 0.41:  # rim
        return (40, 110, 50, 255) if not off else (90, 90, 90, 255)
    hands = capsule(x, y, cx, cy, cx, 0.2, 0.05) or capsule(x, y, cx, cy, 0.72, 0.6, 0.05)
    ticks = any(capsule(x, y, cx + 0.33 * math.sin(a), cy - 0.33 * math.cos(a),
                        cx + 0.38 * math.sin(a), cy - 0.38 * math.cos(a), 0.03)
                for a in (0, math.pi / 2, math.pi, 3 * math.pi / 2))
    if hands or ticks:
        return (255, 255, 255, 255)
    return (46, 160, 67, 255) if not off else (150, 150, 150, 255)


def render(size, off):
    rows = []
    for j in range(size):
        row = []
        for i in range(size):
            acc = [0, 0, 0, 0]
            for sj in range(SAMPLES):
                for si in range(SAMPLES):
                    r, g, b, a = shade((i + (si + 0.5) / SAMPLES) / size, (j + (sj + 0.5) / SAMPLES) / size, off)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(c / acc[3])) for c in acc[:3]) + (int(round(alpha)),))
        rows.append(row)
    return rows


def bmp_entry(rows):
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for i, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[i // 8] |= 0x80 >> (i % 8)
        mask += bits
    return header + xor + bytes(mask)


def write_ico(path, off):
    images = [bmp_entry(render(size, off)) for size in SIZES]
    offset = 6 + 16 * len(images)
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    for size, data in zip(SIZES, images):
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    write_ico(sys.argv[1] + '/enashut.ico', off=False)
    write_ico(sys.argv[1] + '/disshut.ico', off=True)
