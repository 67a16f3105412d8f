// The light of a whole mesh where the level stores none (a T3D export, the CSG world): a frame
// on every face at a texel density, its light by the rules with shadow rays through the mesh's
// own faces, and the frames packed into atlas pages.
#pragma once

#include <cstdint>
#include <vector>

#include "level/mesh.h"
#include "light/light_atlas.h"
#include "light/surface_light.h"

namespace brushwright {

struct MeshLightSettings {
  double TexelUnits = 16;         // units a light-map texel spans
  std::int32_t PageSize = 1024;   // atlas pages are this square, at most 4,096
  std::int32_t MostTexels = 256;  // a frame's widest and tallest; coarser texels beyond
  double SunDistance = 65536;     // how far a ray toward the sun goes to find the sky
  LightColour Ambient;            // the zone's ambient light, added everywhere
};

// One face's light: its frame (on the face's texture axes) and the frame's light.
struct FaceLight {
  std::int32_t Group = 0;  // index into Mesh::Groups
  std::int32_t Face = 0;   // index into the group's Faces
  LightMapIndex Frame;
  SurfaceLightMap Light;
};

struct MeshLight {
  std::vector<FaceLight> Faces;  // every face of every group, in the mesh's order
  LightAtlas Atlas;              // Places in the order of Faces
  std::int64_t Rays = 0;         // shadow rays cast
};

// Lights every face of the mesh's groups (shapes placed by actors neither cast shadows nor are
// lit here). Each face tries only the lights whose reach meets its bounds. Throws BrushError
// when a frame does not fit a page (a page smaller than MostTexels and its border).
MeshLight LightMesh(const Mesh& mesh, const std::vector<LightSource>& lights,
                    const MeshLightSettings& settings);

}  // namespace brushwright
