// Whole runs on empty, binary, cut, oversized and oddly encoded levels: each ends, reports a
// clear error or converts, and leaves the input as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "hardening_run.h"

namespace {

using namespace brushwright::testing;
using brushwright::RunOutcome;

// The OBJ file of a run that found no face: the header alone.
constexpr char kEmptyObj[] =
    "#converted from Brushwright by Brushwright\r\nmtllib level.mtl\r\n\r\n";

// A level of one additive brush with two textured triangles.
std::string TwoFaceLevel() {
  BrushSpec brush = MakeBrush("Brush1");
  PolygonSpec second{"Wall"};
  second.vertices = {"+00000.000000,+00000.000000,+00064.000000",
                     "+00032.000000,+00000.000000,+00064.000000",
                     "+00032.000000,+00016.000000,+00064.000000"};
  brush.polygons = {PolygonSpec{"Rock"}, second};
  return LevelText({BrushText(brush)});
}

// Input with none of a level's keys is no level: an error naming the file, nothing written. Keys
// without values still make a level, of no faces.
TEST(MalformedInput, EmptyAndBinaryInputsHoldNoLevel) {
  // The start of an executable: bytes of every kind, NULs among them.
  static constexpr char kElfStart[] =
      "\x7f"
      "ELF\x02\x01\x01\0\0\0\xff\xfe\x80\x81";
  struct Row {
    const char* name;
    std::string input;
    bool level = false;
  };
  const std::vector<Row> rows = {
      {"empty file", ""},
      {"only line breaks", "\r\n\r\n\n\r"},
      {"binary bytes", std::string(kElfStart, sizeof kElfStart - 1)},
      {"every byte value",
       [] {
         std::string all;
         for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
         return all + all;
       }()},
      {"keys without values", "Begin Actor Class=Brush\nBegin Polygon\nEnd Polygon\nEnd Actor\n",
       true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir("binary");
    const HardenedRun run = RunOnBytes(dir, row.input);
    if (!row.level) {
      EXPECT_EQ(run.error.rfind("'" + dir / "level.t3d" + "' holds no level: ", 0), 0u)
          << run.error;
      EXPECT_EQ(run.obj, "");
      EXPECT_EQ(run.mtl, "");
      continue;
    }
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.summary.Outcome, RunOutcome::Done);
    EXPECT_EQ(run.summary.FacesConverted, 0);
    EXPECT_EQ(Visible(run.obj), Visible(kEmptyObj));
    EXPECT_EQ(run.mtl, "");
  }
}

TEST(MalformedInput, DirectoryOrMissingInputIsAnErrorNamingIt) {
  TempDir dir("input-dir");
  std::filesystem::create_directories(dir / "folder.t3d");
  struct Row {
    std::string input;
  };
  for (const Row& row : {Row{dir / "folder.t3d"}, Row{dir / "missing.t3d"}}) {
    SCOPED_TRACE(row.input);
    FakeHost host;
    host.options.InputFile = row.input;
    host.options.OutputFile = dir / "level.obj";
    try {
      Convert(host);
      ADD_FAILURE() << "no error";
    } catch (const brushwright::BrushError& error) {
      EXPECT_NE(std::string(error.what()).find("'" + row.input + "'"), std::string::npos)
          << error.what();
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "level.obj"));
  }
}

TEST(MalformedInput, UnreadableInputIsAnErrorNamingIt) {
  TempDir dir("unreadable");
  const std::string input = dir / "level.t3d";
  WriteBytes(input, TwoFaceLevel());
  std::filesystem::permissions(input, std::filesystem::perms::none);
  if (std::ifstream(input).is_open()) {
    GTEST_SKIP() << "file permissions do not stop reading here (root, or Windows' attributes)";
  }
  FakeHost host;
  host.options.InputFile = input;
  host.options.OutputFile = dir / "level.obj";
  EXPECT_THROW(
      {
        try {
          Convert(host);
        } catch (const brushwright::BrushError& error) {
          EXPECT_NE(std::string(error.what()).find(input), std::string::npos) << error.what();
          throw;
        }
      },
      brushwright::BrushError);
}

// Every prefix of a level, cut anywhere: the run ends without error, and converts at most the
// faces of the whole level, each of them whole.
TEST(MalformedInput, LevelCutAtEveryCharacterEndsWithWholeFaces) {
  const std::string level = TwoFaceLevel();
  TempDir dir("cut");
  for (std::size_t length = 0; length < level.size(); ++length) {
    const HardenedRun run = RunOnBytes(dir, level.substr(0, length));
    // Before its "Begin Map" is whole the text holds no level.
    if (length < std::string_view("Begin Map").size()) {
      ASSERT_NE(run.error.find("holds no level"), std::string::npos) << "cut after " << length;
      continue;
    }
    ASSERT_EQ(run.error, "") << "cut after " << length;
    ASSERT_LE(run.summary.FacesConverted, 2) << "cut after " << length;
    ASSERT_EQ(CountLines(run.obj, "f "), run.summary.FacesConverted) << "cut after " << length;
    ASSERT_EQ(CountLines(run.obj, "v "), 3 * run.summary.FacesConverted) << "cut after " << length;
  }
}

// The cut of `text` just after the `nth` occurrence of `key`.
std::string CutAfter(const std::string& text, const std::string& key, int nth) {
  std::size_t at = text.find(key);
  for (int i = 1; i < nth; ++i) at = text.find(key, at + 1);
  return text.substr(0, at + key.size());
}

struct CutRow {
  const char* name;
  std::string input;
  int faces;
};

void ExpectFacesInBothLineEnds(const std::vector<CutRow>& rows) {
  for (const CutRow& row : rows) {
    for (const bool crlf : {false, true}) {
      SCOPED_TRACE(std::string(row.name) + (crlf ? " (CR LF)" : " (LF)"));
      TempDir dir("structural");
      const HardenedRun run = RunOnBytes(dir, crlf ? WithCrLf(row.input) : row.input);
      EXPECT_EQ(run.error, "");
      EXPECT_EQ(run.summary.Outcome, RunOutcome::Done);
      EXPECT_EQ(run.summary.FacesConverted, row.faces);
      EXPECT_EQ(CountLines(run.obj, "f "), row.faces);
    }
  }
}

// A brush actor is converted only once its "End Actor" is there: a level cut anywhere inside
// it converts none of its faces, never a part of one.
TEST(MalformedInput, LevelCutInsideAnActorConvertsNoneOfItsFaces) {
  const std::string level = TwoFaceLevel();
  ExpectFacesInBothLineEnds({
      {"inside the actor header", CutAfter(level, "CsgOper=CSG", 1), 0},
      {"inside the first polygon", CutAfter(level, "Vertex   +00064.0000", 1), 0},
      {"inside a triple of the second polygon", CutAfter(level, "+00016.000000,+00", 1), 0},
      {"after the last End Polygon", CutAfter(level, "End Polygon\n", 2), 0},
      {"inside End Actor", CutAfter(level, "End Act", 1), 0},
      {"after End Actor, without End Map", CutAfter(level, "End Actor\n", 1), 2},
  });
}

// A text without actors is read as one brush: a cut polygon is dropped, the ones before it are
// converted.
TEST(MalformedInput, PolygonListCutAtStructuralPoints) {
  const std::string level = TwoFaceLevel();
  const std::size_t first = level.find("      Begin Polygon");
  const std::string polygons = level.substr(first, level.find("    End PolyList") - first);
  ExpectFacesInBothLineEnds({
      {"inside the first polygon's header", CutAfter(polygons, "Begin Polygon Text", 1), 0},
      {"inside a triple of the first polygon", CutAfter(polygons, "Vertex   +00064.0000", 1), 0},
      {"before the first End Polygon", CutAfter(polygons, "Vertex", 3) + "   1,2,3\n", 0},
      {"inside the second polygon's header", CutAfter(polygons, "Begin Polygon Text", 2), 1},
      {"inside a triple of the second polygon", CutAfter(polygons, "+00016.000000,+00", 1), 1},
      {"inside End Polygon of the second polygon", CutAfter(polygons, "End Poly", 2), 1},
      {"after the last End Polygon", polygons, 2},
  });
}

// "End Polygon" missing from one polygon: its vertices run on into the next polygon's block,
// which is read as part of it. A brush missing "End Actor" runs on to the next brush's end and
// takes its faces along; as the last brush it is dropped.
TEST(MalformedInput, MissingEndKeys) {
  std::string no_end_polygon = TwoFaceLevel();
  no_end_polygon.erase(no_end_polygon.find("      End Polygon\n"), 18);
  const std::string second_brush = BrushText(MakeBrush("Brush2"));
  std::string no_end_actor = BrushText(MakeBrush("Brush1"));
  no_end_actor.erase(no_end_actor.find("End Actor\n"));
  ExpectFacesInBothLineEnds({
      {"missing End Polygon", no_end_polygon, 1},
      {"missing End Actor before another brush", LevelText({no_end_actor, second_brush}), 2},
      {"missing End Actor of the last brush", LevelText({second_brush, no_end_actor}), 1},
  });
}

}  // namespace
