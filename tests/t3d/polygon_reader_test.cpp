// Tests of the polygon reader: fields, flags rules, kept values and where the position ends.
#include "t3d/polygon_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "marked_text.h"
#include "text/key_readers.h"

namespace brushwright {
namespace {

// A record whose every field holds a value no polygon of these tests yields.
PolygonRecord SentinelRecord() {
  PolygonRecord record;
  record.Texture = "Sentinel";
  record.Flags = 777;
  record.Origin = {-9, -9, -9};
  record.Normal = {-9, -9, -9};
  record.Pan = {-9, -9, -9};
  record.TextureU = {-9, -9, -9};
  record.TextureV = {-9, -9, -9};
  record.Vertices = {{-9, -9, -9}, {-8, -8, -8}};
  return record;
}

void ExpectVector(const Vector& actual, double x, double y, double z) {
  EXPECT_DOUBLE_EQ(actual.X, x);
  EXPECT_DOUBLE_EQ(actual.Y, y);
  EXPECT_DOUBLE_EQ(actual.Z, z);
}

constexpr const char* kWallPolygon = R"(      Begin PolyList
          Begin Polygon Texture=Wall4 Flags=32768 Link=3
             Origin   +00000.000000,+00000.000000,+00064.000000
             Normal   +00000.000000,+00000.000000,+00001.000000
             Pan      U=-12 V=34
             TextureU +00001.000000,+00000.000000,+00000.000000
             TextureV +00000.000000,-00001.000000,+00000.000000
             Vertex   -00128.000000,-00128.000000,+00064.000000
             Vertex   -00128.000000,+00128.000000,+00064.000000
             Vertex   +00128.000000,+00128.000000,+00064.000000
             Vertex   +00128.000000,-00128.000000,+00064.000000
          End Polygon$
      End PolyList
)";

TEST(ReadPolygon, ReadsEveryFieldOfAPolygon) {
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const MarkedText input = Mark(kWallPolygon, ends);
    PolygonRecord record = SentinelRecord();
    int pos = 1;
    ASSERT_TRUE(ReadPolygon(input.text, pos, record, false));
    EXPECT_EQ(pos, input.marker);
    EXPECT_EQ(record.Texture, "Wall4");
    EXPECT_EQ(record.Flags, 32768);
    ExpectVector(record.Origin, 0, 0, 64);
    ExpectVector(record.Normal, 0, 0, 1);
    ExpectVector(record.Pan, -12, 34, 0);
    ExpectVector(record.TextureU, 1, 0, 0);
    ExpectVector(record.TextureV, 0, -1, 0);
    ASSERT_EQ(record.Vertices.size(), 4u);
    ExpectVector(record.Vertices[0], -128, -128, 64);
    ExpectVector(record.Vertices[1], -128, 128, 64);
    ExpectVector(record.Vertices[2], 128, 128, 64);
    ExpectVector(record.Vertices[3], 128, -128, 64);
    EXPECT_FALSE(ReadPolygon(input.text, pos, record, false));
    EXPECT_EQ(pos, input.marker);
  }
}

TEST(ReadPolygon, TextureOnlyChangesTextureAndFlags) {
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const MarkedText input = Mark(kWallPolygon, ends);
    PolygonRecord record = SentinelRecord();
    int pos = 1;
    ASSERT_TRUE(ReadPolygon(input.text, pos, record, true));
    EXPECT_EQ(pos, FindFrom(input.text, "End Polygon", 1) + 1);
    EXPECT_EQ(record.Texture, "Wall4");
    EXPECT_EQ(record.Flags, 32768);
    ExpectVector(record.Origin, -9, -9, -9);
    ExpectVector(record.Pan, -9, -9, -9);
    ExpectVector(record.TextureV, -9, -9, -9);
    EXPECT_EQ(record.Vertices.size(), 2u);
  }
}

TEST(ReadPolygon, FlagsAreTheRoundedMagnitude) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  struct Row {
    const char* begin_line;
    std::int64_t flags;
  };
  const Row rows[] = {
      {"Begin Polygon Texture=A Flags=-32768", 32768},
      {"Begin Polygon Texture=A Flags=-2147483648", 2147483648},
      {"Begin Polygon Texture=A Flags=8388608", 8388608},
      {"Begin Polygon Texture=A Flags=2.5", 2},
      {"Begin Polygon Texture=A Flags=3.5", 4},
      {"Begin Polygon Texture=A Flags=-0.5", 0},
      {"Begin Polygon Texture=A Flags=1E+300", kMax},
      {"Begin Polygon Texture=A Flags=-1E+300", kMax},
      {"Begin Polygon Texture=A Flags=9223372036854775807", kMax},
      {"Begin Polygon Texture=A Flags=abc", 0},
      // "Texture=" without "Flags=": 0, not the previous polygon's flags.
      {"Begin Polygon Texture=A", 0},
      {"Begin Polygon Flags=5 Texture=A", 5},
  };
  for (const Row& row : rows) {
    for (const LineEnds ends : kBothLineEnds) {
      SCOPED_TRACE(testing::Message() << LineEndsName(ends) << " " << row.begin_line);
      const std::string text =
          ToForm(std::string(row.begin_line) + "\nVertex 1,2,3\nEnd Polygon\n", ends);
      PolygonRecord record = SentinelRecord();
      int pos = 1;
      ASSERT_TRUE(ReadPolygon(text, pos, record, false));
      EXPECT_EQ(record.Texture, "A");
      EXPECT_EQ(record.Flags, row.flags);
    }
  }
}

TEST(ReadPolygon, TextureAndFlagsBelongToTheirOwnPolygon) {
  // The brush's PolyFlags= stands before the first polygon; the second polygon has no texture
  // and keeps the first one's flags; the third polygon's keys are not the second's.
  constexpr const char* kBrush = R"(Begin Actor Class=Brush Name=Brush3
     PolyFlags=64
    Begin Brush Name=Model4
       Begin PolyList
          Begin Polygon Texture=Floor.Tile Flags=1024
             Vertex   1,2,3
          End Polygon
          Begin Polygon Link=1
             Vertex   4,5,6
          End Polygon
          Begin Polygon Texture=Sky Flags=4
             Vertex   7,8,9
          End Polygon
          Begin Polygon
             Vertex   1,1,1
          End Polygon
)";
  struct Step {
    const char* texture;
    std::int64_t flags;
  };
  const Step steps[] = {{"Floor.Tile", 1024}, {"", 1024}, {"Sky", 4}, {"", 4}};
  for (const bool texture_only : {false, true}) {
    for (const LineEnds ends : kBothLineEnds) {
      SCOPED_TRACE(testing::Message() << LineEndsName(ends) << " texture_only " << texture_only);
      const std::string text = ToForm(kBrush, ends);
      PolygonRecord record = SentinelRecord();
      int pos = 1;
      for (const Step& step : steps) {
        ASSERT_TRUE(ReadPolygon(text, pos, record, texture_only));
        EXPECT_EQ(record.Texture, step.texture);
        EXPECT_EQ(record.Flags, step.flags);
      }
      EXPECT_FALSE(ReadPolygon(text, pos, record, texture_only));
    }
  }
}

TEST(ReadPolygon, FirstPolygonWithoutTextureIgnoresTheBrushPolyFlags) {
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const std::string text = ToForm(
        "Begin Actor Class=Brush\n PolyFlags=64\n Begin Polygon\n  Vertex 1,2,3\n"
        " End Polygon\n",
        ends);
    PolygonRecord record = SentinelRecord();
    int pos = 1;
    ASSERT_TRUE(ReadPolygon(text, pos, record, false));
    EXPECT_EQ(record.Texture, "");
    EXPECT_EQ(record.Flags, 777);
  }
}

TEST(ReadPolygon, PanComesFromItsOwnPolygonOnly) {
  struct Row {
    const char* input;
    double u, v;
  };
  const Row rows[] = {
      {"Begin Polygon\nOrigin 0,0,0\nNormal 0,0,1\nVertex 1,2,3\nEnd Polygon\n"
       "Begin Polygon\nPan U=5 V=6\nVertex 1,2,3\nEnd Polygon\n",
       0, 0},
      {"Begin Polygon\nPan U=5\nVertex 1,2,3\nEnd Polygon\nPan U=7 V=8\n", 5, 0},
      {"Begin Polygon\nPan V=-6\nVertex 1,2,3\nEnd Polygon\n", 0, -6},
      {"Begin Polygon\nPan U=1.5 V=abc\nVertex 1,2,3\nEnd Polygon\n", 1.5, 0},
  };
  for (const Row& row : rows) {
    for (const LineEnds ends : kBothLineEnds) {
      SCOPED_TRACE(testing::Message() << LineEndsName(ends) << " " << row.input);
      const std::string text = ToForm(row.input, ends);
      PolygonRecord record = SentinelRecord();
      int pos = 1;
      ASSERT_TRUE(ReadPolygon(text, pos, record, false));
      ExpectVector(record.Pan, row.u, row.v, 0);
      ASSERT_EQ(record.Vertices.size(), 1u);
      ExpectVector(record.Vertices[0], 1, 2, 3);
    }
  }
}

TEST(ReadPolygon, ReportsFalseWithoutMovingWhenNoPolygonIsLeft) {
  struct Row {
    const char* name;
    const char* input;
  };
  const Row rows[] = {
      {"no vertex", "Begin Polygon Texture=A\nOrigin 1,2,3\nEnd Polygon\n"},
      {"no end", "Begin Polygon Texture=A\nOrigin 1,2,3\nVertex 1,2,3\nVertex 4,5,6\n"},
      {"only a brush line", "Begin Actor Class=Brush\n PolyFlags=64\n"},
      {"empty", ""},
  };
  for (const Row& row : rows) {
    for (const LineEnds ends : kBothLineEnds) {
      SCOPED_TRACE(testing::Message() << LineEndsName(ends) << " " << row.name);
      const std::string text = ToForm(row.input, ends);
      for (const bool texture_only : {false, true}) {
        PolygonRecord record = SentinelRecord();
        int pos = 1;
        EXPECT_FALSE(ReadPolygon(text, pos, record, texture_only));
        EXPECT_EQ(pos, 1);
        ExpectVector(record.Origin, -9, -9, -9);
      }
    }
  }
}

TEST(ReadPolygon, PolygonWithoutItsOwnVertexHoldsOneZeroVertex) {
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const MarkedText input = Mark(
        "Begin Polygon\nOrigin 1,2,3\nEnd Polygon$\nBegin Polygon\nVertex 4,5,6\nEnd Polygon\n",
        ends);
    PolygonRecord record = SentinelRecord();
    int pos = 1;
    ASSERT_TRUE(ReadPolygon(input.text, pos, record, false));
    EXPECT_EQ(pos, input.marker);
    ExpectVector(record.Origin, 1, 2, 3);
    ASSERT_EQ(record.Vertices.size(), 1u);
    ExpectVector(record.Vertices[0], 0, 0, 0);
  }
}

TEST(ReadPolygon, MissingTripleIsZeroNotTakenFromALaterPolygon) {
  // A polygon's triples and vertices are its own: a missing one reads as (0, 0, 0).
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const MarkedText input = Mark(
        "Begin Polygon\nOrigin 1,1,1\nVertex 1,2,3\nEnd Polygon$\n"
        "Begin Polygon\nOrigin 2,2,2\nTextureV 0,0,9\nVertex 4,5,6\nEnd Polygon\n",
        ends);
    PolygonRecord record = SentinelRecord();
    int pos = 1;
    ASSERT_TRUE(ReadPolygon(input.text, pos, record, false));
    EXPECT_EQ(pos, input.marker);
    ExpectVector(record.Origin, 1, 1, 1);
    ExpectVector(record.Normal, 0, 0, 0);
    ExpectVector(record.TextureV, 0, 0, 0);
    ASSERT_EQ(record.Vertices.size(), 1u);
    ExpectVector(record.Vertices[0], 1, 2, 3);
    ASSERT_TRUE(ReadPolygon(input.text, pos, record, false));
    ExpectVector(record.Origin, 2, 2, 2);
    ExpectVector(record.TextureV, 0, 0, 9);
  }
}

TEST(ReadPolygon, PolygonWithoutVerticesHasOneCornerAtZero) {
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const MarkedText input = Mark(
        "Begin Polygon\nOrigin 1,1,1\nEnd Polygon$\n"
        "Begin Polygon\nVertex 4,5,6\nEnd Polygon\n",
        ends);
    PolygonRecord record = SentinelRecord();
    int pos = 1;
    ASSERT_TRUE(ReadPolygon(input.text, pos, record, false));
    EXPECT_EQ(pos, input.marker);
    ASSERT_EQ(record.Vertices.size(), 1u);
    ExpectVector(record.Vertices[0], 0, 0, 0);
  }
}

TEST(ReadPolygon, VertexCountIsNotLimitedTo16Bits) {
  constexpr int kVertexCount = 40000;
  std::string text = "Begin Polygon Texture=Big\n";
  for (int i = 0; i < kVertexCount; ++i) text += "Vertex " + std::to_string(i) + ",0,-1\r\n";
  text += "End Polygon\r\n";
  PolygonRecord record;
  int pos = 1;
  ASSERT_TRUE(ReadPolygon(text, pos, record, false));
  ASSERT_EQ(record.Vertices.size(), static_cast<std::size_t>(kVertexCount));
  ExpectVector(record.Vertices.back(), kVertexCount - 1, 0, -1);
}

TEST(ReadPolygonVertices, ReadsVerticesBeforeEndPolygon) {
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const MarkedText input =
        Mark("Vertex 1,2,3\nVertex\t4,5,6\nEnd Polygon$\nVertex 7,8,9\nEnd Polygon\n", ends);
    VertexList vertices = {{-9, -9, -9}, {-9, -9, -9}, {-9, -9, -9}};
    int pos = 0;
    ASSERT_TRUE(ReadPolygonVertices(input.text, pos, vertices));
    EXPECT_EQ(pos, input.marker);
    ASSERT_EQ(vertices.size(), 2u);
    ExpectVector(vertices[0], 1, 2, 3);
    ExpectVector(vertices[1], 4, 5, 6);
  }
}

}  // namespace
}  // namespace brushwright
