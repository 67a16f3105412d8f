// A decoded texture picture, the one value that image decoding gives the run and its writers.
#pragma once

#include <cstdint>
#include <vector>

namespace brushwright {

// 8-bit RGBA pixels, rows from the top of the picture, as texture images are stored.
struct Image {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<std::uint8_t> Rgba;  // Width * Height * 4 bytes; empty when only the size is known
  // Some pixel is not fully opaque: the file's own alpha, or its mask (transparent) colour.
  bool HasTransparency = false;
};

}  // namespace brushwright
