#!/usr/bin/env python3
"""Prints how much of each picture is burnt or dark: the share of pixels near white (every
channel at least 240 of 255), the share of dark pixels (every channel at most 24) and the mean
brightness (0 to 255, as Rec. 601 luma). Reads 8-bit PNG files (grey, RGB, RGBA; not
interlaced), as f3d writes them, with the standard library alone.

Usage: scripts/picture-shares.py PICTURE.png...
"""
import struct, sys, zlib

NEAR_WHITE, DARK = 240, 24


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG file")
    pos, chunks, header = 8, [], None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            chunks.append(body)
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    channels = {0: 1, 2: 3, 4: 2, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace:
        sys.exit(f"{path}: only 8-bit, not interlaced grey, RGB or RGBA pictures are read")
    raw, stride, rows, previous = zlib.decompress(b"".join(chunks)), width * channels, [], None
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        up = previous or bytearray(stride)
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            corner = up[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up[i]) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up[i]) // 2) & 255
            elif kind == 4:
                p = left + up[i] - corner
                pa, pb, pc = abs(p - left), abs(p - up[i]), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up[i] if pb <= pc else corner)) & 255
        rows.append(line)
        previous = line
    return width, height, channels, rows


for path in sys.argv[1:]:
    width, height, channels, rows = read_png(path)
    white = dark = 0
    luma = 0.0
    for line in rows:
        for x in range(width):
            px = line[x * channels:x * channels + 3] if channels >= 3 else line[x * channels:x * channels + 1] * 3
            white += min(px) >= NEAR_WHITE
            dark += max(px) <= DARK
            luma += 0.299 * px[0] + 0.587 * px[1] + 0.114 * px[2]
    count = width * height
    print(f"{path}: near white {100 * white / count:.1f} %, dark {100 * dark / count:.1f} %, "
          f"mean {luma / count:.0f}")
