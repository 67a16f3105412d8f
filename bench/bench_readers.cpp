// Throughput of the polygon and actor readers on the generated levels at 1x and 8x size.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "bench_levels.h"
#include "t3d/actor_records.h"
#include "t3d/polygon_reader.h"

namespace brushwright {
namespace {

void BM_ReadPolygon(benchmark::State& state) {
  const auto variant = static_cast<LevelVariant>(state.range(0));
  const std::string& text = BenchLevel(variant, state.range(1));
  PolygonRecord record;
  for (auto _ : state) {
    std::int64_t polygons = 0;
    for (int pos = 1; ReadPolygon(text, pos, record, false);) ++polygons;
    benchmark::DoNotOptimize(polygons);
  }
  state.SetLabel(std::string(LevelVariantName(variant)));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ReadPolygon)->Apply(VariantAndScaleArgs);

template <typename Record, typename Reader>
std::int64_t CountActors(const std::string& text, std::string_view key, Reader reader) {
  Record record;
  std::int64_t actors = 0;
  for (int pos = 1; reader(text, pos, key, record);) ++actors;
  return actors;
}

// The report's seven passes, one per actor class, each over the whole text.
void BM_ReadReportActors(benchmark::State& state) {
  const auto variant = static_cast<LevelVariant>(state.range(0));
  const std::string& text = BenchLevel(variant, state.range(1));
  for (auto _ : state) {
    std::int64_t actors = CountActors<LightRecord>(text, "Class=Light", ReadLight);
    actors += CountActors<LightRecord>(text, "Class=Spotlight", ReadLight);
    actors += CountActors<TriggerRecord>(text, "Class=Trigger ", ReadTrigger);
    actors += CountActors<PlayerStartRecord>(text, "Class=PlayerStart ", ReadPlayerStart);
    actors += CountActors<TeleporterRecord>(text, "Class=Teleporter ", ReadTeleporter);
    actors += CountActors<TeleporterRecord>(text, "Class=FavoritesTeleporter ", ReadTeleporter);
    actors += CountActors<TeleporterRecord>(text, "Class=VisibleTeleporter ", ReadTeleporter);
    benchmark::DoNotOptimize(actors);
  }
  state.SetLabel(std::string(LevelVariantName(variant)));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ReadReportActors)->Apply(VariantAndScaleArgs);

}  // namespace
}  // namespace brushwright
