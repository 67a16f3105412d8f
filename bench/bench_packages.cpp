// Unreal packages: indexing a game-sized folder of packages (tables only), decoding textures,
// reading a map's level.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "map/package_level.h"
#include "package/package_file.h"
#include "texture/package_texture.h"
#include "texture/texture_index.h"

namespace {

namespace fs = std::filesystem;

const std::string kPackages = BRUSHWRIGHT_PACKAGES_DIR;
const char* const kSamples[] = {"UWRM-Torpedo.ut2", "Checkers.utx", "BuildingGraphics.utx",
                                "test_map.unr"};
// A game folder: 300 packages in folders of 30, about 300 MB: copies of the four samples in turn,
// each under a name of its own, beside a text file in each folder that is no package.
constexpr int kTreePackages = 300;
constexpr int kPackagesPerFolder = 30;

std::vector<char> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Made once for the program in the temporary folder, removed at exit.
class PackageTree {
 public:
  PackageTree()
      : root_(fs::temp_directory_path() /
              ("brushwright-bench-packages-" + std::to_string(getpid()))) {
    std::vector<std::vector<char>> samples;
    for (const char* sample : kSamples) samples.push_back(FileBytes(kPackages + "/" + sample));
    for (int i = 0; i < kTreePackages; ++i) {
      const fs::path folder = root_ / ("System" + std::to_string(i / kPackagesPerFolder));
      if (i % kPackagesPerFolder == 0) {
        fs::create_directories(folder);
        std::ofstream(folder / "Readme.txt") << "not a package";
      }
      const std::string name = kSamples[i % 4];
      const std::vector<char>& bytes = samples[i % 4];
      std::ofstream(folder / (std::to_string(i) + name), std::ios::binary)
          .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      bytes_ += bytes.size();
    }
  }
  PackageTree(const PackageTree&) = delete;
  PackageTree& operator=(const PackageTree&) = delete;
  ~PackageTree() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  std::string root() const { return root_.string(); }
  std::size_t bytes() const { return bytes_; }

 private:
  fs::path root_;
  std::size_t bytes_ = 0;
};

// Bytes this process has read through system calls so far (Linux's rchar), to show that
// indexing reads the tables and not the objects.
double BytesReadSoFar() {
  std::ifstream io("/proc/self/io");
  std::string key;
  double value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return 0;
}

bool HaveSamples(benchmark::State& state) {
  if (fs::is_directory(kPackages)) return true;
  state.SkipWithError(("the sample packages are not in " + kPackages).c_str());
  return false;
}

// Target: under 0.5 s for the whole tree with the files in the page cache (the first iteration
// warms it).
void BM_IndexPackageTree(benchmark::State& state) {
  if (!HaveSamples(state)) return;
  static const PackageTree tree;
  const double read_before = BytesReadSoFar();
  for (auto _ : state) {
    brushwright::TextureIndex index;
    index.AddFolder(tree.root(), nullptr);
    if (index.PackageCount() != kTreePackages) state.SkipWithError("packages were passed over");
    benchmark::DoNotOptimize(index);
  }
  state.counters["packages"] = kTreePackages;
  state.counters["MB"] = static_cast<double>(tree.bytes()) / 1e6;
  state.counters["MB_read"] =
      (BytesReadSoFar() - read_before) / 1e6 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_IndexPackageTree)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Target: under 1 ms for a 256 x 256 P8 texture, object bytes and palette read from the package.
void BM_DecodeP8Texture(benchmark::State& state) {
  if (!HaveSamples(state)) return;
  const std::vector<char> bytes = FileBytes(kPackages + "/Checkers.utx");
  const brushwright::PackageFile package = brushwright::PackageFile::FromBytes(
      "Checkers.utx", std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  for (auto _ : state) {
    // checkers_abcd: 256 x 256 P8 with its own palette.
    benchmark::DoNotOptimize(brushwright::DecodeTextureExport(package, 5, false));
  }
}
BENCHMARK(BM_DecodeP8Texture)->Unit(benchmark::kMicrosecond);

// A map's level read from its file: the tables, then the objects its level leads to and no
// other (read_share: the bytes read as a share of the file's; each object read fills the file
// stream's 8 KB buffer, so a small map shows more than its own size). Target: a share that falls
// as a map stores more of its own textures, which the level reader never reads.
void BM_ReadPackageLevel(benchmark::State& state, const char* name) {
  if (!HaveSamples(state)) return;
  const std::string path = kPackages + "/" + name;
  double bytes_read = 0;
  std::size_t brushes = 0;
  for (auto _ : state) {
    const double before = BytesReadSoFar();
    const brushwright::Level level =
        brushwright::ReadPackageLevel(brushwright::PackageFile::Open(path), false);
    bytes_read = BytesReadSoFar() - before;
    brushes = level.Brushes.size();
  }
  state.counters["brushes"] = static_cast<double>(brushes);
  state.counters["read_share"] = bytes_read / static_cast<double>(fs::file_size(path));
}
BENCHMARK_CAPTURE(BM_ReadPackageLevel, test_map, "test_map.unr")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadPackageLevel, torpedo, "UWRM-Torpedo.ut2")->Unit(benchmark::kMillisecond);

// The pure decoders alone, per format, on 256 x 256 pixels.
void BM_DecodePixels(benchmark::State& state) {
  const auto format = static_cast<brushwright::PixelFormat>(state.range(0));
  const std::vector<std::uint8_t> data(256 * 256 * 4, 0x5A);
  brushwright::PaletteColors palette{};
  for (auto _ : state) {
    benchmark::DoNotOptimize(brushwright::DecodePixels(format, 256, 256, data, &palette, false));
  }
}
BENCHMARK(BM_DecodePixels)
    ->Arg(static_cast<int>(brushwright::PixelFormat::P8))
    ->Arg(static_cast<int>(brushwright::PixelFormat::Dxt1))
    ->Arg(static_cast<int>(brushwright::PixelFormat::Dxt5))
    ->Unit(benchmark::kMicrosecond);

}  // namespace
