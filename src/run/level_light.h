// The run's light phase: the light the level's lights shed on every face and placed mesh the
// level stores no light for, computed by the engine's rules with shadow rays.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "level/level.h"
#include "level/mesh.h"
#include "light/surface_light.h"

namespace brushwright {

// What the light phase made, for the run's summary.
struct LevelLight {
  std::int32_t Lights = 0;      // light actors and suns that shed light
  std::int32_t Faces = 0;       // faces given a light-map frame
  std::int32_t Pages = 0;       // light-map pages added to the mesh
  std::int64_t Texels = 0;      // texels of those pages (borders and unused room included)
  std::int32_t Placements = 0;  // placed meshes given light per vertex
  std::int64_t Rays = 0;        // shadow rays cast, for faces and vertices alike
};

// The level's lights as the rules use them: its Light and Spotlight actors, then its suns, at
// the level's brightness.
std::vector<LightSource> LevelLightSources(const Level& level);
// The ambient light everywhere: the LevelInfo's when it has any, else the first zone's that has
// any (a face's zone is not known here).
LightColour LevelAmbient(const Level& level);

// Gives light to every face of the mesh's groups without a light-map page (the world's faces,
// movers where they rest, terrain, static meshes written as groups): a frame each, packed onto
// new pages of Mesh::LightPages, its corners' LightS/LightT set; and to every placement without
// vertex light, one value per position of its shape. Shadows are cast by the groups' faces and
// by the placed shapes as they stand. `before_face` is called before each face and placement
// (a run yields there).
LevelLight LightLevel(const Level& level, Mesh& mesh, const std::function<void()>& before_face);

}  // namespace brushwright
