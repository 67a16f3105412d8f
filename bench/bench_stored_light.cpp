// The light a map stores, read and laid on its own build: a second generation's light-map pages
// decoded (pages, texels), a first generation's light maps lit from their shadow bits and packed
// (frames, texels), against the same read without light. Target: milliseconds, not seconds.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "run/built_world_mesh.h"
#include "run/face_choice.h"
#include "run/level_input.h"
#include "run/run_options.h"

namespace {

using namespace brushwright;

const std::string kPackages = BRUSHWRIGHT_PACKAGES_DIR;
constexpr std::size_t kLargestInput = std::size_t{1} << 30;

// The map read with its build (and its light, with `with_light`), then its built world's mesh.
void BM_BuiltWorldWithStoredLight(benchmark::State& state, const char* name, bool with_light) {
  const std::string path = kPackages + "/" + name;
  if (!std::filesystem::exists(path)) {
    state.SkipWithError(("no " + path).c_str());
    return;
  }
  RunOptions options;
  options.BuiltWorld = true;
  std::int64_t texels = 0;
  std::size_t pages = 0;
  std::int64_t lit_faces = 0;
  for (auto _ : state) {
    const Level level = ReadLevelFile(path, kLargestInput, true, with_light);
    const BuiltMesh built = BuildBuiltWorldMesh(level, *level.Bsp, FaceChoice(options, 0), true);
    pages = built.Faces.LightPages.size();
    texels = 0;
    for (const LightPage& page : built.Faces.LightPages) {
      texels += static_cast<std::int64_t>(page.Texels.size());
    }
    lit_faces = 0;
    for (const MeshGroup& group : built.Faces.Groups) {
      for (const MeshFace& face : group.Faces) lit_faces += face.LightPage != kNoLightPage ? 1 : 0;
    }
  }
  state.counters["pages"] = static_cast<double>(pages);
  state.counters["page_texels"] = static_cast<double>(texels);
  state.counters["lit_faces"] = static_cast<double>(lit_faces);
  state.counters["texels_per_s"] = benchmark::Counter(
      static_cast<double>(texels), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK_CAPTURE(BM_BuiltWorldWithStoredLight, torpedo, "UWRM-Torpedo.ut2", true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuiltWorldWithStoredLight, torpedo_unlit, "UWRM-Torpedo.ut2", false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuiltWorldWithStoredLight, test_map, "test_map.unr", true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuiltWorldWithStoredLight, test_map_unlit, "test_map.unr", false)
    ->Unit(benchmark::kMillisecond);

}  // namespace
