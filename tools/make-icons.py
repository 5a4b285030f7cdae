#!/usr/bin/env python3
"""Draws the program's icons: ENASHUT (monitoring on: a white clock on a
green disc) and DISSHUT (monitoring off: the clock on a grey disc, struck
through in red), each from 16x16 to 128x128 in 32-bit colour.

Writes into OUTPUT_DIR:
  enashut.ico, disshut.ico  the icon files (for the installer)
  icons.rc                  the icon resources of Velmaro.exe, with their
                            image files icon-N.bin and group files *.grp

MAINICON shows the ENASHUT picture; its group names the same images as
ENASHUT's instead of carrying a copy of them, which keeps the exe small.
The 64 and 128 px images are PNG-compressed: Windows XP, whose largest
icons are 48 px, never asks for them, and Vista and later read PNG images in
icons.

usage: make-icons.py OUTPUT_DIR"""
import math
import os
import struct
import sys
import zlib

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


PNG_FROM = 64  # images this large and larger are stored as PNG
# DISSHUT shows only in the tray, which asks for 48 px only above 200 % DPI:
# on Vista and later, which read PNG. Its 48 px image in the exe is PNG too,
# and it has none larger: the tray asks for 64 px only at 400 %, where
# Windows scales the 48 px image up.
TRAY_PNG_FROM = 48
TRAY_LARGEST = 48


def bmp_image(rows):
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


def png_image(rows):
    size = len(rows)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)

    # Filter type 0 on every row compresses these flat-coloured pictures best.
    raw = b''.join(b'\0' + bytes(c for pixel in row for c in pixel) for row in rows)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def images(off, png_from=PNG_FROM):
    return [(size, (png_image if size >= png_from else bmp_image)(render(size, off))) for size in SIZES]


def directory_entry(size, data):
    # width, height (0 = 256), colours, reserved, planes, bits per pixel, bytes
    return struct.pack('<BBBBHHI', size % 256, size % 256, 0, 0, 1, 32, len(data))


def write_ico(path, entries):
    offset = 6 + 16 * len(entries)
    out = bytearray(struct.pack('<HHH', 0, 1, len(entries)))
    for size, data in entries:
        out += directory_entry(size, data) + struct.pack('<I', offset)
        offset += len(data)
    for _, data in entries:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


def write_resources(out_dir, groups):
    """groups: (file stem, [resource names], entries). Each image becomes one
    RT_ICON resource; each name an RT_GROUP_ICON that lists its images."""
    lines = ['// Generated by tools/make-icons.py.']
    next_id = 1
    for stem, names, entries in groups:
        group = bytearray(struct.pack('<HHH', 0, 1, len(entries)))
        for size, data in entries:
            image_file = 'icon-%d.bin' % next_id
            with open(os.path.join(out_dir, image_file), 'wb') as f:
                f.write(data)
            lines.append('%d 3 "%s"' % (next_id, image_file))  # RT_ICON
            group += directory_entry(size, data) + struct.pack('<H', next_id)
            next_id += 1
        with open(os.path.join(out_dir, stem + '.grp'), 'wb') as f:
            f.write(group)
        lines += ['%s 14 "%s.grp"' % (name, stem) for name in names]  # RT_GROUP_ICON
    with open(os.path.join(out_dir, 'icons.rc'), 'w') as f:
        f.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    out_dir = sys.argv[1]
    on, off = images(off=False), images(off=True)
    write_ico(os.path.join(out_dir, 'enashut.ico'), on)
    write_ico(os.path.join(out_dir, 'disshut.ico'), off)
    # The uninstaller's icon file keeps its 48 px image readable on XP.
    tray_off = [(size, data) for size, data in images(off=True, png_from=TRAY_PNG_FROM) if size <= TRAY_LARGEST]
    write_resources(out_dir, [('enashut', ['MAINICON', 'ENASHUT'], on), ('disshut', ['DISSHUT'], tray_off)])
