// Baked light: the texels of a hand-made quad's page, read back through its new texture
// coordinates, and the materials and glTF file that carry them.
#include "run/light_bake.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "fake_host.h"
#include "gltf/glb_writer.h"
#include "image/image_file.h"
#include "level_text.h"
#include "run/glb_output.h"
#include "support/gltf_files.h"
#include "support/test_files.h"
#include "support/test_images.h"

namespace brushwright::testing {
namespace {

// A 32 x 16 quad on z = `z`, its texture once across it (U = x / 32, V = y / 16).
MeshFace Quad(Mesh& mesh, std::int32_t surface, double z, std::int32_t light_page) {
  MeshFace face;
  face.Surface = surface;
  face.LightPage = light_page;
  for (const auto& [x, y] :
       std::vector<std::array<double, 2>>{{0, 0}, {32, 0}, {32, 16}, {0, 16}}) {
    MeshCorner& corner = face.Corners.emplace_back();
    corner.Position = static_cast<std::int32_t>(mesh.Positions.size());
    mesh.Positions.push_back({x, y, z});
    corner.U = x / 32;
    corner.V = y / 16;
    corner.LightS = static_cast<float>(0.25 + x / 64);  // across the page's middle texels
    corner.LightT = 0.5f;
  }
  return face;
}

// The page's texel under point (x, y) of the quad, through its corners' new coordinates.
std::array<int, 4> BakedAt(const MeshFace& face, const Image& page, double x, double y) {
  const MeshCorner& origin = face.Corners[0];
  const double u =
      origin.U + (face.Corners[1].U - origin.U) * x / 32 + (face.Corners[3].U - origin.U) * y / 16;
  const double v =
      origin.V + (face.Corners[1].V - origin.V) * x / 32 + (face.Corners[3].V - origin.V) * y / 16;
  const auto column = static_cast<std::size_t>(u * page.Width);
  const auto row = static_cast<std::size_t>((1 - v) * page.Height);
  const std::uint8_t* texel = &page.Rgba[(row * static_cast<std::size_t>(page.Width) + column) * 4];
  return {texel[0], texel[1], texel[2], texel[3]};
}

// Three quads: textured and lit, untextured and lit, textured without light.
Mesh QuadsMesh() {
  Mesh mesh;
  mesh.SharedPositions = true;
  // Light 64 on the quad's left texel, 255 on its right; the texels beside them are other
  // faces'.
  mesh.LightPages.push_back(LightPage{4, 1, {{0, 0, 0}, {64, 64, 64}, {255, 255, 255}, {0, 0, 0}}});
  MeshSurface wall;
  wall.Texture = "Wall";
  wall.Material = 0;
  wall.Axes.Normal = {0, 0, 1};
  wall.Axes.TextureU = {1, 0, 0};
  wall.Axes.TextureV = {0, 1, 0};
  MeshSurface plain = wall;  // no texture
  plain.Texture = "";
  plain.Material = kNoMaterial;
  mesh.Surfaces = {wall, plain};
  MeshGroup& group = mesh.Groups.emplace_back();
  group.Faces.push_back(Quad(mesh, 0, 0, 0));
  group.Faces.push_back(Quad(mesh, 1, 64, 0));
  group.Faces.push_back(Quad(mesh, 0, 128, kNoLightPage));  // keeps its texture, unlit
  return mesh;
}

// The quads' texture: top row A B, bottom row C D.
RunMaterials WallMaterials() {
  RunMaterials materials;
  RegisterTexture(materials.Table, "Wall", 2, 2, 0);
  Image& picture = materials.Pictures["Wall"].Picture;
  picture.Width = 2;
  picture.Height = 2;
  picture.Rgba = {100, 200, 40, 255, 10, 20, 30, 255, 120, 130, 140, 255, 250, 5, 60, 255};
  return materials;
}

TEST(LightBake, TexelsAreTextureTimesLightTimesTwoOnUnlitPages) {
  Mesh mesh = QuadsMesh();
  RunMaterials materials = WallMaterials();

  LightBakeSettings settings;
  settings.PageName = "level_light";
  std::map<std::string, Image> pages;
  BakedLight baked = BakeLight(
      mesh, std::move(materials), settings,
      [&pages](const std::string& name, Image page) { pages.emplace(name, std::move(page)); });
  ASSERT_EQ(baked.Pages, 1);
  const Image& page = pages.at("level_light1");
  baked.Materials.Pictures["level_light1"].Picture = page;
  EXPECT_EQ(page.Width, 64);  // 9 x 5 texels and their border fit the smallest page
  EXPECT_EQ(baked.Texels, 2 * 9 * 5);

  // Texels at the quad's four corners: left under light 64, right under 255 (clamped), the
  // bottom half of the quad from the picture's bottom row.
  const MeshFace& textured = mesh.Groups[0].Faces[0];
  EXPECT_EQ(BakedAt(textured, page, 2, 2), (std::array<int, 4>{60, 65, 70, 255}));     // C
  EXPECT_EQ(BakedAt(textured, page, 30, 2), (std::array<int, 4>{255, 10, 120, 255}));  // D
  EXPECT_EQ(BakedAt(textured, page, 2, 14), (std::array<int, 4>{50, 100, 20, 255}));   // A
  EXPECT_EQ(BakedAt(textured, page, 30, 14), (std::array<int, 4>{20, 40, 60, 255}));   // B
  // Between the light's texels the light is filtered: brighter than the left, darker than the
  // right.
  const int middle = BakedAt(textured, page, 18, 2)[1];
  EXPECT_GT(middle, 5 * 64 * 2 / 255);
  EXPECT_LT(middle, 10);
  // Without a texture: a plain grey (128) under the light, which shows the light itself.
  const MeshFace& untextured = mesh.Groups[0].Faces[1];
  EXPECT_EQ(BakedAt(untextured, page, 2, 8), (std::array<int, 4>{64, 64, 64, 255}));
  EXPECT_EQ(BakedAt(untextured, page, 30, 8), (std::array<int, 4>{255, 255, 255, 255}));

  // The materials: the texture still shown by the unbaked face, then the page, both unlit; no
  // face points at a light page any more.
  std::vector<std::string> names;
  for (const TextureEntry& entry : baked.Materials.Table) {
    names.push_back(MaterialName(entry.Name, entry.Flags));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Wall4194304", "level_light14194304"}));
  const auto material_of = [&mesh](const MeshFace& face) {
    return mesh.Surfaces[static_cast<std::size_t>(face.Surface)].Material;
  };
  EXPECT_EQ(material_of(textured), 1);
  EXPECT_EQ(material_of(untextured), 1);
  EXPECT_EQ(material_of(mesh.Groups[0].Faces[2]), 0);
  EXPECT_EQ(mesh.Groups[0].Faces[2].Corners[1].U, 1);  // its texture coordinates as they were
  EXPECT_EQ(textured.LightPage, kNoLightPage);

  // In a glTF file: unlit materials with the extension's fall-back settings, validator-clean.
  TempDir dir("light-bake");
  const std::string path = dir / "level.glb";
  WriteGlb(path, GlbSceneOf(mesh, baked.Materials, kMetresPerUnrealUnit), EncodePng);
  const tinygltf::Model model = ReadBack(path);
  ASSERT_EQ(model.materials.size(), 2u);
  for (const tinygltf::Material& material : model.materials) {
    EXPECT_TRUE(material.extensions.contains("KHR_materials_unlit")) << material.name;
    EXPECT_EQ(material.pbrMetallicRoughness.metallicFactor, 0) << material.name;
    EXPECT_EQ(material.pbrMetallicRoughness.roughnessFactor, 1) << material.name;
  }
  SKIP_IF_MISSING(ValidatorMissing());
  EXPECT_EQ(ValidatorComplaints(path), "");
}

TEST(LightBake, FramesPastTheBudgetGetCoarserTexels) {
  Mesh mesh = QuadsMesh();
  LightBakeSettings settings;
  settings.TexelBudget = 40;  // the two 9 x 5 frames take 2 x 11 x 7 with their borders
  std::int32_t width = 0;
  const BakedLight baked =
      BakeLight(mesh, WallMaterials(), settings,
                [&width](const std::string&, Image page) { width = page.Width; });
  EXPECT_GT(baked.TexelUnits, 4);
  EXPECT_EQ(baked.Pages, 1);
  EXPECT_EQ(width, 64);
  EXPECT_LE(baked.Texels, 40);
  EXPECT_GT(baked.Texels, 0);
}

// A whole run: the pages beside the output, named by the MTL file and embedded in the glTF file
// in place of the textures they were drawn from.
TEST(LightBake, RunsWritePagesInPlaceOfTheTextures) {
  TempDir dir("light-bake-run");
  FakeHost host;
  host.options.InputFile = dir / "level.t3d";
  host.options.OutputFile = dir / "level.obj";
  host.options.BuildWorld = true;
  host.options.Light = LightMode::Bake;
  host.options.TextureType = "PNG";
  BrushSpec room = MakeBrush("Brush1", "CSG_Subtract", "Room");
  room.polygons = Box({0, 0, 0}, {256, 256, 256}, "Rock");
  WriteBytes(host.options.InputFile, LevelText({BrushText(room),
                                                "Begin Actor Class=Light Name=Light0\n"
                                                "   Location=(X=128,Y=128,Z=128)\nEnd Actor\n"}));
  WriteImage(dir / "Rock.PNG", 8, 8, ImageFormat::Png);
  Convert(host);
  const std::string mtl = ReadBytes(dir / "level.mtl");
  EXPECT_NE(mtl.find("newmtl level_light14194304\r\n"), std::string::npos) << mtl;
  EXPECT_NE(mtl.find("map_Kd level_light1.PNG\r\n"), std::string::npos) << mtl;
  EXPECT_EQ(mtl.find("Rock"), std::string::npos) << mtl;
  EXPECT_EQ(DecodeImageFile(dir / "level_light1.PNG").Width, 256);
  EXPECT_FALSE(std::filesystem::exists(dir / "levelMissingTextures.txt"));

  host.options.OutputFile = dir / "level.glb";
  host.options.Format = OutputFormat::Glb;
  Convert(host);
  const tinygltf::Model model = ReadBack(dir / "level.glb");
  ASSERT_EQ(model.materials.size(), 1u);
  EXPECT_EQ(model.materials[0].name, "level_light14194304");
  EXPECT_TRUE(model.materials[0].extensions.contains("KHR_materials_unlit"));
  EXPECT_EQ(model.images.size(), 1u);
  SKIP_IF_MISSING(ValidatorMissing());
  EXPECT_EQ(ValidatorComplaints(dir / "level.glb"), "");
}

}  // namespace
}  // namespace brushwright::testing
