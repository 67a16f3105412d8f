// Fuzz target: NumberValue and NumberText on any text, and the rounding to 16 and 32 bits.
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_target.h"
#include "text/brush_error.h"
#include "text/key_readers.h"
#include "text/number_text.h"

namespace {

using brushwright::NumberText;
using brushwright::NumberValue;

// A number written and read back must write the same text again: 15 digits survive a round trip.
void CheckRoundTrip(double value) {
  if (!std::isfinite(value)) return;
  const std::string once = NumberText(value);
  const std::string twice = NumberText(NumberValue(once));
  if (once != twice) std::abort();
}

// Rounding either gives an integer in range or throws the overflow error.
void CheckRounding(double value) {
  try {
    const auto small = brushwright::RoundToInt16(value, "fuzzed value");
    if (std::fabs(static_cast<double>(small) - value) > 0.5) std::abort();
  } catch (const brushwright::BrushError&) {
  }
  try {
    const auto large = brushwright::RoundToInt32(value, "fuzzed value");
    if (std::fabs(static_cast<double>(large) - value) > 0.5) std::abort();
  } catch (const brushwright::BrushError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double value = NumberValue(text);
  CheckRoundTrip(value);
  CheckRounding(value);
  brushwright::ValueAsNumber(text);
  brushwright::ValueAsBoolean(text);
  return 0;
}
