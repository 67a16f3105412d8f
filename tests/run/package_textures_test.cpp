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
