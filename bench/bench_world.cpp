// The world build against the brush path (reading and placing the brushes) on the corpus levels
// and on generated levels of rooms at 1x and 8x.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench_levels.h"
#include "level_brushes.h"
#include "text/file_text.h"
#include "world/world_builder.h"

namespace brushwright {
namespace {

// The text of a corpus level, read once; empty when the corpus is absent.
const std::string& CorpusLevel(const std::string& name) {
  static std::map<std::string, std::string> levels;
  auto [it, inserted] = levels.try_emplace(name);
  const std::filesystem::path path = std::filesystem::path(BRUSHWRIGHT_CORPUS_DIR) / name;
  if (inserted && std::filesystem::exists(path)) it->second = ReadFileText(path.string());
  return it->second;
}

void Counters(benchmark::State& state, const std::vector<WorldBrush>& brushes) {
  const WorldMesh mesh = BuildWorld(brushes);
  state.counters["brushes"] = static_cast<double>(brushes.size());
  state.counters["faces"] = static_cast<double>(mesh.Faces.size());
  state.counters["positions"] = static_cast<double>(mesh.Positions.size());
}

// Reading and placing every brush: what the brush output does before it writes.
void BrushPath(benchmark::State& state, const std::string& text) {
  if (text.empty()) return state.SkipWithError("level not found");
  for (auto _ : state) benchmark::DoNotOptimize(LevelBrushes(text));
  Counters(state, LevelBrushes(text));
}

void WorldBuild(benchmark::State& state, const std::string& text) {
  if (text.empty()) return state.SkipWithError("level not found");
  const std::vector<WorldBrush> brushes = LevelBrushes(text);
  for (auto _ : state) benchmark::DoNotOptimize(BuildWorld(brushes));
  Counters(state, brushes);
}

void BM_BrushPathCorpus(benchmark::State& state, const char* name) {
  BrushPath(state, CorpusLevel(name));
}
void BM_BuildWorldCorpus(benchmark::State& state, const char* name) {
  WorldBuild(state, CorpusLevel(name));
}
void BM_BrushPathRooms(benchmark::State& state) {
  BrushPath(state, BenchLevel(LevelVariant::Rooms, state.range(0)));
}
void BM_BuildWorldRooms(benchmark::State& state) {
  WorldBuild(state, BenchLevel(LevelVariant::Rooms, state.range(0)));
}

#define BRUSHWRIGHT_CORPUS_BENCHMARKS(name, file)                                   \
  BENCHMARK_CAPTURE(BM_BrushPathCorpus, name, file)->Unit(benchmark::kMillisecond); \
  BENCHMARK_CAPTURE(BM_BuildWorldCorpus, name, file)->Unit(benchmark::kMillisecond)

BRUSHWRIGHT_CORPUS_BENCHMARKS(DM_Amos, "DM_Amos.t3d");
BRUSHWRIGHT_CORPUS_BENCHMARKS(map_ue2, "map-ue2.t3d");
BRUSHWRIGHT_CORPUS_BENCHMARKS(test_map, "test_map.t3d");
BRUSHWRIGHT_CORPUS_BENCHMARKS(xiii_cubes, "xiii_cubes.t3d");
BENCHMARK(BM_BrushPathRooms)->ArgName("scale")->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildWorldRooms)->ArgName("scale")->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brushwright
