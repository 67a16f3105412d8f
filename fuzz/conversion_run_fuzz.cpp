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

// The first byte's bit 1 takes only the builder brush; the others are the shared switches.
constexpr unsigned kBuildBrush = 1u << 1;

RunOptions OptionsFor(const Workspace& space, unsigned bits) {
  RunOptions options = fuzz::SharedOptions(space, bits, "level.obj");
  options.BuildBrush = (bits & kBuildBrush) != 0;
  return options;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return brushwright::fuzz::RunFuzzInput(data, size, OptionsFor);
}
