// Tests of the .glb writer: files read back with tinygltf and passed through the glTF Validator.
#include "gltf/glb_writer.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>
#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <numbers>

#include "support/gltf_files.h"
#include "support/test_files.h"
#include "text/brush_error.h"

namespace brushwright {
namespace {

using testing::ReadBack;
using testing::ValidatorComplaints;
using testing::ValidatorMissing;
using testing::Values;

// Stands in for the image library's encoder.
std::string StbPng(const Image& image) {
  std::string png;
  const auto append = [](void* out, void* data, int size) {
    static_cast<std::string*>(out)->append(static_cast<const char*>(data), size);
  };
  stbi_write_png_to_func(append, &png, image.Width, image.Height, 4, image.Rgba.data(),
                         image.Width * 4);
  return png;
}

// A face as the OBJ and glTF files list it: its material (kNoGlbMaterial: none) and its corners
// in the order written.
struct WrittenFace {
  std::int32_t Material;
  std::vector<MeshCorner> Corners;
};

// A mesh whose positions are given in OBJ space (the level's mirrored in Y) and whose faces list
// their corners as written; surface m has material m, the last surface none.
Mesh MeshOf(const std::vector<Vector>& obj_positions,
            const std::vector<std::pair<std::string, std::vector<WrittenFace>>>& groups,
            std::int32_t materials) {
  Mesh mesh;
  for (const Vector& p : obj_positions) mesh.Positions.push_back({p.X, -p.Y, p.Z});
  for (std::int32_t m = 0; m < materials; ++m) mesh.Surfaces.emplace_back().Material = m;
  mesh.Surfaces.emplace_back();
  for (const auto& [name, faces] : groups) {
    MeshGroup& group = mesh.Groups.emplace_back();
    group.Name = name;
    for (const WrittenFace& written : faces) {
      MeshFace& face = group.Faces.emplace_back();
      face.Surface = written.Material == kNoGlbMaterial ? materials : written.Material;
      // The writers list corners 0, n-1, ..., 1 of the mesh's own order: the same turn back.
      const std::size_t n = written.Corners.size();
      for (std::size_t k = n; k-- > 0;) face.Corners.push_back(written.Corners[(k + 1) % n]);
    }
  }
  return mesh;
}

// v turned by the node's rotation quaternion (x, y, z, w).
std::vector<double> Turned(const std::vector<double>& q, std::vector<double> v) {
  const double t[3] = {2 * (q[1] * v[2] - q[2] * v[1]), 2 * (q[2] * v[0] - q[0] * v[2]),
                       2 * (q[0] * v[1] - q[1] * v[0])};
  return {v[0] + q[3] * t[0] + q[1] * t[2] - q[2] * t[1],
          v[1] + q[3] * t[1] + q[2] * t[0] - q[0] * t[2],
          v[2] + q[3] * t[2] + q[0] * t[1] - q[1] * t[0]};
}

TEST(GlbWriter, GroupsAndMaterialsReadBackUpright) {
  const Image picture{2, 1, {255, 0, 0, 255, 0, 0, 0, 0}, true};
  const std::string png = StbPng(Image{1, 1, {0, 0, 255, 128}, true});
  GlbScene scene;
  scene.Scale = 0.5;
  // A floor triangle of the OBJ output (its corners in "f" order), another sharing two of its
  // corners, a quad, a face without area and an empty group.
  const Mesh mesh = MeshOf({{0, 0, 0}, {64, -32, 0}, {64, 0, 0}, {0, 32, 0}},
                           {{"Floor",
                             {{0, {{0, 0, 1}, {1, 0.25, 0.875}, {2, 0.25, 1}}},
                              {0, {{0, 0, 1}, {2, 0.25, 1}, {3, 0, 0.75}}},
                              {1, {{0, 0, 0}, {1, 0, 1}, {2, 1, 1}, {3, 1, 0}}},
                              {1, {{0, 0, 0}, {1, 0, 1}}}}},
                            {"Caf\xE9", {}}},  // 8-bit text, as the T3D file has it
                           3);
  scene.Geometry = &mesh;
  scene.Materials = {{"Grate2306", 2306, picture, ""},  // masked, two-sided, no smoothing
                     {"Glass4194308", 4194308, std::nullopt, png},  // translucent, unlit
                     {"Lost0", 0, std::nullopt, ""}};
  testing::TempDir dir("glb");
  const std::string path = dir / "level.glb";
  const GlbCounts counts = WriteGlb(path, scene, StbPng);
  EXPECT_EQ(counts.Triangles, 4);
  EXPECT_EQ(counts.Vertices, 8);
  EXPECT_EQ(counts.SkippedFaces, 1);
  GlbCounts again;
  EXPECT_EQ(GlbBytes(path, scene, StbPng, again), testing::ReadBytes(path));

  const tinygltf::Model model = ReadBack(path);
  ASSERT_EQ(model.nodes.size(), 2u);
  EXPECT_EQ(model.nodes[0].name, "Floor");
  EXPECT_EQ(model.nodes[1].name, "Caf\u00e9");
  EXPECT_EQ(model.nodes[1].mesh, -1);
  const auto& primitives = model.meshes[model.nodes[0].mesh].primitives;
  ASSERT_EQ(primitives.size(), 2u);
  EXPECT_EQ(Values(model, primitives[0].indices), (std::vector<double>{0, 1, 2, 0, 2, 3}));
  EXPECT_EQ(Values(model, primitives[1].indices), (std::vector<double>{4, 5, 6, 4, 6, 7}));
  // Upright and not mirrored: OBJ (x, y, z) lands at (x, z, -y) x scale, and the triangle's
  // counter-clockwise corners face +Y. The primitives share the group's vertices.
  EXPECT_EQ(primitives[1].attributes, primitives[0].attributes);
  const std::vector<double> p = Values(model, primitives[0].attributes.at("POSITION"));
  EXPECT_EQ(p, (std::vector<double>{0, 0, 0, 32, 0, 16, 32, 0, 0, 0, 0, -16,  //
                                    0, 0, 0, 32, 0, 16, 32, 0, 0, 0, 0, -16}));
  EXPECT_GT((p[5] - p[2]) * (p[6] - p[0]) - (p[3] - p[0]) * (p[8] - p[2]), 0);
  EXPECT_EQ(Values(model, primitives[0].attributes.at("TEXCOORD_0")),
            (std::vector<double>{0, 0, 0.25, 0.125, 0.25, 0, 0, 0.25, 0, 1, 0, 0, 1, 0, 1, 1}));

  ASSERT_EQ(model.materials.size(), 3u);
  const tinygltf::Material& grate = model.materials[0];
  const tinygltf::Material& glass = model.materials[1];
  const tinygltf::Material& lost = model.materials[2];
  EXPECT_EQ(grate.name + " " + glass.name + " " + lost.name, "Grate2306 Glass4194308 Lost0");
  EXPECT_EQ(grate.alphaMode + " " + glass.alphaMode + " " + lost.alphaMode, "MASK BLEND OPAQUE");
  EXPECT_EQ(grate.alphaCutoff, 0.5);
  EXPECT_TRUE(grate.doubleSided);
  EXPECT_FALSE(glass.doubleSided);
  EXPECT_EQ(grate.extensions.count("KHR_materials_unlit"), 0u);
  EXPECT_EQ(glass.extensions.count("KHR_materials_unlit"), 1u);
  EXPECT_EQ(lost.pbrMetallicRoughness.baseColorTexture.index, -1);
  const auto sampler_of = [&](const tinygltf::Material& material) {
    return model
        .samplers[model.textures[material.pbrMetallicRoughness.baseColorTexture.index].sampler];
  };
  EXPECT_EQ(sampler_of(grate).magFilter, TINYGLTF_TEXTURE_FILTER_NEAREST);
  EXPECT_EQ(sampler_of(glass).magFilter, TINYGLTF_TEXTURE_FILTER_LINEAR);
  // The PNG file is embedded byte for byte; the picture decodes to its own pixels.
  const tinygltf::Image& glass_image =
      model.images[model.textures[glass.pbrMetallicRoughness.baseColorTexture.index].source];
  const tinygltf::BufferView& view = model.bufferViews[glass_image.bufferView];
  EXPECT_EQ(std::string(model.buffers[0].data.begin() + view.byteOffset,
                        model.buffers[0].data.begin() + view.byteOffset + view.byteLength),
            png);
  EXPECT_EQ(model.images[0].image, picture.Rgba);

  SKIP_IF_MISSING(ValidatorMissing());
  EXPECT_EQ(ValidatorComplaints(path), "");
}

TEST(GlbWriter, LightsAndMarkersStandWhereTheLevelHasThem) {
  GlbScene scene;
  scene.Scale = 0.5;
  scene.Lights = {{"Light0", false, {100, 200, 300}, {}, 128, 0, 255, 7, 128},
                  {"Spotlight0", true, {}, {0, 16384, 0}, 0, 255, 64, 64, 128},
                  {"Spotlight1", true, {}, {-16384, 0, 0}, 0, 255, 64, 64, 128},
                  {"Spotlight2", true, {}, {8192, 16384, 4000}, 0, 255, 64, 64, 0}};
  scene.Markers = {{"PlayerStart PlayerStart0", {2, 4, -6}, std::nullopt}};
  testing::TempDir dir("glb");
  const std::string path = dir / "actors.glb";
  WriteGlb(path, scene, StbPng);

  const tinygltf::Model model = ReadBack(path);
  ASSERT_EQ(model.nodes.size(), 5u);
  ASSERT_EQ(model.lights.size(), 4u);
  EXPECT_EQ(model.nodes[0].translation, (std::vector<double>{50, 150, 100}));
  EXPECT_EQ(model.nodes[4].name, "PlayerStart PlayerStart0");
  EXPECT_EQ(model.nodes[4].translation, (std::vector<double>{1, -3, 2}));
  const tinygltf::Light& point = model.lights[0];
  EXPECT_EQ(point.type, "point");
  EXPECT_EQ(point.color, (std::vector<double>{0, 1, 1}));  // hue 128, full colour: cyan
  EXPECT_EQ(point.range, 100);                             // 25 x (7 + 1) units
  EXPECT_DOUBLE_EQ(point.intensity, std::numbers::pi * 50 * 50 / 8);
  EXPECT_EQ(model.lights[1].color, (std::vector<double>{1, 1, 1}));
  EXPECT_DOUBLE_EQ(model.lights[1].spot.outerConeAngle, std::numbers::pi / 3);
  // The spots aim along the rotator's +X: Unreal +Y (glTF +Z), straight down, and 45 degrees
  // up from Unreal +Y, rolled (the roll leaves the aim alone).
  const std::vector<std::vector<double>> aims = {
      {0, 0, 1}, {0, -1, 0}, {0, std::numbers::sqrt2 / 2, std::numbers::sqrt2 / 2}};
  for (int spot = 1; spot <= 3; ++spot) {
    const std::vector<double> aim = Turned(model.nodes[spot].rotation, {0, 0, -1});
    for (int axis = 0; axis < 3; ++axis) EXPECT_NEAR(aim[axis], aims[spot - 1][axis], 1e-12);
  }

  SKIP_IF_MISSING(ValidatorMissing());
  EXPECT_EQ(ValidatorComplaints(path), "");
}

// Each kind's intensity for a known brightness and radius: candela for point and spot lights (a
// white wall at half the range lit to brightness / 255 of white, shared by eight overlapping
// lights), lux for a sun; and a brighter or wider light never written dimmer.
TEST(GlbWriter, LightIntensitiesGrowWithBrightnessAndRadius) {
  struct Row {
    std::string type;
    double brightness, radius, intensity;
  };
  const Row rows[] = {{"point", 255, 7, std::numbers::pi / 8},  // range 2 m
                      {"spot", 51, 15, std::numbers::pi / 10},  // range 4 m, a fifth as bright
                      {"directional", 85, 15, 1}};              // a third of full daylight
  GlbScene scene;
  scene.Scale = 0.01;
  for (const Row& row : rows) {
    scene.Lights.push_back({"Light",
                            row.type == "spot",
                            {},
                            {},
                            0,
                            255,
                            row.brightness,
                            row.radius,
                            128,
                            row.type == "directional"});
  }
  for (const double brightness : {0.0, 1.0, 64.0, 254.0, 255.0})
    scene.Lights.push_back({"ByBrightness", false, {}, {}, 0, 255, brightness, 64, 128});
  for (const double radius : {0.0, 1.0, 64.0, 254.0, 255.0})
    scene.Lights.push_back({"ByRadius", true, {}, {}, 0, 255, 1, radius, 128});
  testing::TempDir dir("glb");
  const std::string path = dir / "intensities.glb";
  WriteGlb(path, scene, StbPng);

  const tinygltf::Model model = ReadBack(path);
  ASSERT_EQ(model.lights.size(), scene.Lights.size());
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(model.lights[i].type);
    EXPECT_EQ(model.lights[i].type, rows[i].type);
    EXPECT_NEAR(model.lights[i].intensity, rows[i].intensity, 1e-12);
  }
  for (std::size_t i = std::size(rows) + 1; i < model.lights.size(); ++i) {
    if (i == std::size(rows) + 5) continue;  // the radius sweep starts again
    EXPECT_GT(model.lights[i].intensity, model.lights[i - 1].intensity)
        << model.lights[i].name << " " << i;
  }
}

TEST(GlbWriter, PlacedShapesAreStoredOnceAndMoversPlayTheirKeys) {
  // One triangle, placed by three actors: turned a quarter about Z, mirrored in its own X (which
  // turns its winding over), and moving between two keys.
  Mesh mesh;
  mesh.Surfaces.emplace_back();
  MeshShape& shape = mesh.Shapes.emplace_back();
  shape.Name = "MyLevel.Wedge";
  shape.Positions = {{0, 0, 0}, {2, 0, 0}, {0, 4, 0}};
  shape.Faces.push_back(MeshFace{0, {{0, 0, 0}, {2, 1, 0}, {1, 0, 1}}});
  const Matrix3 quarter = RotationMatrix(Rotator{0, 16384, 0});
  NodePose turned{quarter, {10, 20, 30}};
  mesh.Placements.push_back(
      MeshPlacement{"StaticMeshActor0", 0, {1, 1, 1}, turned, std::nullopt, {}});
  mesh.Placements.push_back(
      MeshPlacement{"StaticMeshActor1", 0, {-1, 2, 1}, turned, std::nullopt, {}});
  MeshMotion motion{{0, 2.5}, {NodePose{}, NodePose{quarter, {0, 0, 64}}}};
  mesh.Placements.push_back(MeshPlacement{"Mover0", 0, {1, 1, 1}, NodePose{}, motion, {}});
  GlbScene scene;
  scene.Scale = 0.5;
  scene.Geometry = &mesh;
  scene.UntexturedMaterial = 0;
  scene.Materials = {{"Untextured", 0, std::nullopt, ""}};
  testing::TempDir dir("glb");
  const std::string path = dir / "placed.glb";
  EXPECT_EQ(WriteGlb(path, scene, StbPng).Triangles, 1);

  const tinygltf::Model model = ReadBack(path);
  ASSERT_EQ(model.meshes.size(), 1u);
  ASSERT_EQ(model.nodes.size(), 3u);
  for (const tinygltf::Node& node : model.nodes) EXPECT_EQ(node.mesh, 0);
  // The shape's corner (2, 0, 0) where each actor puts it: R (S p) + T in the level's space,
  // glTF's (x, z, y) of it.
  const std::vector<double> corner = {2 * scene.Scale, 0, 0};
  const std::vector<std::vector<double>> expected = {{10, 30, 22}, {10, 30, 18}, {2, 0, 0}};
  for (std::size_t n = 0; n < 3; ++n) {
    const tinygltf::Node& node = model.nodes[n];
    std::vector<double> p = corner;
    if (!node.scale.empty()) {
      for (int axis = 0; axis < 3; ++axis) p[static_cast<std::size_t>(axis)] *= node.scale[axis];
    }
    if (!node.rotation.empty()) p = Turned(node.rotation, p);
    for (int axis = 0; axis < 3; ++axis) {
      const double at = p[axis] + (node.translation.empty() ? 0 : node.translation[axis]);
      EXPECT_NEAR(at, expected[n][axis] * scene.Scale, 1e-9) << node.name << " axis " << axis;
    }
  }
  EXPECT_EQ(model.nodes[1].scale, (std::vector<double>{-1, 1, 2}));
  ASSERT_EQ(model.animations.size(), 1u);
  const tinygltf::Animation& animation = model.animations[0];
  EXPECT_EQ(animation.name, "Mover0");
  ASSERT_EQ(animation.channels.size(), 2u);
  EXPECT_EQ(animation.channels[0].target_node, 2);
  EXPECT_EQ(Values(model, animation.samplers[0].input), (std::vector<double>{0, 2.5}));
  EXPECT_EQ(Values(model, animation.samplers[0].output),
            (std::vector<double>{0, 0, 0, 0, 64 * scene.Scale, 0}));

  SKIP_IF_MISSING(ValidatorMissing());
  EXPECT_EQ(ValidatorComplaints(path), "");
}

// "r,g,b" of the texel of the material's light-map page that the page coordinate (s, t) falls on,
// read from the embedded image; "" when the material names no page.
std::string LightTexelAt(const tinygltf::Model& model, const tinygltf::Material& material, double s,
                         double t) {
  const auto moz = material.extensions.find("MOZ_lightmap");
  if (moz == material.extensions.end()) return "";
  const tinygltf::Image& page =
      model.images[model.textures[moz->second.Get("index").GetNumberAsInt()].source];
  const auto x = static_cast<std::size_t>(s * page.width);
  const auto y = static_cast<std::size_t>(t * page.height);
  const unsigned char* texel =
      page.image.data() + (y * static_cast<std::size_t>(page.width) + x) * page.component;
  return std::to_string(texel[0]) + "," + std::to_string(texel[1]) + "," + std::to_string(texel[2]);
}

TEST(GlbWriter, FacesOnLightPagesReachTheirTexelsThroughTheSecondCoordinates) {
  // Two coincident triangles of one material on different pages, and of another material one on
  // a page and one without; the page coordinates at texel centres. An unlit material's face on
  // a page: the game draws it at full brightness.
  Mesh mesh =
      MeshOf({{0, 0, 0}, {64, 0, 0}, {64, 64, 0}, {0, 64, 0}},
             {{"Room",
               {{0, {{0, 0, 0, 0.25f, 0.25f}, {1, 1, 0, 0.75f, 0.25f}, {2, 1, 1, 0.75f, 0.75f}}},
                {0, {{0, 0, 0, 0.125f, 0.5f}, {1, 1, 0, 0.375f, 0.5f}, {2, 1, 1, 0.625f, 0.5f}}},
                {1, {{0, 0, 0, 0.875f, 0.5f}, {2, 1, 1, 0.875f, 0.5f}, {3, 0, 1, 0.875f, 0.5f}}},
                {1, {{0, 0, 0}, {2, 1, 1}, {3, 0, 1}}},
                {2, {{0, 0, 0, 0.25f, 0.25f}, {2, 1, 1, 0.75f, 0.75f}, {3, 0, 1, 0.25f, 0.75f}}}}}},
             3);
  const std::int32_t pages[] = {0, 1, 1, kNoLightPage, 0};
  for (std::size_t f = 0; f < 5; ++f) mesh.Groups[0].Faces[f].LightPage = pages[f];
  mesh.LightPages = {{2, 2, {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}}},
                     {4, 1, {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {9, 9, 9}}}};
  GlbScene scene;
  scene.Geometry = &mesh;
  scene.Materials = {{"Wall0", 0, std::nullopt, ""},
                     {"Floor0", 0, std::nullopt, ""},
                     {"Glow4194304", 4194304, std::nullopt, ""}};
  testing::TempDir dir("glb");
  const std::string path = dir / "lit.glb";
  WriteGlb(path, scene, StbPng);

  const tinygltf::Model model = ReadBack(path);
  EXPECT_EQ(model.extensionsUsed,
            (std::vector<std::string>{"KHR_materials_unlit", "MOZ_lightmap", "MSFT_lightmap"}));
  EXPECT_TRUE(model.extensionsRequired.empty());
  // A material names its first page itself, unless it also draws faces without a page, and
  // gets a copy for each further page.
  std::vector<std::string> names;
  for (const tinygltf::Material& material : model.materials) names.push_back(material.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Wall0", "Floor0", "Glow4194304", "Wall0_LightPage1",
                                             "Floor0_LightPage1"}));
  // Material -> the texels its triangles' corners reach, in the order written.
  std::map<std::string, std::vector<std::string>> texels;
  for (const tinygltf::Primitive& primitive : model.meshes[0].primitives) {
    const tinygltf::Material& material = model.materials[primitive.material];
    const auto coordinates = primitive.attributes.find("TEXCOORD_1");
    if (coordinates == primitive.attributes.end()) {
      texels[material.name].push_back("none");
      continue;
    }
    const std::vector<double> st = Values(model, coordinates->second);
    for (const double vertex : Values(model, primitive.indices)) {
      const auto v = static_cast<std::size_t>(vertex) * 2;
      texels[material.name].push_back(LightTexelAt(model, material, st[v], st[v + 1]));
    }
  }
  EXPECT_EQ(texels, (std::map<std::string, std::vector<std::string>>{
                        {"Wall0", {"10,20,30", "40,50,60", "100,110,120"}},
                        {"Wall0_LightPage1", {"200,0,0", "0,200,0", "0,0,200"}},
                        {"Floor0_LightPage1", {"9,9,9", "9,9,9", "9,9,9"}},
                        {"Floor0", {"none"}},
                        {"Glow4194304", {"none"}}}));
  // Both extensions name the same texture, at the game's double strength, on a sampler that
  // blends texels and clamps at the page's edge.
  const tinygltf::Value& moz = model.materials[4].extensions.at("MOZ_lightmap");
  const tinygltf::Value& msft = model.materials[4].extensions.at("MSFT_lightmap");
  EXPECT_EQ(moz.Get("texCoord").GetNumberAsInt(), 1);
  EXPECT_EQ(moz.Get("intensity").GetNumberAsDouble(), 2);
  EXPECT_EQ(msft.Get("lightmapTexture").Get("index").GetNumberAsInt(),
            moz.Get("index").GetNumberAsInt());
  EXPECT_EQ(msft.Get("lightmapTexture").Get("texCoord").GetNumberAsInt(), 1);
  EXPECT_EQ(msft.Get("lightmapFactor").Get(2).GetNumberAsDouble(), 2);
  const tinygltf::Sampler& sampler =
      model.samplers[model.textures[moz.Get("index").GetNumberAsInt()].sampler];
  EXPECT_EQ(sampler.wrapS, TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE);
  EXPECT_EQ(sampler.minFilter, TINYGLTF_TEXTURE_FILTER_LINEAR);

  SKIP_IF_MISSING(ValidatorMissing());
  EXPECT_EQ(ValidatorComplaints(path), "");
}

TEST(GlbWriter, PlacementsCarryTheirOwnVertexLightOverOneShape) {
  // Two triangles of a square; positions 1 and 4 coincide, with the same texture coordinates but
  // their own light. Placed three times: lit two ways, and unlit.
  Mesh mesh;
  mesh.Surfaces.emplace_back();
  MeshShape& shape = mesh.Shapes.emplace_back();
  shape.Name = "MyLevel.Square";
  shape.Positions = {{0, 0, 0}, {2, 0, 0}, {2, 4, 0}, {0, 4, 0}, {2, 0, 0}};
  shape.Faces.push_back(MeshFace{0, {{0, 0, 0}, {1, 1, 0}, {2, 1, 1}}});
  shape.Faces.push_back(MeshFace{0, {{4, 1, 0}, {2, 1, 1}, {3, 0, 1}}});
  const std::vector<LightTexel> shaded = {
      {0, 64, 128}, {5, 0, 255}, {128, 128, 128}, {64, 64, 64}, {0, 0, 5}};
  const std::vector<LightTexel> red(5, LightTexel{255, 0, 0});
  for (const auto* light : {&shaded, &red, static_cast<const std::vector<LightTexel>*>(nullptr)}) {
    MeshPlacement& placement = mesh.Placements.emplace_back();
    placement.Name = "StaticMeshActor" + std::to_string(mesh.Placements.size() - 1);
    if (light != nullptr) placement.VertexLight = *light;
  }
  GlbScene scene;
  scene.Geometry = &mesh;
  scene.UntexturedMaterial = 0;
  scene.Materials = {{"Untextured", 0, std::nullopt, ""}};
  testing::TempDir dir("glb");
  const std::string path = dir / "placed-lit.glb";
  EXPECT_EQ(WriteGlb(path, scene, StbPng).Triangles, 2);

  const tinygltf::Model model = ReadBack(path);
  ASSERT_EQ(model.nodes.size(), 3u);
  ASSERT_EQ(model.meshes.size(), 3u);
  const auto primitive_of = [&](std::size_t node) -> const tinygltf::Primitive& {
    return model.meshes[model.nodes[node].mesh].primitives.at(0);
  };
  EXPECT_EQ(primitive_of(2).attributes.count("COLOR_0"), 0u);
  // Light 2 x byte / 255 in gamma space, clamped to 1, through the sRGB curve: byte 5 -> 0.003035,
  // 64 -> 0.21586, 128 and up -> 1. Each vertex its own position's light, in any order.
  const auto colours_of = [&](std::size_t node) {
    const tinygltf::Primitive& primitive = primitive_of(node);
    EXPECT_EQ(primitive.attributes.at("POSITION"), primitive_of(2).attributes.at("POSITION"));
    EXPECT_EQ(primitive.indices, primitive_of(2).indices);
    std::vector<double> c = Values(model, primitive.attributes.at("COLOR_0"));
    std::vector<std::vector<double>> colours;
    for (std::size_t i = 0; i + 2 < c.size(); i += 3) {
      colours.push_back({std::round(c[i] * 1e5) / 1e5, std::round(c[i + 1] * 1e5) / 1e5,
                         std::round(c[i + 2] * 1e5) / 1e5});
    }
    std::sort(colours.begin(), colours.end());
    return colours;
  };
  EXPECT_EQ(colours_of(0), (std::vector<std::vector<double>>{{0, 0, 0.00304},
                                                             {0, 0.21586, 1},
                                                             {0.00304, 0, 1},
                                                             {0.21586, 0.21586, 0.21586},
                                                             {1, 1, 1}}));
  EXPECT_EQ(colours_of(1), std::vector<std::vector<double>>(5, {1, 0, 0}));

  SKIP_IF_MISSING(ValidatorMissing());
  EXPECT_EQ(ValidatorComplaints(path), "");
}

TEST(GlbWriter, UntexturedAndEmptyScenesAreValid) {
  const Mesh mesh = MeshOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                           {{"Brush0",
                             {{kNoGlbMaterial, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}},
                              {0, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}}}}},
                           1);
  GlbScene untextured;
  untextured.Geometry = &mesh;
  untextured.Materials = {{"Lost0", 0, std::nullopt, ""}};
  testing::TempDir dir("glb");
  for (const GlbScene& scene : {untextured, GlbScene{}}) {
    const std::string path = dir / (scene.Geometry == nullptr ? "empty.glb" : "untextured.glb");
    WriteGlb(path, scene, StbPng);
    EXPECT_EQ(ReadBack(path).nodes.size(), scene.Geometry == nullptr ? 0u : 1u);
    SKIP_IF_MISSING(ValidatorMissing());
    EXPECT_EQ(ValidatorComplaints(path), "");
  }
}

TEST(GlbWriter, FailuresNameTheFile) {
  const Mesh mesh = MeshOf({{0, 0, 0}, {1, 0, 0}, {0, 1e300, 0}},
                           {{"Brush7", {{kNoGlbMaterial, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}}}}}, 0);
  GlbScene scene;
  scene.Geometry = &mesh;
  // A face on a light-map page that the level lacks.
  Mesh unpaged = mesh;
  unpaged.Positions[2].Y = -1;
  unpaged.Groups[0].Faces[0].LightPage = 0;
  GlbScene lost_page;
  lost_page.Geometry = &unpaged;
  testing::TempDir dir("glb");
  for (const std::string& path :
       {dir / "huge.glb", dir / "missing/dir.glb", dir / "lost-page.glb"}) {
    try {
      WriteGlb(path,
               path.ends_with("huge.glb")        ? scene
               : path.ends_with("lost-page.glb") ? lost_page
                                                 : GlbScene{},
               StbPng);
      ADD_FAILURE() << "no error for " << path;
    } catch (const BrushError& error) {
      EXPECT_NE(std::string(error.what()).find("'" + path + "'"), std::string::npos)
          << error.what();
    }
  }
}

}  // namespace
}  // namespace brushwright
