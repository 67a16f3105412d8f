// The light of a first-generation build's own light maps, as the engine makes it when it draws
// them: each frame's texels lit by the lights it lists through their stored shadow bits (blurred
// 3 x 3), on its zone's ambient light, and the frames packed onto atlas pages.
#pragma once

#include <cstdint>
#include <vector>

#include "level/level_bsp.h"
#include "level/mesh.h"
#include "light/light_atlas.h"
#include "light/surface_light.h"

namespace brushwright {

// How much of light `light` (the n-th the frame lists) reaches each texel of frame `index`, rows
// from v = 0: its shadow bits blurred by the engine's 3 x 3 filter (weights 1 2 1 across and
// down, their sum 1; texels beyond the frame's edge repeat its edge). 0 where every bit of the
// 3 x 3 is dark, 1 where every one is lit.
std::vector<double> BlurredShadowBits(const LevelLightMaps& maps, const LightMapIndex& index,
                                      std::int32_t light);

// The light of the frame of surface `surface` (which has a light map; its plane passes through
// `plane_point`): its zone's ambient light, plus each listed light at the level's brightness by
// the rules, times its blurred shadow bits.
SurfaceLightMap StoredFrameLight(const LevelBsp& bsp, std::int32_t surface,
                                 const Vector& plane_point, const LevelLightMaps& maps);

// Frames packed onto pages and their texels as the game draws them.
struct BuiltFrames {
  std::int32_t PageSize = 0;
  // In the order of the surfaces asked for; a frame too large for any page is on none (its Page
  // kNoLightPage).
  std::vector<AtlasPlace> Places;
  std::vector<LightPage> Pages;
};

// The frames of `surfaces` (each with a light map; `plane_points` a point of each one's plane)
// lit by StoredFrameLight and packed onto pages of 1,024 square, or 2,048 or 4,096 when a frame
// with its border needs more. A page's texels outside every frame are black; each frame's border
// repeats its edge, so that filtering at its edge stays inside its light.
BuiltFrames LightBuiltFrames(const LevelBsp& bsp, const LevelLightMaps& maps,
                             const std::vector<std::int32_t>& surfaces,
                             const std::vector<Vector>& plane_points);

}  // namespace brushwright
