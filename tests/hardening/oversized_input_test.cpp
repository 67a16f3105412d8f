// Whole runs on numbers past the double range, huge polygons and more faces than the face
// numbers hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "hardening_run.h"

namespace {

using namespace brushwright::testing;
using brushwright::RunOutcome;

// A level of one brush holding `polygons`.
std::string BrushLevel(std::vector<PolygonSpec> polygons) {
  BrushSpec brush = MakeBrush("Brush1");
  brush.polygons = std::move(polygons);
  return LevelText({BrushText(brush)});
}

// The vertex and face lines of the OBJ text, the lines a number reaches.
std::string GeometryLines(const std::string& obj) {
  std::string lines;
  std::size_t at = 0;
  while (at < obj.size()) {
    const std::size_t end = obj.find("\r\n", at);
    const std::string line = obj.substr(at, end - at);
    if (line.rfind("v ", 0) == 0 || line.rfind("f ", 0) == 0) lines += line + "|";
    if (end == std::string::npos) break;
    at = end + 2;
  }
  return lines;
}

TEST(OversizedInput, NumbersBeyondTheDoubleRange) {
  const std::string digits(300, '9');
  struct Row {
    std::string number;
    std::string error;
    std::string geometry;
  };
  const std::string overflow = "arithmetic overflow in face 1: a coordinate is not a finite number";
  const std::vector<Row> rows = {
      {digits, "", "v  0 0 0|v  64 -32 0|v  1E+300 0 0|f  1/1 2/2 3/3|"},
      {"-" + digits + "." + digits, "", "v  0 0 0|v  64 -32 0|v  -1E+300 0 0|f  1/1 2/2 3/3|"},
      {"0." + digits, "", "v  0 0 0|v  64 -32 0|v  1 0 0|f  1/1 2/2 3/3|"},
      {"1E+400", overflow, ""},
      {"-1E+400", overflow, ""},
      {"1E-400", "", "v  0 0 0|v  64 -32 0|v  0 0 0|f  1/1 2/2 3/3|"},
      {"1E+99999999999999999999", overflow, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.number);
    PolygonSpec polygon{"Rock"};
    polygon.vertices[1] = row.number + ",+00000.000000,+00000.000000";
    TempDir dir("numbers");
    const HardenedRun run = RunOnBytes(dir, BrushLevel({polygon}));
    EXPECT_EQ(run.error, row.error);
    EXPECT_EQ(GeometryLines(run.obj), row.geometry);
  }
}

// One polygon of 100,000 vertices is converted whole: every vertex, one face line.
TEST(OversizedInput, HundredThousandVertexPolygon) {
  constexpr int kVertices = 100000;
  PolygonSpec polygon{"Rock"};
  polygon.vertices.clear();
  for (int i = 0; i < kVertices; ++i) {
    polygon.vertices.push_back(std::to_string(i % 1000) + "," + std::to_string(i / 1000) + ",0");
  }
  TempDir dir("vertices");
  const HardenedRun run = RunOnBytes(dir, BrushLevel({polygon}));
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.summary.FacesConverted, 1);
  EXPECT_EQ(CountLines(run.obj, "v "), kVertices);
  EXPECT_EQ(CountLines(run.obj, "vt "), kVertices);
  const std::size_t face = run.obj.find("\r\nf  ");
  ASSERT_NE(face, std::string::npos);
  const std::string face_line = run.obj.substr(face + 2, run.obj.find("\r\n", face + 2) - face - 2);
  EXPECT_EQ(std::count(face_line.begin(), face_line.end(), '/'), kVertices);
  EXPECT_NE(face_line.find(" 100000/100000"), std::string::npos);
}

// Face numbers are 16-bit: the run stops with its overflow error after face 32767, and the
// faces before it are on disk.
TEST(OversizedInput, FortyThousandPolygonsStopAfterTheLastFaceNumber) {
  constexpr int kPolygons = 40000;
  constexpr int kLastFace = 32767;
  const std::vector<PolygonSpec> polygons(kPolygons, PolygonSpec{"Rock"});
  TempDir dir("faces");
  const HardenedRun run = RunOnBytes(dir, BrushLevel(polygons));
  EXPECT_EQ(run.error, "'" + (dir / "level.t3d") +
                           "' has more than 32767 faces: the conversion stops after face 32767 "
                           "(face numbers overflow)");
  EXPECT_EQ(CountLines(run.obj, "f "), kLastFace);
  EXPECT_EQ(CountLines(run.obj, "v "), 3 * kLastFace);
  const std::string last_face = "\r\nf  98299/98299 98300/98300 98301/98301\r\n\r\n";
  EXPECT_TRUE(run.obj.ends_with(last_face)) << Visible(run.obj.substr(run.obj.size() - 100));
}

}  // namespace
