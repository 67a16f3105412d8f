// A map package's TerrainInfo actor as the plain level's terrain.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "level/terrain.h"
#include "package/package_object.h"

namespace brushwright {

// The terrain of a TerrainInfo actor: its height map and layers as references the way the
// level's export writes them, its scale, location and bitmaps. Absent properties keep the
// terrain's defaults. Throws BrushError naming the file, the actor and the byte offset when a
// value is broken.
LevelTerrain ReadTerrainActor(const PackageObject& actor);

// The heights of texture export `export_index`: its top mip's 16-bit grey values (G16), or its
// 8-bit ones (L8, P8 palette indexes) times 256. Another format, or no pixels, gives a Problem.
// Throws BrushError naming the file, the texture and the byte offset when its bytes are broken.
HeightSamples ReadHeightSamples(const PackageFile& package, std::int32_t export_index);

}  // namespace brushwright
