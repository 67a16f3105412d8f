// Every reader ends and only moves forward on truncated and shuffled T3D text, and on real levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "marked_text.h"
#include "support/test_inputs.h"
#include "t3d/actor_records.h"
#include "t3d/polygon_reader.h"
#include "t3d/value_readers.h"
#include "text/key_readers.h"

namespace brushwright {
namespace {

constexpr const char* kLevel = R"(Begin Map
Begin Actor Class=Brush Name=Brush3
     CsgOper=CSG_Subtract
     PolyFlags=64
     Location=(X=384.000000,Y=256.000000,Z=-256.000000)
    Begin Brush Name=Model4
       Begin PolyList
          Begin Polygon Texture=checkers_base Flags=32768
             Origin   -00256.000000,-00256.000000,-00256.000000
             Normal   -00001.000000,+00000.000000,+00000.000000
             Pan      U=-12 V=34
             TextureU +00000.000000,+00001.000000,+00000.000000
             TextureV +00000.000000,+00000.000000,-00001.000000
             Vertex   -00256.000000,-00256.000000,-00256.000000
             Vertex   -00256.000000,-00256.000000,+00256.000000
             Vertex   -00256.000000,+00256.000000,+00256.000000
          End Polygon
          Begin Polygon Link=1
             Origin   -00256.000000,+00256.000000,-00256.000000
             Normal   +00000.000000,+00001.000000,+00000.000000
             TextureU +00001.000000,-00000.000000,+00000.000000
             TextureV +00000.000000,+00000.000000,-00001.000000
             Vertex   -00128.000000,+00128.000000,-00128.000000
             Vertex   -00096.000000,+00128.000000,+00128.000000
             Vertex   +00128.000000,+00128.000000,-00128.000000
          End Polygon
       End PolyList
    End Brush
End Actor
Begin Actor Class=Light Name=Light0
     Tag="Light"
     Region=(Zone=LevelInfo'MyLevel.LevelInfo0',iLeaf=77,ZoneNumber=5)
     Location=(Z=63.099998)
     Rotation=(Yaw=16384)
     AmbientSound=Sound'Amb.Loop'
     SoundRadius=64
     Name="Light0"
End Actor
Begin Actor Class=Trigger Name=Trigger0
     Message="Go"
     bTriggerOnceOnly=True
     Location=(X=1,Y=2,Z=3)
     Name=Trigger0
End Actor
Begin Actor Class=Teleporter Name=Teleporter0
     URL="A"
     TargetVelocity=(X=100)
     FavoriteNumber=3
End Actor
Begin Actor Class=PlayerStart Name=PlayerStart0
     Location=(X=-215.000000,Y=-1679.000000,Z=369.000397)
End Actor
End Map
)";

// A call that moves `pos` and reports whether the caller's loop goes on.
using Reader = std::function<bool(std::string_view, int&)>;

struct NamedReader {
  const char* name;
  Reader read;
};

std::vector<NamedReader> AllReaders() {
  return {
      {"ReadPolygon full",
       [](std::string_view t, int& p) {
         PolygonRecord r;
         return ReadPolygon(t, p, r, false);
       }},
      {"ReadPolygon texture only",
       [](std::string_view t, int& p) {
         PolygonRecord r;
         return ReadPolygon(t, p, r, true);
       }},
      {"ReadLight",
       [](std::string_view t, int& p) {
         LightRecord r;
         return ReadLight(t, p, "Class=Light", r);
       }},
      {"ReadTrigger",
       [](std::string_view t, int& p) {
         TriggerRecord r;
         return ReadTrigger(t, p, "Class=Trigger ", r);
       }},
      {"ReadTeleporter",
       [](std::string_view t, int& p) {
         TeleporterRecord r;
         return ReadTeleporter(t, p, "Class=Teleporter ", r);
       }},
      {"ReadPlayerStart",
       [](std::string_view t, int& p) {
         PlayerStartRecord r;
         return ReadPlayerStart(t, p, "Class=PlayerStart ", r);
       }},
      {"ReadCommaVector",
       [](std::string_view t, int& p) {
         if (FindFrom(t, "Vertex", p) == 0) return false;
         ReadCommaVector(t, p, "Vertex");
         return true;
       }},
      {"ReadLineKeyWord",
       [](std::string_view t, int& p) {
         if (p > static_cast<int>(t.size())) return false;
         ReadLineKeyWord(t, p, "Begin Brush Name=");
         return true;
       }},
  };
}

// Runs the reader as the run's loops do; fails (instead of hanging) when a call does not move
// forward or the loop runs longer than the text has characters.
void RunToEnd(const NamedReader& reader, std::string_view text) {
  int pos = 1;
  for (std::size_t calls = 0; calls <= text.size() + 1; ++calls) {
    const int before = pos;
    if (!reader.read(text, pos)) {
      ASSERT_GE(pos, before) << reader.name << " moved back on False";
      return;
    }
    ASSERT_GT(pos, before) << reader.name << " did not move forward";
    ASSERT_LE(pos, static_cast<int>(text.size()) + 1) << reader.name << " ran past the end";
  }
  FAIL() << reader.name << " never reported False";
}

TEST(ReaderTermination, EveryPrefixOfALevelEnds) {
  const std::vector<NamedReader> readers = AllReaders();
  for (const LineEnds ends : kBothLineEnds) {
    const std::string level = ToForm(kLevel, ends);
    for (std::size_t length = 0; length <= level.size(); ++length) {
      SCOPED_TRACE(::testing::Message() << LineEndsName(ends) << " prefix " << length);
      const std::string prefix = level.substr(0, length);
      for (const NamedReader& reader : readers) RunToEnd(reader, prefix);
      if (HasFatalFailure()) return;
    }
  }
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line + "\n");
  return lines;
}

TEST(ReaderTermination, ShuffledLineSlicesEnd) {
  constexpr int kRounds = 300;
  const std::vector<NamedReader> readers = AllReaders();
  const std::vector<std::string> lines = LinesOf(kLevel);
  std::mt19937 random(20240611);
  for (int round = 0; round < kRounds; ++round) {
    std::vector<std::string> shuffled = lines;
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    std::uniform_int_distribution<std::size_t> pick(0, shuffled.size());
    std::size_t first = pick(random);
    std::size_t last = pick(random);
    if (first > last) std::swap(first, last);
    std::string raw;
    for (std::size_t i = first; i < last; ++i) raw += shuffled[i];
    for (const LineEnds ends : kBothLineEnds) {
      SCOPED_TRACE(::testing::Message() << LineEndsName(ends) << " round " << round << "\n" << raw);
      const std::string text = WithLineEnds(raw, ends);
      for (const NamedReader& reader : readers) RunToEnd(reader, text);
      if (HasFatalFailure()) return;
    }
  }
}

std::string ReadCorpusFile(const char* name) {
  std::ifstream file(std::filesystem::path(BRUSHWRIGHT_CORPUS_DIR) / name, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

int CountOccurrences(std::string_view text, std::string_view key) {
  int count = 0;
  for (int pos = FindFrom(text, key, 1); pos != 0; pos = FindFrom(text, key, pos + 1)) ++count;
  return count;
}

TEST(ReaderTermination, RealLevelsReadEveryPolygonAndLight) {
  const char* const files[] = {"test_map.t3d", "xiii_cubes.t3d", "DM_Amos.t3d", "map-ue2.t3d"};
  for (const char* name : files) {
    const std::string lf_text = ReadCorpusFile(name);
    SKIP_IF_MISSING(lf_text.empty() ? std::string("no corpus level ") + name : "");
    for (const LineEnds ends : kBothLineEnds) {
      SCOPED_TRACE(::testing::Message() << name << " " << LineEndsName(ends));
      const std::string text = WithLineEnds(lf_text, ends);
      int polygons = 0;
      std::size_t vertices = 0;
      PolygonRecord polygon;
      for (int pos = 1; ReadPolygon(text, pos, polygon, false);) {
        ++polygons;
        vertices += polygon.Vertices.size();
      }
      EXPECT_EQ(polygons, CountOccurrences(text, "Begin Polygon"));
      EXPECT_EQ(vertices, static_cast<std::size_t>(CountOccurrences(text, "Vertex ")));
      int lights = 0;
      LightRecord light;
      for (int pos = 1; ReadLight(text, pos, "Class=Light", light);) ++lights;
      EXPECT_EQ(lights, CountOccurrences(text, "Class=Light"));
    }
  }
}

}  // namespace
}  // namespace brushwright
