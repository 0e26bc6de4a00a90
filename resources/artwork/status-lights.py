#!/usr/bin/env python3
"""Draws the service status lights red.png, yellow.png and green.png (40 x 40,
shown at 20 x 20) into ../images/icons. Plain Python: no imaging library."""
import math
import os
import struct
import zlib

SIZE = 40
COLOURS = {
    "red": (0xd0, 0x30, 0x2a),
    "yellow": (0xf2, 0xc0, 0x1e),
    "green": (0x3c, 0xb8, 0x4c),
}


def pixel(x, y, rgb):
    c = (SIZE - 1) / 2.0
    r = SIZE / 2.0 - 2.0
    d = math.hypot(x - c, y - c)
    # Anti-aliased edge over one pixel.
    alpha = max(0.0, min(1.0, r - d + 0.5))
    if alpha == 0.0:
        return (0, 0, 0, 0)
    # A soft highlight towards the upper left, a darker rim.
    h = math.hypot(x - (c - r * 0.35), y - (c - r * 0.35)) / (r * 1.4)
    light = max(0.0, 1.0 - h) * 0.45
    rim = 0.75 if d > r - 2.0 else 1.0
    out = [min(255, int((v * rim) + (255 - v * rim) * light)) for v in rgb]
    return (out[0], out[1], out[2], int(alpha * 255))


def png(rows):
    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "images", "icons")
    os.makedirs(out, exist_ok=True)
    for name, rgb in COLOURS.items():
        rows = [[pixel(x, y, rgb) for x in range(SIZE)] for y in range(SIZE)]
        with open(os.path.join(out, name + ".png"), "wb") as f:
            f.write(png(rows))


if __name__ == "__main__":
    main()
