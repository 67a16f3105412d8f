#!/usr/bin/env python3
"""Makes small seeds for the package_level fuzz target from real map packages.

Each map is written again with its name, import and export tables whole and the data of only
the objects its level leads to: the level, the actors of its actor list that the level reader
reads (brushes and the report's classes), the brushes' models and polygon lists, and the level's
own model (first generation) with its nodes cut to the first few and its light maps and leaves
left out. Every other object's data is left out, so that a seed stays below the fuzzers' 64 KB
input limit.

Usage: fuzz/make-level-seeds.py PACKAGE_DIR OUTPUT_DIR
"""
import os
import runpy
import struct
import sys

# The package seeds' script reads and writes the tables; its helpers are shared.
TABLES = runpy.run_path(os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                     "make-package-seeds.py"))
Reader, compact = TABLES["Reader"], TABLES["compact"]
read_package, class_name, skip_properties = (TABLES["read_package"], TABLES["class_name"],
                                             TABLES["skip_properties"])
assemble = TABLES["assemble"]

MAGIC = 0x9E2A83C1
HAS_STACK = 0x02000000
READ_CLASSES = {"brush", "light", "spotlight", "trigger", "playerstart", "teleporter",
                "favoritesteleporter", "visibleteleporter"}
KEPT_NODES = 24


def skip_frame(r, flags):
    if flags & HAS_STACK:
        node = r.compact()
        r.compact()
        r.take(12)
        if node:
            r.compact()


def properties(entry, names):
    """The object's tagged properties as (name, type, value bytes)."""
    r = Reader(entry["data"])
    skip_frame(r, entry["flags"])
    found = []
    while True:
        name = names[r.compact()]
        if name.lower() == "none":
            return found
        info = r.u8()
        if info & 0x0F == 10:
            r.compact()
        code = (info >> 4) & 7
        size = [1, 2, 4, 12, 16][code] if code < 5 else None
        if code == 5:
            size = r.u8()
        elif code == 6:
            size = struct.unpack("<H", r.take(2))[0]
        elif code == 7:
            size = r.i32()
        if info & 0x80 and info & 0x0F != 3:
            first = r.u8()
            r.take(0 if first < 0x80 else (1 if first & 0x40 == 0 else 3))
        found.append((name.lower(), info & 0x0F, r.take(size)))


def object_property(entry, names, wanted):
    """The object reference of property `wanted`, 0 when the object has none."""
    for name, kind, value in properties(entry, names):
        if name == wanted.lower() and kind == 5:
            return Reader(value).compact()
    return 0


def model_parts(entry, names, version):
    """The model's data up to its Polys reference, with nodes cut; and that reference."""
    r = Reader(entry["data"])
    skip_frame(r, entry["flags"])
    skip_properties(r, names)
    r.take(25 + (16 if version >= 62 else 12))
    head = entry["data"][:r.pos]
    if version <= 61:
        for _ in range(5):
            r.compact()
        return entry["data"][:r.pos], r.compact()
    out = bytearray(head)
    for _ in range(2):  # vectors and points
        start = r.pos
        r.take(12 * r.compact())
        out += entry["data"][start:r.pos]
    nodes = r.compact()
    kept = min(nodes, KEPT_NODES) if version <= 69 else nodes
    start = r.pos
    for i in range(nodes):
        if i == kept:
            end = r.pos
        r.take(25)
        for _ in range(7):
            r.compact()
        r.take(11)
    out += compact(kept) + entry["data"][start:end if kept < nodes else r.pos]
    rest = r.pos
    surfaces = r.compact()
    for _ in range(surfaces):
        r.compact()
        r.take(4)
        for _ in range(6):
            r.compact()
        r.take(4)
        r.compact()
    for _ in range(2 * r.compact()):
        r.compact()
    r.take(4)
    zones = r.i32()
    for _ in range(zones):
        r.compact()
        r.take(16 + (4 if version < 63 else 0))
    out += entry["data"][rest:r.pos]
    polys = r.compact()
    return bytes(out), polys


def level_seed(package):
    version, licensee, flags, names, names_raw, imports, exports = package
    kept = {}
    level = next(i for i, e in enumerate(exports)
                 if class_name(imports, exports, names, e["class"]) == "Level")
    kept[level] = exports[level]["data"]
    r = Reader(exports[level]["data"])
    skip_frame(r, exports[level]["flags"])
    skip_properties(r, names)
    count = r.i32()
    r.i32()  # capacity
    actors = [r.compact() for _ in range(count)]
    for _ in range(4):
        r.take(r.compact())
    for _ in range(r.compact()):
        r.take(r.compact())
    r.take(8)
    models = [r.compact()]
    for ref in actors:
        if ref <= 0 or class_name(imports, exports, names, exports[ref - 1]["class"]).lower() \
                not in READ_CLASSES:
            continue
        kept[ref - 1] = exports[ref - 1]["data"]
        if class_name(imports, exports, names, exports[ref - 1]["class"]) == "Brush":
            models.append(object_property(exports[ref - 1], names, "Brush"))
    for number, model in enumerate(models):
        if model <= 0 or (number == 0 and version > 69):
            continue
        data, polys = model_parts(exports[model - 1], names, version)
        # Empty light maps, light bits, bounds, leaf hulls, leaves and lights; root and link.
        kept[model - 1] = data + compact(polys) + bytes(6) + struct.pack("<ii", 1, 0)
        if polys > 0 and number > 0:
            kept[polys - 1] = exports[polys - 1]["data"]
    return write_level(package, kept)


def write_level(package, kept):
    exports = package[6]
    return assemble(package, package[0], package[1],
                    [kept.get(index, b"") for index in range(len(exports))])

def main():
    source, target = sys.argv[1], sys.argv[2]
    os.makedirs(target, exist_ok=True)
    for name in sorted(os.listdir(source)):
        with open(os.path.join(source, name), "rb") as f:
            data = f.read()
        if len(data) < 4 or struct.unpack_from("<I", data)[0] != MAGIC:
            continue
        package = read_package(data)
        if not any(class_name(package[5], package[6], package[3], e["class"]) == "Level"
                   for e in package[6]):
            continue
        seed = level_seed(package)
        stem = os.path.splitext(name)[0]
        with open(os.path.join(target, stem + ".bin"), "wb") as f:
            f.write(seed)
        print(f"{stem}.bin: {len(seed)} bytes")


if __name__ == "__main__":
    main()
