// Independent checks of a built world: a point's state straight from the brushes, rays over the
// mesh.
#pragma once

#include <string>
#include <vector>

#include "world/world_builder.h"

namespace brushwright {

// Whether the brush carves or fills: Add without NotSolid and Semisolid, or any Subtract.
bool IsSolidBrush(const WorldBrush& brush);

// The state by the rule of the text order: empty when the last solid brush holding the point
// (winding number of its polygons) subtracts; solid when it adds or none holds it. Brushes
// flagged in `ignored` take no part.
bool IsEmptyAt(const std::vector<WorldBrush>& brushes, const std::vector<bool>& ignored,
               const Vector& point);

struct RayReport {
  int rays = 0;     // rays cast from empty origins
  int checked = 0;  // hits clear of edges, checked against the oracle
  std::vector<std::string> failures;
};

// Casts rays in fixed directions from each origin the oracle calls empty. The first face of a
// solid brush each ray meets must have empty space just before it, solid just after, and face
// the ray's origin; a ray meeting no face has found a hole. A semisolid brush's face with solid
// right behind it counts as well: flush on a wall, it is that wall's surface.
RayReport CastRays(const std::vector<WorldBrush>& brushes, const std::vector<bool>& ignored,
                   const WorldMesh& mesh, const std::vector<Vector>& origins);

// The narrowest part of any face: its shortest edge, or how far its farthest corner lies off the
// line through its two farthest corners. A face or an edge narrower than the corners' error is a
// sliver.
double NarrowestFace(const WorldMesh& mesh);

}  // namespace brushwright
