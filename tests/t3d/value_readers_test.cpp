// Tests of the vector, rotator, triple, word and block readers on T3D text in both line-end forms.
#include "t3d/value_readers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "marked_text.h"
#include "text/key_readers.h"
#include "text/number_text.h"

namespace brushwright {
namespace {

void ExpectVector(const Vector& actual, double x, double y, double z) {
  EXPECT_DOUBLE_EQ(actual.X, x);
  EXPECT_DOUBLE_EQ(actual.Y, y);
  EXPECT_DOUBLE_EQ(actual.Z, z);
}

TEST(ReadVector, ReadsComponentsOfTheKeyLine) {
  struct Row {
    const char* input;
    double fallback;
    double x, y, z;
  };
  const Row rows[] = {
      {"Location=(X=1.5,Y=-2,Z=3)\n", 0, 1.5, -2, 3},
      {"Location=(Y=2)\n", 0, 0, 2, 0},
      {"Location=(Y=2)\n", 1, 1, 2, 1},
      // A present key with no number is 0, not the fallback.
      {"Location=(X=,Z=2)\n", 1, 0, 1, 2},
      {"Location=(X=-12345.678901)\n", 0, -12345.678, 0, 0},
      {"Location=(X=128.000000)", 0, 128, 0, 0},
      {"Location=(Z=1,Y=2,X=3)\n", 0, 3, 2, 1},
      // The key also matches inside a longer key; the first occurrence wins.
      {"OldLocation=(X=1,Y=1,Z=1)\nLocation=(X=9,Y=9,Z=9)\n", 0, 1, 1, 1},
      // Only the rest of the key's own line is read.
      {"Tag=\"Y=5\"\nLocation=(X=1)\nY=7\n", 0, 1, 0, 0},
      {"Tag=Nothing\n", 4, 4, 4, 4},
  };
  for (const Row& row : rows) {
    for (const LineEnds ends : kBothLineEnds) {
      SCOPED_TRACE(testing::Message() << LineEndsName(ends) << " " << row.input);
      const std::string text = ToForm(row.input, ends);
      const int end = static_cast<int>(text.size()) + 1;
      ExpectVector(ReadVector(text, 1, end, "Location=", row.fallback), row.x, row.y, row.z);
    }
  }
}

TEST(ReadVector, KeyMustBeginBeforeTheWindowEnd) {
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const std::string text = ToForm("Tag=A\nLocation=(X=1,Y=2,Z=3)\n", ends);
    const int key = FindFrom(text, "Location=", 1);
    ExpectVector(ReadVector(text, 1, key, "Location=", 0), 0, 0, 0);
    ExpectVector(ReadVector(text, 1, key + 1, "Location=", 0), 1, 2, 3);
    ExpectVector(ReadVector(text, key + 1, key + 100, "Location=", 0), 0, 0, 0);
  }
}

TEST(ReadRotator, ReadsRawAngleUnits) {
  struct Row {
    const char* input;
    double pitch, yaw, roll;
  };
  const Row rows[] = {
      {"Rotation=(Yaw=16384)\n", 0, 16384, 0},
      {"Rotation=(Pitch=-100,Yaw=32768,Roll=7)\n", -100, 32768, 7},
      {"Rotation=(Roll=1.5)", 0, 0, 1.5},
      {"Location=(X=1)\n", 0, 0, 0},
  };
  for (const Row& row : rows) {
    for (const LineEnds ends : kBothLineEnds) {
      SCOPED_TRACE(testing::Message() << LineEndsName(ends) << " " << row.input);
      const std::string text = ToForm(row.input, ends);
      const Rotator r = ReadRotator(text, 1, static_cast<int>(text.size()) + 1, "Rotation=");
      EXPECT_DOUBLE_EQ(r.Pitch, row.pitch);
      EXPECT_DOUBLE_EQ(r.Yaw, row.yaw);
      EXPECT_DOUBLE_EQ(r.Roll, row.roll);
    }
  }
}

TEST(ReadCommaVector, ReadsTripleAndStopsPastItsLineBreak) {
  struct Row {
    const char* input;  // '~' / '$' mark where the position must end
    const char* key;
    int start;
    double x, y, z;
  };
  const Row rows[] = {
      {"Normal   +00000.000000,+00000.000000,-00001.000000\n~Vertex 1,2,3\n", "Normal", 1, 0, 0,
       -1},
      {"  Origin   +00128.000000,+00128.000000,-00128.000000\n~", "Origin", 0, 128, 128, -128},
      {"Origin 1,2,3\nNormal 4,5,6\n~Vertex", "Normal", 1, 4, 5, 6},
      // The last line of the text needs no line break.
      {"Vertex 1,2,3$", "Vertex", 1, 1, 2, 3},
      {"Vertex 7, 8 ,9 \n~", "Vertex", -5, 7, 8, 9},
      // Not a number: 0.
      {"Normal a,b,c\n~", "Normal", 1, 0, 0, 0},
      // No commas at all: the position runs past the end of the text.
      {"Normal 5\nVertex\n$", "Normal", 1, 0, 0, 0},
  };
  for (const Row& row : rows) {
    for (const LineEnds ends : kBothLineEnds) {
      SCOPED_TRACE(testing::Message() << LineEndsName(ends) << " " << row.input);
      const MarkedText input = Mark(row.input, ends);
      int pos = row.start;
      ExpectVector(ReadCommaVector(input.text, pos, row.key), row.x, row.y, row.z);
      EXPECT_EQ(pos, input.marker);
    }
  }
}

TEST(ReadCommaVector, MissingKeyGivesZeroAndKeepsPosition) {
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const std::string text = ToForm("Origin 1,2,3\nNormal 4,5,6\n", ends);
    int pos = 3;
    ExpectVector(ReadCommaVector(text, pos, "TextureU"), 0, 0, 0);
    EXPECT_EQ(pos, 3);
    // Behind the position the key is not seen either.
    pos = 20;
    ExpectVector(ReadCommaVector(text, pos, "Origin"), 0, 0, 0);
    EXPECT_EQ(pos, 20);
  }
}

TEST(ReadUntil, ReadsUpToDelimiterAndNeverGoesBack) {
  struct Row {
    const char* input;  // '$' marks the expected final position
    char delimiter;
    int start;
    const char* expected;
  };
  const Row rows[] = {
      {"12,$34", ',', 1, "12"}, {"12,34,$5", ',', 4, "34"}, {",$x", ',', 0, ""},
      {"1,2,3$", ',', 5, ""},   {"abc$", ',', 2, ""},       {"$", ',', 1, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.input);
    const MarkedText input = Mark(row.input, LineEnds::kLf);
    int pos = row.start;
    EXPECT_EQ(ReadUntil(input.text, row.delimiter, pos), row.expected);
    EXPECT_EQ(pos, input.marker);
  }
}

TEST(ReadLineKeyWord, ReadsUntrimmedWordAndMovesToNextLine) {
  struct Row {
    const char* input;  // '$' marks the start of the next non-empty line
    const char* expected;
  };
  const Row rows[] = {
      {"Begin Brush Name=Brush12\n$Begin PolyList\n", "Brush12"},
      {"Begin Brush Name=Brush12 Extra\n$Begin PolyList\n", "Brush12 "},
      {"Begin Brush Name=Brush12\tExtra\n$X", "Brush12\t"},
      {"Begin Brush\n\n\n$Begin Brush Name=Late\n", ""},
      {"Begin Brush Name=Last$", "Last"},
  };
  for (const Row& row : rows) {
    for (const LineEnds ends : kBothLineEnds) {
      SCOPED_TRACE(testing::Message() << LineEndsName(ends) << " " << row.input);
      const MarkedText input = Mark(row.input, ends);
      int pos = 1;
      EXPECT_EQ(ReadLineKeyWord(input.text, pos, "Begin Brush Name="), row.expected);
      EXPECT_EQ(pos, input.marker);
    }
  }
}

TEST(FindBlock, FindsContentBetweenKeys) {
  constexpr int kSentinel = -77;
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const std::string text =
        ToForm("Begin Map\nBegin Actor Class=Brush Name=B\nX\nEnd Actor\nEnd Map\n", ends);
    const int begin = FindFrom(text, "Begin Actor Class=Brush", 1);
    const int end = FindFrom(text, "End Actor", 1);
    int content_start = kSentinel;
    int content_end = kSentinel;
    ASSERT_TRUE(
        FindBlock(text, 1, "Begin Actor Class=Brush", "End Actor", content_start, content_end));
    EXPECT_EQ(content_start, begin + 23);
    EXPECT_EQ(content_end, end - 1);

    // Begin key behind the start: nothing found, nothing set.
    content_start = kSentinel;
    content_end = kSentinel;
    EXPECT_FALSE(FindBlock(text, begin + 1, "Begin Actor Class=Brush", "End Actor", content_start,
                           content_end));
    EXPECT_EQ(content_start, kSentinel);
    EXPECT_EQ(content_end, kSentinel);

    // End key missing: False, but the content start is already set.
    EXPECT_FALSE(
        FindBlock(text, 1, "Begin Actor Class=Brush", "End Brush", content_start, content_end));
    EXPECT_EQ(content_start, begin + 23);
    EXPECT_EQ(content_end, kSentinel);
  }
}

}  // namespace
}  // namespace brushwright

namespace brushwright {
namespace {

// A triple read whole equals its three numbers read one by one, sign of zero and position
// included, for editor-written lines and for pieces of every odd shape.
TEST(ReadTriple, EqualsItsNumbersReadOneByOne) {
  const char* const pieces[] = {"+",
                                "-",
                                "0",
                                "7",
                                ".",
                                " ",
                                "\t",
                                ",",
                                "\r",
                                "\n",
                                "E",
                                "x",
                                "00064",
                                ".000000",
                                "+00032.500000",
                                "98765432109876543210",
                                "&H1F"};
  std::uint64_t seed = 12345;
  const auto next = [&seed](std::uint64_t n) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return (seed >> 33) % n;
  };
  for (int row = 0; row < 200000; ++row) {
    std::string text = row % 3 == 0 ? " +00064.250000,-00000.000000,+12345.000001\r\n" : "";
    if (row % 3 == 1) {  // editor-written numbers of random digits, which must round alike
      for (int c = 0; c < 3; ++c) {
        text += c == 0 ? "+" : ",-";
        for (std::uint64_t d = 1 + next(9); d > 0; --d) text += static_cast<char>('0' + next(10));
        text += '.';
        for (std::uint64_t d = next(12); d > 0; --d) text += static_cast<char>('0' + next(10));
      }
    }
    for (std::uint64_t k = next(14); k > 0; --k) text += pieces[next(std::size(pieces))];
    const int start = 1 + static_cast<int>(next(text.size() + 1));
    int pos = start;
    int one_by_one = start;
    const Vector whole = ReadTriple(text, pos);
    const double numbers[] = {NumberValue(ReadUntil(text, ',', one_by_one)),
                              NumberValue(ReadUntil(text, ',', one_by_one)),
                              NumberValue(ReadUntilLineBreak(text, one_by_one))};
    const double read[] = {whole.X, whole.Y, whole.Z};
    for (int c = 0; c < 3; ++c) {
      ASSERT_EQ(read[c], numbers[c]) << "'" << text << "' from " << start;
      ASSERT_EQ(std::signbit(read[c]), std::signbit(numbers[c])) << "'" << text << "'";
    }
    ASSERT_EQ(pos, one_by_one) << "'" << text << "' from " << start;
  }
}

}  // namespace
}  // namespace brushwright
