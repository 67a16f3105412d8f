// The glTF output of whole runs, read back with tinygltf and set against the OBJ output of the
// same run, and checked by the Khronos glTF Validator on every corpus level.
#include "run/conversion_run.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "fake_host.h"
#include "level_text.h"
#include "obj_text.h"
#include "support/gltf_files.h"

namespace brushwright::testing {
namespace {

// A room with five materials (one image under two sets of flags), a pillar, a light and a player
// start.
std::string TexturedLevel() {
  BrushSpec room = MakeBrush("Brush1", "CSG_Subtract", "Room");
  room.polygons = Box({0, 0, 0}, {256, 256, 256}, "Rock");
  room.polygons[0].texture = "Grate";  // the floor: masked, seen from both sides
  room.polygons[0].flags = 2 | 256;
  room.polygons[1].texture = "Moss";  // the ceiling: no image, not smoothed
  room.polygons[1].flags = 2048;
  room.polygons[4].flags = 2048;  // a wall of the same image, not smoothed
  room.polygons[5].texture = "";  // a wall without a texture
  BrushSpec pillar = MakeBrush("Brush2", "CSG_Add", "Pillar");
  pillar.polygons = Box({96, 96, 0}, {160, 160, 256}, "Glass");
  for (PolygonSpec& polygon : pillar.polygons) polygon.flags = 4;  // translucent
  return LevelText({BrushText(room), BrushText(pillar),
                    "Begin Actor Class=Light Name=Light0\n   Location=(X=128,Y=64,Z=200)\n"
                    "End Actor\n",
                    "Begin Actor Class=PlayerStart Name=PlayerStart0\n"
                    "   Location=(X=32,Y=32,Z=40)\n   Rotation=(Yaw=16384)\nEnd Actor\n",
                    "Begin Actor Class=MultiplayerStart Name=MultiplayerStart3\n"
                    "   Location=(X=200,Y=32,Z=40)\nEnd Actor\n"});
}

// A small picture of `name` beside the output, half of it clear when `clear` is set. Its bytes
// come from another PNG encoder than the image library's, so an embedded copy shows whether the
// file went in as it is.
void WriteImage(const std::string& path, bool clear) {
  std::vector<std::uint8_t> rgba;
  for (int i = 0; i < 32; ++i) {
    const std::uint8_t alpha = clear && i % 2 == 0 ? 0 : 255;
    rgba.insert(rgba.end(), {static_cast<std::uint8_t>(i * 8), 90, 200, alpha});
  }
  std::string png;
  stbi_write_png_to_func(
      [](void* out, void* data, int size) {
        static_cast<std::string*>(out)->append(static_cast<const char*>(data), size);
      },
      &png, 8, 4, 4, rgba.data(), 8 * 4);
  WriteBytes(path, png);
}

// What a glTF mesh of each group of an OBJ file holds: the number of distinct (position,
// texture coordinate) corners, and per material the triangles its faces fan into.
struct MeshSize {
  std::size_t vertices = 0;
  std::map<std::string, std::size_t> triangles;
  bool operator==(const MeshSize&) const = default;
};
std::vector<MeshSize> MeshSizes(const ObjText& obj) {
  std::vector<MeshSize> sizes;
  for (const std::string& group : obj.groups) {
    std::set<std::tuple<double, double, double, double, double>> corners;
    MeshSize& size = sizes.emplace_back();
    for (const ObjFace& face : obj.faces) {
      if (face.group != group) continue;
      for (std::size_t i = 0; i < face.positions.size(); ++i) {
        const Vector& p = obj.positions[face.positions[i]];
        const auto& uv = obj.coordinates[face.coordinates[i]];
        corners.emplace(float(p.X), float(p.Y), float(p.Z), float(uv.first), float(1 - uv.second));
      }
      const std::string material = face.material.empty() ? "Untextured" : face.material;
      size.triangles[material] += face.positions.size() - 2;
    }
    size.vertices = corners.size();
  }
  return sizes;
}

TEST(GlbOutput, HoldsWhatTheObjOfTheSameRunHolds) {
  for (const bool world : {false, true}) {
    SCOPED_TRACE(world ? "world" : "brushes");
    TempDir dir("glb");
    FakeHost host;
    host.options.InputFile = dir / "level.t3d";
    host.options.TextureType = "PNG";
    host.options.Subtractive = !world;
    host.options.BuildWorld = world;
    WriteBytes(host.options.InputFile, TexturedLevel());
    for (const char* name : {"Rock", "Grate", "Glass"}) {
      WriteImage(dir / (std::string(name) + ".PNG"), std::string(name) == "Grate");
    }
    host.options.OutputFile = dir / "level.obj";
    Convert(host);
    host.options.OutputFile = dir / "level.glb";
    host.options.Format = OutputFormat::Glb;
    const RunSummary summary = Convert(host);
    ASSERT_EQ(summary.Outcome, RunOutcome::Done);
    EXPECT_FALSE(std::filesystem::exists(dir / "level.glb.mtl"));
    EXPECT_NE(ReadBytes(dir / "levelMissingTextures.txt").find("Moss.PNG"), std::string::npos);

    const ObjText obj = ParseObj(ReadBytes(dir / "level.obj"));
    const tinygltf::Model model = ReadBack(dir / "level.glb");
    // A node per group, then the light and the player start.
    std::vector<std::string> nodes;
    for (const tinygltf::Node& node : model.nodes) nodes.push_back(node.name);
    std::vector<std::string> expected = obj.groups;
    expected.insert(expected.end(),
                    {"Light0", "PlayerStart PlayerStart0", "MultiplayerStart MultiplayerStart3"});
    EXPECT_EQ(nodes, expected);
    // A camera on the player start looks where the player does: Unreal +Y (Yaw 16384), glTF +Z.
    const std::vector<double>& q = model.nodes[obj.groups.size() + 1].rotation;
    ASSERT_EQ(q.size(), 4u);
    EXPECT_NEAR(2 * (q[0] * q[2] + q[3] * q[1]), 0, 1e-12);  // turned -Z: (x, y, z) components
    EXPECT_NEAR(2 * (q[1] * q[2] - q[3] * q[0]), 0, 1e-12);
    EXPECT_NEAR(1 - 2 * (q[0] * q[0] + q[1] * q[1]), -1, 1e-12);
    // Vertices and triangles of each group's mesh.
    const auto sizes = MeshSizes(obj);
    for (std::size_t g = 0; g < obj.groups.size() && g < model.nodes.size(); ++g) {
      ASSERT_GE(model.nodes[g].mesh, 0) << obj.groups[g];
      const tinygltf::Mesh& mesh = model.meshes[model.nodes[g].mesh];
      MeshSize size;
      size.vertices = model.accessors[mesh.primitives[0].attributes.at("POSITION")].count;
      for (const tinygltf::Primitive& primitive : mesh.primitives) {
        size.triangles[model.materials[primitive.material].name] +=
            model.accessors[primitive.indices].count / 3;
      }
      EXPECT_TRUE(size == sizes[g]) << obj.groups[g];
    }
    // The MTL's materials, in its order, with the modes their flags ask for.
    std::vector<std::string> materials;
    for (const tinygltf::Material& material : model.materials) {
      const bool textured = material.pbrMetallicRoughness.baseColorTexture.index >= 0;
      const bool unsmoothed =
          textured &&
          model.samplers[model.textures[material.pbrMetallicRoughness.baseColorTexture.index]
                             .sampler]
                  .magFilter == TINYGLTF_TEXTURE_FILTER_NEAREST;
      materials.push_back(material.name + " " + material.alphaMode +
                          (material.doubleSided ? " two-sided" : "") +
                          (textured ? " textured" : "") + (unsmoothed ? " nearest" : ""));
    }
    EXPECT_EQ(materials,
              (std::vector<std::string>{"Grate258 MASK two-sided textured", "Moss2048 OPAQUE",
                                        "Rock0 OPAQUE textured", "Rock2048 OPAQUE textured nearest",
                                        "Glass4 BLEND textured", "Untextured OPAQUE"}));
    // A PNG file goes in as it is.
    const std::string rock = ReadBytes(dir / "Rock.PNG");
    bool found = false;
    for (const tinygltf::BufferView& view : model.bufferViews) {
      found = found || std::string(model.buffers[0].data.begin() + view.byteOffset,
                                   model.buffers[0].data.begin() + view.byteOffset +
                                       view.byteLength) == rock;
    }
    EXPECT_TRUE(found);
    SKIP_IF_MISSING(ValidatorMissing());
    EXPECT_EQ(ValidatorComplaints(dir / "level.glb"), "");
  }
}

TEST(GlbOutput, WithoutLightsTheMarkersStay) {
  TempDir dir("glb");
  FakeHost host;
  host.options.InputFile = dir / "level.t3d";
  host.options.OutputFile = dir / "level.glb";
  host.options.Format = OutputFormat::Glb;
  host.options.Lights = false;
  WriteBytes(host.options.InputFile, TexturedLevel());
  Convert(host);
  const tinygltf::Model model = ReadBack(dir / "level.glb");
  EXPECT_TRUE(model.lights.empty());
  EXPECT_EQ(model.nodes.back().name, "MultiplayerStart MultiplayerStart3");
}

TEST(GlbOutput, CorpusLevelsPassTheValidatorWithAndWithoutImages) {
  CORPUS_LEVELS_OR_SKIP(levels);
  SKIP_IF_MISSING(ValidatorMissing());
  for (const std::filesystem::path& level : levels) {
    for (const bool world : {false, true}) {
      SCOPED_TRACE(level.filename().string() + (world ? " world" : " brushes"));
      TempDir dir("corpus-glb");
      FakeHost host;
      host.options.InputFile = level.string();
      host.options.OutputFile = dir / "level.glb";
      host.options.Format = OutputFormat::Glb;
      host.options.BuildWorld = world;
      Convert(host);
      EXPECT_EQ(ValidatorComplaints(host.options.OutputFile), "");
      // The second time every texture has an image: a BMP, decoded and embedded as PNG.
      const std::string missing = ReadBytes(dir / "levelMissingTextures.txt");
      std::istringstream lines(missing);
      std::string line;
      std::getline(lines, line);  // the heading
      while (std::getline(lines, line)) {
        if (line.size() > 1) WriteImage(dir / line.substr(0, line.size() - 1), false);
      }
      Convert(host);
      EXPECT_EQ(ValidatorComplaints(host.options.OutputFile), "");
    }
  }
}

// Keeps the result a run hands out.
struct KeptResult : ResultSink {
  std::optional<RunResult> result;
  void TakeResult(RunResult taken) override { result = std::move(taken); }
};

// The result a run hands out is what it wrote, whichever file it wrote: the materials in the
// order of the surfaces' numbers with their pictures, and the player starts of the glTF markers.
TEST(GlbOutput, ResultHandedOutIsWhatWasWritten) {
  for (const OutputFormat format : {OutputFormat::Obj, OutputFormat::Glb}) {
    SCOPED_TRACE(format == OutputFormat::Obj ? "OBJ" : "glTF");
    TempDir dir("result");
    FakeHost host;
    host.options.InputFile = dir / "level.t3d";
    host.options.TextureType = "PNG";
    host.options.BuildWorld = true;
    host.options.Format = format;
    host.options.OutputFile = dir / (format == OutputFormat::Obj ? "level.obj" : "level.glb");
    WriteBytes(host.options.InputFile, TexturedLevel());
    for (const char* name : {"Rock", "Grate", "Glass"}) {
      WriteImage(dir / (std::string(name) + ".PNG"), std::string(name) == "Grate");
    }
    KeptResult kept;
    ASSERT_EQ(RunConversion(host.options, host, &kept).Outcome, RunOutcome::Done);
    ASSERT_TRUE(kept.result.has_value());
    const RunResult& result = *kept.result;

    std::vector<std::string> materials;
    for (const ResultMaterial& material : result.Materials) {
      materials.push_back(material.Name + (material.Picture ? " picture " : " none ") +
                          std::to_string(material.Picture ? material.Picture->Rgba.size() : 0));
    }
    std::vector<std::string> expected;
    if (format == OutputFormat::Obj) {
      std::istringstream mtl(ReadBytes(dir / "level.mtl"));
      for (std::string line; std::getline(mtl, line);) {
        if (line.rfind("newmtl ", 0) == 0) expected.push_back(line.substr(7, line.find('\r') - 7));
      }
    } else {
      for (const tinygltf::Material& material : ReadBack(dir / "level.glb").materials) {
        if (material.name != "Untextured") expected.push_back(material.name);
      }
    }
    ASSERT_EQ(materials.size(), expected.size());
    for (std::size_t i = 0; i < materials.size(); ++i) {
      const bool has_image = expected[i].rfind("Moss", 0) != 0;
      EXPECT_EQ(materials[i], expected[i] + (has_image ? " picture 128" : " none 0"));
    }
    // Every face's surface names one of the materials, or none.
    for (const MeshGroup& group : result.Geometry.Groups) {
      for (const MeshFace& face : group.Faces) {
        const std::int32_t material = result.Geometry.Surfaces[face.Surface].Material;
        EXPECT_TRUE(material >= kNoMaterial &&
                    material < static_cast<std::int32_t>(result.Materials.size()));
      }
    }
    ASSERT_EQ(result.PlayerStarts.size(), 2u);
    EXPECT_EQ(result.PlayerStarts[0].Location.X, 32);
    EXPECT_EQ(result.PlayerStarts[0].Rotation.Yaw, 16384);
    EXPECT_EQ(result.PlayerStarts[1].Location.X, 200);
    EXPECT_EQ(result.Scale, host.options.Scale);
  }
}

}  // namespace
}  // namespace brushwright::testing
