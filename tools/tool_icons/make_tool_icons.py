#!/usr/bin/env python3
"""Draws the tool panel's icons (light and dark skins) as small SVGs and the
focus panel's check mark as PNGs. Run from the repository root."""
import os
import struct
import zlib

ICONS = {
    "export.svg": '<path d="M9 2v9M5 7l4 4 4-4M3 13v3h12v-3"/>',
    "import.svg": '<path d="M9 11V2M5 6l4-4 4 4M3 13v3h12v-3"/>',
    "gist.svg": '<path d="M4 2h10v14H4zM7 6h4M7 9h4M7 12h2"/>',
    "name.svg": '<circle cx="9" cy="6" r="3"/><path d="M3 16c0-3 3-5 6-5s6 2 6 5"/>',
    "order.svg": '<path d="M3 4h12M6 8h9M3 12h12M6 16h9"/>',
    "search.svg": '<circle cx="8" cy="8" r="5"/><path d="M12 12l4 4"/>',
    "sensitive.svg": '<path d="M9 2l7 13H2zM9 7v4M9 13v.5"/>',
    "dark.svg": '<path d="M14 11A6 6 0 0 1 7 4a6 6 0 1 0 7 7z"/>',
    "sun.svg": '<circle cx="9" cy="9" r="3"/><path d="M9 1v2M9 15v2M1 9h2M15 9h2M3.3 3.3l1.4 1.4M13.3 13.3l1.4 1.4M3.3 14.7l1.4-1.4M13.3 4.7l1.4-1.4"/>',
    "lock.svg": '<rect x="3" y="8" width="12" height="8" rx="1"/><path d="M6 8V5a3 3 0 0 1 6 0v3"/>',
    "memo.svg": '<path d="M3 2h12v10l-4 4H3zM11 16v-4h4"/>',
    "setting.svg": '<circle cx="9" cy="9" r="2.5"/><path d="M9 1.5v2.5M9 14v2.5M1.5 9H4M14 9h2.5M3.7 3.7l1.8 1.8M12.5 12.5l1.8 1.8M3.7 14.3l1.8-1.8M12.5 5.5l1.8-1.8"/>',
}
COLOURS = {"light": "#555555", "dark": "#C8C8C8"}


def svg(body, colour):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="18" height="18" viewBox="0 0 18 18" fill="none" '
            'stroke="%s" stroke-width="1.5" stroke-linecap="round" stroke-linejoin="round">%s</svg>\n' % (colour, body))


def check_png(path, rgb):
    size = 16
    rows = []
    for y in range(size):
        row = bytearray([0])
        for x in range(size):
            on = (y == x + 4 and 3 <= x <= 6) or (x + y == 14 and 6 <= x <= 13) or \
                 (y == x + 5 and 3 <= x <= 6) or (x + y == 15 and 6 <= x <= 13)
            row += bytes(rgb + (255 if on else 0,))
        rows.append(bytes(row))
    raw = zlib.compress(b"".join(rows))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) \
        + chunk(b"IDAT", raw) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    for skin, colour in COLOURS.items():
        folder = os.path.join("res", "skin", skin, "creation", "plane1")
        os.makedirs(folder, exist_ok=True)
        for name, body in ICONS.items():
            with open(os.path.join(folder, name), "w") as f:
                f.write(svg(body, colour))
        plane2 = os.path.join("res", "skin", skin, "creation", "plane2")
        os.makedirs(plane2, exist_ok=True)
        check_png(os.path.join(plane2, "select.png"), (0x51, 0xA8, 0xFF))


if __name__ == "__main__":
    main()
