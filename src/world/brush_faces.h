// A brush's usable faces (odd polygons dropped or cut into triangles) and its closedness test.
#pragma once

#include <cstdint>
#include <vector>

#include "world/plane_split.h"
#include "world/world_builder.h"

namespace brushwright {

// The faces of a brush the builder can work with, each a convex planar fragment carrying its
// polygon's index, with its plane. A polygon with unusable coordinates (not finite, or beyond
// what the tolerance can resolve) or without area is dropped and counted; a non-planar or
// non-convex one is cut into triangles.
struct BrushFaces {
  std::vector<Fragment> Faces;
  std::vector<Plane> Planes;
  std::int32_t Dropped = 0;
};
BrushFaces UsableFaces(const WorldBrush& brush);

// Whether the faces bound a solid: every edge, split where other corners lie on it (editors
// leave such T-junctions inside brushes), is matched by an edge running the other way, and the
// enclosed volume is positive and not thinner than the tolerance.
bool IsClosedSolid(const std::vector<Fragment>& faces);

}  // namespace brushwright
