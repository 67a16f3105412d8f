// Tests of the texture index: folders of packages, lookups as levels write them, materials.
#include "texture/texture_index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "package/package_writer.h"
#include "support/test_files.h"
#include "support/test_inputs.h"

namespace {

using namespace brushwright;
using brushwright::testing::ByteWriter;
using brushwright::testing::PackageWriter;
using brushwright::testing::TempDir;
using brushwright::testing::WriteBytes;

const std::string kPackages = BRUSHWRIGHT_PACKAGES_DIR;

std::string AsText(const std::vector<std::uint8_t>& bytes) {
  return {bytes.begin(), bytes.end()};
}

// A package holding a 1 x 1 BGRA texture `name` in each of `groups` ("" for none), the groups'
// texture colours 10, 20, 30, ... in blue.
std::string Textures(const std::vector<std::string>& groups, const std::string& name) {
  PackageWriter writer(128);
  const std::int32_t texture = writer.Import("Class", 0, "Texture");
  const std::int32_t package = writer.Import("Class", 0, "Package");
  int blue = 0;
  for (const std::string& group : groups) {
    const std::int32_t outer = group.empty() ? 0 : writer.Export(package, 0, group, {});
    ByteWriter data;
    data.Property(writer.Name("Format"), 1, {5}).Compact(0);
    data.Compact(1).I32(0).Compact(4).U8(blue += 10).U8(0).U8(0).U8(255).I32(1).I32(1).U8(0).U8(0);
    writer.Export(texture, outer, name, data.Data);
  }
  return AsText(writer.Bytes());
}

TEST(TextureIndex, FindsTexturesAsLevelsNameThem) {
  const TempDir root("texture-index");
  WriteBytes(root.path() / "b" / "Walls.utx", Textures({"Old", "New"}, "Brick"));
  WriteBytes(root.path() / "A" / "stone.DAT", Textures({""}, "Brick"));
  WriteBytes(root.path() / "A" / "Broken.utx", "\xC1\x83\x2A\x9E broken");
  WriteBytes(root.path() / "A" / "Readme.utx", "not a package");
  std::vector<std::string> notices;
  const PackageNotice notice = [&](const std::string& line) { notices.push_back(line); };
  TextureIndex index;
  index.AddFolder(root.path().string(), notice);
  ASSERT_EQ(index.PackageCount(), 2u);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0], "'" + (root.path() / "A" / "Broken.utx").string() +
                            "', header: 4 bytes wanted, 3 left at byte 8");
  notices.clear();

  const auto found = [&](std::string_view reference) -> std::string {
    const std::optional<TextureLocation> location = index.Find(reference, notice);
    if (!location) return "none";
    const DecodedTexture texture = index.Decode(*location, false);
    return index.PackageAt(location->Package).ObjectPath(ExportRef(location->Export)) + " " +
           std::to_string(texture.Picture.Rgba.at(2));
  };
  const struct {
    const char* reference;
    const char* expected;
    std::size_t notices;
  } rows[] = {
      {"Brick", "stone.Brick 10", 1},  // "A/stone.DAT" before "b/Walls.utx"
      {"Walls.Brick", "Walls.Old.Brick 10", 1},
      {"Texture'walls.NEW.brick'", "Walls.New.Brick 20", 0},
      {"Stone.Brick", "stone.Brick 10", 0},
      {"Gone.New.Brick", "Walls.New.Brick 20", 0},  // no package Gone: its groups still count
      {"New.Brick", "Walls.New.Brick 20", 0},       // a group named like a package
      {"Walls.Slate", "none", 0},
  };
  for (const auto& row : rows) {
    notices.clear();
    EXPECT_EQ(found(row.reference), row.expected) << row.reference;
    EXPECT_EQ(notices.size(), row.notices) << row.reference;
  }
  found("Brick");
  EXPECT_EQ(notices.back(), "'Brick' is in 3 places; using stone.Brick of '" +
                                (root.path() / "A" / "stone.DAT").string() +
                                "', not Walls.Old.Brick of '" +
                                (root.path() / "b" / "Walls.utx").string() + "' and others");
  // A single file comes before every folder's package.
  WriteBytes(root.path() / "z.ut2", Textures({""}, "Brick"));
  TextureIndex with_map;
  with_map.AddPackageFile((root.path() / "z.ut2").string());
  with_map.AddFolder(root.path().string(), nullptr);
  EXPECT_EQ(with_map.PackageCount(), 3u);
  EXPECT_EQ(with_map.Find("Brick", nullptr)->Package, 0u);
}

TEST(TextureIndex, FollowsMaterialsToTheirTexture) {
  // Shader -> FinalBlend -> texture, and two shaders showing each other.
  PackageWriter writer(128);
  const std::int32_t texture_class = writer.Import("Class", 0, "Texture");
  const std::int32_t shader_class = writer.Import("Class", 0, "Shader");
  const std::int32_t blend_class = writer.Import("Class", 0, "FinalBlend");
  ByteWriter pixels;
  pixels.Property(writer.Name("Format"), 1, {9}).Compact(0);
  pixels.Compact(1).I32(0).Compact(1).U8(77).I32(1).I32(1).U8(0).U8(0);
  const std::int32_t texture = writer.Export(texture_class, 0, "Grey", pixels.Data);
  const auto shows = [&](std::string_view property, std::int32_t ref) {
    ByteWriter data;
    data.Compact(writer.Name(property)).U8(0x05).Compact(ref).Compact(0);
    return data.Data;
  };
  const std::int32_t blend = writer.Export(blend_class, 0, "Blend", shows("Material", texture));
  writer.Export(shader_class, 0, "Shiny", shows("Diffuse", blend));
  writer.Export(shader_class, 0, "Mirror", shows("Diffuse", 5));
  writer.Export(shader_class, 0, "Glass", shows("Diffuse", 4));
  const TempDir root("material-index");
  WriteBytes(root.path() / "Mat.utx", AsText(writer.Bytes()));
  TextureIndex index;
  index.AddPackageFile((root.path() / "Mat.utx").string());

  DecodedTexture shiny = index.Decode(*index.Find("Mat.Shiny", nullptr), false);
  EXPECT_EQ(shiny.Status, TextureStatus::Decoded);
  EXPECT_TRUE(shiny.ThroughMaterial);
  EXPECT_EQ(shiny.Picture.Rgba, (std::vector<std::uint8_t>{77, 77, 77, 255}));
  EXPECT_FALSE(index.Decode(*index.Find("Grey", nullptr), false).ThroughMaterial);
  const DecodedTexture glass = index.Decode(*index.Find("Glass", nullptr), false);
  EXPECT_EQ(glass.Status, TextureStatus::NotDecodable);
  EXPECT_EQ(glass.Problem, "Mat.Mirror (Shader) in '" + (root.path() / "Mat.utx").string() +
                               "': its materials form a loop");

  SKIP_WITHOUT_PACKAGES();
  // The map's TexPanner shows its Shader, whose Diffuse is in a package of the game.
  TextureIndex map;
  map.AddPackageFile(kPackages + "/UWRM-Torpedo.ut2");
  const DecodedTexture panner = map.Decode(*map.Find("screenshots.UnWheelPanner", nullptr), false);
  EXPECT_EQ(panner.Problem, "UWRM-Torpedo.UnWheelAdsShader (Shader) in '" + kPackages +
                                "/UWRM-Torpedo.ut2': shows UnWheelAds.Ads.UnWheel2, which no "
                                "indexed package holds");
  const DecodedTexture shot = map.Decode(*map.Find("MyLevel.Screenshot", nullptr), false);
  EXPECT_EQ(shot.Status, TextureStatus::Decoded);
  EXPECT_EQ(shot.Picture.Width, 512);
}

}  // namespace
