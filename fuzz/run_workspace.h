// The folders and the silent host the whole-run fuzz targets share, and their check that a run
// left nothing outside its output folder.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "run/conversion_run.h"
#include "run/run_host.h"
#include "text/brush_error.h"

namespace brushwright::fuzz {

namespace fs = std::filesystem;

// The one texture image of the search tree, so lookups and copies have something to find.
inline constexpr char kSearchImage[] = "Rock.bmp";
// The width and height of that image.
inline constexpr std::int32_t kPictureSize = 64;

// A kPictureSize x kPictureSize 24-bit BMP file of one colour.
inline std::string SearchImageBytes() {
  const auto word = [](std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
  };
  const std::uint32_t pixels = kPictureSize * kPictureSize * 3;  // rows need no padding
  std::string bmp = "BM" + word(54 + pixels, 4) + word(0, 4) + word(54, 4) + word(40, 4) +
                    word(kPictureSize, 4) + word(kPictureSize, 4) + word(1, 2) + word(24, 2) +
                    word(0, 4) + word(pixels, 4) + word(2835, 4) + word(2835, 4) + word(0, 4) +
                    word(0, 4);
  bmp.append(pixels, '\x5a');
  return bmp;
}

// The folders of one fuzzing process, made once: the input file, the output folder that every
// run starts afresh, and a search tree with one image.
struct Workspace {
  Workspace() {
    // A folder of a random name, made anew: a name another process took is passed over.
    std::random_device random;
    do {
      root = fs::temp_directory_path() / ("brushwright-fuzz-" + std::to_string(random()));
    } while (!fs::create_directory(root));
    input = root / "level.t3d";
    output = root / "out";
    search = root / "textures";
    fs::create_directories(search);
    std::ofstream(search / kSearchImage, std::ios::binary) << SearchImageBytes();
  }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;
  ~Workspace() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  // Writes the level as the input and empties the output folder for the next run.
  void Prepare(const std::string& level) const {
    std::ofstream(input, std::ios::binary | std::ios::trunc) << level;
    fs::remove_all(output);
    fs::create_directories(output);
  }

  fs::path root, input, output, search;
};

// Shows nothing.
class MinimalHost : public RunHost {
 public:
  void SetLabelProgress(std::string_view) override {}
  void SetLabelPos(std::string_view) override {}
  void SetLabelTextureName(std::string_view) override {}
  void ShowFace(std::int32_t, std::int32_t) override {}
  RunRequest Yield() override { return RunRequest::Continue; }
  void ShowPicture(const Image&) override {}
  void SetCurrentPosition(double, double) override {}
  void CurrentPosition(double& x, double& y) override { x = y = 0; }
  void DrawLine(int, int, int, int) override {}
  void ShowMessage(std::string_view, std::string_view, MessageKind) override {}
};

inline std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Nothing may appear beside the three entries of the workspace, nor in the search tree, and
// the input must keep its bytes; aborts otherwise, which the fuzzer reports as a crash.
inline void CheckNothingOutside(const Workspace& space, const std::string& level) {
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

// The switches every whole-run target reads from the same bits of its first input byte; bit 1
// is each target's own.
enum SharedOptionBit : unsigned {
  kGeometry = 1u << 0,
  kIgnoreNoTexture = 1u << 2,
  kIgnoreDefaultTexture = 1u << 3,
  kSearchCopy = 1u << 4,
  kW3D = 1u << 5,
  kReport = 1u << 6,
  kLaterStart = 1u << 7,
};

// The options of a run over the workspace with the shared bits of `bits`, into `output_name`.
inline RunOptions SharedOptions(const Workspace& space, unsigned bits,
                                const std::string& output_name) {
  const auto has = [bits](SharedOptionBit bit) { return (bits & bit) != 0; };
  RunOptions options;
  options.InputFile = space.input.string();
  options.OutputFile = (space.output / output_name).string();
  options.StartFace = has(kLaterStart) ? "3" : "1";
  options.DoGeometry = has(kGeometry);
  options.IgnoreNoTexture = has(kIgnoreNoTexture);
  options.IgnoreDefaultTexture = has(kIgnoreDefaultTexture);
  options.SearchCopy = has(kSearchCopy);
  options.SearchPath = space.search.string();
  options.W3D = has(kW3D);
  options.Report = has(kReport);
  return options;
}

// One fuzz input of a whole-run target: its first byte picks the options (`options_for` turns it
// into them), the rest is the level. The run may stop with an error (an overflow, an unwritable
// file), as it should; it must leave nothing outside its output folder.
template <typename OptionsFor>
int RunFuzzInput(const std::uint8_t* data, std::size_t size, OptionsFor options_for) {
  static const Workspace space;
  if (size == 0) return 0;
  const std::string level(reinterpret_cast<const char*>(data) + 1, size - 1);
  space.Prepare(level);
  MinimalHost host;
  try {
    RunConversion(options_for(space, data[0]), host);
  } catch (const BrushError&) {
  }
  CheckNothingOutside(space, level);
  return 0;
}

}  // namespace brushwright::fuzz
