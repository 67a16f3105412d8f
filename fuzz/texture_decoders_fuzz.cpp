// Fuzz target: the pixel decoders over any bytes, in every format, at the size the input's
// first bytes give.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

#include "fuzz_target.h"
#include "texture/texture_pixels.h"

namespace {

using namespace brushwright;

// Sides up to 128 pixels: enough for every block layout and partial block, small enough to
// keep each input fast.
constexpr int kLargestSide = 128;
constexpr std::size_t kSettingsBytes = 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kSettingsBytes) return 0;
  const auto format = static_cast<PixelFormat>(data[0] % 8);
  const std::int32_t width = 1 + data[1] % kLargestSide;
  const std::int32_t height = 1 + data[2] % kLargestSide;
  const bool masked = (data[3] & 1) != 0;
  const std::span<const std::uint8_t> pixels(data + kSettingsBytes, size - kSettingsBytes);
  // The palette is the pixels read again as colours, as far as they go.
  PaletteColors palette{};
  std::memcpy(palette.data(), pixels.data(), std::min(pixels.size(), sizeof palette));
  if (static_cast<std::int64_t>(pixels.size()) >= PixelBytes(format, width, height)) {
    const Image image = DecodePixels(format, width, height, pixels, &palette, masked);
    if (image.Rgba.size() != static_cast<std::size_t>(width) * height * 4) __builtin_trap();
  }
  return 0;
}
