// Light: shadow rays from every light-map texel of a real first-generation map to its lights
// (texels, lights and rays per second), and building the tree the rays walk.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <set>
#include <string>

#include "light/stored_shadows.h"
#include "map/package_level.h"
#include "package/package_file.h"

namespace {

using namespace brushwright;

const std::string kTestMap = std::string(BRUSHWRIGHT_PACKAGES_DIR) + "/test_map.unr";

struct LitMap {
  Level Read;
  LevelLightMaps Maps;
};

// Read once for the program; null when the sample map is missing.
const LitMap* TestMap() {
  static const LitMap* map = []() -> const LitMap* {
    if (!std::filesystem::exists(kTestMap)) return nullptr;
    const PackageFile package = PackageFile::Open(kTestMap);
    return new LitMap{ReadPackageLevel(package, true), ReadPackageLightMaps(package)};
  }();
  return map;
}

void BM_ShadowRaysOfTestMap(benchmark::State& state) {
  const LitMap* map = TestMap();
  if (!map) {
    state.SkipWithError(("no " + kTestMap).c_str());
    return;
  }
  const ShadowCaster caster(BspTriangles(*map->Read.Bsp));
  ShadowAgreement agreement;
  for (auto _ : state) {
    agreement = CompareStoredShadows(*map->Read.Bsp, map->Maps, caster, 0.5);
    benchmark::DoNotOptimize(agreement);
  }
  std::int64_t texels = 0;
  for (const LightMapIndex& index : map->Maps.Indexes) {
    texels += std::int64_t{index.UClamp} * index.VClamp;
  }
  const std::set<std::int32_t> lights(map->Maps.Lights.begin(), map->Maps.Lights.end());
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["texels"] = static_cast<double>(texels);
  state.counters["lights"] = static_cast<double>(lights.size() - lights.count(0));
  state.counters["agree_pct"] = 100 * agreement.Share();
  state.counters["texels_per_s"] =
      benchmark::Counter(static_cast<double>(texels) * iterations, benchmark::Counter::kIsRate);
  state.counters["rays_per_s"] = benchmark::Counter(
      static_cast<double>(agreement.Rays) * iterations, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ShadowRaysOfTestMap)->Unit(benchmark::kMillisecond);

void BM_ShadowTreeOfTestMap(benchmark::State& state) {
  const LitMap* map = TestMap();
  if (!map) {
    state.SkipWithError(("no " + kTestMap).c_str());
    return;
  }
  for (auto _ : state) {
    const ShadowCaster caster(BspTriangles(*map->Read.Bsp));
    benchmark::DoNotOptimize(caster.TriangleCount());
  }
}
BENCHMARK(BM_ShadowTreeOfTestMap)->Unit(benchmark::kMicrosecond);

}  // namespace
