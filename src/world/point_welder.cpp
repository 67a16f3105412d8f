// Welds points through a hash grid and finds points on edges through the box tree.
#include "world/point_welder.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace brushwright {

namespace {

double DistanceSquared(const Vector& p, const Vector& q) {
  const Vector d = VecSubtract(p, q);
  return Dot(d, d);
}

// Whether the segment from a to b passes through the box grown by `margin` (slab test).
bool SegmentMeetsBox(const Vector& a, const Vector& b, const Box& box, double margin) {
  const double from[3] = {a.X, a.Y, a.Z};
  const double to[3] = {b.X, b.Y, b.Z};
  const double low[3] = {box.Min.X - margin, box.Min.Y - margin, box.Min.Z - margin};
  const double high[3] = {box.Max.X + margin, box.Max.Y + margin, box.Max.Z + margin};
  double enter = 0, leave = 1;
  for (int axis = 0; axis < 3; ++axis) {
    const double d = to[axis] - from[axis];
    if (d == 0) {
      if (from[axis] < low[axis] || from[axis] > high[axis]) return false;
      continue;
    }
    double t0 = (low[axis] - from[axis]) / d;
    double t1 = (high[axis] - from[axis]) / d;
    if (t0 > t1) std::swap(t0, t1);
    enter = std::max(enter, t0);
    leave = std::min(leave, t1);
    if (enter > leave) return false;
  }
  return true;
}

}  // namespace

std::size_t PointWelder::CellHash::operator()(const Cell& cell) const {
  std::size_t h = 0;
  for (const std::int64_t c : cell)
    h = h * 0x9E3779B97F4A7C15u + static_cast<std::size_t>(c) + (h >> 29);
  return h;
}

PointWelder::Cell PointWelder::CellOf(const Vector& point) const {
  return Cell{static_cast<std::int64_t>(std::floor(point.X / distance_)),
              static_cast<std::int64_t>(std::floor(point.Y / distance_)),
              static_cast<std::int64_t>(std::floor(point.Z / distance_))};
}

std::int32_t PointWelder::Weld(const Vector& point) {
  const Cell home = CellOf(point);
  std::int32_t best = -1;
  const double reach = distance_ * distance_;
  for (std::int64_t dx = -1; dx <= 1; ++dx) {
    for (std::int64_t dy = -1; dy <= 1; ++dy) {
      for (std::int64_t dz = -1; dz <= 1; ++dz) {
        const auto found = cells_.find(Cell{home[0] + dx, home[1] + dy, home[2] + dz});
        if (found == cells_.end()) continue;
        for (const std::int32_t index : found->second) {
          if ((best < 0 || index < best) &&
              DistanceSquared(points_[static_cast<std::size_t>(index)], point) <= reach)
            best = index;
        }
      }
    }
  }
  if (best >= 0) return best;
  points_.push_back(point);
  const auto index = static_cast<std::int32_t>(points_.size() - 1);
  cells_[home].push_back(index);
  return index;
}

BoxTree PointTree(const std::vector<Vector>& points) {
  std::vector<Box> boxes;
  boxes.reserve(points.size());
  for (const Vector& p : points) boxes.push_back(Box{p, p});
  return BoxTree(boxes);
}

void CornersOnEdge(const BoxTree& tree, const std::vector<Vector>& points, std::int32_t a,
                   std::int32_t b, double distance, std::vector<std::int32_t>& corners) {
  corners.clear();
  const Vector& from = points[static_cast<std::size_t>(a)];
  const Vector& to = points[static_cast<std::size_t>(b)];
  const Vector edge = VecSubtract(to, from);
  const double length_squared = Dot(edge, edge);
  if (!(length_squared > 0)) return;
  std::vector<std::pair<double, std::int32_t>> on_edge;
  tree.Walk([&](const Box& bounds) { return SegmentMeetsBox(from, to, bounds, distance); },
            [&](std::int32_t index) {
              if (index == a || index == b) return;
              const Vector& p = points[static_cast<std::size_t>(index)];
              const double t = Dot(VecSubtract(p, from), edge) / length_squared;
              if (!(t > 0 && t < 1)) return;
              const Vector foot = VecAdd(from, Scaled(edge, t));
              if (DistanceSquared(p, foot) <= distance * distance) on_edge.emplace_back(t, index);
            });
  std::sort(on_edge.begin(), on_edge.end());
  for (const auto& [t, index] : on_edge) corners.push_back(index);
}

}  // namespace brushwright
