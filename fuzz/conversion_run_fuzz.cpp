// Fuzz target: a whole headless conversion of a fuzzed level into a temporary output folder.
// The first byte picks the check boxes; the rest is the level text.
#include <cstdint>
#include <string>

#include "fuzz_target.h"
#include "run/conversion_run.h"
#include "run_workspace.h"
#include "text/brush_error.h"

namespace {

using namespace brushwright;
using fuzz::Workspace;

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return brushwright::fuzz::RunFuzzInput(data, size, OptionsFor);
}
