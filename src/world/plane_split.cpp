// Plane predicates and polygon splitting with the builder's one tolerance for "on the plane".
#include "world/plane_split.h"
#include "world/tolerance.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <vector>

namespace brushwright {

namespace {

bool LexicallyBefore(const Vector& p, const Vector& q) {
  return std::tie(p.X, p.Y, p.Z) < std::tie(q.X, q.Y, q.Z);
}

// The point where the edge from p to q crosses the plane, computed from the lexically first
// end, so that two polygons sharing the edge in opposite directions get the very same point.
Vector EdgeCrossing(Vector p, double dp, Vector q, double dq) {
  if (LexicallyBefore(q, p)) {
    std::swap(p, q);
    std::swap(dp, dq);
  }
  const double t = dp / (dp - dq);
  return VecAdd(p, Scaled(VecSubtract(q, p), t));
}

SideOfPlane SideWithin(const Plane& plane, const Vector& point, double tolerance) {
  const double d = Dot(plane.Normal, point) - plane.Distance;
  if (d > tolerance) return SideOfPlane::Front;
  if (d < -tolerance) return SideOfPlane::Back;
  return SideOfPlane::On;
}

SideOfPlane PolygonSideWithin(const Plane& plane, const VertexList& vertices, double tolerance) {
  bool front = false;
  bool back = false;
  for (const Vector& v : vertices) {
    const SideOfPlane side = SideWithin(plane, v, tolerance);
    front = front || side == SideOfPlane::Front;
    back = back || side == SideOfPlane::Back;
  }
  if (front && back) return SideOfPlane::Spanning;
  if (front) return SideOfPlane::Front;
  if (back) return SideOfPlane::Back;
  return SideOfPlane::On;
}

SideOfPlane SplitWithin(const Fragment& fragment, const Plane& plane, double tolerance,
                        Fragment& front, Fragment& back) {
  const VertexList& vertices = fragment.Vertices;
  const SideOfPlane whole = PolygonSideWithin(plane, vertices, tolerance);
  if (whole != SideOfPlane::Spanning) return whole;

  front.Polygon = fragment.Polygon;
  back.Polygon = fragment.Polygon;
  front.Vertices.clear();
  back.Vertices.clear();
  const std::size_t n = vertices.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Vector& p = vertices[i];
    const Vector& q = vertices[(i + 1) % n];
    const SideOfPlane side_p = SideWithin(plane, p, tolerance);
    const SideOfPlane side_q = SideWithin(plane, q, tolerance);
    if (side_p != SideOfPlane::Back) front.Vertices.push_back(p);
    if (side_p != SideOfPlane::Front) back.Vertices.push_back(p);
    // Only an edge from one clear side to the other is cut; a corner on the plane already
    // went to both pieces.
    if ((side_p == SideOfPlane::Front && side_q == SideOfPlane::Back) ||
        (side_p == SideOfPlane::Back && side_q == SideOfPlane::Front)) {
      const Vector cut = EdgeCrossing(p, Dot(plane.Normal, p) - plane.Distance, q,
                                      Dot(plane.Normal, q) - plane.Distance);
      front.Vertices.push_back(cut);
      back.Vertices.push_back(cut);
    }
  }
  return SideOfPlane::Spanning;
}

}  // namespace

Vector AreaVector(const VertexList& vertices) {
  Vector sum;
  const std::size_t n = vertices.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Vector& p = vertices[i];
    const Vector& q = vertices[(i + 1) % n];
    sum.X += (p.Y - q.Y) * (p.Z + q.Z);
    sum.Y += (p.Z - q.Z) * (p.X + q.X);
    sum.Z += (p.X - q.X) * (p.Y + q.Y);
  }
  return sum;
}

bool PolygonPlane(const VertexList& vertices, Plane& plane) {
  const Vector area = AreaVector(vertices);
  const double length = VecLength(area);
  if (!(length > 0) || !std::isfinite(length)) return false;
  plane.Normal = Scaled(area, 1 / length);
  double sum = 0;
  for (const Vector& v : vertices) sum += Dot(plane.Normal, v);
  plane.Distance = sum / static_cast<double>(vertices.size());
  return true;
}

Plane Flipped(const Plane& plane) {
  return Plane{Scaled(plane.Normal, -1), -plane.Distance};
}

SideOfPlane PolygonSide(const Plane& plane, const VertexList& vertices) {
  return PolygonSideWithin(plane, vertices, kOnPlaneDistance);
}

SideOfPlane SplitFragment(const Fragment& fragment, const Plane& plane, Fragment& front,
                          Fragment& back) {
  return SplitWithin(fragment, plane, kOnPlaneDistance, front, back);
}

SideOfPlane SplitAtBandEdge(const Fragment& fragment, const Plane& plane, bool band_behind,
                            Fragment& front, Fragment& back) {
  const double shift = band_behind ? kOnPlaneDistance : -kOnPlaneDistance;
  return SplitWithin(fragment, Plane{plane.Normal, plane.Distance + shift}, kBandEdgeDistance,
                     front, back);
}

Box BoundsOf(const VertexList& vertices) {
  Box box{vertices.empty() ? Vector{} : vertices[0], vertices.empty() ? Vector{} : vertices[0]};
  for (const Vector& v : vertices) {
    box.Min = Vector{std::min(box.Min.X, v.X), std::min(box.Min.Y, v.Y), std::min(box.Min.Z, v.Z)};
    box.Max = Vector{std::max(box.Max.X, v.X), std::max(box.Max.Y, v.Y), std::max(box.Max.Z, v.Z)};
  }
  return box;
}

void Enclose(Box& box, const Box& other) {
  box.Min = Vector{std::min(box.Min.X, other.Min.X), std::min(box.Min.Y, other.Min.Y),
                   std::min(box.Min.Z, other.Min.Z)};
  box.Max = Vector{std::max(box.Max.X, other.Max.X), std::max(box.Max.Y, other.Max.Y),
                   std::max(box.Max.Z, other.Max.Z)};
}

bool BoxesMeet(const Box& a, const Box& b) {
  const double e = kOnPlaneDistance;
  return a.Min.X <= b.Max.X + e && b.Min.X <= a.Max.X + e && a.Min.Y <= b.Max.Y + e &&
         b.Min.Y <= a.Max.Y + e && a.Min.Z <= b.Max.Z + e && b.Min.Z <= a.Max.Z + e;
}

}  // namespace brushwright
