// Reads a brush actor's placement from its block and applies the brush transform to its polygons.
#pragma once

#include <string_view>

#include "t3d/polygon_reader.h"
#include "vecmath/brush_transform.h"
#include "vecmath/vecmath.h"

namespace brushwright {

// What a brush actor's block says about where the editor puts its polygons. Missing keys give
// the identity placement: location, pivot and rotation 0, scales 1 without sheer.
struct BrushPlacement {
  Vector Location;
  Vector PrePivot;
  Rotator Rotation;
  BrushScale MainScale;
  BrushScale PostScale;
};

// Reads the scale after the first `key` ("MainScale=" or "PostScale=") that begins in `block`
// before its last character, from the rest of that key's line only: "Scale=(X=..,Y=..,Z=..)"
// (missing components 1), "SheerRate=" (missing 0) and "SheerAxis=" (a name other than the six
// sheer axes means no sheer). A missing key gives scale 1 without sheer.
BrushScale ReadBrushScale(std::string_view block, std::string_view key);
// Reads "Location=", "PrePivot=", "Rotation=", "MainScale=" and "PostScale=" of a brush actor's
// block (the whole block: "PrePivot=" stands after the brush's polygons).
BrushPlacement ReadBrushPlacement(std::string_view block);
BrushTransform PlacementTransform(const BrushPlacement& placement);

// Places one polygon: its vertices and origin by M (p - PrePivot) + Location; its normal by N
// and normalised, its texture axes by N unnormalised, so every texel stays on its corner. A
// mirroring transform (determinant below 0) reverses the vertex list and keeps the normal's
// direction; a flattening one (determinant 0) leaves normal and texture axes as read. Texture,
// flags and pan are unchanged.
void TransformPolygon(PolygonRecord& polygon, const BrushTransform& transform);
// Turns a carving brush's polygon to face into the space it carves: vertex order reversed and
// normal negated.
void ReversePolygon(PolygonRecord& polygon);

}  // namespace brushwright
