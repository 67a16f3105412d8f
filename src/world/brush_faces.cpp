// Cleans a brush's polygons into convex planar faces and tests whether they close a solid.
#include "world/brush_faces.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>
#include <utility>

#include "world/point_welder.h"
#include "world/tolerance.h"

namespace brushwright {

// Coordinates beyond this are not a level: a hundredth of a unit must stay far above the
// rounding of doubles there, and products of coordinates must stay finite.
constexpr double kLargestCoordinate = 1e7;
// Ear clipping costs the cube of the corners in the worst case; larger polygons are fanned.
constexpr std::size_t kMostEarClipCorners = 256;
// A convex polygon turns once around; the slack absorbs rounding of the angle sum.
constexpr double kTurnSlack = 0.5;

namespace {

bool UsableCoordinates(const VertexList& vertices) {
  for (const Vector& v : vertices) {
    for (const double c : {v.X, v.Y, v.Z}) {
      if (!std::isfinite(c) || std::fabs(c) > kLargestCoordinate) return false;
    }
  }
  return true;
}

// The corners without repeats: a corner as close as kSameCornerDistance to the one before it
// (or, for the last, to the first) is left out.
VertexList DistinctCorners(const VertexList& vertices) {
  VertexList corners;
  for (const Vector& v : vertices) {
    if (corners.empty() || VecLength(VecSubtract(v, corners.back())) > kSameCornerDistance)
      corners.push_back(v);
  }
  while (corners.size() > 1 &&
         VecLength(VecSubtract(corners.back(), corners.front())) <= kSameCornerDistance)
    corners.pop_back();
  return corners;
}

double Perimeter(const VertexList& vertices) {
  double sum = 0;
  for (std::size_t i = 0; i < vertices.size(); ++i)
    sum += VecLength(VecSubtract(vertices[(i + 1) % vertices.size()], vertices[i]));
  return sum;
}

// Area at least the tolerance times half the perimeter: wider than the tolerance somewhere.
bool HasArea(const VertexList& vertices) {
  const double area = VecLength(AreaVector(vertices)) / 2;
  return area > kThinnest * Perimeter(vertices) / 2;
}

struct Point2 {
  double x = 0;
  double y = 0;
};

double Cross2(const Point2& a, const Point2& b, const Point2& c) {
  return (b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x);
}

// The corners in the plane's own axes, counter-clockwise when the polygon faces the normal.
std::vector<Point2> Flattened(const VertexList& vertices, const Vector& normal) {
  const Vector helper = std::fabs(normal.X) < 0.5 ? Vector{1, 0, 0} : Vector{0, 1, 0};
  const Vector u = VecNormalize(VecCross(helper, normal));
  const Vector v = VecCross(normal, u);
  std::vector<Point2> points;
  for (const Vector& p : vertices) points.push_back({Dot(p, u), Dot(p, v)});
  return points;
}

// No corner lies outside the chord of its neighbours by more than the tolerance, and the
// corners turn once around.
bool IsConvex(const std::vector<Point2>& points) {
  const std::size_t n = points.size();
  double turning = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const Point2& a = points[(i + n - 1) % n];
    const Point2& b = points[i];
    const Point2& c = points[(i + 1) % n];
    const double cross = Cross2(a, b, c);
    const double chord = std::hypot(c.x - a.x, c.y - a.y);
    if (cross < -kSameCornerDistance * chord) return false;
    turning += std::atan2(cross, (b.x - a.x) * (c.x - b.x) + (b.y - a.y) * (c.y - b.y));
  }
  return std::fabs(turning - 2 * std::numbers::pi) < kTurnSlack;
}

bool InsideTriangle(const Point2& p, const Point2& a, const Point2& b, const Point2& c) {
  return Cross2(a, b, p) >= 0 && Cross2(b, c, p) >= 0 && Cross2(c, a, p) >= 0;
}

// Corner index triples covering a counter-clockwise simple polygon; the rest as a fan when no
// ear is left (a self-crossing polygon).
std::vector<std::array<std::size_t, 3>> EarClip(const std::vector<Point2>& points) {
  std::vector<std::size_t> ring(points.size());
  for (std::size_t i = 0; i < ring.size(); ++i) ring[i] = i;
  std::vector<std::array<std::size_t, 3>> triangles;
  while (ring.size() > 3) {
    bool clipped = false;
    for (std::size_t i = 0; i < ring.size() && !clipped; ++i) {
      const std::size_t a = ring[(i + ring.size() - 1) % ring.size()], b = ring[i],
                        c = ring[(i + 1) % ring.size()];
      if (Cross2(points[a], points[b], points[c]) <= 0) continue;
      bool empty = true;
      for (const std::size_t k : ring) {
        if (k != a && k != b && k != c &&
            InsideTriangle(points[k], points[a], points[b], points[c]))
          empty = false;
      }
      if (!empty) continue;
      triangles.push_back({a, b, c});
      ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(i));
      clipped = true;
    }
    if (!clipped) break;
  }
  for (std::size_t i = 1; i + 1 < ring.size(); ++i)
    triangles.push_back({ring[0], ring[i], ring[i + 1]});
  return triangles;
}

void AddFace(BrushFaces& result, std::int32_t polygon, VertexList vertices) {
  Plane plane;
  if (vertices.size() < 3 || !HasArea(vertices) || !PolygonPlane(vertices, plane)) return;
  result.Faces.push_back(Fragment{polygon, std::move(vertices)});
  result.Planes.push_back(plane);
}

// A planar convex polygon as it is; any other as triangles.
void AddPolygon(BrushFaces& result, std::int32_t polygon, const VertexList& corners,
                const Plane& plane) {
  const bool planar = PolygonSide(plane, corners) == SideOfPlane::On;
  const std::vector<Point2> flat = Flattened(corners, plane.Normal);
  if (planar && IsConvex(flat)) {
    AddFace(result, polygon, corners);
    return;
  }
  std::vector<std::array<std::size_t, 3>> triangles;
  if (planar && corners.size() <= kMostEarClipCorners) {
    triangles = EarClip(flat);
  } else {
    for (std::size_t i = 1; i + 1 < corners.size(); ++i) triangles.push_back({0, i, i + 1});
  }
  for (const auto& t : triangles)
    AddFace(result, polygon, {corners[t[0]], corners[t[1]], corners[t[2]]});
}

// Each edge, split at the corners inside it, counts +1 for every piece run one way and -1 the
// other; a closed surface sums to zero on every piece. Pieces are listed as (lower, higher,
// +-1) and summed after sorting.
bool EdgesPairUp(const std::vector<std::vector<std::int32_t>>& rings,
                 const std::vector<Vector>& points) {
  // About as many cubes as corners over the brush: a box's edges meet a cube or two, and a
  // brush of thousands of corners still finds few in each cube.
  const Box bounds = BoundsOf(points);
  const double size = std::max({bounds.Max.X - bounds.Min.X, bounds.Max.Y - bounds.Min.Y,
                                bounds.Max.Z - bounds.Min.Z, kSameCornerDistance});
  const double per_axis = std::max(1.0, std::cbrt(static_cast<double>(points.size())));
  const PointGrid grid = EdgeGrid(points, size / per_axis, kSameCornerDistance);
  std::vector<std::tuple<std::int32_t, std::int32_t, int>> pieces;
  std::vector<std::int32_t> inner;
  for (const std::vector<std::int32_t>& ring : rings) {
    for (std::size_t i = 0; i < ring.size(); ++i) {
      const std::int32_t a = ring[i], b = ring[(i + 1) % ring.size()];
      const std::int32_t low = std::min(a, b), high = std::max(a, b);
      if (a == b) continue;
      CornersOnEdge(grid, points, low, high, kSameCornerDistance, inner);
      inner.insert(inner.begin(), low);
      inner.push_back(high);
      for (std::size_t k = 0; k + 1 < inner.size(); ++k) {
        pieces.emplace_back(std::min(inner[k], inner[k + 1]), std::max(inner[k], inner[k + 1]),
                            (inner[k] < inner[k + 1]) == (a == low) ? 1 : -1);
      }
    }
  }
  std::sort(pieces.begin(), pieces.end());
  int sum = 0;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    sum += std::get<2>(pieces[k]);
    const bool last_of_edge = k + 1 == pieces.size() ||
                              std::get<0>(pieces[k + 1]) != std::get<0>(pieces[k]) ||
                              std::get<1>(pieces[k + 1]) != std::get<1>(pieces[k]);
    if (last_of_edge && sum != 0) return false;
    if (last_of_edge) sum = 0;
  }
  return true;
}

// The volume by the divergence theorem (about the first corner, to keep the products small) is
// positive and not thinner than the tolerance.
bool EnclosesVolume(const std::vector<Fragment>& faces) {
  const Vector origin = faces[0].Vertices[0];
  double volume = 0, surface = 0;
  for (const Fragment& face : faces) {
    const Vector area = AreaVector(face.Vertices);
    volume += Dot(VecSubtract(face.Vertices[0], origin), area) / 6;
    surface += VecLength(area) / 2;
  }
  return volume > kThinnest * surface / 2;
}

}  // namespace

BrushFaces UsableFaces(const WorldBrush& brush) {
  BrushFaces result;
  for (std::size_t p = 0; p < brush.Polygons.size(); ++p) {
    const auto polygon = static_cast<std::int32_t>(p);
    const VertexList& vertices = brush.Polygons[p].Vertices;
    const std::size_t faces_before = result.Faces.size();
    if (UsableCoordinates(vertices)) {
      const VertexList corners = DistinctCorners(vertices);
      Plane plane;
      if (corners.size() >= 3 && HasArea(corners) && PolygonPlane(corners, plane))
        AddPolygon(result, polygon, corners, plane);
    }
    if (result.Faces.size() == faces_before) ++result.Dropped;
  }
  return result;
}

Closure ClosureOf(const std::vector<Fragment>& faces, const std::vector<Plane>& planes) {
  if (faces.empty()) return Closure::Flat;
  PointWelder welder(kSameCornerDistance);
  std::vector<std::vector<std::int32_t>> rings;
  for (const Fragment& face : faces) {
    std::vector<std::int32_t>& ring = rings.emplace_back();
    for (const Vector& v : face.Vertices) ring.push_back(welder.Weld(v));
  }
  if (EdgesPairUp(rings, welder.Points()))
    return EnclosesVolume(faces) ? Closure::Closed : Closure::Flat;
  const bool one_plane = std::all_of(faces.begin(), faces.end(), [&](const Fragment& face) {
    return PolygonSide(planes[0], face.Vertices) == SideOfPlane::On;
  });
  return one_plane ? Closure::Flat : Closure::Open;
}

}  // namespace brushwright
