// The point-state oracle by winding numbers and the ray caster over a built mesh.
#include "world_oracle.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

namespace brushwright {
namespace {

// Probes this far before and after a hit: far above the builder's tolerance, far below a brush.
constexpr double kProbe = 0.1;
// Hits this close to an edge of the face, or this glancing, are not judged.
constexpr double kEdgeClearance = 0.25;
constexpr double kGlancing = 0.05;
constexpr int kDirections = 48;

double Dot3(const Vector& a, const Vector& b) {
  return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}

// The solid angle of triangle a, b, c (relative to the point), Van Oosterom and Strackee.
double SolidAngle(const Vector& a, const Vector& b, const Vector& c) {
  const double la = VecLength(a), lb = VecLength(b), lc = VecLength(c);
  const double num = Dot3(a, VecCross(b, c));
  const double den = la * lb * lc + Dot3(a, b) * lc + Dot3(a, c) * lb + Dot3(b, c) * la;
  return 2 * std::atan2(num, den);
}

// By the winding number for a closed brush, whose polygons' areas cancel out; an open one takes
// its bounds, as an open box does.
bool Holds(const WorldBrush& brush, const Vector& p) {
  Vector area, low{INFINITY, INFINITY, INFINITY}, high{-INFINITY, -INFINITY, -INFINITY};
  for (const WorldPolygon& polygon : brush.Polygons) {
    const VertexList& v = polygon.Vertices;
    for (std::size_t i = 0; i < v.size(); ++i) {
      area = VecAdd(area, VecCross(v[i], v[(i + 1) % v.size()]));
      low = {std::fmin(low.X, v[i].X), std::fmin(low.Y, v[i].Y), std::fmin(low.Z, v[i].Z)};
      high = {std::fmax(high.X, v[i].X), std::fmax(high.Y, v[i].Y), std::fmax(high.Z, v[i].Z)};
    }
  }
  if (VecLength(area) > 1)
    return p.X >= low.X && p.Y >= low.Y && p.Z >= low.Z && p.X <= high.X && p.Y <= high.Y &&
           p.Z <= high.Z;
  double sum = 0;
  for (const WorldPolygon& polygon : brush.Polygons) {
    const VertexList& v = polygon.Vertices;
    for (std::size_t i = 1; i + 1 < v.size(); ++i)
      sum += SolidAngle(VecSubtract(v[0], p), VecSubtract(v[i], p), VecSubtract(v[i + 1], p));
  }
  return std::fabs(sum) > 2 * std::numbers::pi;
}

// Distance along the ray to triangle a, b, c (Moeller and Trumbore), if it is met.
std::optional<double> HitTriangle(const Vector& o, const Vector& d, const Vector& a,
                                  const Vector& b, const Vector& c) {
  const Vector e1 = VecSubtract(b, a), e2 = VecSubtract(c, a);
  const Vector p = VecCross(d, e2);
  const double det = Dot3(e1, p);
  if (std::fabs(det) < 1e-12) return std::nullopt;
  const Vector s = VecSubtract(o, a);
  const double u = Dot3(s, p) / det;
  const Vector q = VecCross(s, e1);
  const double v = Dot3(d, q) / det;
  const double t = Dot3(e2, q) / det;
  if (u < 0 || v < 0 || u + v > 1 || t <= 1e-9) return std::nullopt;
  return t;
}

double DistanceToSegment(const Vector& p, const Vector& a, const Vector& b) {
  const Vector ab = VecSubtract(b, a);
  double t = Dot3(VecSubtract(p, a), ab) / Dot3(ab, ab);
  t = std::fmax(0, std::fmin(1, t));
  return VecLength(VecSubtract(p, VecAdd(a, Vector{ab.X * t, ab.Y * t, ab.Z * t})));
}

Vector Along(const Vector& o, const Vector& d, double t) {
  return VecAdd(o, Vector{d.X * t, d.Y * t, d.Z * t});
}

}  // namespace

bool IsSolidBrush(const WorldBrush& brush) {
  return brush.Operation == BrushOperation::Subtract ||
         (brush.PolyFlags & (kPolyFlagNotSolid | kPolyFlagSemisolid)) == 0;
}

bool IsEmptyAt(const std::vector<WorldBrush>& brushes, const std::vector<bool>& ignored,
               const Vector& point) {
  for (std::size_t i = brushes.size(); i-- > 0;) {
    if (ignored[i] || !IsSolidBrush(brushes[i]) || !Holds(brushes[i], point)) continue;
    return brushes[i].Operation == BrushOperation::Subtract;
  }
  return false;
}

RayReport CastRays(const std::vector<WorldBrush>& brushes, const std::vector<bool>& ignored,
                   const WorldMesh& mesh, const std::vector<Vector>& origins) {
  RayReport report;
  for (const Vector& origin : origins) {
    if (!IsEmptyAt(brushes, ignored, origin)) continue;
    for (int k = 0; k < kDirections; ++k) {
      // A golden-angle spiral over the sphere: no direction runs along an axis.
      const double z = 1 - (2 * k + 1.0) / kDirections, r = std::sqrt(1 - z * z);
      const double angle = k * std::numbers::pi * (3 - std::sqrt(5.0));
      const Vector d{r * std::cos(angle), r * std::sin(angle), z};
      ++report.rays;
      double best = INFINITY;
      const WorldFace* hit = nullptr;
      for (const WorldFace& face : mesh.Faces) {
        const WorldBrush& brush = brushes[face.Brush];
        const bool semisolid = (brush.PolyFlags & kPolyFlagNotSolid) == 0 && !IsSolidBrush(brush);
        if (ignored[face.Brush] || !(IsSolidBrush(brush) || semisolid)) continue;
        const auto& c = face.Corners;
        for (std::size_t i = 1; i + 1 < c.size(); ++i) {
          const auto t = HitTriangle(origin, d, mesh.Positions[c[0]], mesh.Positions[c[i]],
                                     mesh.Positions[c[i + 1]]);
          if (t && *t < best &&
              (!semisolid || !IsEmptyAt(brushes, ignored, Along(origin, d, *t + kProbe))))
            best = *t, hit = &face;
        }
      }
      const std::string where = "ray " + std::to_string(k) + " from (" + std::to_string(origin.X) +
                                ", " + std::to_string(origin.Y) + ", " + std::to_string(origin.Z) +
                                ")";
      if (hit == nullptr) {
        report.failures.push_back(where + " meets no face");
        continue;
      }
      const Vector at = Along(origin, d, best);
      VertexList corners;
      for (const std::int32_t c : hit->Corners) corners.push_back(mesh.Positions[c]);
      Vector normal;
      double clearance = INFINITY;
      for (std::size_t i = 0; i < corners.size(); ++i) {
        const Vector& a = corners[i];
        const Vector& b = corners[(i + 1) % corners.size()];
        normal = VecAdd(normal, VecCross(a, b));
        clearance = std::fmin(clearance, DistanceToSegment(at, a, b));
      }
      const double facing = Dot3(VecNormalize(normal), d);
      if (clearance < kEdgeClearance || std::fabs(facing) < kGlancing) continue;
      ++report.checked;
      const bool before = IsEmptyAt(brushes, ignored, Along(origin, d, best - kProbe));
      const bool after = IsEmptyAt(brushes, ignored, Along(origin, d, best + kProbe));
      if (!before || after || facing > 0) {
        report.failures.push_back(where + " meets brush " + std::to_string(hit->Brush) +
                                  " polygon " + std::to_string(hit->Polygon) + " at distance " +
                                  std::to_string(best) + (before ? "" : ", solid before") +
                                  (after ? ", empty after" : "") +
                                  (facing > 0 ? ", facing away" : ""));
      }
    }
  }
  return report;
}

double NarrowestFace(const WorldMesh& mesh) {
  double narrowest = std::numeric_limits<double>::infinity();
  for (const WorldFace& face : mesh.Faces) {
    const auto at = [&](std::int32_t c) { return mesh.Positions[static_cast<std::size_t>(c)]; };
    Vector from, axis;
    for (std::size_t i = 0; i < face.Corners.size(); ++i) {
      const Vector a = at(face.Corners[i]);
      narrowest = std::min(
          narrowest, VecLength(VecSubtract(at(face.Corners[(i + 1) % face.Corners.size()]), a)));
      for (const std::int32_t b : face.Corners) {
        if (VecLength(VecSubtract(at(b), a)) > VecLength(axis))
          from = a, axis = VecSubtract(at(b), a);
      }
    }
    double width = 0;
    for (const std::int32_t c : face.Corners) {
      if (VecLength(axis) > 0)
        width =
            std::max(width, VecLength(VecCross(axis, VecSubtract(at(c), from))) / VecLength(axis));
    }
    narrowest = std::min(narrowest, width);
  }
  return narrowest;
}

}  // namespace brushwright
