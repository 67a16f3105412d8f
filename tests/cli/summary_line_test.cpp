// The per-input summary line, and why a level converted no face, from real runs of the program.
#include "cli/summary_line.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/convert_main.h"
#include "level_text.h"

namespace brushwright {
namespace {

using testing::BrushSpec;
using testing::BrushText;
using testing::LevelText;
using testing::MakeBrush;
using testing::PolygonSpec;
using testing::TempDir;
using testing::WriteBytes;

// The summary line that converting `level` prints, its time replaced by "T".
std::string SummaryOf(const std::string& level, std::vector<std::string> args = {}) {
  TempDir dir("summary");
  const std::string input = dir / "level.t3d";
  WriteBytes(input, level);
  args.push_back(input);
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(ConvertMain(args, out, err, ConsoleInfo{}), 0) << err.str();
  std::string last;
  std::istringstream lines(err.str());
  for (std::string line; std::getline(lines, line);) last = line;
  last = std::regex_replace(last, std::regex("[0-9]+\\.[0-9]+ s"), "T");
  return last.substr(last.find(": ") + 2);
}

TEST(SummaryLine, CountsWhatTheRunWrote) {
  BrushSpec brush;
  brush.polygons = {PolygonSpec{"Rock"}, PolygonSpec{"Wall"}, PolygonSpec{"Rock"}};
  const std::string level = LevelText(
      {BrushText(brush), "Begin Actor Class=Light Name=Light0\n   Location=(X=1)\nEnd Actor\n"});
  EXPECT_EQ(SummaryOf(level, {"--report"}),
            "faces 3, groups 1, materials 2, missing images 2, report blocks 1, T");
}

TEST(SummaryLine, NamesTheLooksLeftOut) {
  BrushSpec brush;
  brush.polygons = {PolygonSpec{"Rock"}};
  const std::string level =
      LevelText({BrushText(brush), "Begin Actor Class=Emitter Name=Emitter0\nEnd Actor\n",
                 "Begin Actor Class=Emitter Name=Emitter1\nEnd Actor\n",
                 "Begin Actor Class=StaticMeshActor Name=StaticMeshActor0\n"
                 "   StaticMesh=StaticMesh'Pipes.Elbow'\nEnd Actor\n"});
  // The brush output leaves the static mesh out too; the world output looks for it.
  EXPECT_EQ(SummaryOf(level),
            "faces 1, groups 1, materials 1, missing images 1, report blocks 0, T; left out: 2 "
            "Emitter, 1 StaticMeshActor");
  EXPECT_EQ(SummaryOf(level, {"--with-meshes", "--no-static-meshes"}),
            "faces 1, groups 1, materials 1, missing images 1, report blocks 0, T; left out: 2 "
            "Emitter, 1 StaticMeshActor");
}

TEST(SummaryLine, SaysWhyNothingWasConverted) {
  BrushSpec invisible;
  invisible.polygons = {PolygonSpec{"Rock", 1}, PolygonSpec{"Rock", 3}};
  BrushSpec builder = MakeBrush("Brush0", "");
  const std::string sub = BrushText(MakeBrush("Sub1", "CSG_Subtract"));
  struct Row {
    const char* name;
    std::string level;
    std::vector<std::string> args;
    int groups;
    std::string reason;
  };
  const Row rows[] = {
      {"only subtractive",
       LevelText({sub, sub}),
       {},
       0,
       "no additive brush; 2 subtractive brushes were skipped: --subtractive takes them"},
      {"only invisible faces",
       LevelText({BrushText(invisible)}),
       {},
       1,
       "all 2 faces of the taken brushes are invisible"},
      {"only a builder brush",
       LevelText({BrushText(builder)}),
       {},
       0,
       "no additive brush; 1 builder brush was skipped: --build-brush takes it alone"},
      {"no brush actors",
       LevelText({"Begin Actor Class=Light Name=L\nEnd Actor\n"}),
       {},
       0,
       "the level has no brush actors"},
      {"start face past the end",
       LevelText({BrushText(BrushSpec{})}),
       {"--start-face", "9"},
       1,
       "--start-face 9 lies past the last face (1)"},
      {"no builder brush",
       LevelText({sub}),
       {"--build-brush"},
       0,
       "no builder brush (a brush without CsgOper=) in the level"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(
        SummaryOf(row.level, row.args),
        "faces 0, groups " + std::to_string(row.groups) +
            ", materials 0, missing images 0, report blocks 0, T; no face converted: " + row.reason)
        << row.name;
  }
}

TEST(SummaryLine, SubtractiveSwitchConvertsWhatTheReasonNamed) {
  const std::string sub = BrushText(MakeBrush("Sub1", "CSG_Subtract"));
  EXPECT_EQ(SummaryOf(LevelText({sub}), {"--subtractive"}),
            "faces 1, groups 1, materials 1, missing images 1, report blocks 0, T");
}

}  // namespace
}  // namespace brushwright
