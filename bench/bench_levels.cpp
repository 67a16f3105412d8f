// Keeps the generated levels of the benchmarks so each is built once per program.
#include "bench_levels.h"

#include <map>
#include <utility>

namespace brushwright {

const std::string& BenchLevel(LevelVariant variant, std::int64_t scale) {
  static std::map<std::pair<LevelVariant, std::int64_t>, std::string> levels;
  auto [it, inserted] = levels.try_emplace({variant, scale});
  if (inserted) {
    it->second = GenerateLevel({static_cast<std::int32_t>(scale * kFacesPerUnit), variant});
  }
  return it->second;
}

void VariantAndScaleArgs(benchmark::internal::Benchmark* bench) {
  bench->ArgNames({"variant", "scale"});
  for (int variant = 0; variant < 3; ++variant) {
    for (int scale : {1, 8}) bench->Args({variant, scale});
  }
}

}  // namespace brushwright
