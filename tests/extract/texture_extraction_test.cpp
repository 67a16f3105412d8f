// Tests of texture extraction: files by package and group, masks kept, unsafe names refused.
#include "extract/texture_extraction.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image/image_file.h"
#include "package/package_writer.h"
#include "support/test_files.h"
#include "support/test_inputs.h"

namespace {

using namespace brushwright;
using brushwright::testing::ByteWriter;
using brushwright::testing::PackageWriter;
using brushwright::testing::TempDir;

const std::string kPackages = BRUSHWRIGHT_PACKAGES_DIR;

TEST(ExtractTextures, WritesEachTextureByPackageAndGroup) {
  // A masked 2 x 1 P8 texture in group Walls, and two textures whose names could leave the
  // output folder.
  PackageWriter writer(69);
  const std::int32_t texture = writer.Import("Class", 0, "Texture");
  const std::int32_t palette_class = writer.Import("Class", 0, "Palette");
  ByteWriter colours;
  colours.Compact(0).Compact(256);
  for (int i = 0; i < 256; ++i) colours.U8(i).U8(100).U8(255 - i).U8(0);
  const std::int32_t palette = writer.Export(palette_class, 0, "Pal", colours.Data);
  const std::int32_t walls = writer.Export(writer.Import("Class", 0, "Package"), 0, "Walls", {});
  ByteWriter pixels;
  pixels.Property(writer.Name("Palette"), 5, {static_cast<std::uint8_t>(palette)});
  pixels.BoolProperty(writer.Name("bMasked"), true).Compact(0);
  pixels.Compact(1).I32(0).Compact(2).U8(0).U8(7).I32(2).I32(1).U8(1).U8(0);
  writer.Export(texture, walls, "Grate", pixels.Data);
  writer.Export(texture, 0, "..", pixels.Data);
  writer.Export(texture, walls, "a/b", pixels.Data);
  const TempDir root("extract");
  const std::vector<std::uint8_t> bytes = writer.Bytes();
  brushwright::testing::WriteBytes(root.path() / "Pack.utx",
                                   std::string(bytes.begin(), bytes.end()));

  const ExtractionSummary summary =
      ExtractTextures(root / "Pack.utx", root / "out", ImageFormat::Png);
  EXPECT_EQ(summary.Written, 1);
  EXPECT_EQ(summary.NotWritten,
            (std::vector<std::string>{
                "Pack... in '" + root / "Pack.utx" + "': its name cannot be a file name",
                "Pack.Walls.a/b in '" + root / "Pack.utx" + "': its name cannot be a file name"}));
  const Image image = DecodeImageFile(root / "out/Pack/Walls/Grate.png");
  EXPECT_EQ(image.Rgba, (std::vector<std::uint8_t>{0, 100, 255, 0, 7, 100, 248, 255}));
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root.path())) {
    files += entry.is_regular_file();
  }
  EXPECT_EQ(files, 2u);  // the package and the one image

  SKIP_WITHOUT_PACKAGES();
  const ExtractionSummary building =
      ExtractTextures(kPackages + "/BuildingGraphics.utx", root / "game", ImageFormat::Bmp);
  EXPECT_EQ(building.Written, 6);
  ASSERT_EQ(building.NotWritten.size(), 7u);
  EXPECT_EQ(building.NotWritten[0], "BuildingGraphics.SBG_ModuEff_01 (FireTexture) in '" +
                                        kPackages +
                                        "/BuildingGraphics.utx': its pixels are made while the "
                                        "game runs");
  EXPECT_EQ(DecodeImageFile(root / "game/BuildingGraphics/ModuPad_T1.bmp").Width, 256);
}

}  // namespace
