// Points filed in a grid of cubes: welding nearby points into one, finding points inside edges.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "vecmath/vecmath.h"

namespace brushwright {

// Points filed by index in a uniform grid of cubes `cell` wide. A point is filed in every cube
// that its surrounding box of half-width `margin` meets, so all points within `margin` of a
// place are found in the one cube holding that place. Cube faces lie half a cube off the
// multiples of `cell`, so points on a level's grid rarely sit on them.
class PointGrid {
 public:
  // `expected`: about how many points will be filed, so the table is sized once.
  PointGrid(double cell, double margin, std::size_t expected = 0);

  void File(std::int32_t index, const Vector& point);
  // Lays each cube's entries side by side, so a walk through a cube reads memory in order. For
  // a grid that is done being filed.
  void Compact();
  // Calls visit(index) for the points filed in the cube holding `place`.
  template <typename Visit>
  void VisitCube(const Vector& place, const Visit& visit) const {
    VisitFiled(CubeOf(place), visit);
  }
  // Calls visit(index) for the points filed in the cubes the segment passes through; a point
  // filed in several of them comes several times.
  template <typename Visit>
  void VisitAlong(const Vector& a, const Vector& b, const Visit& visit) const {
    ForEachCubeAlong(a, b, [&](const Cube& cube) { VisitFiled(cube, visit); });
  }

 private:
  // 32-bit coordinates keep a slot at 16 bytes, so the table stays in cache longer.
  using Cube = std::array<std::int32_t, 3>;
  // One open-addressed slot: a cube and the first entry filed in it.
  struct Slot {
    Cube cube;
    std::int32_t first = -1;
  };
  struct Entry {
    std::int32_t index;
    std::int32_t next;
  };

  std::int32_t Coordinate(double value) const;
  Cube CubeOf(const Vector& point) const;
  std::size_t SlotOf(const Cube& cube) const;
  void Grow();
  void ForEachCubeAlong(const Vector& a, const Vector& b, const auto& call) const;
  template <typename Visit>
  void VisitFiled(const Cube& cube, const Visit& visit) const {
    const Slot& slot = slots_[SlotOf(cube)];
    if (slot.first < 0) return;
    for (std::int32_t e = slot.first; e >= 0; e = entries_[static_cast<std::size_t>(e)].next)
      visit(entries_[static_cast<std::size_t>(e)].index);
  }

  double cell_;
  double per_cell_;  // 1 / cell_: a product is cheaper than a quotient
  double margin_;
  std::vector<Slot> slots_;  // a power of two long, at most half full
  std::size_t used_ = 0;
  std::vector<Entry> entries_;
};

// Hands out one index per distinct point: a point within `distance` of an earlier one gets
// that one's index (the earliest, when several are near), so the same points in the same
// order always weld alike.
class PointWelder {
 public:
  // `expected`: about how many points will be welded, so the grid is sized once.
  explicit PointWelder(double distance, std::size_t expected = 0);

  std::int32_t Weld(const Vector& point);
  const std::vector<Vector>& Points() const { return points_; }

 private:
  double distance_;
  std::vector<Vector> points_;
  PointGrid grid_;
};

// A grid of cubes `cube` wide over `points`, for CornersOnEdge with `distance`.
PointGrid EdgeGrid(const std::vector<Vector>& points, double cube, double distance);

// The points other than a and b that lie within `distance` of the edge from points[a] to
// points[b] and strictly between its ends, ordered from a to b; `grid` files `points` with a
// margin of at least `distance`.
void CornersOnEdge(const PointGrid& grid, const std::vector<Vector>& points, std::int32_t a,
                   std::int32_t b, double distance, std::vector<std::int32_t>& corners);

}  // namespace brushwright
