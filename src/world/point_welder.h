// Welding of nearby points into one, and the welded points that lie inside an edge.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "vecmath/vecmath.h"
#include "world/box_tree.h"

namespace brushwright {

// Hands out one index per distinct point: a point within `distance` of an earlier one gets
// that one's index (the earliest, when several are near), so the same points in the same
// order always weld alike.
class PointWelder {
 public:
  explicit PointWelder(double distance) : distance_(distance) {}

  std::int32_t Weld(const Vector& point);
  const std::vector<Vector>& Points() const { return points_; }

 private:
  using Cell = std::array<std::int64_t, 3>;
  struct CellHash {
    std::size_t operator()(const Cell& cell) const;
  };
  Cell CellOf(const Vector& point) const;
  std::int32_t Nearest(const Vector& point) const;

  double distance_;
  std::vector<Vector> points_;
  // Cells twice the weld distance wide, each holding the latest point in it; next_ chains each
  // point to the one before it in its cell. The points near a point lie in the 2 x 2 x 2 cells
  // around the corner of its cell it is closest to.
  std::unordered_map<Cell, std::int32_t, CellHash> cells_;
  std::vector<std::int32_t> next_;
  // Most corners repeat exactly (split points are computed alike on both faces of an edge):
  // their answer is remembered. Indices only grow, so it stays the answer.
  std::unordered_map<Cell, std::int32_t, CellHash> exact_;
};

// A tree over the points themselves, for CornersOnEdge.
BoxTree PointTree(const std::vector<Vector>& points);

// The points other than a and b that lie within `distance` of the edge from points[a] to
// points[b] and strictly between its ends, ordered from a to b.
void CornersOnEdge(const BoxTree& tree, const std::vector<Vector>& points, std::int32_t a,
                   std::int32_t b, double distance, std::vector<std::int32_t>& corners);

}  // namespace brushwright
