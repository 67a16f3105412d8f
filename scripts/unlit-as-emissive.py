#!/usr/bin/env python3
"""Rewrites a .glb file's KHR_materials_unlit materials as emissive ones (their base colour and
texture as the emitted colour, a black base colour), for viewers that draw unlit materials in a
plain colour without their texture: f3d 1.3 (VTK 9.1) shows them white. Standard library only.

Usage: scripts/unlit-as-emissive.py IN.glb OUT.glb
"""
import json, struct, sys

UNLIT = "KHR_materials_unlit"


def main(source, target):
    data = open(source, "rb").read()
    length = struct.unpack("<I", data[12:16])[0]
    document = json.loads(data[20:20 + length])
    rest = data[20 + length:]
    for material in document.get("materials", []):
        extensions = material.get("extensions", {})
        if UNLIT not in extensions:
            continue
        pbr = material.setdefault("pbrMetallicRoughness", {})
        factor = pbr.get("baseColorFactor", [1, 1, 1, 1])
        if "baseColorTexture" in pbr:
            material["emissiveTexture"] = dict(pbr["baseColorTexture"])
        material["emissiveFactor"] = factor[:3]
        pbr["baseColorFactor"] = [0, 0, 0, factor[3]]
        del extensions[UNLIT]
        if not extensions:
            del material["extensions"]
    used = [name for name in document.get("extensionsUsed", []) if name != UNLIT]
    document.pop("extensionsUsed", None)
    if used:
        document["extensionsUsed"] = used
    text = json.dumps(document).encode()
    text += b" " * (-len(text) % 4)
    with open(target, "wb") as out:
        out.write(struct.pack("<4sII", b"glTF", 2, 12 + 8 + len(text) + len(rest)))
        out.write(struct.pack("<I4s", len(text), b"JSON") + text + rest)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
