#!/usr/bin/env python3
"""Draws the user dialog's change-picture overlay (icon_open_head.png, one per
theme) and the cover lists' marks (shade, selection frame, selection tick)
as PNGs under res/skin. Run from the repository root."""
import math
import os
import struct
import zlib

SAMPLES = 4


def png(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a) in 0..255 for the pixel's centre samples."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    r, g, b, a = pixel(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha > 0:
                rows += bytes([round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]), round(alpha)])
            else:
                rows += bytes(4)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path + ".tmp", "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9))
                + chunk(b"IEND", b""))
    os.replace(path + ".tmp", path)


def hex_rgb(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def open_head(disc, disc_alpha, glyph):
    """An 80 x 80 disc with a camera: shown over the head picture on hover."""
    size, c = 80, 40
    dr, gr = hex_rgb(disc), hex_rgb(glyph)

    def pixel(x, y):
        if math.hypot(x - c, y - c) > 40:
            return (0, 0, 0, 0)
        body = 24 <= x <= 56 and 31 <= y <= 53
        top = 33 <= x <= 45 and 27 <= y <= 31
        lens = math.hypot(x - c, y - 42) <= 7.5
        hole = math.hypot(x - c, y - 42) <= 4.5
        if (body or top) and not (lens and not hole):
            return gr + (255,)
        return dr + (disc_alpha,)

    return size, size, pixel


def shade(width, height, alpha):
    return width, height, lambda x, y: (0, 0, 0, alpha)


def frame(width, height, colour, thickness):
    rgb = hex_rgb(colour)

    def pixel(x, y):
        edge = x < thickness or y < thickness or x > width - thickness or y > height - thickness
        return rgb + (255,) if edge else (0, 0, 0, 0)

    return width, height, pixel


def tick(size, colour):
    rgb = hex_rgb(colour)
    c = size / 2

    def near_segment(px, py, ax, ay, bx, by, w):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(px - ax - t * dx, py - ay - t * dy) <= w

    def pixel(x, y):
        if math.hypot(x - c, y - c) > c:
            return (0, 0, 0, 0)
        w = size * 0.07
        if near_segment(x, y, size * 0.27, size * 0.52, size * 0.43, size * 0.68, w) or \
                near_segment(x, y, size * 0.43, size * 0.68, size * 0.74, size * 0.35, w):
            return (255, 255, 255, 255)
        return rgb + (255,)

    return size, size, pixel


ITEMS = {
    "res/skin/light/left/icon_open_head.png": open_head("#000000", 115, "#ffffff"),
    "res/skin/dark/left/icon_open_head.png": open_head("#000000", 160, "#c8c8c8"),
    "res/skin/green/left/icon_open_head.png": open_head("#205134", 140, "#ffffff"),
    "res/skin/dark/bookshelf/cover_shade.png": shade(120, 160, 70),
    "res/skin/dark/bookshelf/cover_selected.png": frame(120, 160, "#4a7df0", 4),
    "res/skin/dark/bookshelf/cover_selected_icon.png": tick(30, "#4a6fb3"),
    "res/skin/light/bookshelf/cover_selected_icon.png": tick(30, "#4a7df0"),
}

if __name__ == "__main__":
    for out, (w, h, fn) in ITEMS.items():
        png(out, w, h, fn)
        print(out)
