// Planes, boxes, the side of a plane a point or polygon lies on, and splitting polygons by planes.
#pragma once

#include <cstdint>

#include "vecmath/vecmath.h"

namespace brushwright {

// The points p with Dot(Normal, p) == Distance; Normal has unit length and points to the front.
struct Plane {
  Vector Normal;
  double Distance = 0;
};

// Where a point or a polygon lies: On means within the plane tolerance (for a polygon: all its
// corners), Spanning that a polygon has corners clearly on both sides.
enum class SideOfPlane { Front, Back, On, Spanning };

// A convex piece of a source polygon. Splitting keeps the source's index on every piece.
struct Fragment {
  std::int32_t Polygon = -1;
  VertexList Vertices;
};

struct Box {
  Vector Min;
  Vector Max;
};

inline double Dot(const Vector& p, const Vector& q) {
  return (p.X * q.X + p.Y * q.Y) + p.Z * q.Z;
}

inline Vector Scaled(const Vector& v, double factor) {
  return Vector{v.X * factor, v.Y * factor, v.Z * factor};
}

// Twice the vector area of a polygon (Newell's sum): its direction is the polygon's facing.
Vector AreaVector(const VertexList& vertices);
// The plane through a polygon's corners, facing as its winding; false when it has no area.
bool PolygonPlane(const VertexList& vertices, Plane& plane);
Plane Flipped(const Plane& plane);

// The side of a whole polygon, without splitting it.
SideOfPlane PolygonSide(const Plane& plane, const VertexList& vertices);
// For Spanning, `front` and `back` receive the two pieces (corners on the plane go to both);
// otherwise they are left alone.
SideOfPlane SplitFragment(const Fragment& fragment, const Plane& plane, Fragment& front,
                          Fragment& back);

// For a fragment nearly parallel to `plane`, "on the plane" is a band, not a line: splits it
// where the band ends, so that the band falls behind the split (`band_behind`) or in front.
SideOfPlane SplitAtBandEdge(const Fragment& fragment, const Plane& plane, bool band_behind,
                            Fragment& front, Fragment& back);

Box BoundsOf(const VertexList& vertices);
void Enclose(Box& box, const Box& other);
// Whether two boxes overlap or come within the plane tolerance of each other.
bool BoxesMeet(const Box& a, const Box& b);

}  // namespace brushwright
