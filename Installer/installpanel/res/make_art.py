#!/usr/bin/env python3
"""Draws installpanel's icons and background bitmap (run by hand; the results are committed)."""
import math
import struct


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def coverage(size, inside):
    """Alpha per pixel from a predicate sampled 4x4 per pixel."""
    alpha = []
    for y in range(size):
        row = []
        for x in range(size):
            hits = sum(inside(x + (i + 0.5) / 4, y + (j + 0.5) / 4) for i in range(4) for j in range(4))
            row.append(hits / 16)
        alpha.append(row)
    return alpha


def icon_image(size, pixel):
    """One 32-bit icon image; pixel(x, y) gives (r, g, b, a) with y downwards."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b''
    for y in reversed(range(size)):
        for x in range(size):
            r, g, b, a = pixel(x, y)
            rows += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    return header + rows + b'\0' * (mask_row * size)


def write_ico(path, images):
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = b''
    for size, blob in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset + len(data))
        data += blob
    open(path, 'wb').write(out + data)


def chevron(size, color, up):
    w = size / 16
    pts = [(4, 6), (8, 10), (12, 6)] if not up else [(4, 10), (8, 6), (12, 10)]
    pts = [(x * w, y * w) for x, y in pts]
    inside = lambda x, y: min(seg_dist(x, y, *pts[0], *pts[1]), seg_dist(x, y, *pts[1], *pts[2])) <= 1.1 * w
    alpha = coverage(size, inside)
    return icon_image(size, lambda x, y: (*color, int(255 * alpha[y][x])))


def app_icon(size):
    s = size / 32
    box = lambda x, y: 2 * s <= x <= 30 * s and 2 * s <= y <= 30 * s and not (
        min(x - 2 * s, 30 * s - x) < 5 * s and min(y - 2 * s, 30 * s - y) < 5 * s and
        math.hypot(min(x - 2 * s, 30 * s - x) - 5 * s, min(y - 2 * s, 30 * s - y) - 5 * s) > 5 * s)
    shaft = lambda x, y: abs(x - 16 * s) <= 2.2 * s and 7 * s <= y <= 17 * s
    head = lambda x, y: y >= 13 * s and y <= 22 * s and abs(x - 16 * s) <= (22 * s - y)
    tray = lambda x, y: 8 * s <= x <= 24 * s and 24 * s <= y <= 26 * s
    white = lambda x, y: shaft(x, y) or head(x, y) or tray(x, y)
    a_box = coverage(size, box)
    a_white = coverage(size, white)

    def pixel(x, y):
        t = y / size
        base = (int(12 + 35 * t), int(99 + 38 * t), int(206 + 46 * t))
        k = a_white[y][x]
        color = tuple(int(c * (1 - k) + 255 * k) for c in base)
        return (*color, int(255 * a_box[y][x]))

    return icon_image(size, pixel)


def write_bmp(path, width, height, pixel):
    row = ((width * 3 + 3) // 4) * 4
    data = b''
    for y in reversed(range(height)):
        line = b''.join(bytes(pixel(x, y)[::-1]) for x in range(width))
        data += line + b'\0' * (row - width * 3)
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    open(path, 'wb').write(header + info + data)


def background(x, y, width=320, height=110):
    t = y / height
    r, g, b = 12 + 35 * t, 99 + 38 * t, 206 + 46 * t
    # two soft light bands across the picture
    for cx, cy, rad in ((260, -30, 130), (305, 125, 100)):
        d = math.hypot(x - cx, y - cy)
        if d < rad:
            k = 0.10 * (1 - d / rad)
            r, g, b = r + (255 - r) * k, g + (255 - g) * k, b + (255 - b) * k
    return (int(r), int(g), int(b))


if __name__ == '__main__':
    write_ico('installpanel.ico', [(16, app_icon(16)), (32, app_icon(32)), (48, app_icon(48))])
    states = [(255, 255, 255), (0, 83, 186), (0, 74, 165), (101, 168, 255)]
    for i, color in enumerate(states):
        write_ico('options_collapsed_%d.ico' % i, [(16, chevron(16, color, False))])
        write_ico('options_expanded_%d.ico' % i, [(16, chevron(16, color, True))])
    write_bmp('background.bmp', 320, 110, background)
