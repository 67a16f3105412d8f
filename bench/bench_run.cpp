// Throughput of the whole headless run (geometry, MTL and report) on generated levels.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "bench_levels.h"
#include "cli/command_line.h"
#include "cli/headless_host.h"
#include "cli/progress_display.h"
#include "run/conversion_run.h"

namespace brushwright {
namespace {

// Inputs and outputs of the benchmark live here, apart from the user's files.
std::filesystem::path WorkDirectory() {
  const auto dir = std::filesystem::temp_directory_path() / "brushwright-bench";
  std::filesystem::create_directories(dir);
  return dir;
}

// Writes the level for `variant` and `scale` as a T3D file and gives its path.
std::string LevelFile(LevelVariant variant, std::int64_t scale) {
  const std::string& level = BenchLevel(variant, scale);
  const auto path = WorkDirectory() / (std::string(LevelVariantName(variant)) + "-" +
                                       std::to_string(scale) + "x.t3d");
  std::ofstream(path, std::ios::binary)
      .write(level.data(), static_cast<std::streamsize>(level.size()));
  return path.string();
}

// The command line's run without a terminal: no progress line, messages to a string.
void BM_HeadlessRun(benchmark::State& state) {
  const auto variant = static_cast<LevelVariant>(state.range(0));
  const std::string input = LevelFile(variant, state.range(1));
  ConvertOptions options;
  options.Inputs = {input};
  options.Run.Report = true;
  options.OutputDir = WorkDirectory().string();
  std::ostringstream messages;
  std::ostringstream progress_out;
  ProgressDisplay progress(progress_out, false, 80);
  std::int32_t faces = 0;
  for (auto _ : state) {
    HeadlessHost host(messages, progress);
    const RunSummary summary = RunConversion(RunOptionsFor(options, input), host);
    if (summary.Outcome != RunOutcome::Done) state.SkipWithError("the run did not finish");
    faces = summary.FacesConverted;
  }
  state.SetLabel(std::string(LevelVariantName(variant)));
  state.counters["faces"] = faces;
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(BenchLevel(variant, state.range(1)).size()));
}
BENCHMARK(BM_HeadlessRun)->Apply(VariantAndScaleArgs)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brushwright
