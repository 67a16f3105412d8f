// The grid of points as an open-addressed table of cubes, the welder and the edge search on it.
#include "world/point_welder.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "world/plane_split.h"

namespace brushwright {

// Weld cubes are this many weld distances wide: few points fall near a cube face and need
// filing in more than one cube, and few points share a cube.
constexpr double kWeldCubesPerDistance = 16;
// Cube coordinates are clamped to this, well inside 32 bits.
constexpr double kMostCube = 1 << 30;
// The table starts this large and doubles when half full.
constexpr std::size_t kFirstSlots = 64;

namespace {

double DistanceSquared(const Vector& p, const Vector& q) {
  const Vector d = VecSubtract(p, q);
  return Dot(d, d);
}

double Component(const Vector& v, int axis) {
  return axis == 0 ? v.X : (axis == 1 ? v.Y : v.Z);
}

}  // namespace

PointGrid::PointGrid(double cell, double margin, std::size_t expected)
    : cell_(cell), per_cell_(1 / cell), margin_(margin), slots_(kFirstSlots) {
  while (slots_.size() < 2 * expected) slots_.resize(slots_.size() * 2);
  entries_.reserve(expected);
}

std::int32_t PointGrid::Coordinate(double value) const {
  // Builder coordinates stay far inside the clamp; it only keeps the conversion defined (NaN
  // goes to the low end).
  const double cube = std::floor(value * per_cell_ + 0.5);
  return static_cast<std::int32_t>(cube > kMostCube ? kMostCube
                                                    : (cube >= -kMostCube ? cube : -kMostCube));
}

PointGrid::Cube PointGrid::CubeOf(const Vector& point) const {
  return Cube{Coordinate(point.X), Coordinate(point.Y), Coordinate(point.Z)};
}

std::size_t PointGrid::SlotOf(const Cube& cube) const {
  // A multiply-xorshift mix of the three coordinates, then linear probing.
  std::uint64_t h = 0;
  for (const std::int32_t c : cube) {
    h = (h ^ static_cast<std::uint32_t>(c)) * 0x9E3779B97F4A7C15u;
    h ^= h >> 32;
  }
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = static_cast<std::size_t>(h) & mask;
  while (slots_[slot].first >= 0 && slots_[slot].cube != cube) slot = (slot + 1) & mask;
  return slot;
}

void PointGrid::Grow() {
  std::vector<Slot> old(slots_.size() * 2);
  std::swap(old, slots_);
  for (const Slot& slot : old) {
    if (slot.first >= 0) slots_[SlotOf(slot.cube)] = slot;
  }
}

void PointGrid::File(std::int32_t index, const Vector& point) {
  const Cube low = CubeOf(VecSubtract(point, Vector{margin_, margin_, margin_}));
  const Cube high = CubeOf(VecAdd(point, Vector{margin_, margin_, margin_}));
  for (std::int32_t x = low[0]; x <= high[0]; ++x) {
    for (std::int32_t y = low[1]; y <= high[1]; ++y) {
      for (std::int32_t z = low[2]; z <= high[2]; ++z) {
        if (2 * (used_ + 1) > slots_.size()) Grow();
        Slot& slot = slots_[SlotOf(Cube{x, y, z})];
        if (slot.first < 0) {
          slot.cube = Cube{x, y, z};
          ++used_;
        }
        entries_.push_back(Entry{index, slot.first});
        slot.first = static_cast<std::int32_t>(entries_.size() - 1);
      }
    }
  }
}

void PointGrid::Compact() {
  std::vector<Entry> packed;
  packed.reserve(entries_.size());
  for (Slot& slot : slots_) {
    if (slot.first < 0) continue;
    const auto start = static_cast<std::int32_t>(packed.size());
    for (std::int32_t e = slot.first; e >= 0; e = entries_[static_cast<std::size_t>(e)].next)
      packed.push_back(Entry{entries_[static_cast<std::size_t>(e)].index,
                             static_cast<std::int32_t>(packed.size() + 1)});
    packed.back().next = -1;
    slot.first = start;
  }
  entries_ = std::move(packed);
}

// The cubes the segment passes through, slab by slab along its longest axis; in each slab,
// every cube of the part of the segment inside it.
void PointGrid::ForEachCubeAlong(const Vector& a, const Vector& b, const auto& call) const {
  const Vector d = VecSubtract(b, a);
  int major = 0;
  for (int axis = 1; axis < 3; ++axis) {
    if (std::fabs(Component(d, axis)) > std::fabs(Component(d, major))) major = axis;
  }
  const double from = Component(a, major), extent = Component(d, major);
  const std::int32_t first = Coordinate(std::min(from, from + extent));
  const std::int32_t last = Coordinate(std::max(from, from + extent));
  for (std::int32_t slab = first; slab <= last; ++slab) {
    double t0 = 0, t1 = 1;
    if (extent != 0) {
      // The slab spans (slab - 0.5) to (slab + 0.5) cubes.
      t0 = ((static_cast<double>(slab) - 0.5) * cell_ - from) / extent;
      t1 = ((static_cast<double>(slab) + 0.5) * cell_ - from) / extent;
      if (t0 > t1) std::swap(t0, t1);
      t0 = std::max(t0, 0.0);
      t1 = std::min(t1, 1.0);
    }
    const Cube p = CubeOf(VecAdd(a, Scaled(d, t0)));
    const Cube q = CubeOf(VecAdd(a, Scaled(d, t1)));
    Cube cube;
    cube[static_cast<std::size_t>(major)] = slab;
    const int u = (major + 1) % 3, v = (major + 2) % 3;
    for (std::int32_t i = std::min(p[u], q[u]); i <= std::max(p[u], q[u]); ++i) {
      for (std::int32_t j = std::min(p[v], q[v]); j <= std::max(p[v], q[v]); ++j) {
        cube[static_cast<std::size_t>(u)] = i;
        cube[static_cast<std::size_t>(v)] = j;
        call(cube);
      }
    }
  }
}

PointWelder::PointWelder(double distance, std::size_t expected)
    : distance_(distance), grid_(distance * kWeldCubesPerDistance, distance, expected) {
  points_.reserve(expected);
}

std::int32_t PointWelder::Weld(const Vector& point) {
  std::int32_t best = -1;
  const double reach = distance_ * distance_;
  grid_.VisitCube(point, [&](std::int32_t index) {
    if ((best < 0 || index < best) &&
        DistanceSquared(points_[static_cast<std::size_t>(index)], point) <= reach)
      best = index;
  });
  if (best >= 0) return best;
  points_.push_back(point);
  best = static_cast<std::int32_t>(points_.size() - 1);
  grid_.File(best, point);
  return best;
}

PointGrid EdgeGrid(const std::vector<Vector>& points, double cube, double distance) {
  PointGrid grid(cube, distance, points.size());
  for (std::size_t i = 0; i < points.size(); ++i)
    grid.File(static_cast<std::int32_t>(i), points[i]);
  grid.Compact();
  return grid;
}

void CornersOnEdge(const PointGrid& grid, const std::vector<Vector>& points, std::int32_t a,
                   std::int32_t b, double distance, std::vector<std::int32_t>& corners) {
  corners.clear();
  const Vector& from = points[static_cast<std::size_t>(a)];
  const Vector& to = points[static_cast<std::size_t>(b)];
  const Vector edge = VecSubtract(to, from);
  const double length_squared = Dot(edge, edge);
  if (!(length_squared > 0)) return;
  const auto along = [&](std::int32_t index) {
    return Dot(VecSubtract(points[static_cast<std::size_t>(index)], from), edge) / length_squared;
  };
  grid.VisitAlong(from, to, [&](std::int32_t index) {
    if (index == a || index == b) return;
    const double t = along(index);
    if (!(t > 0 && t < 1)) return;
    const Vector foot = VecAdd(from, Scaled(edge, t));
    if (DistanceSquared(points[static_cast<std::size_t>(index)], foot) <= distance * distance)
      corners.push_back(index);
  });
  std::sort(corners.begin(), corners.end(), [&](std::int32_t p, std::int32_t q) {
    const double tp = along(p), tq = along(q);
    return tp < tq || (tp == tq && p < q);
  });
  corners.erase(std::unique(corners.begin(), corners.end()), corners.end());
}

}  // namespace brushwright
