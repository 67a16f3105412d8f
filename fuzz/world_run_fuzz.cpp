// Fuzz target: a whole headless conversion that builds the world of a fuzzed level, as OBJ or
// glTF binary, into a temporary output folder. The first byte picks the switches; the rest is
// the level text.
#include <cstdint>
#include <string>

#include "fuzz_target.h"
#include "run/conversion_run.h"
#include "run_workspace.h"
#include "text/brush_error.h"

namespace {

using namespace brushwright;
using fuzz::Workspace;

// Option bits of the first input byte; the world is always built.
enum OptionBit : unsigned {
  kGeometry = 1u << 0,
  kGlb = 1u << 1,
  kIgnoreNoTexture = 1u << 2,
  kIgnoreDefaultTexture = 1u << 3,
  kSearchCopy = 1u << 4,
  kW3D = 1u << 5,
  kReport = 1u << 6,  // the report, and the glTF file's actors
  kLaterStart = 1u << 7,
};

RunOptions OptionsFor(const Workspace& space, unsigned bits) {
  const auto has = [bits](OptionBit bit) { return (bits & bit) != 0; };
  RunOptions options;
  options.BuildWorld = true;
  options.Format = has(kGlb) ? OutputFormat::Glb : OutputFormat::Obj;
  options.InputFile = space.input.string();
  options.OutputFile = (space.output / "level").string() + OutputExtension(options.Format);
  options.StartFace = has(kLaterStart) ? "3" : "1";
  options.DoGeometry = has(kGeometry);
  options.IgnoreNoTexture = has(kIgnoreNoTexture);
  options.IgnoreDefaultTexture = has(kIgnoreDefaultTexture);
  options.SearchCopy = has(kSearchCopy);
  options.SearchPath = space.search.string();
  options.W3D = has(kW3D);
  options.Report = has(kReport);
  options.Actors = has(kReport);
  return options;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return brushwright::fuzz::RunFuzzInput(data, size, OptionsFor);
}
