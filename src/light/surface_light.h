// The light of one surface's light-map frame: every texel's sum of the zone's ambient light and
// what each of its lights adds, by the engine's rules, with visibility from stored shadow bits
// or from shadow rays.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "level/actors.h"
#include "level/level_bsp.h"
#include "level/mesh.h"
#include "light/light_atlas.h"
#include "light/light_rules.h"
#include "light/shadow_rays.h"
#include "light/stored_shadows.h"

namespace brushwright {

enum class LightShape {
  Point,  // all around, fading to its reach
  Spot,   // within its cone, fading to its reach
  Sun,    // from far away along its direction, without falloff
};

// A light as the rules use it.
struct LightSource {
  Vector Location;
  Vector Direction;  // unit; spot lights and the sun
  LightColour Colour;
  double Reach = 0;
  double Cone = 0;  // LightCone, for spot lights
  LightShape Shape = LightShape::Point;
  bool NonIncidence = false;  // adds its light whatever angle it meets the surface at
};

// A light actor as the rules use it: a Spotlight by its cone, any other all around (animated
// effects count as steady), its colour at the level's brightness; LE_NonIncidence lights a
// surface whatever angle it meets it at.
LightSource LightSourceOf(const LightRecord& light, double level_brightness);

// What `light` adds at `point` on a surface of unit `normal`, before its visibility: its falloff
// (none for the sun), incidence and cone.
double LightShare(const LightSource& light, const Vector& point, const Vector& normal);

// The lights light map `map` lists, in its order; `maps` as ReadPackageLightMaps gives them
// (with the lights' records).
std::vector<LightSource> FrameLights(const LevelLightMaps& maps, std::int32_t map,
                                     double level_brightness);

// One frame's light, row by row.
struct SurfaceLightMap {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<LightColour> Texels;
};

// A light as a light page's bytes: 0..1 to 0..255, rounded and clamped.
LightTexel LightTexelOf(const LightColour& light);

// Copies a frame's light onto `page` at `place`, its border (kAtlasBorder texels, as
// PackLightAtlas leaves) repeating the frame's edge, so that filtering at a face's edge stays on
// the face's own light.
void PlaceFrameLight(const SurfaceLightMap& light, const AtlasPlace& place, LightPage& page);

// Whether the `light`-th light of the frame reaches texel (u, v), which lies at `texel`.
using TexelVisibility =
    std::function<bool(std::int32_t light, std::int32_t u, std::int32_t v, const Vector& texel)>;

// The light of frame `index` laid on `plane`, its lights in the frame's order: the ambient
// light everywhere, plus each light where `visible` says it reaches, by its falloff, incidence
// and cone. Texels are taken at their centres.
SurfaceLightMap FrameLight(const TexelPlane& plane, const LightMapIndex& index,
                           const std::vector<LightSource>& lights, const LightColour& ambient,
                           const TexelVisibility& visible);

// The light of frame `index` of `surface` (whose plane passes through `plane_point`), its
// lights in the frame's order: the ambient light everywhere, plus each light where `visible`
// says it reaches, by its falloff, incidence and cone. Texels are taken at their centres.
SurfaceLightMap SurfaceLight(const LevelBsp& bsp, const BspSurface& surface,
                             const Vector& plane_point, const LightMapIndex& index,
                             const std::vector<LightSource>& lights, const LightColour& ambient,
                             const TexelVisibility& visible);

// Visibility by the frame's stored shadow bits; it refers to `maps` and `index`, which must
// outlive it.
TexelVisibility StoredVisibility(const LevelLightMaps& maps, const LightMapIndex& index);

// Visibility by shadow rays from a unit off the surface of unit `normal` to each light (toward
// the sun, as far as `sun_distance`); it refers to `caster` and `lights`, which must outlive it.
TexelVisibility RayVisibility(const ShadowCaster& caster, const std::vector<LightSource>& lights,
                              const Vector& normal, double sun_distance);

}  // namespace brushwright
