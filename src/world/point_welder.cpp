// Welds points through a hash grid and finds points on edges through the box tree.
#include "world/point_welder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace brushwright {

namespace {

double DistanceSquared(const Vector& p, const Vector& q) {
  const Vector d = VecSubtract(p, q);
  return Dot(d, d);
}

// A segment prepared for box tests: its start, and per axis the inverse of its extent.
struct Segment {
  double from[3];
  double extent[3];
  double inverse[3];
};

Segment MakeSegment(const Vector& a, const Vector& b) {
  Segment s{{a.X, a.Y, a.Z}, {b.X - a.X, b.Y - a.Y, b.Z - a.Z}, {0, 0, 0}};
  for (int axis = 0; axis < 3; ++axis)
    s.inverse[axis] = s.extent[axis] != 0 ? 1 / s.extent[axis] : 0;
  return s;
}

// Whether the segment passes through the box grown by `margin` (slab test).
bool SegmentMeetsBox(const Segment& s, const Box& box, double margin) {
  const double low[3] = {box.Min.X - margin, box.Min.Y - margin, box.Min.Z - margin};
  const double high[3] = {box.Max.X + margin, box.Max.Y + margin, box.Max.Z + margin};
  double enter = 0, leave = 1;
  for (int axis = 0; axis < 3; ++axis) {
    if (s.extent[axis] == 0) {
      if (s.from[axis] < low[axis] || s.from[axis] > high[axis]) return false;
      continue;
    }
    double t0 = (low[axis] - s.from[axis]) * s.inverse[axis];
    double t1 = (high[axis] - s.from[axis]) * s.inverse[axis];
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
  const double width = 2 * distance_;
  return Cell{static_cast<std::int64_t>(std::floor(point.X / width)),
              static_cast<std::int64_t>(std::floor(point.Y / width)),
              static_cast<std::int64_t>(std::floor(point.Z / width))};
}

// The earliest point within the weld distance, or -1.
std::int32_t PointWelder::Nearest(const Vector& point) const {
  const Cell home = CellOf(point);
  const double width = 2 * distance_;
  // Toward the nearer neighbour on each axis.
  const double at[3] = {point.X, point.Y, point.Z};
  std::int64_t step[3];
  for (int axis = 0; axis < 3; ++axis) {
    const double inside =
        at[axis] / width - static_cast<double>(home[static_cast<std::size_t>(axis)]);
    step[axis] = inside < 0.5 ? -1 : 1;
  }
  std::int32_t best = -1;
  const double reach = distance_ * distance_;
  for (int corner = 0; corner < 8; ++corner) {
    const Cell cell{home[0] + ((corner & 1) != 0 ? step[0] : 0),
                    home[1] + ((corner & 2) != 0 ? step[1] : 0),
                    home[2] + ((corner & 4) != 0 ? step[2] : 0)};
    const auto found = cells_.find(cell);
    if (found == cells_.end()) continue;
    for (std::int32_t index = found->second; index >= 0;
         index = next_[static_cast<std::size_t>(index)]) {
      if ((best < 0 || index < best) &&
          DistanceSquared(points_[static_cast<std::size_t>(index)], point) <= reach)
        best = index;
    }
  }
  return best;
}

std::int32_t PointWelder::Weld(const Vector& point) {
  Cell bits;
  std::memcpy(&bits[0], &point.X, sizeof(double));
  std::memcpy(&bits[1], &point.Y, sizeof(double));
  std::memcpy(&bits[2], &point.Z, sizeof(double));
  const auto [known, added] = exact_.try_emplace(bits, -1);
  if (!added) return known->second;
  std::int32_t index = Nearest(point);
  if (index < 0) {
    points_.push_back(point);
    index = static_cast<std::int32_t>(points_.size() - 1);
    const auto [cell, first] = cells_.try_emplace(CellOf(point), index);
    next_.push_back(first ? -1 : cell->second);
    cell->second = index;
  }
  known->second = index;
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
  const Segment segment = MakeSegment(from, to);
  const auto along = [&](std::int32_t index) {
    return Dot(VecSubtract(points[static_cast<std::size_t>(index)], from), edge) / length_squared;
  };
  tree.Walk(
      [&](const Box& bounds) { return SegmentMeetsBox(segment, bounds, distance); },
      [&](std::int32_t index) {
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
}

}  // namespace brushwright
