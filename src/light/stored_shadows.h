// A first-generation build's stored shadow bits against shadow rays cast here: where each
// light-map texel lies, the build's surfaces as triangles, and how often the two agree.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "level/level_bsp.h"
#include "light/shadow_rays.h"

namespace brushwright {

// The surfaces of the build's nodes as triangles (fans of each node's polygon), those that block
// light: neither invisible nor of a brush that cuts nothing.
std::vector<Triangle> BspTriangles(const LevelBsp& bsp);

// A surface's plane and texture axes, as a light-map frame is laid on them.
struct TexelPlane {
  Vector Base;  // the texture's base point
  Vector TextureU;
  Vector TextureV;
  Vector Normal;
  Vector PlanePoint;  // a point of the surface's plane
};

// Where texel (u, v) of `index` lies on `plane`: the point P of the plane where
// (P - base) . TextureU = Pan.X + u x UScale and (P - base) . TextureV = Pan.Y + v x VScale.
// None when the texture axes lie along the normal.
std::optional<Vector> LightMapTexelPoint(const TexelPlane& plane, const LightMapIndex& index,
                                         double u, double v);

// The plane of a build's surface, through `plane_point`.
TexelPlane SurfacePlane(const LevelBsp& bsp, const BspSurface& surface, const Vector& plane_point);

// Whether light `light` (the n-th of the index's list) reaches texel (u, v) by the stored bits.
bool StoredBit(const LevelLightMaps& maps, const LightMapIndex& index, std::int32_t light,
               std::int32_t u, std::int32_t v);

struct ShadowAgreement {
  std::int64_t Texels = 0;  // texel and light pairs compared
  std::int64_t Agreeing = 0;
  std::int64_t StoredLit = 0;  // pairs whose stored bit is set
  std::int64_t Rays = 0;       // shadow rays cast

  double Share() const {
    return Texels == 0 ? 0 : static_cast<double>(Agreeing) / static_cast<double>(Texels);
  }
};

// Casts a ray from every texel of every surface's light map (a unit off the surface) to every
// light its index lists within the light's reach, and compares the ray's answer with the stored
// bit; `maps` as ReadPackageLightMaps gives them, with the lights' records. Texels beyond a
// light's reach or behind the surface, which the build leaves as it will, are not compared. The
// ray of texel (u, v) leaves from LightMapTexelPoint at (u + texel_offset, v + texel_offset): 0
// casts from the texel's corner, 0.5 from its centre.
ShadowAgreement CompareStoredShadows(const LevelBsp& bsp, const LevelLightMaps& maps,
                                     const ShadowCaster& caster, double texel_offset);

}  // namespace brushwright
