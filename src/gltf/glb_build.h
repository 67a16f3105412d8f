// The steps of the .glb writer and the pieces of the binary chunk they fill (writer-internal).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <tiny_gltf.h>

#include "gltf/glb_scene.h"
#include "gltf/glb_writer.h"
#include "vecmath/brush_transform.h"

namespace brushwright {

// The binary chunk in four runs, laid out in this order; every piece in them starts on a
// multiple of four bytes, as accessors and the chunk itself require.
struct GlbBinary {
  std::vector<unsigned char> Images;     // embedded PNG files
  std::vector<unsigned char> Positions;  // float x, y, z per vertex
  std::vector<unsigned char> TexCoords;  // float u, v per vertex
  std::vector<unsigned char> Indices;    // 16- or 32-bit vertex numbers, three per triangle
  std::vector<unsigned char> Animation;  // float key times, translations and rotations
};

// Appends `size` bytes, after zero bytes up to a multiple of four; returns where they start.
std::size_t AppendAligned(std::vector<unsigned char>& run, const void* data, std::size_t size);

// The scene material a face is drawn with: its surface's, or the plain one for faces without.
std::int32_t GlbMaterialOf(const GlbScene& scene, const MeshFace& face);

// The model material that draws faces of a scene material (kNoGlbMaterial: none) on a light-map
// page: a (material, page) pair to its model material. Faces without a page, and faces of a pair
// not listed (an unlit material), keep the scene material's own number.
using LitMaterials = std::map<std::pair<std::int32_t, std::int32_t>, int>;

// Model material i for scene material i, with its embedded image, texture and sampler; names
// KHR_materials_unlit among the extensions used when a material is unlit. Then, when faces lie
// on light-map pages, each such page as an embedded image with its texture, and the materials
// that name them; gives those materials. Throws BrushError naming the file for a face on a page
// the mesh lacks or a page whose texels do not fill it.
LitMaterials AddMaterials(const std::string& path, const GlbScene& scene,
                          const PngEncoder& encode_png, GlbBinary& binary, tinygltf::Model& model);

// A node per group, in order; its mesh refers to the three geometry views by the numbers
// `first_view` to `first_view` + 2 (positions, texture coordinates, indices). Faces on a
// light-map page are drawn with their pair's material in `lit`, with light-map coordinates.
void AddGroupNodes(const std::string& path, const GlbScene& scene, const LitMaterials& lit,
                   int first_view, GlbBinary& binary, tinygltf::Model& model, GlbCounts& counts);

// A shape's glTF mesh (-1 when the shape has no triangle) and, for a shape that some placement
// lights per vertex, the shape position each of its glTF vertices stands for.
struct GlbShapeMesh {
  int Mesh = -1;
  std::vector<std::uint32_t> Sources;
};

// A glTF mesh per shape of the scene's geometry, each stored once, over the same three geometry
// views.
std::vector<GlbShapeMesh> AddShapeMeshes(const std::string& path, const GlbScene& scene,
                                         const LitMaterials& lit, int first_view, GlbBinary& binary,
                                         tinygltf::Model& model, GlbCounts& counts);

// A node per placement, drawing its shape's mesh where the placement puts it. A placement with
// vertex light draws a mesh of its own: its shape's primitives with a COLOR_0 accessor of its
// light, written to the positions view (`first_view`). Throws BrushError naming the file when a
// placement's light does not give one value per position of its shape.
void AddPlacementNodes(const std::string& path, const GlbScene& scene,
                       const std::vector<GlbShapeMesh>& shape_meshes, int first_view,
                       GlbBinary& binary, tinygltf::Model& model);

// An animation per moving node: the groups' nodes are the model's first nodes, in order, and
// the placements' follow from `first_placement_node`. Key times, translations and rotations go
// into the Animation run, read through view `animation_view`.
void AddMotions(const GlbScene& scene, int first_placement_node, int animation_view,
                GlbBinary& binary, tinygltf::Model& model);

// glTF's (x, y, z, w) rotation of a node that turns the level's space by `rotation`.
std::vector<double> GltfRotationOf(const Matrix3& rotation);

// A node with a KHR_lights_punctual light per light, then an empty node per marker.
void AddActorNodes(const std::string& path, const GlbScene& scene, tinygltf::Model& model);

// A name of the level's 8-bit text (one character per byte, code points 0-255 as the text reader
// gives them) in UTF-8, the only encoding a glTF file may hold.
std::string GltfName(std::string_view text);

}  // namespace brushwright
