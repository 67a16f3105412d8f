// Textures found inside Unreal packages in whole runs: a level textured from a game's package
// converts as it does from the same images as loose files, and a texture made at run time is
// named and counted missing, and a Masked face's picture keeps its mask.
#include "run/package_textures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fake_host.h"
#include "image/image_file.h"
#include "level_text.h"
#include "map/tiny_map.h"
#include "obj_text.h"
#include "package/package_writer.h"
#include "support/test_images.h"
#include "support/test_inputs.h"

namespace brushwright::testing {
namespace {

namespace fs = std::filesystem;

// A run of `level` into `dir`/out/level.obj searching `search` for PNG textures.
RunSummary ConvertSearching(FakeHost& host, const std::string& level, const fs::path& dir,
                            const fs::path& search) {
  host.options.InputFile = level;
  host.options.OutputFile = (dir / "out" / "level.obj").string();
  host.options.SearchCopy = true;
  host.options.SearchPath = search.string();
  host.options.TextureType = "PNG";
  fs::create_directories(dir / "out");
  return Convert(host);
}

TEST(PackageTextures, GiveTheLevelWhatLooseImagesOfTheSameSizeGive) {
  SKIP_WITHOUT_PACKAGES();
  const fs::path level = fs::path(BRUSHWRIGHT_CORPUS_DIR) / "test_map.t3d";
  SKIP_IF_MISSING(fs::exists(level) ? "" : "no corpus level " + level.string());
  TempDir dir("packages");
  fs::create_directories(dir.path() / "game" / "Textures");
  fs::copy_file(fs::path(BRUSHWRIGHT_PACKAGES_DIR) / "Checkers.utx",
                dir.path() / "game" / "Textures" / "Checkers.utx");
  FakeHost from_package;
  const RunSummary summary =
      ConvertSearching(from_package, level.string(), dir.path() / "a", dir.path() / "game");
  EXPECT_EQ(summary.TexturesFromPackages, 5);
  const std::string missing = ReadBytes(dir.path() / "a" / "out" / "levelMissingTextures.txt");
  EXPECT_EQ(missing.find("checkers"), std::string::npos) << missing;

  // The same images as loose files.
  fs::create_directories(dir.path() / "loose");
  for (const auto& entry : fs::directory_iterator(dir.path() / "a" / "out")) {
    if (entry.path().extension() == ".PNG") {
      fs::copy_file(entry.path(), dir.path() / "loose" / entry.path().filename());
    }
  }
  FakeHost from_files;
  ConvertSearching(from_files, level.string(), dir.path() / "b", dir.path() / "loose");
  for (const char* file : {"level.obj", "level.mtl", "levelMissingTextures.txt"}) {
    EXPECT_EQ(ReadBytes(dir.path() / "a" / "out" / file),
              ReadBytes(dir.path() / "b" / "out" / file))
        << file;
  }
}

// A package holding one 8 x 8 P8 texture named Rock of one colour.
std::string RockPackage() {
  PackageWriter writer(69);
  const std::int32_t palette = ExportPalette(writer, "Pal", {{90, 90, 90, 255}});
  ExportTexture(writer, "Rock", 0, {{8, 8, std::vector<std::uint8_t>(64, 0)}}, palette);
  const std::vector<std::uint8_t> bytes = writer.Bytes();
  return std::string(bytes.begin(), bytes.end());
}

TEST(TextureSources, ImageBesideTheOutputThenInTheSearchFolderThenInAPackage) {
  TempDir dir("sources");
  WriteBytes(dir / "level.t3d", LevelText({BrushText(MakeBrush("Brush1"))}));  // Rock, 64 x 32
  fs::create_directories(dir.path() / "game");
  WriteBytes(dir / "game/Rocks.utx", RockPackage());
  const std::string beside = EncodeImage(GreyImage(32, 16), ImageFormat::Png);
  const std::string searched = EncodeImage(GreyImage(128, 64, 100), ImageFormat::Png);
  const struct {
    const char* what;
    std::string beside, searched;  // "" writes no image there
    int width, height;
  } rows[] = {{"all three", beside, searched, 32, 16},
              {"search folder and package", "", searched, 128, 64},
              {"package alone", "", "", 8, 8}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    fs::remove_all(dir.path() / "out");
    fs::remove(dir.path() / "game/Rock.PNG");
    fs::create_directories(dir.path() / "out");
    if (!row.beside.empty()) WriteBytes(dir / "out/Rock.PNG", row.beside);
    if (!row.searched.empty()) WriteBytes(dir / "game/Rock.PNG", row.searched);
    FakeHost host;
    const RunSummary summary =
        ConvertSearching(host, dir / "level.t3d", dir.path(), dir.path() / "game");
    EXPECT_EQ(summary.TexturesFromPackages, row.beside.empty() && row.searched.empty() ? 1 : 0);
    const std::string image = ReadBytes(dir / "out/Rock.PNG");
    if (!row.beside.empty() || !row.searched.empty()) {
      EXPECT_EQ(image, row.beside.empty() ? row.searched : row.beside);
    }
    const Image picture = DecodeImageFile(dir / "out/Rock.PNG");
    EXPECT_EQ(picture.Width, row.width);
    EXPECT_EQ(picture.Height, row.height);
    // The corners (0, 0), (64, 32) and (64, 0) of the face, in texels of that size.
    const double u = 64.0 / row.width, v = 1 - 32.0 / row.height;
    EXPECT_EQ(ParseObj(ReadBytes(dir / "out/level.obj")).coordinates,
              (std::vector<std::pair<double, double>>{{0, 1}, {u, v}, {u, 1}}));
  }
}

TEST(TextureSources, MapInTheSearchFolderGivesItsOwnTextureMaskedForAMaskedFace) {
  TempDir dir("own");
  fs::create_directories(dir.path() / "game/Maps");
  WriteBytes(dir / "game/AAA.utx", RockPackage());  // sorts before the map
  // The map's Rock, not masked itself, on a polygon with the Masked flag: index 0 transparent.
  TinyMap map;
  map.own_rock = {0, 1, 1, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1, 1, 1, 0};
  const std::vector<std::uint8_t> bytes = map.Bytes();
  WriteBytes(dir / "game/Maps/Tiny.unr", std::string(bytes.begin(), bytes.end()));
  FakeHost host;
  ConvertSearching(host, dir / "game/Maps/Tiny.unr", dir.path(), dir.path() / "game");
  const Image picture = DecodeImageFile(dir / "out/Rock.PNG");
  std::vector<std::uint8_t> expected;
  for (const std::uint8_t index : map.own_rock) {
    const auto& colour = kTinyMapColours[index];
    expected.insert(expected.end(), {colour[0], colour[1], colour[2]});
    expected.push_back(index == 0 ? 0 : 255);
  }
  EXPECT_EQ(picture.Width, 4);
  EXPECT_EQ(picture.Rgba, expected);
}

TEST(PackageTextures, TextureMadeAtRunTimeIsNamedAndMissing) {
  SKIP_WITHOUT_PACKAGES();
  TempDir dir("runtime");
  fs::create_directories(dir.path() / "game");
  fs::copy_file(fs::path(BRUSHWRIGHT_PACKAGES_DIR) / "BuildingGraphics.utx",
                dir.path() / "game" / "BuildingGraphics.utx");
  BrushSpec brush;
  brush.polygons = {PolygonSpec{"BuildingGraphics.SBG_ModuEff_01"},
                    PolygonSpec{"BuildingGraphics.ModuPad_T0", 2}};  // Masked
  WriteBytes(dir / "level.t3d", LevelText({BrushText(brush)}));
  FakeHost host;
  const RunSummary summary =
      ConvertSearching(host, dir / "level.t3d", dir.path(), dir.path() / "game");
  EXPECT_EQ(summary.TexturesFromPackages, 1);
  EXPECT_EQ(summary.MissingTextures, 1);
  // A Masked face's palette texture keeps its first colour as transparent pixels.
  EXPECT_TRUE(DecodeImageFile(dir / "out/BuildingGraphics.ModuPad_T0.PNG").HasTransparency);
  bool named = false;
  for (const std::string& message : host.Entries("message:")) {
    named = named || message.find("SBG_ModuEff_01 (FireTexture)") != std::string::npos;
  }
  EXPECT_TRUE(named);
}

}  // namespace
}  // namespace brushwright::testing
