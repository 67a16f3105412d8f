// Stored shadow bits against shadow rays.
#include "light/stored_shadows.h"

#include <cmath>

#include "level/poly_flags.h"
#include "light/light_rules.h"

namespace brushwright {

namespace {

// How far off its surface a texel's ray starts, in units: clear of the surface's own triangles
// and of rounding in the stored frame.
constexpr double kRayLift = 1;
// Below this the texture axes and the normal span no space.
constexpr double kSingular = 1e-12;

bool BlocksLight(const BspSurface& surface) {
  return (surface.Flags & (kPolyFlagInvisible | kPolyFlagNotSolid)) == 0;
}

}  // namespace

std::vector<Triangle> BspTriangles(const LevelBsp& bsp) {
  std::vector<Triangle> triangles;
  for (const BspNode& node : bsp.Nodes) {
    if (!BlocksLight(bsp.Surfaces[static_cast<std::size_t>(node.Surface)])) continue;
    const auto point = [&](std::int32_t corner) {
      return bsp.Points[static_cast<std::size_t>(
          bsp.Vertices[static_cast<std::size_t>(node.FirstVertex + corner)])];
    };
    for (std::int32_t corner = 2; corner < node.VertexCount; ++corner) {
      triangles.push_back({point(0), point(corner - 1), point(corner)});
    }
  }
  return triangles;
}

std::optional<Vector> LightMapTexelPoint(const TexelPlane& plane, const LightMapIndex& index,
                                         double u, double v) {
  // Solve [TextureU; TextureV; Normal] p = r for p = P - base by Cramer's rule.
  const double r_u = index.Pan.X + u * index.UScale;
  const double r_v = index.Pan.Y + v * index.VScale;
  const double r_n = VecDot(VecSubtract(plane.PlanePoint, plane.Base), plane.Normal);
  const Vector v_x_n = VecCross(plane.TextureV, plane.Normal);
  const Vector n_x_u = VecCross(plane.Normal, plane.TextureU);
  const Vector u_x_v = VecCross(plane.TextureU, plane.TextureV);
  const double det = VecDot(plane.TextureU, v_x_n);
  if (std::abs(det) < kSingular) return std::nullopt;
  const Vector p = VecScale(
      VecAdd(VecAdd(VecScale(v_x_n, r_u), VecScale(n_x_u, r_v)), VecScale(u_x_v, r_n)), 1 / det);
  return VecAdd(plane.Base, p);
}

TexelPlane SurfacePlane(const LevelBsp& bsp, const BspSurface& surface, const Vector& plane_point) {
  return TexelPlane{bsp.Points[static_cast<std::size_t>(surface.Base)],
                    bsp.Vectors[static_cast<std::size_t>(surface.TextureU)],
                    bsp.Vectors[static_cast<std::size_t>(surface.TextureV)],
                    bsp.Vectors[static_cast<std::size_t>(surface.Normal)], plane_point};
}

bool StoredBit(const LevelLightMaps& maps, const LightMapIndex& index, std::int32_t light,
               std::int32_t u, std::int32_t v) {
  const std::int64_t byte =
      index.DataOffset + light * index.LightBytes() + v * index.RowBytes() + (u >> 3);
  return (maps.Bits[static_cast<std::size_t>(byte)] >> (u & 7) & 1) != 0;
}

ShadowAgreement CompareStoredShadows(const LevelBsp& bsp, const LevelLightMaps& maps,
                                     const ShadowCaster& caster, double texel_offset) {
  // A point of each surface's plane: the first corner of a node on it.
  std::vector<std::optional<Vector>> plane_points(bsp.Surfaces.size());
  for (const BspNode& node : bsp.Nodes) {
    auto& point = plane_points[static_cast<std::size_t>(node.Surface)];
    if (!point) {
      point = bsp.Points[static_cast<std::size_t>(
          bsp.Vertices[static_cast<std::size_t>(node.FirstVertex)])];
    }
  }
  ShadowAgreement agreement;
  for (std::size_t s = 0; s < bsp.Surfaces.size() && s < maps.SurfaceMaps.size(); ++s) {
    const std::int32_t map = maps.SurfaceMaps[s];
    if (map == kNoLightMap || !plane_points[s]) continue;
    const BspSurface& surface = bsp.Surfaces[s];
    const TexelPlane plane = SurfacePlane(bsp, surface, *plane_points[s]);
    const LightMapIndex& index = maps.Indexes[static_cast<std::size_t>(map)];
    const Vector normal = VecNormalize(bsp.Vectors[static_cast<std::size_t>(surface.Normal)]);
    for (std::int32_t light = 0; light < maps.LightCounts[static_cast<std::size_t>(map)]; ++light) {
      const LightRecord& actor =
          maps.LightActors[static_cast<std::size_t>(index.iLightActors + light)];
      const double reach = LightReach(actor.LightRadius);
      for (std::int32_t v = 0; v < index.VClamp; ++v) {
        for (std::int32_t u = 0; u < index.UClamp; ++u) {
          const std::optional<Vector> texel =
              LightMapTexelPoint(plane, index, u + texel_offset, v + texel_offset);
          if (!texel) continue;
          const Vector to_light = VecSubtract(actor.Location, *texel);
          const double distance = VecLength(to_light);
          if (distance >= reach || VecDot(to_light, normal) <= 0) continue;
          const bool lit =
              !caster.Blocked(VecAdd(*texel, VecScale(normal, kRayLift)), actor.Location);
          const bool stored = StoredBit(maps, index, light, u, v);
          ++agreement.Rays;
          ++agreement.Texels;
          agreement.Agreeing += lit == stored ? 1 : 0;
          agreement.StoredLit += stored ? 1 : 0;
        }
      }
    }
  }
  return agreement;
}

}  // namespace brushwright
