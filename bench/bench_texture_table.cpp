// The run's texture table: registering and finding the distinct pairs of a very large level.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "run/texture_table.h"

namespace {

// Distinct (texture, flags) pairs of one level, far more than real levels hold.
constexpr int kPairs = 30000;
// Flags values the pairs cycle through, so names repeat with other flags as in real levels.
constexpr std::int64_t kFlagVariants[] = {0, 2, 4, 134217728};

// What the run does for every new pair: look it up, and register it when it is not there.
void BM_RegisterDistinctPairs(benchmark::State& state) {
  std::vector<std::string> names;
  for (int i = 0; i < kPairs; ++i) names.push_back("Pack.Group.Texture" + std::to_string(i / 4));
  for (auto _ : state) {
    brushwright::TextureTable table = brushwright::EmptyTextureTable();
    for (int i = 0; i < kPairs; ++i) {
      const std::int64_t flags = kFlagVariants[i % 4];
      if (brushwright::FindTexture(table, names[i], flags) == -1) {
        brushwright::RegisterTexture(table, names[i], 256, 256, flags);
      }
    }
    benchmark::DoNotOptimize(table.size());
  }
  state.SetItemsProcessed(state.iterations() * kPairs);
}
BENCHMARK(BM_RegisterDistinctPairs)->Unit(benchmark::kMillisecond);

}  // namespace
