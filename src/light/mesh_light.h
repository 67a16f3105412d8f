// The light of a whole mesh where the level stores none (a T3D export, the CSG world): a frame
// on every face at a texel density, its light by the rules with shadow rays through the mesh's
// own faces, and the frames packed into atlas pages.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "level/mesh.h"
#include "light/light_atlas.h"
#include "light/surface_light.h"

namespace brushwright {

struct MeshLightSettings {
  double TexelUnits = 16;         // units a light-map texel spans
  std::int32_t PageSize = 1024;   // atlas pages are this square, at most 4,096
  std::int32_t MostTexels = 256;  // a frame's widest and tallest; coarser texels beyond
  // All frames together, borders included: two pages of 1024 square (6 MiB of light, and the
  // rays it takes). Coarser texels everywhere beyond, so that a large level lights in seconds.
  std::int64_t TexelBudget = std::int64_t{2} * 1024 * 1024;
  double SunDistance = 65536;  // how far a ray toward the sun goes to find the sky
  LightColour Ambient;         // the zone's ambient light, added everywhere
  // Shadows cast besides the mesh's groups' faces (the shapes its placements put in the level).
  std::vector<Triangle> OtherCasters;
  // Called before each face is lit (a run yields there); none: not called.
  std::function<void()> BeforeFace;
};

// One face's light: its frame (on the face's texture axes) and the frame's light.
struct FaceLight {
  std::int32_t Group = 0;  // index into Mesh::Groups
  std::int32_t Face = 0;   // index into the group's Faces
  LightMapIndex Frame;
  // The axes the frame is laid on: the surface's texture axes, or for a face whose texture
  // coordinates come from its source (terrain, a static mesh) or whose axes lie along its
  // normal, unit axes of the face's own plane from its first corner.
  TexelPlane Plane;
  SurfaceLightMap Light;
};

struct MeshLight {
  std::vector<FaceLight> Faces;  // every face of every group, in the mesh's order
  LightAtlas Atlas;              // Places in the order of Faces
  std::int64_t Rays = 0;         // shadow rays cast
  double TexelUnits = 0;         // as lit: the settings', or coarser to keep the budget
};

// Calls work(0) to work(count - 1), each once, shared among helper threads (one per further
// core) and the calling thread, which alone calls `before` ahead of each it takes (a run's yield,
// which may end the work by throwing: the helpers stop at their next item and are joined first).
// Items must not depend on each other.
void ShareAmongCores(std::size_t count, const std::function<void()>& before,
                     const std::function<void(std::size_t)>& work);

// The mesh's groups' faces as triangles, after `others`: those that stop light (neither of an
// invisible surface nor of a brush that cuts nothing).
std::vector<Triangle> MeshShadowTriangles(const Mesh& mesh, std::vector<Triangle> others);

// Lights every face of the mesh's groups that has no light-map page yet (shapes placed by actors
// are not lit here; they cast shadows through OtherCasters). Faces of invisible surfaces and of
// brushes that cut nothing cast no shadow. An unlit surface (drawn at full brightness) takes
// light 0.5 everywhere on a frame of one texel, without rays. Each face tries only the lights
// whose reach meets its bounds. Frames take coarser texels, alike on every face, when all of
// them would pass TexelBudget. Throws BrushError when a frame does not fit a page (a page
// smaller than MostTexels and its border).
MeshLight LightMesh(const Mesh& mesh, const std::vector<LightSource>& lights,
                    const MeshLightSettings& settings);

}  // namespace brushwright
