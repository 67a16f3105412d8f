// Whole runs on levels saved as UTF-16, with NUL bytes or with CR-only line ends: the same
// faces as the plain level.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hardening_run.h"

namespace {

using namespace brushwright::testing;

std::string PlainLevel() {
  BrushSpec brush = MakeBrush("Brush1");
  PolygonSpec second{"Wall"};
  second.vertices = {"0,0,64", "32,0,64", "32,16,64"};
  brush.polygons = {PolygonSpec{"Rock"}, second};
  return LevelText({BrushText(brush)});
}

std::string Utf16(const std::string& text, bool big_endian) {
  std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char c : text) {
    out += big_endian ? std::string{'\0', c} : std::string{c, '\0'};
  }
  return out;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

TEST(Encoding, LevelsInOtherEncodingsConvertAsThePlainLevel) {
  const std::string plain = PlainLevel();
  TempDir reference_dir("encoding-plain");
  const HardenedRun reference = RunOnBytes(reference_dir, plain);
  ASSERT_EQ(reference.summary.FacesConverted, 2);
  struct Row {
    const char* name;
    std::string input;
  };
  const std::vector<Row> rows = {
      {"UTF-16 little-endian", Utf16(plain, false)},
      {"UTF-16 big-endian", Utf16(plain, true)},
      {"UTF-16 little-endian, CR LF", Utf16(WithCrLf(plain), false)},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF" + plain},
      {"CR-only line ends", Replaced(plain, "\n", "\r")},
      {"blank lines between all lines", Replaced(plain, "\n", "\n\n\r\n")},
      {"TABs for indentation", Replaced(plain, "   ", "\t")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir("encoding");
    const HardenedRun run = RunOnBytes(dir, row.input);
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(Visible(run.obj), Visible(reference.obj));
    EXPECT_EQ(Visible(run.mtl), Visible(reference.mtl));
  }
}

// NUL bytes are ordinary characters: between lines they change nothing; inside a key they hide
// it, as any other stray character would.
TEST(Encoding, NulBytes) {
  const std::string plain = PlainLevel();
  const std::string nul(1, '\0');
  struct Row {
    const char* name;
    std::string input;
    int faces;  // -1: the input holds no level
  };
  const std::vector<Row> rows = {
      {"NUL after every line", Replaced(plain, "\n", "\n" + nul), 2},
      {"NUL before the level", nul + nul + plain, 2},
      {"NUL after the level", plain + std::string(1000, '\0'), 2},
      {"NUL inside the first End Polygon",
       Replaced(plain, "End Polygon\n      Begin", "End" + nul + "Polygon\n      Begin"), 1},
      // Its keys are hidden by NULs between the letters: it holds no level.
      {"UTF-16 without a byte-order mark", Utf16(plain, false).substr(2), -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir("nul");
    const HardenedRun run = RunOnBytes(dir, row.input);
    if (row.faces < 0) {
      EXPECT_NE(run.error.find("holds no level"), std::string::npos) << run.error;
      EXPECT_EQ(run.obj, "");
      continue;
    }
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.summary.FacesConverted, row.faces);
    EXPECT_EQ(CountLines(run.obj, "f "), row.faces);
  }
}

}  // namespace
