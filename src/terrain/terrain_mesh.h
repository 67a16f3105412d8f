// A terrain's height map as faces of the run's mesh: two triangles per shown quad, in a group
// named after the terrain, on one surface whose texture frame lays the baked image over it.
#pragma once

#include <string>

#include "level/mesh.h"
#include "level/terrain.h"

namespace brushwright {

// Why the terrain's bitmaps or heights do not fit together ("its QuadVisibilityBitmap holds 1
// words; its 9 x 5 height map needs 2"); "" when they do.
std::string TerrainProblem(const LevelTerrain& terrain, const HeightSamples& heights);

// Adds the terrain's shown quads to `mesh` as triangles, in a group of the terrain's name, on a
// new surface of texture `texture` (flags 0, numbered `face_number`) whose frame spans the
// terrain's vertices with an image of `image_width` x `image_height` texels once: vertex (0, 0)
// at one corner of the image, vertex (width - 1, height - 1) at the other (as BakeTerrainLayers
// lays out its image).
// Vertex (x, y) with height h lies at Location + ((x - width / 2) * Scale.X, (y - height / 2) *
// Scale.Y, (h - 32768) * Scale.Z / 256). The positions are shared when the mesh shares them,
// else every corner gets its own. Returns the number of faces added. Precondition: no
// TerrainProblem.
std::int32_t AddTerrainFaces(const LevelTerrain& terrain, const HeightSamples& heights,
                             const std::string& texture, std::int32_t face_number,
                             std::int32_t image_width, std::int32_t image_height, Mesh& mesh);

}  // namespace brushwright
