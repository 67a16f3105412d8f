// Fuzz target: a whole headless conversion of a fuzzed level into a temporary output folder.
// The first byte picks the check boxes; the rest is the level text.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "fuzz_target.h"
#include "run/conversion_run.h"
#include "run/run_host.h"
#include "text/brush_error.h"

namespace {

namespace fs = std::filesystem;
using namespace brushwright;

// The one texture image of the search tree, so lookups and copies have something to find.
constexpr char kSearchImage[] = "Rock.bmp";
// The size LoadPicture gives every image: any picture decodes in this stand-in.
constexpr std::int32_t kPictureSize = 64;

// Option bits of the first input byte.
enum OptionBit : unsigned {
  kGeometry = 1u << 0,
  kBuildBrush = 1u << 1,
  kIgnoreNoTexture = 1u << 2,
  kIgnoreDefaultTexture = 1u << 3,
  kSearchCopy = 1u << 4,
  kW3D = 1u << 5,
  kReport = 1u << 6,
  kLaterStart = 1u << 7,
};

// The folders of one fuzzing process, made once: the input file, the output folder that every
// run starts afresh, and a search tree with one image.
struct Workspace {
  Workspace() {
    std::string pattern = (fs::temp_directory_path() / "brushwright-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    root = pattern;
    input = root / "level.t3d";
    output = root / "out";
    search = root / "textures";
    fs::create_directories(search);
    std::ofstream(search / kSearchImage, std::ios::binary) << "BM";
  }
  ~Workspace() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  fs::path root, input, output, search;
};

// The run's options for one fuzz input: its first byte picks the switches.
RunOptions OptionsFor(const Workspace& space, unsigned bits) {
  const auto has = [bits](OptionBit bit) { return (bits & bit) != 0; };
  RunOptions options;
  options.InputFile = space.input.string();
  options.OutputFile = (space.output / "level.obj").string();
  options.StartFace = has(kLaterStart) ? "3" : "1";
  options.DoGeometry = has(kGeometry);
  options.BuildBrush = has(kBuildBrush);
  options.IgnoreNoTexture = has(kIgnoreNoTexture);
  options.IgnoreDefaultTexture = has(kIgnoreDefaultTexture);
  options.SearchCopy = has(kSearchCopy);
  options.SearchPath = space.search.string();
  options.W3D = has(kW3D);
  options.Report = has(kReport);
  return options;
}

// Shows nothing; every image decodes to the same small size.
class MinimalHost : public RunHost {
 public:
  void SetLabelProgress(std::string_view) override {}
  void SetLabelPos(std::string_view) override {}
  void SetLabelTextureName(std::string_view) override {}
  void ShowFace(std::int32_t, std::int32_t) override {}
  RunRequest Yield() override { return RunRequest::Continue; }
  Image LoadPicture(const std::string&) override {
    Image image;
    image.Width = kPictureSize;
    image.Height = kPictureSize;
    return image;
  }
  void SetCurrentPosition(double, double) override {}
  void CurrentPosition(double& x, double& y) override { x = y = 0; }
  void DrawLine(int, int, int, int) override {}
  void ShowMessage(std::string_view, std::string_view) override {}
};

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Nothing may appear beside the three entries of the workspace, nor in the search tree, and
// the input must keep its bytes.
void CheckNothingOutside(const Workspace& space, const std::string& level) {
  int entries = 0;
  for (const auto& entry : fs::directory_iterator(space.root)) {
    (void)entry;
    ++entries;
  }
  int images = 0;
  for (const auto& entry : fs::directory_iterator(space.search)) {
    (void)entry;
    ++images;
  }
  if (entries != 3 || images != 1 || FileBytes(space.input) != level) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Workspace space;
  if (size == 0) return 0;
  const unsigned options = data[0];
  const std::string level(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::ofstream(space.input, std::ios::binary | std::ios::trunc) << level;
  fs::remove_all(space.output);
  fs::create_directories(space.output);

  MinimalHost host;
  try {
    RunConversion(OptionsFor(space, options), host);
  } catch (const BrushError&) {
    // An overflow or an unwritable file: the run reports it and stops, as it should.
  }
  CheckNothingOutside(space, level);
  return 0;
}
