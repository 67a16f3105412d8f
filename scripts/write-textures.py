#!/usr/bin/env python3
"""Writes a 256 x 256 PNG for every file name listed in the first argument, into the folder of
the second: a pattern in a light and a dark shade of a colour of its own, and a black bar
along the top edge from the top-left corner. Then a plain white picture, the third argument.

Usage: scripts/write-textures.py IMAGE_LIST FOLDER WHITE_PNG
"""
import colorsys, struct, sys, zlib

SIZE = 256  # a common size of Unreal textures, so that they repeat about as often as in a game
BAR_LENGTH, BAR_WIDTH = 96, 20
PATTERNS = [
    lambda x, y: (x // 64 + y // 64) % 2,                                     # checks
    lambda x, y: (y // 32) % 2,                                               # stripes across
    lambda x, y: (x + (64 if (y // 64) % 2 else 0)) % 128 < 8 or y % 64 < 8,  # bricks
    lambda x, y: ((x + y) // 45) % 2,                                         # diagonal stripes
    lambda x, y: (x % 64 - 32) ** 2 + (y % 64 - 32) ** 2 < 400,               # dots
    lambda x, y: x % 64 < 8 or y % 64 < 8,                                    # grid
    lambda x, y: (x // 32) % 2,                                               # stripes along
]

def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

def write_png(path, width, height, pixel):
    rows = b"".join(b"\0" + bytes(c for x in range(width) for c in pixel(x, y))
                    for y in range(height))
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        out.write(chunk(b"IEND", b""))

names = [line.strip() for line in open(sys.argv[1]) if line.strip()]
for index, name in enumerate(names):
    # Hues spread around the wheel; shades dark enough that a brightly lit face keeps its hue.
    hue = index / len(names)
    light = tuple(round(255 * c) for c in colorsys.hsv_to_rgb(hue, 0.55, 0.75))
    dark = tuple(round(255 * c) for c in colorsys.hsv_to_rgb(hue, 0.85, 0.45))
    pattern = PATTERNS[index % len(PATTERNS)]
    def pixel(x, y, pattern=pattern, light=light, dark=dark):
        if x < BAR_LENGTH and y < BAR_WIDTH:
            return (0, 0, 0)
        return dark if pattern(x, y) else light
    write_png(sys.argv[2] + "/" + name, SIZE, SIZE, pixel)
write_png(sys.argv[3], 64, 32, lambda x, y: (255, 255, 255))
