#!/usr/bin/env python3
"""Draws the extension's icons (16 and 32 pixels, 32-bit with alpha) into .ico files.

Run from this folder: python3 make_icons.py. The .ico files are kept in the
repository; this script only says how they were made.
"""
import math
import struct

def disc(size, colour, glyph):
    px = []
    c = (size - 1) / 2.0
    r = size / 2.0 - 0.5
    for y in range(size):
        row = []
        for x in range(size):
            d = math.hypot(x - c, y - c)
            a = max(0.0, min(1.0, r - d + 0.5))
            rgb = (255, 255, 255) if a > 0 and glyph(x / size, y / size) else colour
            row.append((rgb, int(a * 255)))
        px.append(row)
    return px

def near_segment(p, a, b, w):
    (px, py), (ax, ay), (bx, by) = p, a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy) < w

def check(x, y):
    return near_segment((x, y), (0.27, 0.52), (0.43, 0.68), 0.08) or near_segment((x, y), (0.43, 0.68), (0.74, 0.34), 0.08)

def arrow(x, y):
    return near_segment((x, y), (0.5, 0.25), (0.5, 0.75), 0.08) or near_segment((x, y), (0.5, 0.25), (0.3, 0.45), 0.08) \
        or near_segment((x, y), (0.5, 0.25), (0.7, 0.45), 0.08)

def cross(x, y):
    return near_segment((x, y), (0.3, 0.3), (0.7, 0.7), 0.08) or near_segment((x, y), (0.7, 0.3), (0.3, 0.7), 0.08)

def cloud(x, y):
    return math.hypot(x - 0.4, y - 0.55) < 0.17 or math.hypot(x - 0.6, y - 0.5) < 0.2 or (0.3 < x < 0.72 and 0.55 < y < 0.7)

def dib(px):
    size = len(px)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b''
    for row in reversed(px):
        for (r, g, b), a in row:
            rows += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    return header + rows + mask

def ico(path, colour, glyph):
    images = [dib(disc(s, colour, glyph)) for s in (16, 32)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip((16, 32), images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)

ico('NormalIcon.ico', (46, 160, 67), check)
ico('UploadIcon.ico', (33, 115, 210), arrow)
ico('ErrorIcon.ico', (210, 45, 45), cross)
ico('DorvShell.ico', (33, 115, 210), cloud)
