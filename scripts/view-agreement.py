#!/usr/bin/env python3
"""Compares which pixels of two pictures of the same view hold geometry: a pixel holds geometry
when its colour differs from the plain background. Prints the share of pixels on which the two
agree and exits 1 when it is below the least share asked for.
Usage: scripts/view-agreement.py PICTURE.png REFERENCE.png R,G,B [LEAST_SHARE]
(8-bit RGB or RGBA PNG files without interlacing, as the window and f3d write them; the
background as 0-255 values.)"""
import struct
import sys
import zlib

# Renderers round the background colour differently: this far off still counts as background.
TOLERANCE = 3


def read_png(path):
    data = open(path, 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        sys.exit(f'{path}: not a PNG file')
    pos, idat = 8, b''
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
            if depth != 8 or colour not in (2, 6) or interlace:
                sys.exit(f'{path}: only 8-bit RGB or RGBA PNG files without interlacing')
            channels = 3 if colour == 2 else 4
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, row = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = row[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                row[i] = (row[i] + left) & 255
            elif kind == 2:
                row[i] = (row[i] + up) & 255
            elif kind == 3:
                row[i] = (row[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                row[i] = (row[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(row)
        previous = row
    return width, height, channels, rows


def geometry_mask(picture, background):
    width, height, channels, rows = picture
    return [[any(abs(row[x * channels + c] - background[c]) > TOLERANCE for c in range(3))
             for x in range(width)] for row in rows]


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    background = [int(v) for v in sys.argv[3].split(',')]
    least = float(sys.argv[4]) if len(sys.argv) == 5 else 0.97
    picture, reference = read_png(sys.argv[1]), read_png(sys.argv[2])
    if picture[:2] != reference[:2]:
        sys.exit(f'the pictures differ in size: {picture[:2]} and {reference[:2]}')
    ours, theirs = geometry_mask(picture, background), geometry_mask(reference, background)
    total = picture[0] * picture[1]
    agree = sum(a == b for row_a, row_b in zip(ours, theirs) for a, b in zip(row_a, row_b))
    geometry = sum(sum(row) for row in ours)
    print(f'geometry agrees on {100 * agree / total:.2f} % of the pixels '
          f'(the picture shows geometry on {100 * geometry / total:.2f} %)')
    # An empty picture would agree with a nearly empty one: the level must show.
    sys.exit(0 if agree >= least * total and geometry > 0 else 1)


if __name__ == '__main__':
    main()
