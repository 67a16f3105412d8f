// Convex decomposition of a closed brush into cells bounded by planes.
#pragma once

#include <vector>

#include "world/plane_split.h"

namespace brushwright {

// The points behind or on every plane.
struct ConvexCell {
  std::vector<Plane> Planes;
};

// Cells whose union is the closed brush bounded by `faces` (with their `planes`): the brush
// itself when it is convex, otherwise the solid leaves of a BSP tree of its faces, so stairs,
// lofted shapes and hollow cylinders become a few convex pieces. False when the tree splits
// the faces into too many pieces to be a brush.
bool ConvexCells(const std::vector<Fragment>& faces, const std::vector<Plane>& planes,
                 std::vector<ConvexCell>& cells);

// Cuts every cell down to the box. The cells of an open brush reach out through its opening;
// the box keeps them to the brush, as far as the brush is ever asked about faces.
void KeepWithin(const Box& box, std::vector<ConvexCell>& cells);

}  // namespace brushwright
