#!/usr/bin/env python3
"""Makes small seeds for the package_reader fuzz target from real packages.

Each package is written again with its name, import and export tables whole, its textures cut
down to their mips of at most 16 x 16 pixels, the objects of a few classes kept, and every other
object's data left out, so that a seed stays far below the fuzzers' 64 KB input limit. A second
copy of the first package is made in the layout of Tribes: Vengeance (version 130, licensee 27),
whose objects and mips begin with a version header.

Usage: fuzz/make-package-seeds.py PACKAGE_DIR OUTPUT_DIR
"""
import os
import struct
import sys

MAGIC = 0x9E2A83C1
HAS_STACK = 0x02000000
TEXTURE_CLASSES = {"Texture", "FireTexture", "IceTexture", "WaveTexture"}
KEPT_CLASSES = {"Palette", "Shader", "TexPanner", "MaterialSequence", "FinalBlend", "Combiner",
                "Brush", "Light", "LevelInfo"}
LARGEST_KEPT_OBJECT = 2048
LARGEST_KEPT_MIP = 16


class Reader:
    def __init__(self, data, pos=0):
        self.data, self.pos = data, pos

    def take(self, count):
        chunk = self.data[self.pos:self.pos + count]
        self.pos += count
        return chunk

    def u8(self):
        return self.take(1)[0]

    def i32(self):
        return struct.unpack("<i", self.take(4))[0]

    def compact(self):
        first = self.u8()
        value, shift, more = first & 0x3F, 6, first & 0x40
        while more:
            byte = self.u8()
            value |= (byte & 0x7F) << shift
            shift, more = shift + 7, byte & 0x80
        return -value if first & 0x80 else value


def compact(value):
    rest = abs(value)
    out = bytearray([(0x80 if value < 0 else 0) | (0x40 if rest >= 0x40 else 0) | (rest & 0x3F)])
    rest >>= 6
    while rest:
        out.append((0x80 if rest >= 0x80 else 0) | (rest & 0x7F))
        rest >>= 7
    return bytes(out)


def read_package(data):
    version, licensee = struct.unpack_from("<HH", data, 4)
    counts = struct.unpack_from("<I6i", data, 8)
    flags, name_count, name_offset, export_count, export_offset, import_count, import_offset = counts
    r = Reader(data, name_offset)
    names = []
    for _ in range(name_count):
        if version >= 64:
            names.append(r.take(r.compact())[:-1].decode("latin-1"))
        else:
            end = data.index(b"\0", r.pos)
            names.append(data[r.pos:end].decode("latin-1"))
            r.pos = end + 1
        r.i32()
    names_raw = data[name_offset:r.pos]
    r = Reader(data, import_offset)
    imports = []
    for _ in range(import_count):
        start = r.pos
        r.compact(), r.compact()
        r.i32()
        imports.append((names[r.compact()], data[start:r.pos]))
    r = Reader(data, export_offset)
    exports = []
    for _ in range(export_count):
        entry = {"class": r.compact(), "super": r.compact(), "outer": r.i32(), "name": r.compact(),
                 "flags": r.i32() & 0xFFFFFFFF}
        size = r.compact()
        offset = r.compact() if size > 0 else 0
        entry["data"] = data[offset:offset + size]
        entry["offset"] = offset
        exports.append(entry)
    return version, licensee, flags, names, names_raw, imports, exports


def class_name(imports, exports, names, ref):
    if ref < 0:
        return imports[-ref - 1][0]
    return names[exports[ref - 1]["name"]] if ref > 0 else "Class"


def skip_properties(r, names):
    while True:
        name = names[r.compact()]
        if name.lower() == "none":
            return
        info = r.u8()
        if info & 0x0F == 10:
            r.compact()
        size = [1, 2, 4, 12, 16][(info >> 4) & 7] if (info >> 4) & 7 < 5 else None
        if (info >> 4) & 7 == 5:
            size = r.u8()
        elif (info >> 4) & 7 == 6:
            size = struct.unpack("<H", r.take(2))[0]
        elif (info >> 4) & 7 == 7:
            size = r.i32()
        if info & 0x80 and info & 0x0F != 3:
            first = r.u8()
            r.take(0 if first < 0x80 else (1 if first & 0x40 == 0 else 3))
        r.take(size)


def small_mips(r, version, vengeance):
    """The mips of at most LARGEST_KEPT_MIP pixels a side, written again."""
    kept = []
    for _ in range(r.compact()):
        if version >= 62:
            r.i32()
        data = r.take(r.compact())
        width, height, ubits, vbits = r.i32(), r.i32(), r.u8(), r.u8()
        if width <= LARGEST_KEPT_MIP and height <= LARGEST_KEPT_MIP:
            mip = struct.pack("<ii", 4, 0) if vengeance else b""
            mip += (struct.pack("<i", 0) if version >= 62 else b"") + compact(len(data)) + data
            kept.append(mip + struct.pack("<iiBB", width, height, ubits, vbits))
    return compact(len(kept)) + b"".join(kept)


def cut_texture(entry, names, version, vengeance, kind):
    r = Reader(entry["data"])
    if entry["flags"] & HAS_STACK:
        raise ValueError("a texture with a state frame")
    skip_properties(r, names)
    out = entry["data"][:r.pos] + small_mips(r, version, vengeance)
    if kind == "Texture" and r.pos < len(entry["data"]) and version < 100:
        out += small_mips(r, version, vengeance)  # the compressed mips
    return out + entry["data"][r.pos:]  # what run-time textures keep after their mips


def write_package(package, vengeance):
    version, licensee, _, names, _, imports, exports = package
    if vengeance:
        version, licensee = 130, 27
    kept = []
    for entry in exports:
        kind = class_name(imports, exports, names, entry["class"])
        data = entry["data"]
        if kind in TEXTURE_CLASSES:
            data = cut_texture(entry, names, package[0], vengeance, kind)
        elif kind not in KEPT_CLASSES or len(data) > LARGEST_KEPT_OBJECT:
            data = b""
        if vengeance and data:
            data = struct.pack("<iii", 3, 1, 0) + data
        kept.append(data)
    return assemble(package, version, licensee, kept)


def assemble(package, version, licensee, kept):
    """The package again with the tables whole and `kept[i]` as the data of export i."""
    _, _, flags, names, names_raw, imports, exports = package
    header_size = 36 + (16 + 4 + 8 if version >= 68 else 8)
    body = bytearray()
    table = bytearray()
    for entry, data in zip(exports, kept):
        table += compact(entry["class"]) + compact(entry["super"])
        table += struct.pack("<i", entry["outer"]) + compact(entry["name"])
        table += struct.pack("<I", entry["flags"]) + compact(len(data))
        if data:
            table += compact(header_size + len(body))
        body += data
    name_offset = header_size + len(body)
    import_raw = b"".join(raw for _, raw in imports)
    header = struct.pack("<IHHI6i", MAGIC, version, licensee, flags, len(names), name_offset,
                         len(exports), name_offset + len(names_raw) + len(import_raw),
                         len(imports), name_offset + len(names_raw))
    if version >= 68:
        header += bytes(range(16)) + struct.pack("<iii", 1, len(exports), len(names))
    else:
        header += struct.pack("<ii", 0, 0)
    return header + bytes(body) + names_raw + import_raw + bytes(table)

def main():
    source, target = sys.argv[1], sys.argv[2]
    os.makedirs(target, exist_ok=True)
    files = sorted(f for f in os.listdir(source) if not f.endswith(".md"))
    for number, name in enumerate(files):
        with open(os.path.join(source, name), "rb") as f:
            package = read_package(f.read())
        stem = os.path.splitext(name)[0]
        for vengeance in ([False, True] if number == 0 else [False]):
            seed = write_package(package, vengeance)
            suffix = "-vengeance" if vengeance else ""
            with open(os.path.join(target, stem + suffix + ".bin"), "wb") as f:
                f.write(seed)
            print(f"{stem}{suffix}.bin: {len(seed)} bytes")


if __name__ == "__main__":
    main()
