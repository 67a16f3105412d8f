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
constexpr double kPictureSize = 64;

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

class MinimalHost : public RunHost {
 public:
  MinimalHost(const Workspace& space, unsigned options) : space_(space), options_(options) {}

  std::string TextInFileName() override { return space_.input.string(); }
  std::string TextOutFileName() override { return (space_.output / "level.obj").string(); }
  std::string TextStartAtPoly() override { return Has(kLaterStart) ? "3" : "1"; }
  int CheckDoGeometry() override { return Has(kGeometry) ? 1 : 0; }
  int CheckBuildBrush() override { return Has(kBuildBrush) ? 1 : 0; }
  int CheckIgnoreNoTxt() override { return Has(kIgnoreNoTexture) ? 1 : 0; }
  int CheckIgnoreDefTxt() override { return Has(kIgnoreDefaultTexture) ? 1 : 0; }
  int CheckSearchCopy() override { return Has(kSearchCopy) ? 1 : 0; }
  std::string TextSearchPathTxt() override { return space_.search.string(); }
  std::string ListBMtypeOut() override { return "BMP"; }
  bool OptionW3D() override { return Has(kW3D); }
  int CheckReport() override { return Has(kReport) ? 1 : 0; }
  int CheckBrushTransforms() override { return 1; }
  int CheckSubtractBrushes() override { return 0; }
  void SaveSettings() override {}
  void SetLabelProgress(std::string_view) override {}
  void SetLabelPos(std::string_view) override {}
  void SetLabelTextureName(std::string_view) override {}
  void SetGoEnabled(bool) override {}
  void SetPauseEnabled(bool) override {}
  void Yield() override {}
  void LoadPicture(const std::string&, double& width, double& height) override {
    width = kPictureSize;
    height = kPictureSize;
  }
  void SetCurrentPosition(double, double) override {}
  void CurrentPosition(double& x, double& y) override { x = y = 0; }
  void DrawLine(int, int, int, int) override {}
  void ShowMessage(std::string_view, std::string_view) override {}
  FormMembers& Form() override { return form_; }

 private:
  bool Has(OptionBit bit) const { return (options_ & bit) != 0; }
  const Workspace& space_;
  unsigned options_;
  FormMembers form_;
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

  MinimalHost host(space, options);
  try {
    RunConversion(host);
  } catch (const BrushError&) {
    // An overflow or an unwritable file: the run reports it and stops, as it should.
  }
  if (host.Form().Running) std::abort();  // the run leaves its host idle on every way out
  CheckNothingOutside(space, level);
  return 0;
}
