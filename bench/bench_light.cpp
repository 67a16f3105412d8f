// Light: shadow rays from every light-map texel of a real first-generation map to its lights
// (texels, lights and rays per second), building the tree the rays walk, and lighting the map's
// whole built world from scratch.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <set>
#include <string>

#include "light/mesh_light.h"
#include "light/stored_shadows.h"
#include "map/package_level.h"
#include "package/package_file.h"
#include "run/built_world_mesh.h"
#include "run/face_choice.h"

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

// The whole built world of test_map.unr lit from scratch by its lights, as a T3D export's
// world would be: a frame of 16-unit texels on every face, shadow rays through every face.
void BM_LightBuiltWorldOfTestMap(benchmark::State& state) {
  const LitMap* map = TestMap();
  if (!map) {
    state.SkipWithError(("no " + kTestMap).c_str());
    return;
  }
  const Mesh mesh =
      BuildBuiltWorldMesh(map->Read, *map->Read.Bsp, FaceChoice(RunOptions{}, 1), true).Faces;
  std::vector<LightSource> lights;
  for (const LightRecord& light : map->Read.Actors.Lights)
    lights.push_back(LightSourceOf(light, 1));
  MeshLight light;
  for (auto _ : state) {
    light = LightMesh(mesh, lights, MeshLightSettings{});
    benchmark::DoNotOptimize(light.Rays);
  }
  std::int64_t texels = 0;
  for (const FaceLight& face : light.Faces)
    texels += std::int64_t{face.Light.Width} * face.Light.Height;
  const auto iterations = static_cast<double>(state.iterations());
  state.counters["faces"] = static_cast<double>(light.Faces.size());
  state.counters["texels"] = static_cast<double>(texels);
  state.counters["lights"] = static_cast<double>(lights.size());
  state.counters["pages"] = light.Atlas.Pages;
  state.counters["rays_per_s"] =
      benchmark::Counter(static_cast<double>(light.Rays) * iterations, benchmark::Counter::kIsRate);
  state.counters["texels_per_s"] =
      benchmark::Counter(static_cast<double>(texels) * iterations, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LightBuiltWorldOfTestMap)->Unit(benchmark::kMillisecond);

}  // namespace
