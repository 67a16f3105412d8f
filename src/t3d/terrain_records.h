// The TerrainInfo actors of a T3D text as the plain level's terrains.
#pragma once

#include <string_view>
#include <vector>

#include "level/terrain.h"

namespace brushwright {

// Every "Begin Actor Class=TerrainInfo" block's terrain, in the text's order: its name,
// TerrainMap, TerrainScale, Location, Layers(n) and bitmap words, keys at the start of a line.
// A missing or odd value keeps the terrain's default, as other keys of the text do.
std::vector<LevelTerrain> ReadTerrainActors(std::string_view text);

}  // namespace brushwright
