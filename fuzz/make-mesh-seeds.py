#!/usr/bin/env python3
"""Makes small seeds for the static_mesh fuzz target from real packages that hold static meshes.

Each package is written again with its name, import and export tables whole and the data of its
smaller static meshes only (every other object's data left out), so that a seed stays below the
fuzzers' 64 KB input limit; the file offset each mesh stores before its source triangles is
moved with the mesh. A second copy of the first such package is made in the layout of version
120, whose collision data come before the box tree (written empty).

Usage: fuzz/make-mesh-seeds.py PACKAGE_DIR OUTPUT_DIR
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

LARGEST_KEPT_MESH = 8192
OLD_VERSION = 120


def skip_array(r, element_size):
    r.take(r.compact() * element_size)


def collision_span(data, names):
    """Where the mesh's collision data begin and end, and where its skip offset is stored."""
    r = Reader(data)
    skip_properties(r, names)
    r.take(25 + 16)
    skip_array(r, 14)
    r.take(25)
    skip_array(r, 24)
    r.take(4)
    for _ in range(2):
        skip_array(r, 4)
        r.take(4)
    for _ in range(r.compact()):
        skip_array(r, 8)
        r.take(8)
    for _ in range(2):
        skip_array(r, 2)
        r.take(4)
    r.compact()  # the collision model
    start = r.pos
    skip_array(r, 32)
    skip_array(r, 8)
    return start, r.pos, r.pos


def old_layout(data, names):
    """The mesh with empty collision arrays in the older layout in place of its box tree."""
    start, end, _ = collision_span(data, names)
    return data[:start] + compact(0) + compact(0) + data[end:]


def write_package(package, old):
    version, licensee, _, names, _, imports, exports = package
    if old:
        version = OLD_VERSION
    header_size = 36 + 16 + 4 + 8
    kept = []
    position = header_size
    for entry in exports:
        data = entry["data"]
        if class_name(imports, exports, names, entry["class"]) != "StaticMesh" or \
                len(data) > LARGEST_KEPT_MESH:
            data = b""
        if data:
            old_start = entry["offset"]
            skip_at = collision_span(data, names)[2]
            old_skip = struct.unpack_from("<i", data, skip_at)[0]
            if old:
                before = len(data)
                data = old_layout(data, names)
                skip_at -= before - len(data)
                old_skip -= before - len(data)
            data = data[:skip_at] + struct.pack("<i", old_skip - old_start + position) + \
                data[skip_at + 4:]
        position += len(data)
        kept.append(data)
    return assemble(package, version, licensee, kept)


def main():
    source, target = sys.argv[1], sys.argv[2]
    os.makedirs(target, exist_ok=True)
    first = True
    for name in sorted(f for f in os.listdir(source) if not f.endswith(".md")):
        with open(os.path.join(source, name), "rb") as f:
            data = f.read()
        package = read_package(data)
        if package[0] < 112:
            continue
        stem = os.path.splitext(name)[0]
        for old in ([False, True] if first else [False]):
            seed = write_package(package, old)
            if len(seed) > 65536:
                continue
            with open(os.path.join(target, stem + ("-old" if old else "") + ".bin"), "wb") as f:
                f.write(seed)
        first = False


if __name__ == "__main__":
    main()
