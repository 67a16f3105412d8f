// Decoding stored texture pixels (palette indexes, plain colours, DXT blocks) to RGBA pictures.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "image/image.h"

namespace brushwright {

// How a texture's pixels are stored, whatever number an engine generation gives the layout.
enum class PixelFormat {
  P8,     // one palette index per pixel
  Rgb8,   // blue, green, red bytes
  Bgra8,  // blue, green, red, alpha bytes (the engines call it RGBA8)
  Dxt1,   // 8-byte blocks of 4 x 4 pixels: two RGB565 colours and 2-bit indexes
  Dxt3,   // 16-byte blocks: 4-bit alpha per pixel, then a DXT1 colour block
  Dxt5,   // 16-byte blocks: two alphas and 3-bit indexes, then a DXT1 colour block
  L8,     // one grey byte per pixel
  G16,    // one little-endian 16-bit grey value per pixel
};

// A palette's 256 colours as red, green, blue, alpha bytes.
using PaletteColors = std::array<std::array<std::uint8_t, 4>, 256>;

// The bytes a `width` x `height` picture takes in `format`; DXT formats take whole 4 x 4 blocks.
// 0 when either side is not positive.
std::int64_t PixelBytes(PixelFormat format, std::int32_t width, std::int32_t height);

// One DXT block's 16 pixels as RGBA bytes, rows from the top. A DXT1 block whose first colour is
// not greater than its second has three colours and transparent black; DXT3 and DXT5 colour
// blocks always have four colours.
void DecodeDxt1Block(std::span<const std::uint8_t, 8> block, std::span<std::uint8_t, 64> rgba);
void DecodeDxt3Block(std::span<const std::uint8_t, 16> block, std::span<std::uint8_t, 64> rgba);
void DecodeDxt5Block(std::span<const std::uint8_t, 16> block, std::span<std::uint8_t, 64> rgba);

// The picture stored in `data`, which holds at least PixelBytes(format, width, height) bytes,
// rows from the top. P8 pixels take the colour of their palette entry, opaque; with `masked`,
// index 0 is fully transparent (alpha 0, colour kept). HasTransparency tells whether any pixel
// came out less than opaque. `palette` is needed for P8 only.
Image DecodePixels(PixelFormat format, std::int32_t width, std::int32_t height,
                   std::span<const std::uint8_t> data, const PaletteColors* palette, bool masked);

}  // namespace brushwright
