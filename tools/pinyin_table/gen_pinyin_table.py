#!/usr/bin/env python3
"""Builds res/txt/pinyin.txt: for each toneless pinyin syllable, the GB 2312
Chinese characters read that way.

Source: Unihan_Readings.txt(.bz2) of the Debian package `unicode-data`
(/usr/share/unicode/). Each character takes the first reading of its
kMandarin field (the customary reading), tone marks removed, "ü" written "v".

Usage: gen_pinyin_table.py [Unihan_Readings.txt[.bz2]] [output]
"""
import bz2
import sys
import unicodedata

src = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode/Unihan_Readings.txt.bz2"
out = sys.argv[2] if len(sys.argv) > 2 else "res/txt/pinyin.txt"

opener = bz2.open if src.endswith(".bz2") else open
mandarin = {}
with opener(src, "rt", encoding="utf-8") as f:
    for line in f:
        if line.startswith("#") or "\tkMandarin\t" not in line:
            continue
        code, _, value = line.rstrip("\n").split("\t")
        mandarin[int(code[2:], 16)] = value.split()[0]


def toneless(reading):
    # ü may carry a tone mark on top (ǚ): decompose first, then spell u + diaeresis as v.
    decomposed = unicodedata.normalize("NFD", reading.lower()).replace("u\u0308", "v")
    return "".join(c for c in decomposed if not unicodedata.combining(c)).lower()


# The Chinese characters of GB 2312: rows 16 to 87, cells 1 to 94.
chars = []
for row in range(0xB0, 0xF8):
    for cell in range(0xA1, 0xFF):
        try:
            ch = bytes([row, cell]).decode("gb2312")
        except UnicodeDecodeError:
            continue
        if 0x4E00 <= ord(ch) <= 0x9FA5:
            chars.append(ord(ch))

table = {}
missing = []
for cp in chars:
    reading = mandarin.get(cp)
    if reading is None:
        missing.append(cp)
        continue
    table.setdefault(toneless(reading), []).append(cp)

lines = []
for syllable in sorted(table):
    if not syllable.isascii() or not syllable.isalpha():
        raise SystemExit("unexpected syllable %r" % syllable)
    lines.append(",".join([syllable] + ["0x%04x" % cp for cp in table[syllable]]))

with open(out, "w", encoding="ascii", newline="") as f:
    f.write("\r\n".join(lines))

print("%d syllables, %d characters, %d without a reading" % (len(lines), sum(map(len, table.values())), len(missing)),
      file=sys.stderr)
