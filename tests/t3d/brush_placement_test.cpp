// Tests of reading a brush actor's placement and of placing its polygons, on level blocks.
#include "t3d/brush_placement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "marked_text.h"
#include "support/test_inputs.h"
#include "t3d/polygon_reader.h"
#include "t3d/value_readers.h"
#include "text/file_text.h"
#include "text/key_readers.h"
#include "text/number_text.h"

namespace brushwright {
namespace {

std::string Text(const Vector& v) {
  return NumberText(v.X) + " " + NumberText(v.Y) + " " + NumberText(v.Z);
}

// Brush actors of a small test level, cut down to the lines that place them and one polygon.
constexpr const char* kBrush42 = R"(Begin Actor Class=Brush Name=Brush42
     CsgOper=CSG_Add
     MainScale=(Scale=(X=2.000000,Z=1.500000),SheerAxis=SHEER_ZX)
     PostScale=(Scale=(X=0.250000,Y=2.000000,Z=1.510000),SheerAxis=SHEER_ZX)
     Tag="Brush"
     Location=(X=1280.000000,Y=-768.000000,Z=64.000000)
     Rotation=(Pitch=-1024)
     OldLocation=(X=1312.000000,Y=-736.000000,Z=128.000000)
    Begin Brush Name=Model43
       Begin PolyList
          Begin Polygon Texture=checkers_base
             Origin   -00128.000000,-00008.000000,-00008.000000
             Normal   -00001.000000,+00000.000000,+00000.000000
             TextureU +00000.000000,+00001.000000,+00000.000000
             TextureV +00000.000000,+00000.000000,-00001.000000
             Vertex   -00128.000000,-00008.000000,-00008.000000
             Vertex   -00128.000000,-00008.000000,+00008.000000
             Vertex   -00128.000000,+00008.000000,+00008.000000
             Vertex   -00128.000000,+00008.000000,-00008.000000
          End Polygon
       End PolyList
    End Brush
     Brush=Model'MyLevel.Model43'
     PrePivot=(X=-128.000000,Y=-8.000000,Z=-8.000000)
     Name="Brush42"
End Actor
)";

constexpr const char* kBrush31 = R"(Begin Actor Class=Brush Name=Brush31
     CsgOper=CSG_Add
     MainScale=(SheerAxis=SHEER_ZX)
     PostScale=(Scale=(X=3.000001,Y=1.000000),SheerAxis=SHEER_ZX)
     TempScale=(Scale=(X=2.955746,Y=1.000000),SheerAxis=SHEER_ZX)
     Location=(X=4096.000000,Y=-1792.000000,Z=512.000000)
     Rotation=(Yaw=16384)
    Begin Brush Name=Model32
    End Brush
     PrePivot=(X=-128.000015,Y=-128.000031,Z=-128.000000)
End Actor
)";

constexpr const char* kBrush24 = R"(Begin Actor Class=Brush Name=Brush24
     CsgOper=CSG_Add
     MainScale=(SheerRate=0.500000,SheerAxis=SHEER_ZX)
     PostScale=(SheerAxis=SHEER_ZX)
     Location=(X=3072.000000,Y=-768.000000,Z=-128.000000)
    Begin Brush Name=Model25
    End Brush
End Actor
)";

// What one local vector becomes in the level the editor built.
enum class Field { kPoint, kNormal, kAxis };
struct Placed {
  const char* brush;
  Field field;
  Vector local;
  Vector level;
  double tolerance;
};

const Placed kPlaced[] = {
    {"Brush42", Field::kPoint, {-128, -8, 8}, {1280.5881, -768, 100.0655}, 1e-4},
    {"Brush42", Field::kPoint, {-128, 8, -8}, {1280, -736, 64}, 1e-9},
    {"Brush42", Field::kNormal, {-1, 0, 0}, {-0.999867, 0, 0.016304}, 1e-6},
    {"Brush42", Field::kAxis, {0, 1, 0}, {0, 0.5, 0}, 1e-9},
    {"Brush42", Field::kAxis, {0, 0, -1}, {-0.261379, 0, -0.439375}, 1e-6},
    {"Brush31", Field::kPoint, {-128, 128, 128}, {3327.9997, -1792, 768}, 1e-4},
    {"Brush31", Field::kAxis, {0, 1, 0}, {-0.333333, 0, 0}, 1e-6},
    {"Brush24", Field::kPoint, {106.038681, 256, -128}, {3120.4387, -512, -256}, 1e-4},
    {"Brush24", Field::kNormal, {0.707107, 0.707107, 0}, {0.673817, 0.673817, -0.303218}, 1e-6},
};

// The content of the block of the brush actor named `brush` (its line ends in LF or CR LF).
bool BrushBlock(const std::string& text, const std::string& brush, int& start, int& end) {
  const std::string begin = "Begin Actor Class=Brush Name=" + brush;
  for (const char* line_end : {"\n", "\r\n"}) {
    const int found = FindFrom(text, begin + line_end, 1);
    if (found > 0) return FindBlock(text, found, begin, "End Actor", start, end);
  }
  return false;
}

void ExpectNear(const Vector& actual, const Vector& expected, double tolerance) {
  EXPECT_NEAR(actual.X, expected.X, tolerance);
  EXPECT_NEAR(actual.Y, expected.Y, tolerance);
  EXPECT_NEAR(actual.Z, expected.Z, tolerance);
}

// Places every row's local vector as a vertex, origin, normal and both texture axes of one
// polygon of its brush, and compares the field the row names.
void ExpectPlacedAsInLevel(const std::string& text) {
  for (const Placed& row : kPlaced) {
    SCOPED_TRACE(::testing::Message() << row.brush << " " << Text(row.local));
    int start = 0, end = 0;
    ASSERT_TRUE(BrushBlock(text, row.brush, start, end));
    PolygonRecord polygon;
    polygon.Vertices = {row.local};
    polygon.Origin = polygon.Normal = polygon.TextureU = polygon.TextureV = row.local;
    TransformPolygon(polygon, PlacementTransform(ReadBrushPlacement(BlockOf(text, start, end))));
    if (row.field == Field::kPoint) {
      ExpectNear(polygon.Vertices[0], row.level, row.tolerance);
      ExpectNear(polygon.Origin, row.level, row.tolerance);
    } else if (row.field == Field::kNormal) {
      ExpectNear(polygon.Normal, row.level, row.tolerance);
    } else {
      ExpectNear(polygon.TextureU, row.level, row.tolerance);
      ExpectNear(polygon.TextureV, row.level, row.tolerance);
    }
  }
}

TEST(TransformPolygon, PlacesAsTheEditorBuiltTheLevel) {
  const std::string blocks = std::string(kBrush42) + kBrush31 + kBrush24;
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    ExpectPlacedAsInLevel(WithLineEnds(blocks, ends));
  }
}

TEST(TransformPolygon, PlacesCorpusBrushesAsTheEditorBuiltThem) {
  const std::string path = std::string(BRUSHWRIGHT_CORPUS_DIR) + "/test_map.t3d";
  SKIP_IF_MISSING(FileExists(path) ? "" : "no corpus level " + path);
  ExpectPlacedAsInLevel(ReadFileText(path));
}

TEST(ReadBrushScale, ReadsOnlyTheValueOnTheKeyLine) {
  struct Row {
    const char* input;
    const char* scale;
    const char* sheer_rate;
    SheerAxis axis;
  };
  const Row rows[] = {
      {"MainScale=(Scale=(X=2.000000,Z=1.500000),SheerAxis=SHEER_ZX)\n", "2 1 1.5", "0",
       SheerAxis::kZX},
      {"MainScale=(SheerRate=0.500000,SheerAxis=SHEER_XY)\n", "1 1 1", "0.5", SheerAxis::kXY},
      {"MainScale=(Scale=(X=-1.000000),SheerAxis=SHEER_None)\n", "-1 1 1", "0", SheerAxis::kNone},
      {"MainScale=(Scale=(Z=0.000000))", "1 1 0", "0", SheerAxis::kNone},
      // The name must be one of the six exactly.
      {"MainScale=(SheerAxis=SHEER_ZXY)\n", "1 1 1", "0", SheerAxis::kNone},
      {"MainScale=(SheerAxis=sheer_zx)\n", "1 1 1", "0", SheerAxis::kNone},
      {"MainScale=(SheerAxis=SHEER_YZ,Scale=(Y=3))\n", "1 3 1", "0", SheerAxis::kYZ},
      // The key's own "Scale=" is not the value's; components after the ")" are not read.
      {"MainScale=(X=7,Y=7)\n", "1 1 1", "0", SheerAxis::kNone},
      {"MainScale=(Scale=(X=2),Z=3)\n", "2 1 1", "0", SheerAxis::kNone},
      // Another line's scale is not read, nor a missing key's.
      {"MainScale=(SheerAxis=SHEER_ZX)\nTempScale=(Scale=(X=2.955746))\n", "1 1 1", "0",
       SheerAxis::kZX},
      {"PostScale=(Scale=(X=4),SheerRate=0.2)\nDrawScale=(Scale=(X=5))\n", "1 1 1", "0",
       SheerAxis::kNone},
      // At most ten characters of a number.
      {"MainScale=(Scale=(X=3.000001234),SheerRate=-0.70000009)\n", "3.00000123 1 1", "-0.7",
       SheerAxis::kNone},
      // The first occurrence wins.
      {"OldMainScale=(Scale=(X=6))\nMainScale=(Scale=(X=2))\n", "6 1 1", "0", SheerAxis::kNone},
  };
  for (const Row& row : rows) {
    for (const LineEnds ends : kBothLineEnds) {
      SCOPED_TRACE(::testing::Message() << LineEndsName(ends) << " " << row.input);
      const std::string text = WithLineEnds(row.input, ends);
      const BrushScale scale = ReadBrushScale(text, "MainScale=");
      EXPECT_EQ(Text(scale.Scale), row.scale);
      EXPECT_EQ(NumberText(scale.SheerRate), row.sheer_rate);
      EXPECT_EQ(scale.Axis, row.axis);
    }
  }
}

TEST(ReadBrushScale, KeyMustBeginInTheBlock) {
  const std::string text = "Tag=A\nMainScale=(Scale=(X=2))\n";
  const int key = FindFrom(text, "MainScale=", 1);
  EXPECT_EQ(Text(ReadBrushScale(BlockOf(text, 1, key), "MainScale=").Scale), "1 1 1");
  EXPECT_EQ(Text(ReadBrushScale(BlockOf(text, 1, key + 24), "MainScale=").Scale), "2 1 1");
  EXPECT_EQ(Text(ReadBrushScale(BlockOf(text, key + 1, key + 50), "MainScale=").Scale), "1 1 1");
}

TEST(ReadBrushPlacement, ReadsTheWholeActorBlock) {
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const std::string text = WithLineEnds(kBrush42, ends);
    int start = 0, end = 0;
    ASSERT_TRUE(BrushBlock(text, "Brush42", start, end));
    const BrushPlacement placement = ReadBrushPlacement(BlockOf(text, start, end));
    EXPECT_EQ(Text(placement.Location), "1280 -768 64");
    EXPECT_EQ(Text(placement.PrePivot), "-128 -8 -8");  // after "End Brush"
    EXPECT_EQ(NumberText(placement.Rotation.Pitch), "-1024");
    EXPECT_EQ(Text(placement.MainScale.Scale), "2 1 1.5");
    EXPECT_EQ(Text(placement.PostScale.Scale), "0.25 2 1.51");
    // A block without any of the keys is placed by the identity.
    const BrushPlacement bare = ReadBrushPlacement(BlockOf(text, 1, 2));
    EXPECT_EQ(Text(bare.Location) + " " + Text(bare.PrePivot) + " " + Text(bare.MainScale.Scale),
              "0 0 0 0 0 0 1 1 1");
  }
}

TEST(ReadBrushPlacement, EveryPrefixOfABlockIsRead) {
  const std::string text = WithLineEnds(kBrush42, LineEnds::kCrLf);
  for (std::size_t length = 0; length <= text.size(); ++length) {
    const std::string prefix = text.substr(0, length);
    const BrushPlacement placement = ReadBrushPlacement(prefix);
    EXPECT_TRUE(std::isfinite(PlacementTransform(placement).Det)) << length;
  }
}

// The polygons of Brush42 as read, with a transform from its block with `main_scale` put in.
std::vector<PolygonRecord> PlacedBrush42(const std::string& main_scale,
                                         std::vector<PolygonRecord>& read) {
  std::string text = kBrush42;
  const std::string old_line = "MainScale=(Scale=(X=2.000000,Z=1.500000),SheerAxis=SHEER_ZX)";
  text.replace(text.find(old_line), old_line.size(), main_scale);
  int start = 0, end = 0;
  EXPECT_TRUE(BrushBlock(text, "Brush42", start, end));
  const BrushTransform transform =
      PlacementTransform(ReadBrushPlacement(BlockOf(text, start, end)));
  std::vector<PolygonRecord> placed;
  PolygonRecord polygon;
  for (int pos = start; ReadPolygon(text, pos, polygon, false) && pos < end;) {
    read.push_back(polygon);
    TransformPolygon(polygon, transform);
    placed.push_back(polygon);
  }
  return placed;
}

TEST(TransformPolygon, MirroredBrushKeepsItsFacesOutward) {
  std::vector<PolygonRecord> read;
  const std::vector<PolygonRecord> placed =
      PlacedBrush42("MainScale=(Scale=(X=-2.000000,Z=1.500000))", read);
  ASSERT_EQ(placed.size(), 1u);
  const VertexList& v = placed[0].Vertices;
  ASSERT_EQ(v.size(), 4u);
  // Reversed: the first vertex read is now the last.
  EXPECT_EQ(Text(v[3]), "1280 -768 64");
  // The normal is not negated; it agrees with the winding of the reversed list.
  const Vector winding = VecNormalize(VecCross(VecSubtract(v[1], v[0]), VecSubtract(v[2], v[1])));
  ExpectNear(placed[0].Normal, winding, 1e-12);
  EXPECT_EQ(placed[0].Texture, "checkers_base");
}

TEST(TransformPolygon, FlatBrushKeepsNormalAndTextureAxes) {
  std::vector<PolygonRecord> read;
  const std::vector<PolygonRecord> placed = PlacedBrush42("MainScale=(Scale=(X=0.000000))", read);
  ASSERT_EQ(placed.size(), 1u);
  EXPECT_EQ(Text(placed[0].Normal), Text(read[0].Normal));
  EXPECT_EQ(Text(placed[0].TextureU), Text(read[0].TextureU));
  EXPECT_EQ(Text(placed[0].TextureV), Text(read[0].TextureV));
  EXPECT_EQ(Text(placed[0].Vertices[0]), "1280 -768 64");
}

TEST(TransformPolygon, IdentityNormalisesOnlyTheNormal) {
  PolygonRecord polygon;
  polygon.Texture = "Rock";
  polygon.Flags = 8;
  polygon.Pan = Vector{12, 3, 0};
  polygon.Normal = Vector{0, 0, 2};
  polygon.TextureU = Vector{2, 0, 0};
  polygon.Vertices = {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}};
  TransformPolygon(polygon, BrushTransform{});
  EXPECT_EQ(Text(polygon.Normal), "0 0 1");
  EXPECT_EQ(Text(polygon.TextureU), "2 0 0");
  EXPECT_EQ(Text(polygon.Vertices[0]) + " / " + Text(polygon.Vertices[2]), "1 2 3 / 7 8 10");
  EXPECT_EQ(polygon.Texture + " " + NumberText(polygon.Flags) + " " + Text(polygon.Pan),
            "Rock 8 12 3 0");
}

TEST(TransformPolygon, TexelsStayOnTheirCorners) {
  // A texel's coordinates are (corner - origin) dotted with the texture axes.
  std::vector<PolygonRecord> read;
  const std::vector<PolygonRecord> placed =
      PlacedBrush42("MainScale=(Scale=(X=2,Y=-3,Z=1.5),SheerRate=0.9,SheerAxis=SHEER_YZ)", read);
  ASSERT_EQ(placed.size(), 1u);
  const std::size_t n = read[0].Vertices.size();
  for (std::size_t i = 0; i < n; ++i) {
    SCOPED_TRACE(i);
    const Vector before = VecSubtract(read[0].Vertices[i], read[0].Origin);
    const Vector after = VecSubtract(placed[0].Vertices[n - 1 - i], placed[0].Origin);
    const auto dot = [](const Vector& p, const Vector& q) {
      return p.X * q.X + p.Y * q.Y + p.Z * q.Z;
    };
    EXPECT_NEAR(dot(after, placed[0].TextureU), dot(before, read[0].TextureU), 1e-9);
    EXPECT_NEAR(dot(after, placed[0].TextureV), dot(before, read[0].TextureV), 1e-9);
  }
}

TEST(ReversePolygon, ReversesOrderAndNegatesNormal) {
  PolygonRecord polygon;
  polygon.Normal = Vector{0, -1, 0.5};
  polygon.TextureU = Vector{1, 0, 0};
  polygon.Vertices = {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}};
  ReversePolygon(polygon);
  EXPECT_EQ(Text(polygon.Normal), "0 1 -0.5");
  EXPECT_EQ(Text(polygon.TextureU), "1 0 0");
  std::string order;
  for (const Vector& v : polygon.Vertices) order += NumberText(v.X);
  EXPECT_EQ(order, "4321");
}

}  // namespace
}  // namespace brushwright
