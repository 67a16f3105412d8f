// The .glb writer: materials, group meshes and actors into one model, then one binary file.
#include "gltf/glb_writer.h"

#include <cassert>
#include <cmath>
#include <cstdint>
#include <sstream>

#include "gltf/glb_build.h"
#include "text/brush_error.h"
#include "text/file_text.h"

namespace brushwright {

namespace {

// The file's header states its whole length in 32 bits.
constexpr std::size_t kMaxGlbBytes = 0xFFFFFFFFu;
// Views of the geometry runs: vertex attributes share theirs, so each states its stride.
constexpr std::size_t kPositionStride = 12;
constexpr std::size_t kTexCoordStride = 8;
// A group's mesh has a position and a texture coordinate accessor and one index accessor per
// material; brushes of real levels carry one to three materials.
constexpr std::size_t kAccessorsPerGroup = 4;

void AddView(tinygltf::Model& model, std::size_t offset, std::size_t length, std::size_t stride,
             int target) {
  tinygltf::BufferView& view = model.bufferViews.emplace_back();
  view.buffer = 0;
  view.byteOffset = offset;
  view.byteLength = length;
  view.byteStride = stride;
  view.target = target;
}

// Lays the runs out in one buffer (the images' views already point into its start) and adds
// the three geometry views after the image views. A scene without any bytes has no buffer.
void AddBuffer(GlbBinary& binary, tinygltf::Model& model) {
  std::vector<unsigned char> bytes = std::move(binary.Images);
  if (!binary.Indices.empty()) {
    const std::size_t positions =
        AppendAligned(bytes, binary.Positions.data(), binary.Positions.size());
    const std::size_t tex_coords =
        AppendAligned(bytes, binary.TexCoords.data(), binary.TexCoords.size());
    const std::size_t indices = AppendAligned(bytes, binary.Indices.data(), binary.Indices.size());
    AddView(model, positions, binary.Positions.size(), kPositionStride,
            TINYGLTF_TARGET_ARRAY_BUFFER);
    AddView(model, tex_coords, binary.TexCoords.size(), kTexCoordStride,
            TINYGLTF_TARGET_ARRAY_BUFFER);
    AddView(model, indices, binary.Indices.size(), 0, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
  }
  if (!binary.Animation.empty()) {
    const std::size_t animation =
        AppendAligned(bytes, binary.Animation.data(), binary.Animation.size());
    tinygltf::BufferView& view = model.bufferViews.emplace_back();
    view.buffer = 0;
    view.byteOffset = animation;
    view.byteLength = binary.Animation.size();
  }
  if (!bytes.empty()) model.buffers.emplace_back().data = std::move(bytes);
}

}  // namespace

std::size_t AppendAligned(std::vector<unsigned char>& run, const void* data, std::size_t size) {
  run.resize((run.size() + 3) / 4 * 4, 0);
  const std::size_t start = run.size();
  const auto* first = static_cast<const unsigned char*>(data);
  run.insert(run.end(), first, first + size);
  return start;
}

std::string GltfName(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (const char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x80) {
      utf8 += c;
    } else {
      utf8 += static_cast<char>(0xC0 | (code >> 6));
      utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return utf8;
}

std::string GlbBytes(const std::string& path, const GlbScene& scene, const PngEncoder& encode_png,
                     GlbCounts& counts) {
  assert(std::isfinite(scene.Scale) && scene.Scale > 0);
  counts = {};
  tinygltf::Model model;
  model.asset.version = "2.0";
  model.asset.generator = "Brushwright";

  // tinygltf's objects are large: growing their vectors step by step would move them often.
  const std::size_t groups = scene.Geometry != nullptr ? scene.Geometry->Groups.size() : 0;
  const std::size_t shapes = scene.Geometry != nullptr ? scene.Geometry->Shapes.size() : 0;
  const std::size_t placements = scene.Geometry != nullptr ? scene.Geometry->Placements.size() : 0;
  model.nodes.reserve(groups + placements + scene.Lights.size() + scene.Markers.size());
  model.meshes.reserve(groups + shapes);
  model.accessors.reserve((groups + shapes) * kAccessorsPerGroup);

  // Phases: materials (their images open the buffer), groups, placed shapes, actors, movers'
  // animations, one scene of them all.
  GlbBinary binary;
  const LitMaterials lit = AddMaterials(path, scene, encode_png, binary, model);
  const int first_view = static_cast<int>(model.bufferViews.size());
  AddGroupNodes(path, scene, lit, first_view, binary, model, counts);
  const std::vector<GlbShapeMesh> shape_meshes =
      AddShapeMeshes(path, scene, lit, first_view, binary, model, counts);
  const int first_placement_node = static_cast<int>(model.nodes.size());
  AddPlacementNodes(path, scene, shape_meshes, first_view, binary, model);
  AddActorNodes(path, scene, model);
  // The animation view follows the three geometry views, when there are any.
  AddMotions(scene, first_placement_node, first_view + (binary.Indices.empty() ? 0 : 3), binary,
             model);
  // A scene needs nodes: tinygltf writes one without nodes and name as null, which is invalid.
  if (!model.nodes.empty()) {
    tinygltf::Scene& level = model.scenes.emplace_back();
    for (std::size_t node = 0; node < model.nodes.size(); ++node) {
      level.nodes.push_back(static_cast<int>(node));
    }
    model.defaultScene = 0;
  }
  AddBuffer(binary, model);

  std::ostringstream out;
  tinygltf::TinyGLTF writer;
  writer.WriteGltfSceneToStream(&model, out, false, true);
  std::string bytes = std::move(out).str();
  if (bytes.size() > kMaxGlbBytes) {
    throw BrushError("cannot write '" + path + "': the level needs more than 4 GiB, the most a " +
                     ".glb file can hold");
  }
  return bytes;
}

GlbCounts WriteGlb(const std::string& path, const GlbScene& scene, const PngEncoder& encode_png) {
  GlbCounts counts;
  WriteFileBytes(path, GlbBytes(path, scene, encode_png, counts));
  return counts;
}

}  // namespace brushwright
