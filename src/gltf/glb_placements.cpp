// Placed shapes and movers of the .glb file: a node per placement over its shape's one mesh (or,
// lit per vertex, a mesh of its own over the same accessors), and an animation per mover.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "gltf/glb_build.h"
#include "text/brush_error.h"
#include "vecmath/coordinates.h"

namespace brushwright {

namespace {

// The game draws a placed mesh's texture x light x 2 in gamma space, the light a byte for 0..1.
constexpr double kLightScale = 2;
constexpr double kByteMax = 255;
// The sRGB curve, glTF's for colour textures, from gamma space to linear.
constexpr double kSrgbLinearLimit = 0.04045;
constexpr double kSrgbLinearSlope = 12.92;
constexpr double kSrgbOffset = 0.055;
constexpr double kSrgbExponent = 2.4;

// A light byte's factor on the texture, in linear space: 2 x byte / 255 clamped to 1 (COLOR_0
// cannot brighten), through the sRGB curve.
float LinearLight(std::uint8_t byte) {
  const double gamma = std::min(1.0, kLightScale * byte / kByteMax);
  const double linear = gamma <= kSrgbLinearLimit
                            ? gamma / kSrgbLinearSlope
                            : std::pow((gamma + kSrgbOffset) / (1 + kSrgbOffset), kSrgbExponent);
  return static_cast<float>(linear);
}

// The placement's light on each vertex of its shape's mesh as a COLOR_0 accessor (float RGB, in
// the positions view, whose stride it shares).
int AddVertexLight(const std::string& path, const MeshPlacement& placement, const MeshShape& shape,
                   const GlbShapeMesh& shape_mesh, int positions_view, GlbBinary& binary,
                   tinygltf::Model& model) {
  if (placement.VertexLight.size() != shape.Positions.size()) {
    throw BrushError("cannot write '" + path + "': actor '" + placement.Name + "' has light for " +
                     std::to_string(placement.VertexLight.size()) + " vertices, its mesh '" +
                     shape.Name + "' has " + std::to_string(shape.Positions.size()));
  }
  std::vector<float> colours;
  colours.reserve(shape_mesh.Sources.size() * 3);
  for (const std::uint32_t source : shape_mesh.Sources) {
    const LightTexel& light = placement.VertexLight[source];
    colours.insert(colours.end(),
                   {LinearLight(light.R), LinearLight(light.G), LinearLight(light.B)});
  }
  tinygltf::Accessor& accessor = model.accessors.emplace_back();
  accessor.bufferView = positions_view;
  accessor.byteOffset = AppendAligned(binary.Positions, colours.data(), colours.size() * 4);
  accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
  accessor.type = TINYGLTF_TYPE_VEC3;
  accessor.count = shape_mesh.Sources.size();
  return static_cast<int>(model.accessors.size()) - 1;
}

bool AllFinite(const std::vector<double>& values) {
  return std::all_of(values.begin(), values.end(), [](double d) { return std::isfinite(d); });
}

std::vector<double> TranslationOf(const Vector& translation, double scale) {
  const std::array<double, 3> t = UnrealToGltf(translation, scale);
  return {t[0], t[1], t[2]};
}

// The float values as an accessor over the animation view; the key times get their bounds, as
// glTF requires of a sampler's input.
int AddFloats(const std::vector<float>& values, int type, std::size_t count, int view, bool bounds,
              GlbBinary& binary, tinygltf::Model& model) {
  tinygltf::Accessor& accessor = model.accessors.emplace_back();
  accessor.bufferView = view;
  accessor.byteOffset = AppendAligned(binary.Animation, values.data(), values.size() * 4);
  accessor.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
  accessor.type = type;
  accessor.count = count;
  if (bounds) {
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    accessor.minValues = {*low};
    accessor.maxValues = {*high};
  }
  return static_cast<int>(model.accessors.size()) - 1;
}

// The motion's keys as an animation of `node`: times, then a translation and a rotation sampler.
void AddAnimation(const std::string& name, const MeshMotion& motion, int node, double scale,
                  int view, GlbBinary& binary, tinygltf::Model& model) {
  std::vector<float> times, translations, rotations;
  for (std::size_t k = 0; k < motion.Keys.size(); ++k) {
    times.push_back(static_cast<float>(motion.Seconds[k]));
    for (const double t : TranslationOf(motion.Keys[k].Translation, scale)) {
      translations.push_back(static_cast<float>(t) + 0.0f);
    }
    for (const double q : GltfRotationOf(motion.Keys[k].Rotation)) {
      rotations.push_back(static_cast<float>(q) + 0.0f);
    }
  }
  const std::size_t count = motion.Keys.size();
  const int input = AddFloats(times, TINYGLTF_TYPE_SCALAR, count, view, true, binary, model);
  const int moves = AddFloats(translations, TINYGLTF_TYPE_VEC3, count, view, false, binary, model);
  const int turns = AddFloats(rotations, TINYGLTF_TYPE_VEC4, count, view, false, binary, model);
  tinygltf::Animation& animation = model.animations.emplace_back();
  animation.name = GltfName(name);
  for (const auto& [output, path] :
       {std::pair{moves, "translation"}, std::pair{turns, "rotation"}}) {
    tinygltf::AnimationSampler& sampler = animation.samplers.emplace_back();
    sampler.input = input;
    sampler.output = output;
    sampler.interpolation = "LINEAR";
    tinygltf::AnimationChannel& channel = animation.channels.emplace_back();
    channel.sampler = static_cast<int>(animation.samplers.size()) - 1;
    channel.target_node = node;
    channel.target_path = path;
  }
}

// A motion worth an animation: two keys or more, every value finite.
bool Moves(const std::optional<MeshMotion>& motion) {
  return motion && motion->Keys.size() >= 2 && motion->Seconds.size() == motion->Keys.size() &&
         std::isfinite(motion->Seconds.back());
}

}  // namespace

void AddPlacementNodes(const std::string& path, const GlbScene& scene,
                       const std::vector<GlbShapeMesh>& shape_meshes, int first_view,
                       GlbBinary& binary, tinygltf::Model& model) {
  if (scene.Geometry == nullptr) return;
  // A shape's own mesh goes to its unlit placements; when it has none, to its first lit one.
  std::vector<bool> mesh_taken(shape_meshes.size(), false);
  for (const MeshPlacement& placement : scene.Geometry->Placements) {
    if (placement.VertexLight.empty()) mesh_taken[static_cast<std::size_t>(placement.Shape)] = true;
  }
  for (const MeshPlacement& placement : scene.Geometry->Placements) {
    const auto shape = static_cast<std::size_t>(placement.Shape);
    int mesh = shape_meshes[shape].Mesh;
    if (mesh >= 0 && !placement.VertexLight.empty()) {
      const int colours = AddVertexLight(path, placement, scene.Geometry->Shapes[shape],
                                         shape_meshes[shape], first_view, binary, model);
      if (mesh_taken[shape]) {
        tinygltf::Mesh own = model.meshes[static_cast<std::size_t>(mesh)];
        mesh = static_cast<int>(model.meshes.size());
        model.meshes.push_back(std::move(own));
      }
      mesh_taken[shape] = true;
      for (tinygltf::Primitive& primitive :
           model.meshes[static_cast<std::size_t>(mesh)].primitives) {
        primitive.attributes["COLOR_0"] = colours;
      }
    }
    tinygltf::Node& node = model.nodes.emplace_back();
    node.name = GltfName(placement.Name);
    if (mesh >= 0) node.mesh = mesh;
    node.translation = TranslationOf(placement.Pose.Translation, scene.Scale);
    node.rotation = GltfRotationOf(placement.Pose.Rotation);
    // The shape's own axes turn with the level's: its Y is glTF's Z.
    const Vector& s = placement.Scale;
    if (s.X != 1 || s.Y != 1 || s.Z != 1) node.scale = {s.X, s.Z, s.Y};
    if (!AllFinite(node.translation) || !AllFinite(node.rotation) || !AllFinite(node.scale)) {
      throw BrushError("cannot write '" + path + "': actor '" + placement.Name +
                       "' has a location, rotation or scale out of range");
    }
  }
}

void AddMotions(const GlbScene& scene, int first_placement_node, int animation_view,
                GlbBinary& binary, tinygltf::Model& model) {
  if (scene.Geometry == nullptr) return;
  const Mesh& mesh = *scene.Geometry;
  for (std::size_t g = 0; g < mesh.Groups.size(); ++g) {
    if (!Moves(mesh.Groups[g].Motion)) continue;
    AddAnimation(mesh.Groups[g].Name.value_or(""), *mesh.Groups[g].Motion, static_cast<int>(g),
                 scene.Scale, animation_view, binary, model);
  }
  for (std::size_t p = 0; p < mesh.Placements.size(); ++p) {
    if (!Moves(mesh.Placements[p].Motion)) continue;
    AddAnimation(mesh.Placements[p].Name, *mesh.Placements[p].Motion,
                 first_placement_node + static_cast<int>(p), scene.Scale, animation_view, binary,
                 model);
  }
}

}  // namespace brushwright
