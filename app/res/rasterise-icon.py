#!/usr/bin/env python3
"""Rasterises an icon SVG made only of whole-pixel <rect> elements into an
indexed PNG with the 16-colour palette (plus one transparent entry), as the
application icon's images are kept. Usage: rasterise-icon.py IN.svg OUT.png"""
import struct
import sys
import xml.etree.ElementTree as ET
import zlib

PALETTE = [
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
]
TRANSPARENT = len(PALETTE)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def main(source, target):
    root = ET.parse(source).getroot()
    width, height = int(root.get("width")), int(root.get("height"))
    pixels = [[TRANSPARENT] * width for _ in range(height)]
    for rect in root.iter("{http://www.w3.org/2000/svg}rect"):
        colour = PALETTE.index(int(rect.get("fill").lstrip("#"), 16))
        x, y = int(rect.get("x")), int(rect.get("y"))
        for row in range(y, y + int(rect.get("height"))):
            for col in range(x, x + int(rect.get("width"))):
                pixels[row][col] = colour
    plte = b"".join(struct.pack(">I", c)[1:] for c in PALETTE) + b"\0\0\0"
    trns = b"\xff" * len(PALETTE) + b"\0"
    raw = b"".join(b"\0" + bytes(row) for row in pixels)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
    png += chunk(b"PLTE", plte) + chunk(b"tRNS", trns)
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(target, "wb") as out:
        out.write(png)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
