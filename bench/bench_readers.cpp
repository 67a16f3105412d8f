// Throughput of the polygon and actor readers on a generated level at 1x and 8x size.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "t3d/actor_records.h"
#include "t3d/polygon_reader.h"

namespace brushwright {
namespace {

// Brushes of the 1x level; 8x repeats the same brush text eight times as often.
constexpr int kBrushesPerUnit = 200;
// Polygons per brush, as in a small room brush.
constexpr int kPolygonsPerBrush = 12;

std::string PolygonText(int index) {
  std::string text = "          Begin Polygon";
  // Every third polygon has no texture, as the editor writes faces never painted.
  if (index % 3 != 0) text += " Texture=Wall" + std::to_string(index % 7) + " Flags=32768";
  text +=
      "\r\n"
      "             Origin   -00256.000000,-00256.000000,-00256.000000\r\n"
      "             Normal   -00001.000000,+00000.000000,+00000.000000\r\n"
      "             Pan      U=-12 V=34\r\n"
      "             TextureU +00000.000000,+00001.000000,+00000.000000\r\n"
      "             TextureV +00000.000000,+00000.000000,-00001.000000\r\n"
      "             Vertex   -00256.000000,-00256.000000,-00256.000000\r\n"
      "             Vertex   -00256.000000,-00256.000000,+00256.000000\r\n"
      "             Vertex   -00256.000000,+00256.000000,+00256.000000\r\n"
      "             Vertex   -00256.000000,+00256.000000,-00256.000000\r\n"
      "          End Polygon\r\n";
  return text;
}

std::string ActorsText(int index) {
  const std::string n = std::to_string(index);
  return "Begin Actor Class=Light Name=Light" + n +
         "\r\n"
         "     Tag=\"Light\"\r\n"
         "     Region=(Zone=LevelInfo'MyLevel.LevelInfo0',iLeaf=77,ZoneNumber=5)\r\n"
         "     Location=(X=1280.000000,Y=-512.000000,Z=109.100006)\r\n"
         "     LightHue=140\r\n"
         "     AmbientSound=Sound'Amb.Loop'\r\n"
         "     Name=\"Light" +
         n +
         "\"\r\n"
         "End Actor\r\n"
         "Begin Actor Class=Trigger Name=Trigger" +
         n +
         "\r\n"
         "     Message=\"Go\"\r\n"
         "     Location=(X=1,Y=2,Z=3)\r\n"
         "End Actor\r\n";
}

std::string LevelText(int scale) {
  std::string text = "Begin Map\r\n";
  for (int brush = 0; brush < kBrushesPerUnit * scale; ++brush) {
    text += "Begin Actor Class=Brush Name=Brush" + std::to_string(brush) +
            "\r\n     PolyFlags=64\r\n    Begin Brush Name=Model\r\n       Begin PolyList\r\n";
    for (int polygon = 0; polygon < kPolygonsPerBrush; ++polygon) text += PolygonText(polygon);
    text += "       End PolyList\r\n    End Brush\r\nEnd Actor\r\n";
    text += ActorsText(brush);
  }
  return text + "End Map\r\n";
}

void BM_ReadPolygon(benchmark::State& state) {
  const std::string text = LevelText(static_cast<int>(state.range(0)));
  const bool texture_only = state.range(1) != 0;
  PolygonRecord record;
  for (auto _ : state) {
    std::int64_t polygons = 0;
    for (int pos = 1; ReadPolygon(text, pos, record, texture_only);) ++polygons;
    benchmark::DoNotOptimize(polygons);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ReadPolygon)->ArgsProduct({{1, 8}, {0, 1}})->ArgNames({"scale", "texture_only"});

void BM_ReadActors(benchmark::State& state) {
  const std::string text = LevelText(static_cast<int>(state.range(0)));
  LightRecord light;
  TriggerRecord trigger;
  for (auto _ : state) {
    std::int64_t actors = 0;
    for (int pos = 1; ReadLight(text, pos, "Class=Light", light);) ++actors;
    for (int pos = 1; ReadTrigger(text, pos, "Class=Trigger ", trigger);) ++actors;
    benchmark::DoNotOptimize(actors);
  }
  state.SetBytesProcessed(state.iterations() * 2 * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ReadActors)->Arg(1)->Arg(8)->ArgName("scale");

}  // namespace
}  // namespace brushwright
