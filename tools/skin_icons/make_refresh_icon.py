#!/usr/bin/env python3
"""Draws the restore button's refresh icon (28 x 28 PNG, shown at 14 x 14) in
each theme's colour into res/skin/<theme>/creation/btn_refresh.png."""
import math
import struct
import zlib

SIZE = 28
SAMPLES = 4


def inside(x, y):
    cx = cy = SIZE / 2
    dx, dy = x - cx, y - cy
    r = math.hypot(dx, dy)
    angle = math.degrees(math.atan2(-dy, dx)) % 360
    # The ring, open at the upper right where the arrow head sits.
    if 8.0 <= r <= 10.6 and not (20 <= angle <= 75):
        return True
    # Arrow head: a triangle at the ring's end, pointing along the turn.
    ax, ay = cx + 9.3 * math.cos(math.radians(20)), cy - 9.3 * math.sin(math.radians(20))
    p1 = (ax - 5.2, ay + 0.5)
    p2 = (ax + 5.2, ay + 0.5)
    p3 = (ax, ay - 5.5)
    return point_in_triangle((x, y), p1, p2, p3)


def point_in_triangle(p, a, b, c):
    def sign(p1, p2, p3):
        return (p1[0] - p3[0]) * (p2[1] - p3[1]) - (p2[0] - p3[0]) * (p1[1] - p3[1])
    d1, d2, d3 = sign(p, a, b), sign(p, b, c), sign(p, c, a)
    neg = d1 < 0 or d2 < 0 or d3 < 0
    pos = d1 > 0 or d2 > 0 or d3 > 0
    return not (neg and pos)


def png(colour):
    r, g, b = int(colour[1:3], 16), int(colour[3:5], 16), int(colour[5:7], 16)
    rows = b""
    for y in range(SIZE):
        row = b"\x00"
        for x in range(SIZE):
            hits = sum(inside(x + (i + 0.5) / SAMPLES, y + (j + 0.5) / SAMPLES)
                       for i in range(SAMPLES) for j in range(SAMPLES))
            row += bytes([r, g, b, round(255 * hits / SAMPLES ** 2)])
        rows += row

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


for theme, colour in (("light", "#51A8FF"), ("dark", "#4a78c2"), ("green", "#3aa86b")):
    with open("res/skin/%s/creation/btn_refresh.png" % theme, "wb") as f:
        f.write(png(colour))
