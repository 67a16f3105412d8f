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

// How a brush's faces bound space.
enum class Closure {
  // Every edge, split where other corners lie on it (editors leave such T-junctions inside
  // brushes), is matched by an edge running the other way, around a positive volume not thinner
  // than the tolerance.
  Closed,
  // Some edge is unmatched, and the faces do not all lie in one plane: a lidless box, a cup.
  Open,
  // No volume to speak of: no faces, all in one plane, or closed around a volume that is not
  // positive (inside out) or thinner than the tolerance.
  Flat,
};
Closure ClosureOf(const std::vector<Fragment>& faces, const std::vector<Plane>& planes);

}  // namespace brushwright
