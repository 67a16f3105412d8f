// The one mesh a run builds from a level's brushes (the brushes themselves, or the world they
// build) and hands to every writer: positions in the level's own space, faces grouped by brush,
// each face on a surface that carries its texture, flags and texture coordinates' frame.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "vecmath/coordinates.h"
#include "vecmath/vecmath.h"

namespace brushwright {

// A surface without a material: a face without a texture.
inline constexpr std::int32_t kNoMaterial = -1;

// One source polygon of the level: what all its faces share.
struct MeshSurface {
  std::string Texture;                  // the texture reference; "" for none
  std::int64_t Flags = 0;               // the polygon's flags (the material's flags)
  TextureAxes Axes;                     // how the texture lies on it, placed in the level's space
  std::int32_t Number = 0;              // the run's number of the source face, which messages name
  std::int32_t Material = kNoMaterial;  // the run's material, once its texture was looked up
};

struct MeshCorner {
  std::int32_t Position = 0;  // index into Mesh::Positions
  double U = 0;               // texture coordinates, U to the right, V upwards
  double V = 0;
};

// A convex polygon; its corners in the level's winding, (c1 - c0) x (c2 - c1) pointing into the
// space it is seen from (the writers turn it with the axes of their own format).
struct MeshFace {
  std::int32_t Surface = 0;  // index into Mesh::Surfaces
  std::vector<MeshCorner> Corners;
};

// The faces of one brush, or of brushes without a group of their own that follow it.
struct MeshGroup {
  std::optional<std::string> Name;  // none: faces before any named group
  std::vector<MeshFace> Faces;
};

struct Mesh {
  std::vector<Vector> Positions;  // the level's space (Unreal units, Z up, left-handed)
  // Faces share their positions, which writers give once before the faces (the world); else
  // every corner has a position of its own, in the order of the faces (the brushes).
  bool SharedPositions = false;
  std::vector<MeshSurface> Surfaces;  // in the run's face order
  std::vector<MeshGroup> Groups;      // in the level's order, faces in surface order
};

}  // namespace brushwright
