// Shadow rays through a bounding-volume tree over triangles.
#include "light/shadow_rays.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace brushwright {

namespace {

// A leaf holds at most this many triangles: fewer makes the tree deeper for no gain.
constexpr std::int32_t kLeafTriangles = 4;
// Splitting halves a node's triangles, so a tree of 2^31 triangles is 31 deep; the walk's stack
// holds one pending child per level.
constexpr int kMostDepth = 48;
// The share of the segment at either end where a crossing does not count: a ray leaves its
// surface and reaches its light without meeting either.
constexpr double kEndShare = 1e-3;
// Below this a triangle has no area, or a ray runs within its plane.
constexpr double kFlat = 1e-12;

double Axis(const Vector& v, int axis) {
  return axis == 0 ? v.X : axis == 1 ? v.Y : v.Z;
}

void Widen(Vector& low, Vector& high, const Vector& p) {
  low = {std::min(low.X, p.X), std::min(low.Y, p.Y), std::min(low.Z, p.Z)};
  high = {std::max(high.X, p.X), std::max(high.Y, p.Y), std::max(high.Z, p.Z)};
}

// Whether the segment from + t dir, t in [0, 1], meets the box (slab test).
bool SegmentMeetsBox(const Vector& from, const Vector& inverse, const Vector& low,
                     const Vector& high) {
  double enter = 0;
  double leave = 1;
  for (int axis = 0; axis < 3; ++axis) {
    const double inv = Axis(inverse, axis);
    const double start = Axis(from, axis);
    double t0 = (Axis(low, axis) - start) * inv;
    double t1 = (Axis(high, axis) - start) * inv;
    if (std::isnan(t0) || std::isnan(t1)) {  // parallel to the slab and on its edge
      if (start < Axis(low, axis) || start > Axis(high, axis)) return false;
      continue;
    }
    if (t0 > t1) std::swap(t0, t1);
    enter = std::max(enter, t0);
    leave = std::min(leave, t1);
    if (enter > leave) return false;
  }
  return true;
}

// Whether the segment from + t dir crosses the triangle at t strictly inside the ends' shares
// (Moller and Trumbore's test).
bool SegmentCrosses(const Triangle& triangle, const Vector& from, const Vector& dir) {
  const Vector edge1 = VecSubtract(triangle.B, triangle.A);
  const Vector edge2 = VecSubtract(triangle.C, triangle.A);
  const Vector p = VecCross(dir, edge2);
  const double det = VecDot(edge1, p);
  if (std::abs(det) < kFlat) return false;
  const double inv = 1 / det;
  const Vector s = VecSubtract(from, triangle.A);
  const double u = VecDot(s, p) * inv;
  if (u < 0 || u > 1) return false;
  const Vector q = VecCross(s, edge1);
  const double v = VecDot(dir, q) * inv;
  if (v < 0 || u + v > 1) return false;
  const double t = VecDot(edge2, q) * inv;
  return t > kEndShare && t < 1 - kEndShare;
}

}  // namespace

ShadowCaster::ShadowCaster(std::vector<Triangle> triangles) {
  for (const Triangle& triangle : triangles) {
    const Vector normal =
        VecCross(VecSubtract(triangle.B, triangle.A), VecSubtract(triangle.C, triangle.A));
    if (VecDot(normal, normal) > kFlat) triangles_.push_back(triangle);
  }
  if (triangles_.empty()) return;
  std::vector<Vector> centres;
  centres.reserve(triangles_.size());
  for (const Triangle& t : triangles_) {
    centres.push_back(
        {(t.A.X + t.B.X + t.C.X) / 3, (t.A.Y + t.B.Y + t.C.Y) / 3, (t.A.Z + t.B.Z + t.C.Z) / 3});
  }
  nodes_.reserve(2 * triangles_.size() / kLeafTriangles + 1);
  nodes_.push_back(Node{{}, 0, static_cast<std::int32_t>(triangles_.size())});
  Split(0, centres, 0);
}

// Bounds node `node` and splits its triangles at the median of their centres along the box's
// longest axis, until a leaf holds kLeafTriangles or fewer.
void ShadowCaster::Split(std::size_t node, std::vector<Vector>& centres, int depth) {
  const std::int32_t first = nodes_[node].First;
  const std::int32_t count = nodes_[node].Count;
  constexpr double kHuge = std::numeric_limits<double>::max();
  Vector low{kHuge, kHuge, kHuge};
  Vector high{-kHuge, -kHuge, -kHuge};
  for (std::int32_t i = first; i < first + count; ++i) {
    Widen(low, high, triangles_[i].A);
    Widen(low, high, triangles_[i].B);
    Widen(low, high, triangles_[i].C);
  }
  nodes_[node].Box = {low, high};
  if (count <= kLeafTriangles || depth + 1 >= kMostDepth) return;

  const Vector size = VecSubtract(high, low);
  const int axis = size.X >= size.Y && size.X >= size.Z ? 0 : size.Y >= size.Z ? 1 : 2;
  std::vector<std::int32_t> order(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) order[i] = first + i;
  const std::int32_t half = count / 2;
  std::nth_element(order.begin(), order.begin() + half, order.end(),
                   [&](std::int32_t a, std::int32_t b) {
                     return Axis(centres[a], axis) < Axis(centres[b], axis);
                   });
  std::vector<Triangle> moved_triangles;
  std::vector<Vector> moved_centres;
  moved_triangles.reserve(order.size());
  moved_centres.reserve(order.size());
  for (const std::int32_t i : order) {
    moved_triangles.push_back(triangles_[i]);
    moved_centres.push_back(centres[i]);
  }
  std::copy(moved_triangles.begin(), moved_triangles.end(), triangles_.begin() + first);
  std::copy(moved_centres.begin(), moved_centres.end(), centres.begin() + first);

  const auto children = static_cast<std::int32_t>(nodes_.size());
  nodes_.push_back(Node{{}, first, half});
  nodes_.push_back(Node{{}, first + half, count - half});
  nodes_[node].First = children;
  nodes_[node].Count = 0;
  Split(static_cast<std::size_t>(children), centres, depth + 1);
  Split(static_cast<std::size_t>(children) + 1, centres, depth + 1);
}

bool ShadowCaster::Blocked(const Vector& from, const Vector& to) const {
  std::int32_t hint = -1;
  return Blocked(from, to, hint);
}

bool ShadowCaster::Blocked(const Vector& from, const Vector& to, std::int32_t& hint) const {
  if (nodes_.empty()) return false;
  const Vector dir = VecSubtract(to, from);
  if (hint >= 0 && static_cast<std::size_t>(hint) < triangles_.size() &&
      SegmentCrosses(triangles_[static_cast<std::size_t>(hint)], from, dir)) {
    return true;
  }
  const Vector inverse{1 / dir.X, 1 / dir.Y, 1 / dir.Z};
  std::array<std::int32_t, kMostDepth + 1> pending;
  int top = 0;
  pending[top++] = 0;
  while (top > 0) {
    const Node& node = nodes_[static_cast<std::size_t>(pending[--top])];
    if (!SegmentMeetsBox(from, inverse, node.Box.Low, node.Box.High)) continue;
    if (node.Count == 0) {
      pending[top++] = node.First;
      pending[top++] = node.First + 1;
      continue;
    }
    for (std::int32_t i = node.First; i < node.First + node.Count; ++i) {
      if (SegmentCrosses(triangles_[static_cast<std::size_t>(i)], from, dir)) {
        hint = i;
        return true;
      }
    }
  }
  return false;
}

}  // namespace brushwright
