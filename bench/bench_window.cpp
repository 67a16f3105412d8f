// Throughput of a run through the window, beside the same run headless; needs a display (Xvfb).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/frame.h>
#include <wx/init.h>

#include "bench_levels.h"
#include "cli/command_line.h"
#include "cli/headless_host.h"
#include "cli/progress_display.h"
#include "run/conversion_run.h"
#include "window/form_main.h"
#include "window/level_canvas.h"

namespace brushwright {
namespace {

// Message boxes would wait for a user; the benchmark drops them.
class SilentMessages : public MessageSink {
 public:
  void ShowMessage(std::string_view, std::string_view) override {}
};

std::filesystem::path WorkDirectory() {
  const auto dir = std::filesystem::temp_directory_path() / "brushwright-bench-window";
  std::filesystem::create_directories(dir);
  return dir;
}

std::string LevelFile(std::int64_t scale) {
  const std::string& level = BenchLevel(LevelVariant::Standard, scale);
  const auto path = WorkDirectory() / ("standard-" + std::to_string(scale) + "x.t3d");
  std::ofstream(path, std::ios::binary)
      .write(level.data(), static_cast<std::streamsize>(level.size()));
  return path.string();
}

void SetCheck(FormMain& form, const char* name, bool on) {
  wxDynamicCast(form.FindWindow(name), wxCheckBox)->SetValue(on);
}

// The window's Go command with geometry and report on and no texture copying, as the headless
// benchmark runs; wall time, since the window's work also happens in the toolkit's event loop.
void BM_WindowRun(benchmark::State& state) {
  const std::string input = LevelFile(state.range(0));
  FormOptions options;
  options.IniFileName = (WorkDirectory() / "Brushwright.ini").string();
  options.Messages = std::make_shared<SilentMessages>();
  auto* form = new FormMain(options);
  form->Show();
  form->UseInputFile(input);
  form->UseOutputFile((WorkDirectory() / "window.obj").string());
  SetCheck(*form, "CheckDoGeometry", true);
  SetCheck(*form, "CheckReport", true);
  SetCheck(*form, "CheckSearchCopy", false);
  wxCommandEvent click;
  for (auto _ : state) {
    form->CommandGo_Click(click);
    if (form->LastRunOutcome() != RunOutcome::Done)
      state.SkipWithError(form->LastRunError().c_str());
  }
  form->Destroy();
  state.SetBytesProcessed(
      state.iterations() *
      static_cast<std::int64_t>(BenchLevel(LevelVariant::Standard, state.range(0)).size()));
}
BENCHMARK(BM_WindowRun)
    ->Arg(1)
    ->Arg(8)
    ->ArgName("scale")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same level and switches through the command line's host, timed the same way.
void BM_HeadlessRunWall(benchmark::State& state) {
  const std::string input = LevelFile(state.range(0));
  ConvertOptions options;
  options.Run.Report = true;
  options.OutputFile = (WorkDirectory() / "headless.obj").string();
  std::ostringstream sink;
  ProgressDisplay progress(sink, false, 80);
  for (auto _ : state) {
    HeadlessHost host(sink, progress);
    if (RunConversion(RunOptionsFor(options, input), host).Outcome != RunOutcome::Done) {
      state.SkipWithError("not done");
    }
  }
  state.SetBytesProcessed(
      state.iterations() *
      static_cast<std::int64_t>(BenchLevel(LevelVariant::Standard, state.range(0)).size()));
}
BENCHMARK(BM_HeadlessRunWall)
    ->Arg(1)
    ->Arg(8)
    ->ArgName("scale")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A result of `quads` textured quads (two triangles each) on a wavy grid, every one its own face.
RunResult GridResult(int quads) {
  RunResult result;
  result.Scale = 0.01905;
  Image picture;
  picture.Width = picture.Height = 256;
  picture.Rgba.assign(256 * 256 * 4, 200);
  result.Materials.push_back(ResultMaterial{"Wall256", 256, picture});  // two-sided
  MeshSurface& surface = result.Geometry.Surfaces.emplace_back();
  surface.Material = 0;
  MeshGroup& group = result.Geometry.Groups.emplace_back();
  const int side = static_cast<int>(std::sqrt(quads));
  for (int i = 0; i < quads; ++i) {
    const double x = (i % side) * 64.0;
    const double y = (i / side) * 64.0;
    MeshFace& face = group.Faces.emplace_back();
    const double corners[4][2] = {{0, 0}, {0, 64}, {64, 64}, {64, 0}};
    for (const auto& corner : corners) {
      const auto at = static_cast<std::int32_t>(result.Geometry.Positions.size());
      const double cx = x + corner[0];
      const double cy = y + corner[1];
      result.Geometry.Positions.push_back({cx, cy, 200 * std::sin(cx / 700) * std::cos(cy / 900)});
      face.Corners.push_back(MeshCorner{at, corner[0] / 64, corner[1] / 64});
    }
  }
  return result;
}

// One frame of the 3-D view of a level of `range(0)` triangles, from outside (every triangle in
// view), drawn with Mesa's software renderer under Xvfb and waited for: reading the one pixel in
// the middle back waits for the drawing to end.
void BM_LevelViewFrame(benchmark::State& state) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "view", wxDefaultPosition, wxSize(800, 600));
  auto* canvas = new LevelCanvas(frame, wxID_ANY, "LevelCanvas");
  frame->Show();
  for (int pass = 0; pass < 10; ++pass) wxTheApp->Yield(true);
  canvas->ShowResult(GridResult(static_cast<int>(state.range(0) / 2)));
  canvas->ShowOverview();
  if (!canvas->DistanceAhead()) state.SkipWithError("the view drew nothing in its middle");
  for (auto _ : state) benchmark::DoNotOptimize(canvas->DistanceAhead());
  frame->Destroy();
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LevelViewFrame)
    ->Arg(10000)
    ->Arg(100000)
    ->ArgName("triangles")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace brushwright

int main(int argc, char** argv) {
  // The benchmark's own flags go first, so that the toolkit sees none it does not know.
  benchmark::Initialize(&argc, argv);
  wxApp::SetInstance(new wxApp);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
    std::fprintf(stderr, "bench_window: no display (run it under xvfb-run)\n");
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  wxEntryCleanup();
  return 0;
}
