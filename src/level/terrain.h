// A terrain of a level (a TerrainInfo actor) as plain values, whichever reader filled it: where
// its height map and layers are, as references the run looks up in packages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vecmath/vecmath.h"

namespace brushwright {

// One texture layer: its texture tiled over the terrain, shown where its alpha map says.
struct TerrainLayer {
  std::string Texture;   // the texture reference ("Package.Group.Name"); "" for none
  std::string AlphaMap;  // "" for none: the layer covers the whole terrain
  double UScale = 1;     // world units per texel of the texture, along X and Y
  double VScale = 1;
};

struct LevelTerrain {
  std::string Name;       // the actor's name, which messages and the output's group use
  std::string HeightMap;  // the height map's reference; "" when the actor names none
  Vector Location;
  Vector Scale{64, 64, 64};          // TerrainScale, the engine's default when absent
  std::vector<TerrainLayer> Layers;  // in the actor's layer order, layers without texture left out
  // One bit per quad, quad (x, y) at bit x + y * width: a clear bit hides the quad. Empty: every
  // quad shows.
  std::vector<std::uint32_t> QuadVisibility;
  // The same bits: a set bit turns the quad's diagonal. Empty: no diagonal turned.
  std::vector<std::uint32_t> EdgeTurn;
};

// A terrain's heights, one per vertex, rows from y = 0, 32768 the actor's own height.
struct HeightSamples {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<std::uint16_t> Values;  // Width * Height values
  std::string Problem;                // "" when read; else why not, naming package and texture
};

}  // namespace brushwright
