// Static meshes stored in second-generation packages (.usx, .u, maps): their vertices, first
// texture coordinates, triangles and sections with their materials.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "package/package_file.h"
#include "vecmath/vecmath.h"

namespace brushwright {

// Static meshes are read from version 112 on, where their vertex, UV and index streams are the
// mesh's own; older packages keep them in each section.
constexpr bool HasMeshLevelStreams(int version) {
  return version >= 112;
}
// Up to version 113 three collision switches follow the collision data as plain words; later
// they are properties.
constexpr bool HasStoredCollisionSwitches(int version) {
  return version < 114;
}
// From version 126 on the collision data are a box tree of fixed-size nodes and triangles of four
// 16-bit words; before, triangles with planes and nodes with boxes, both holding compact indexes.
constexpr bool HasBoxTreeCollision(int version) {
  return version >= 126;
}

// A run of triangles drawn with one material.
struct StaticMeshSection {
  std::string Material;         // the material's object path "Package.Group.Name"; "" for none
  std::int32_t FirstIndex = 0;  // into StaticMesh::Indices
  std::int32_t TriangleCount = 0;
};

struct StaticMesh {
  std::string Package, Group, Name;        // Group "" at the top level; may hold dots
  std::vector<Vector> Positions, Normals;  // the mesh's own space, Unreal units
  std::vector<std::array<float, 2>> UVs;   // the first UV stream, one per position
  std::vector<std::uint32_t> Indices;  // 3 per triangle, as stored (clockwise seen from the front)
  std::vector<StaticMeshSection> Sections;
};

// The static mesh stored in export `export_index` (0-based) of `package`; throws BrushError naming
// the file, the mesh and what is wrong.
StaticMesh ReadStaticMesh(const PackageFile& package, std::int32_t export_index);
// The exports of `package` that are static meshes, in export order.
std::vector<std::int32_t> StaticMeshExports(const PackageFile& package);

}  // namespace brushwright
