// A map package's TerrainInfo actor as the plain level's terrain.
#pragma once

#include "level/terrain.h"
#include "package/package_object.h"

namespace brushwright {

// The terrain of a TerrainInfo actor: its height map and layers as references the way the
// level's export writes them, its scale, location and bitmaps. Absent properties keep the
// terrain's defaults. Throws BrushError naming the file, the actor and the byte offset when a
// value is broken.
LevelTerrain ReadTerrainActor(const PackageObject& actor);

}  // namespace brushwright
