// The one mesh a run builds from a level's brushes (the brushes themselves, or the world they
// build) and hands to every writer: positions in the level's own space, faces grouped by brush,
// each face on a surface that carries its texture, flags and texture coordinates' frame.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "vecmath/brush_transform.h"
#include "vecmath/coordinates.h"
#include "vecmath/vecmath.h"

namespace brushwright {

// A surface without a material: a face without a texture.
inline constexpr std::int32_t kNoMaterial = -1;

// A face without a light-map page: the run carries no light, or none for this face.
inline constexpr std::int32_t kNoLightPage = -1;

// Light as the game draws it over a texture: 0..255 per channel for light 0..1, in gamma space,
// the drawn colour texture x light x 2 clamped (128 leaves the texture as it is).
struct LightTexel {
  std::uint8_t R = 0;
  std::uint8_t G = 0;
  std::uint8_t B = 0;
};

// One page of light-map texels, rows from the top, as an image is stored.
struct LightPage {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<LightTexel> Texels;  // Width * Height
};

// One source polygon of the level: what all its faces share.
struct MeshSurface {
  std::string Texture;                  // the texture reference; "" for none
  std::int64_t Flags = 0;               // the polygon's flags (the material's flags)
  TextureAxes Axes;                     // how the texture lies on it, placed in the level's space
  std::int32_t Number = 0;              // the run's number of the source face, which messages name
  std::int32_t Material = kNoMaterial;  // the run's material, once its texture was looked up
  // Its corners carry texture coordinates from their source (a static mesh, terrain) instead of
  // having them computed from Axes.
  bool SourceCoordinates = false;
};

struct MeshCorner {
  std::int32_t Position = 0;  // index into Mesh::Positions
  double U = 0;               // texture coordinates, U to the right, V upwards
  double V = 0;
  // Where the corner lies on its face's light-map page: 0 to 1 across, S to the right and T
  // downward from the page's top row (a texel's centre at (x + 0.5) / Width); only for a face
  // with a page.
  float LightS = 0;
  float LightT = 0;
};

// A convex polygon; its corners in the level's winding, (c1 - c0) x (c2 - c1) pointing into the
// space it is seen from (the writers turn it with the axes of their own format).
struct MeshFace {
  std::int32_t Surface = 0;  // index into Mesh::Surfaces
  std::vector<MeshCorner> Corners;
  std::int32_t LightPage = kNoLightPage;  // index into Mesh::LightPages
};

// Where a node of the output stands: p -> Rotation p + Translation, in the level's space.
struct NodePose {
  Matrix3 Rotation = Mat3Identity();
  Vector Translation;
};

// A mover's way: the node's pose at each of its times (seconds from the first, rising).
struct MeshMotion {
  std::vector<double> Seconds;
  std::vector<NodePose> Keys;
};

// The faces of one brush, or of brushes without a group of their own that follow it.
struct MeshGroup {
  std::optional<std::string> Name;  // none: faces before any named group
  std::vector<MeshFace> Faces;
  // A mover's faces, where it stands at rest, and how its node moves from there (its poses turn
  // the level's space, as the faces are in it).
  std::optional<MeshMotion> Motion;
};

// Faces in a space of their own, drawn wherever placements put them (a static mesh with the
// materials its actors give it): writers that can place one shape many times store it once.
struct MeshShape {
  std::string Name;
  std::vector<Vector> Positions;  // the shape's own space
  std::vector<MeshFace> Faces;    // corners index Positions
};

// One actor drawing a shape: level point = Pose.Rotation (Scale * p) + Pose.Translation.
struct MeshPlacement {
  std::string Name;  // the actor's
  std::int32_t Shape = 0;
  Vector Scale{1, 1, 1};  // along the shape's own axes; negative mirrors
  NodePose Pose;
  std::optional<MeshMotion> Motion;  // a mover's poses, the scale kept
  // The light on each of its shape's positions, in their order, as the game draws it over the
  // shape's textures; empty when the run carries no light.
  std::vector<LightTexel> VertexLight;
};

struct Mesh {
  std::vector<Vector> Positions;  // the level's space (Unreal units, Z up, left-handed)
  // Faces share their positions, which writers give once before the faces (the world); else
  // every corner has a position of its own, in the order of the faces (the brushes).
  bool SharedPositions = false;
  std::vector<MeshSurface> Surfaces;  // in the run's face order
  std::vector<MeshGroup> Groups;      // in the level's order, faces in surface order
  // Shapes placed by actors, for writers that store a shape once; the level's space holds them
  // as placed only through Placements (writers without instances get them as groups instead).
  std::vector<MeshShape> Shapes;
  std::vector<MeshPlacement> Placements;
  // The level's light, when the run carries it: the pages its faces' light-map coordinates
  // reach (placements carry theirs per vertex).
  std::vector<LightPage> LightPages;
};

}  // namespace brushwright
