// Ordered per-face classification: which parts of each brush face the level's CSG leaves visible.
#pragma once

#include <cstdint>
#include <vector>

#include "world/box_tree.h"
#include "world/convex_cells.h"
#include "world/plane_split.h"

namespace brushwright {

// What a brush does: Add and Subtract fill and carve the world in the order of the text;
// Semisolid is added after all of them and cuts nothing; Sheet (NotSolid, or a solid brush
// without volume) cuts nothing and shows where it lies in empty space.
enum class BrushRole { Add, Subtract, Semisolid, Sheet };

struct PreparedBrush {
  BrushRole Role = BrushRole::Sheet;
  std::vector<Fragment> Faces;    // convex and planar, each with its polygon's index
  std::vector<Plane> Planes;      // the plane of each face, facing out of the brush
  std::vector<ConvexCell> Cells;  // Add and Subtract only: together they fill the brush
  Box Bounds;
};

// A visible part of a face of brush `Brush`; Reversed when it is seen from behind (the faces
// of subtractive brushes face into the space they carve).
struct VisibleFragment {
  std::int32_t Brush = 0;
  bool Reversed = false;
  Fragment Piece;
};

class FaceClassifier {
 public:
  explicit FaceClassifier(const std::vector<PreparedBrush>& brushes);

  // Appends the visible parts of every face of brush `brush`, face by face.
  void AddVisibleFragments(std::int32_t brush, std::vector<VisibleFragment>& visible);

 private:
  enum class State { Solid, Empty };

  void RemoveInsideLater(std::int32_t brush, const Vector& normal,
                         std::vector<Fragment>& fragments) const;
  void RemoveFlushSemisolid(std::int32_t brush, std::size_t face, std::vector<Fragment>& fragments);
  void KeepWhere(const std::vector<std::int32_t>& deciders, const Vector& probe, State wanted,
                 std::vector<Fragment>& fragments) const;

  const std::vector<PreparedBrush>& brushes_;
  std::vector<std::int32_t> solid_;      // indices of the Add and Subtract brushes, in order
  BoxTree tree_;                         // over the bounds of the solid_ brushes
  std::vector<std::int32_t> near_;       // the solid brushes near the current face, in order
  std::vector<std::int32_t> semisolid_;  // indices of the Semisolid brushes, in order
  BoxTree semisolid_tree_;               // over the bounds of the semisolid_ brushes
  std::vector<std::int32_t> near_semisolid_;
};

}  // namespace brushwright
