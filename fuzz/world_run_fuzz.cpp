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

// The world is always built; the first byte's bit 1 writes it as glTF, the others are the
// shared switches (the report bit also puts the actors in the glTF file).
constexpr unsigned kGlb = 1u << 1;

RunOptions OptionsFor(const Workspace& space, unsigned bits) {
  const OutputFormat format = (bits & kGlb) != 0 ? OutputFormat::Glb : OutputFormat::Obj;
  RunOptions options = fuzz::SharedOptions(
      space, bits, std::string("level") + std::string(OutputKindOf(format).Extension));
  options.BuildWorld = true;
  options.Format = format;
  options.Actors = options.Report;
  return options;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return brushwright::fuzz::RunFuzzInput(data, size, OptionsFor);
}
