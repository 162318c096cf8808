#!/usr/bin/env python3
"""Draws Quillmere's icon: a quill dipping into a small lake.

Writes Quillmere.ico (beside this script) with a 32x32 and a 16x16 image in the
16-colour palette. Run it again after changing the drawing; the .ico is kept in
the repository so that building needs no script.
"""
import math
import os
import struct

# The standard 16-colour palette (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, TEAL, SILVER, GRAY, BLUE, CYAN, WHITE = 0, 4, 6, 7, 8, 12, 14, 15
CLEAR = None

# The quill's axis, in the coordinates of the 32-pixel image.
NIB = (7.0, 26.5)
TIP = (28.0, 2.5)


def water(x, y):
    """Colour of the lake at (x, y), or CLEAR outside it."""
    dx, dy = (x - 16.0) / 15.5, (y - 26.5) / 5.0
    r = dx * dx + dy * dy
    if r > 1.0:
        return CLEAR
    if r > 0.72:
        return NAVY
    # Ripples around the point where the nib touches the water.
    rx, ry = (x - NIB[0]) / 2.0, (y - NIB[1]) / 0.9
    ring = math.sqrt(rx * rx + ry * ry)
    if 1.6 < ring < 2.4 or 3.2 < ring < 3.9:
        return CYAN
    if (int(y) == 28 and 17 <= x <= 24) or (int(y) == 25 and 20 <= x <= 26):
        return CYAN
    return BLUE


def quill(x, y):
    """Colour of the quill at (x, y), or CLEAR off it."""
    ax, ay = TIP[0] - NIB[0], TIP[1] - NIB[1]
    length = math.hypot(ax, ay)
    ux, uy = ax / length, ay / length
    px, py = x - NIB[0], y - NIB[1]
    t = (px * ux + py * uy) / length         # 0 at the nib, 1 at the tip
    d = px * -uy + py * ux                   # signed distance from the shaft
    if t < -0.01 or t > 1.0:
        return CLEAR
    if t < 0.1:                              # the cut nib
        return BLACK if abs(d) < 1.0 - 5.0 * t else CLEAR
    if abs(d) < 0.75:
        return GRAY
    if t < 0.24:
        return CLEAR
    s = (t - 0.24) / 0.76
    width = 6.0 * math.sin(math.pi * s) ** 0.6 * (1.0 - 0.25 * s)
    if d < 0:
        width *= 0.75                        # the narrow side of the vane
    if abs(d) > width:
        return CLEAR
    if abs(d) > width - 1.1:
        return GRAY
    # Barbs: fine slanted lines across the vane.
    if int((t * length + abs(d) * 0.8) * 0.9) % 3 == 0:
        return SILVER
    return WHITE


def pixel(x, y):
    colour = quill(x, y)
    return colour if colour is not CLEAR else water(x, y)


def image(size):
    scale = 32.0 / size
    rows = []
    for row in range(size):
        rows.append([pixel((col + 0.5) * scale, (row + 0.5) * scale) for col in range(size)])
    return rows


def bitmap(size):
    rows = image(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor = b''
    mask = b''
    for row in reversed(rows):               # bottom-up
        nibbles = [0 if c is CLEAR else c for c in row]
        line = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor += line + b'\0' * (-len(line) % 4)
        bits = 0
        for c in row:
            bits = (bits << 1) | (1 if c is CLEAR else 0)
        line = bits.to_bytes(size // 8, 'big')
        mask += line + b'\0' * (-len(line) % 4)
    return header + palette + xor + mask


def main():
    images = [bitmap(32), bitmap(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'Quillmere.ico')
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
