// Whole headless runs as the command line does them (geometry, MTL or glTF, report): the brush
// output against the world output, OBJ against glTF binary, and levels of many textures.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "bench_levels.h"
#include "cli/command_line.h"
#include "cli/headless_host.h"
#include "cli/progress_display.h"
#include "map/package_level.h"
#include "run/conversion_run.h"
#include "texture_tree.h"

namespace brushwright {
namespace {

namespace fs = std::filesystem;

// Actors of the placed-meshes level.
constexpr int kPlacedActors = 1000;
// Faces of the textures level: as many distinct textures as faces.
constexpr std::int32_t kTexturedFaces = 30000;
// The statistic of --benchmark_repetitions that gives the best run, the one least disturbed by
// other work on the machine.
constexpr char kBestName[] = "min";

// Inputs and outputs of the benchmark live here, apart from the user's files.
fs::path WorkDirectory() {
  const auto dir = fs::temp_directory_path() / "brushwright-bench";
  fs::create_directories(dir);
  return dir;
}

// Writes `text` as a T3D file named `name` in the work directory and gives its path.
std::string LevelFile(const std::string& name, const std::string& text) {
  const fs::path path = WorkDirectory() / (name + ".t3d");
  std::ofstream(path, std::ios::binary)
      .write(text.data(), static_cast<std::streamsize>(text.size()));
  return path.string();
}

std::string LevelFile(LevelVariant variant, std::int64_t scale) {
  return LevelFile(std::string(LevelVariantName(variant)) + "-" + std::to_string(scale) + "x",
                   BenchLevel(variant, scale));
}

// Which surfaces a run writes.
enum class Surfaces {
  Brushes,                // additive brushes, as the command line does by default
  BrushesAndSubtractive,  // --subtractive: every brush the world output handles
  World,                  // --world
};

const char* SurfacesName(Surfaces surfaces) {
  switch (surfaces) {
    case Surfaces::Brushes:
      return "brushes";
    case Surfaces::BrushesAndSubtractive:
      return "brushes+subtractive";
    case Surfaces::World:
      return "world";
  }
  return "";
}

// Removes the images a run copied into `dir`, so that every run fetches them again.
void RemoveCopiedImages(const fs::path& dir) {
  std::vector<fs::path> images;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() == ".BMP") images.push_back(entry.path());
  }
  for (const fs::path& image : images) fs::remove(image);
}

// Times the run of `input` with the report on, copying images from `search_path` when it is not
// empty; counts what the run wrote.
void TimeRun(benchmark::State& state, const std::string& input,
             Surfaces surfaces = Surfaces::Brushes, OutputFormat format = OutputFormat::Obj,
             const std::string& search_path = "") {
  ConvertOptions options;
  options.Inputs = {input};
  options.Run.Report = true;
  options.Run.Subtractive = surfaces == Surfaces::BrushesAndSubtractive;
  options.Run.BuildWorld = surfaces == Surfaces::World;
  options.Run.Format = format;
  options.Run.SearchCopy = !search_path.empty();
  options.Run.SearchPath = search_path;
  // Runs that copy images write into a folder of their own, emptied of them before each run.
  const fs::path out = WorkDirectory() / (search_path.empty() ? "out" : "out-copies");
  fs::create_directories(out);
  options.OutputDir = out.string();
  std::ostringstream progress_out;
  ProgressDisplay progress(progress_out, false, 80);
  RunSummary summary;
  for (auto _ : state) {
    if (options.Run.SearchCopy) {
      state.PauseTiming();
      RemoveCopiedImages(out);
      state.ResumeTiming();
    }
    std::ostringstream messages;
    HeadlessHost host(messages, progress);
    summary = RunConversion(RunOptionsFor(options, input), host);
    if (summary.Outcome != RunOutcome::Done) state.SkipWithError("the run did not finish");
  }
  state.SetLabel(std::string(SurfacesName(surfaces)) +
                 (format == OutputFormat::Glb ? " glb" : " obj"));
  state.counters["faces"] = summary.FacesConverted;
  if (surfaces == Surfaces::World) state.counters["fragments"] = summary.Fragments;
  state.counters["materials"] = summary.Materials;
  state.counters["missing"] = summary.MissingTextures;
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(input)));
}

// Milliseconds, and the best of the repetitions beside their mean and median.
void Timed(benchmark::internal::Benchmark* bench) {
  bench->Unit(benchmark::kMillisecond)->ComputeStatistics(kBestName, [](const auto& times) {
    return *std::min_element(times.begin(), times.end());
  });
}

// The command line's default run: brushes, OBJ, report.
void BM_HeadlessRun(benchmark::State& state) {
  const auto variant = static_cast<LevelVariant>(state.range(0));
  TimeRun(state, LevelFile(variant, state.range(1)));
}
BENCHMARK(BM_HeadlessRun)->Apply(VariantAndScaleArgs)->Apply(Timed);

// A corpus level's brush output, with subtractive brushes, and world output.
void BM_CorpusRun(benchmark::State& state, const char* name) {
  const fs::path path = fs::path(BRUSHWRIGHT_CORPUS_DIR) / name;
  if (!fs::exists(path)) return state.SkipWithError("corpus level not found");
  TimeRun(state, path.string(), static_cast<Surfaces>(state.range(0)));
}
// The three outputs of one level.
void ThreeOutputs(benchmark::internal::Benchmark* bench) {
  bench->ArgName("output")->DenseRange(0, 2)->Apply(Timed);
}
BENCHMARK_CAPTURE(BM_CorpusRun, DM_Amos, "DM_Amos.t3d")->Apply(ThreeOutputs);
BENCHMARK_CAPTURE(BM_CorpusRun, map_ue2, "map-ue2.t3d")->Apply(ThreeOutputs);
BENCHMARK_CAPTURE(BM_CorpusRun, test_map, "test_map.t3d")->Apply(ThreeOutputs);
BENCHMARK_CAPTURE(BM_CorpusRun, xiii_cubes, "xiii_cubes.t3d")->Apply(ThreeOutputs);

// Rooms side by side, 1x and 8x, in the three outputs.
void BM_RoomsRun(benchmark::State& state) {
  TimeRun(state, LevelFile(LevelVariant::Rooms, state.range(0)),
          static_cast<Surfaces>(state.range(1)));
}
BENCHMARK(BM_RoomsRun)
    ->ArgNames({"scale", "output"})
    ->ArgsProduct({{1, 8}, {0, 1, 2}})
    ->Apply(Timed);

// OBJ against glTF binary, no image found: the brush output of 1x levels, and the world output
// of the rooms (the other variants' brushes are random polygons, not closed: their world is no
// level's).
void BM_FormatRun(benchmark::State& state) {
  const auto variant = static_cast<LevelVariant>(state.range(0));
  TimeRun(state, LevelFile(variant, 1), static_cast<Surfaces>(state.range(1)),
          static_cast<OutputFormat>(state.range(2)));
}
void FormatArgs(benchmark::internal::Benchmark* bench) {
  bench->ArgNames({"variant", "output", "glb"});
  for (const int glb : {0, 1}) {
    for (const LevelVariant variant :
         {LevelVariant::Standard, LevelVariant::UntexturedOnly, LevelVariant::Rooms}) {
      bench->Args({static_cast<int>(variant), static_cast<int>(Surfaces::Brushes), glb});
    }
    bench->Args({static_cast<int>(LevelVariant::Rooms), static_cast<int>(Surfaces::World), glb});
  }
  bench->Apply(Timed);
}
BENCHMARK(BM_FormatRun)->Apply(FormatArgs);

// The texture search folder, written once per program.
std::string TextureTree() {
  static const std::string root = [] {
    const fs::path path = WorkDirectory() / "texture-tree";
    std::error_code ignored;
    fs::remove_all(path, ignored);
    WriteTextureTree(path.string(), {});
    return path.string();
  }();
  return root;
}

// 30,000 faces of 30,000 textures: no search, and copying over a 10,000-file folder in which
// ten of them are found (and decoded).
void BM_TexturesRun(benchmark::State& state) {
  static const std::string input =
      LevelFile("textures-30000", GenerateLevel({kTexturedFaces, LevelVariant::Textures}));
  TimeRun(state, input, Surfaces::Brushes, OutputFormat::Obj,
          state.range(0) == 0 ? std::string() : TextureTree());
}
BENCHMARK(BM_TexturesRun)->ArgName("copy")->Arg(0)->Arg(1)->Apply(Timed);

// A map package against its own T3D export, in the brush and world outputs. Target: the map no
// slower than the text. The export is test_map.t3d without Brush24, which the map lacks.
void BM_MapAgainstItsText(benchmark::State& state) {
  const fs::path map = fs::path(BRUSHWRIGHT_PACKAGES_DIR) / "test_map.unr";
  const fs::path text = fs::path(BRUSHWRIGHT_CORPUS_DIR) / "test_map.t3d";
  if (!fs::exists(map) || !fs::exists(text)) return state.SkipWithError("test_map not found");
  static const std::string export_without_brush24 = [&text] {
    std::ifstream in(text, std::ios::binary);
    std::string level{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::size_t begin = level.find("Begin Actor Class=Brush Name=Brush24");
    level.erase(begin, level.find("End Actor", begin) + 10 - begin);
    return LevelFile("test_map-without-Brush24", level);
  }();
  TimeRun(state, state.range(0) == 0 ? export_without_brush24 : map.string(),
          static_cast<Surfaces>(state.range(1)));
}
BENCHMARK(BM_MapAgainstItsText)
    ->ArgNames({"map", "output"})
    ->ArgsProduct({{0, 1},
                   {static_cast<int>(Surfaces::Brushes), static_cast<int>(Surfaces::World)}})
    ->Apply(Timed);

// test_map's checker textures found inside Checkers.utx against the same images as loose files
// of the same size. Target: the package no more than 1.5 times the loose files.
void BM_PackageTexturesRun(benchmark::State& state) {
  const fs::path package = fs::path(BRUSHWRIGHT_PACKAGES_DIR) / "Checkers.utx";
  const std::string text = (fs::path(BRUSHWRIGHT_CORPUS_DIR) / "test_map.t3d").string();
  if (!fs::exists(package) || !fs::exists(text)) {
    return state.SkipWithError("Checkers.utx or test_map.t3d not found");
  }
  // A folder holding the package, and one holding the images a run wrote from it.
  static const std::pair<std::string, std::string> folders = [&] {
    const fs::path packages = WorkDirectory() / "package-tree";
    const fs::path loose = WorkDirectory() / "loose-tree";
    fs::create_directories(packages / "Textures");
    fs::copy_file(package, packages / "Textures" / "Checkers.utx",
                  fs::copy_options::overwrite_existing);
    RunOptions options;
    options.InputFile = text;
    options.OutputFile = (loose / "test_map.obj").string();
    options.SearchCopy = true;
    options.SearchPath = packages.string();
    fs::create_directories(loose);
    std::ostringstream out;
    ProgressDisplay progress(out, false, 80);
    HeadlessHost host(out, progress);
    RunConversion(options, host);
    for (const char* file : {"test_map.obj", "test_map.mtl", "test_mapMissingTextures.txt"}) {
      fs::remove(loose / file);
    }
    return std::pair(packages.string(), loose.string());
  }();
  TimeRun(state, text, Surfaces::Brushes, OutputFormat::Obj,
          state.range(0) == 0 ? folders.second : folders.first);
}
BENCHMARK(BM_PackageTexturesRun)->ArgName("package")->Arg(0)->Arg(1)->Apply(Timed);

// A level of 1,000 actors drawing the two meshes UWRM-Torpedo.ut2 stores itself, turned and
// scaled each its own way, named by a T3D text of the map's name: the world output with every
// mesh placed. Target: well under a second, each mesh read once.
void BM_PlacedMeshesRun(benchmark::State& state) {
  const fs::path map = fs::path(BRUSHWRIGHT_PACKAGES_DIR) / "UWRM-Torpedo.ut2";
  if (!fs::exists(map)) return state.SkipWithError("UWRM-Torpedo.ut2 not found");
  static const std::pair<std::string, std::string> files = [&] {
    const fs::path folder = WorkDirectory() / "placed-tree";
    fs::create_directories(folder / "Maps");
    fs::copy_file(map, folder / "Maps" / "UWRM-Torpedo.ut2", fs::copy_options::overwrite_existing);
    std::vector<std::string> meshes;
    for (const StaticMeshActorRecord& actor :
         ReadPackageLevel(PackageFile::Open(map.string()), false).MeshActors) {
      if (actor.StaticMesh.starts_with("MyLevel.")) meshes.push_back(actor.StaticMesh);
    }
    std::string text = "Begin Map\r\n";
    for (int i = 0; i < kPlacedActors; ++i) {
      const std::string n = std::to_string(i);
      text += "Begin Actor Class=StaticMeshActor Name=StaticMeshActor" + n +
              "\r\n    StaticMesh=StaticMesh'" +
              meshes[static_cast<std::size_t>(i) % meshes.size()] +
              "'\r\n    Location=(X=" + std::to_string(i % 40 * 256) +
              ",Y=" + std::to_string(i / 40 * 256) +
              ")\r\n    Rotation=(Yaw=" + std::to_string(i * 1000) +
              ")\r\n    DrawScale=" + std::to_string(0.5 + i % 3 * 0.25) + "\r\nEnd Actor\r\n";
    }
    return std::pair(LevelFile("UWRM-Torpedo", text + "End Map\r\n"), folder.string());
  }();
  TimeRun(state, files.first, Surfaces::World, static_cast<OutputFormat>(state.range(0)),
          files.second);
}
BENCHMARK(BM_PlacedMeshesRun)
    ->ArgName("glb")
    ->Arg(static_cast<int>(OutputFormat::Obj))
    ->Arg(static_cast<int>(OutputFormat::Glb))
    ->Apply(Timed);

}  // namespace
}  // namespace brushwright
