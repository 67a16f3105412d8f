// Tests of the synthetic levels: deterministic CR LF text that converts to the faces and report
// blocks asked for, in every variant.
#include "level_generator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "cli/command_line.h"
#include "cli/headless_host.h"
#include "cli/progress_display.h"
#include "run/conversion_run.h"
#include "texture_tree.h"

namespace brushwright {
namespace {

std::size_t Count(std::string_view text, std::string_view key) {
  std::size_t count = 0;
  for (std::size_t at = text.find(key); at != std::string_view::npos; at = text.find(key, at + 1))
    ++count;
  return count;
}

// The run's summary of a conversion of `level` with geometry and report on.
RunSummary Convert(const std::string& level, std::string_view name) {
  const auto dir = std::filesystem::temp_directory_path() / "brushwright-generator-test";
  std::filesystem::create_directories(dir);
  const std::string input = (dir / (std::string(name) + ".t3d")).string();
  std::ofstream(input, std::ios::binary) << level;
  ConvertOptions options;
  options.Run.Report = true;
  std::ostringstream sink;
  ProgressDisplay progress(sink, false, 80);
  HeadlessHost host(sink, progress);
  return RunConversion(RunOptionsFor(options, input), host);
}

TEST(GenerateLevel, SameOptionsGiveTheSameBytes) {
  const LevelOptions options{600, LevelVariant::Standard};
  EXPECT_EQ(GenerateLevel(options), GenerateLevel(options));
  EXPECT_NE(GenerateLevel(options), GenerateLevel({600, LevelVariant::ActorHeavy}));
}

TEST(GenerateLevel, VariantsConvertToTheFacesAndActorsAskedFor) {
  struct Row {
    LevelVariant variant;
    std::int32_t faces;
    bool textured;
  } rows[] = {
      {LevelVariant::Standard, 1000, true},
      {LevelVariant::UntexturedOnly, 1000, false},
      {LevelVariant::ActorHeavy, 500, true},
      {LevelVariant::Standard, 7, true},
  };
  for (const Row& row : rows) {
    const std::string name = std::string(LevelVariantName(row.variant)) + std::to_string(row.faces);
    SCOPED_TRACE(name);
    const std::string level = GenerateLevel({row.faces, row.variant});
    // Every line ends in CR LF.
    EXPECT_EQ(Count(level, "\n"), Count(level, "\r\n"));
    EXPECT_EQ(Count(level, "\r"), Count(level, "\r\n"));
    EXPECT_EQ(Count(level, " Texture=") > 0, row.textured);

    const RunSummary summary = Convert(level, name);
    EXPECT_EQ(summary.Outcome, RunOutcome::Done);
    EXPECT_EQ(summary.FacesConverted, row.faces);
    // A level of a few faces is one brush; larger ones have every fourth brush subtractive.
    EXPECT_EQ(summary.SubtractiveSkipped > 0, row.faces > 100);
    EXPECT_EQ(summary.Materials > 0, row.textured);
    const std::size_t report_actors =
        Count(level, "Class=Light ") + Count(level, "Class=Spotlight ") +
        Count(level, "Class=Trigger ") + Count(level, "Class=PlayerStart ") +
        Count(level, "Class=Teleporter ") + Count(level, "Class=FavoritesTeleporter ") +
        Count(level, "Class=VisibleTeleporter ");
    EXPECT_EQ(static_cast<std::size_t>(summary.ReportBlocks), report_actors);
  }
}

TEST(GenerateLevel, PolygonsHaveThreeToEightVertices) {
  const std::string level = GenerateLevel({2000, LevelVariant::Standard});
  std::size_t polygons = 0;
  std::size_t seen[9] = {};
  for (std::size_t at = level.find("Begin Polygon"); at != std::string::npos;
       at = level.find("Begin Polygon", at + 1)) {
    const std::size_t end = level.find("End Polygon", at);
    const std::size_t vertices = Count(std::string_view(level).substr(at, end - at), "Vertex ");
    ASSERT_GE(vertices, 3u);
    ASSERT_LE(vertices, 8u);
    ++seen[vertices];
    ++polygons;
  }
  for (std::size_t n = 3; n <= 8; ++n) EXPECT_GT(seen[n], 0u) << n << " vertices";
  EXPECT_GT(polygons, 2000u);  // the builder brush and the subtractive ones come on top
}

// Every face its own material; copying over the tree finds exactly its few images.
TEST(GenerateLevel, TexturesVariantAndItsTree) {
  const auto dir = std::filesystem::temp_directory_path() / "brushwright-generator-textures";
  std::filesystem::remove_all(dir);
  WriteTextureTree((dir / "tree").string(), {300, 3});
  const std::string input = (dir / "textures.t3d").string();
  std::ofstream(input, std::ios::binary) << GenerateLevel({500, LevelVariant::Textures});
  ConvertOptions options;
  options.Run.SearchCopy = true;
  options.Run.SearchPath = (dir / "tree").string();
  std::ostringstream sink;
  ProgressDisplay progress(sink, false, 80);
  HeadlessHost host(sink, progress);
  const RunSummary summary = RunConversion(RunOptionsFor(options, input), host);
  EXPECT_EQ(summary.FacesConverted, 500);
  EXPECT_EQ(summary.Materials, 500);
  EXPECT_EQ(summary.MissingTextures, 497);
  for (const char* image : {"Pack0.Brush1.Face0.BMP", "Pack0.Brush9.Face0.BMP"})
    EXPECT_TRUE(std::filesystem::exists(dir / image)) << image;
}

TEST(ParseLevelVariant, NamesRoundTrip) {
  for (const LevelVariant variant : {LevelVariant::Standard, LevelVariant::UntexturedOnly,
                                     LevelVariant::ActorHeavy, LevelVariant::Textures}) {
    LevelVariant parsed = LevelVariant::Standard;
    EXPECT_TRUE(ParseLevelVariant(LevelVariantName(variant), parsed)) << LevelVariantName(variant);
    EXPECT_EQ(parsed, variant);
  }
  LevelVariant untouched = LevelVariant::ActorHeavy;
  EXPECT_FALSE(ParseLevelVariant("huge", untouched));
  EXPECT_EQ(untouched, LevelVariant::ActorHeavy);
}

}  // namespace
}  // namespace brushwright
