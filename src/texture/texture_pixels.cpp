// Decoding stored texture pixels (palette indexes, plain colours, DXT blocks) to RGBA pictures.
#include "texture/texture_pixels.h"

#include <cassert>

namespace brushwright {

// DXT pictures are stored in blocks of 4 x 4 pixels.
constexpr std::int32_t kBlockSide = 4;
constexpr std::int64_t kDxt1BlockBytes = 8;
constexpr std::int64_t kDxt35BlockBytes = 16;
constexpr std::uint8_t kOpaque = 255;

namespace {

using Rgba = std::array<std::uint8_t, 4>;

std::uint32_t LittleEndian32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
         (static_cast<std::uint32_t>(bytes[2]) << 16) |
         (static_cast<std::uint32_t>(bytes[3]) << 24);
}

// An RGB565 colour with each channel widened to 8 bits by repeating its top bits, so that the
// largest 5- or 6-bit value becomes 255.
Rgba Expand565(std::uint16_t colour) {
  const int red = (colour >> 11) & 0x1F;
  const int green = (colour >> 5) & 0x3F;
  const int blue = colour & 0x1F;
  return {static_cast<std::uint8_t>((red << 3) | (red >> 2)),
          static_cast<std::uint8_t>((green << 2) | (green >> 4)),
          static_cast<std::uint8_t>((blue << 3) | (blue >> 2)), kOpaque};
}

// `first` weighted `a`, `second` weighted `b`, divided by a + b, channel by channel.
Rgba Blend(const Rgba& first, const Rgba& second, int a, int b) {
  Rgba out{};
  for (int c = 0; c < 3; ++c)
    out[c] = static_cast<std::uint8_t>((a * first[c] + b * second[c]) / (a + b));
  out[3] = kOpaque;
  return out;
}

// The colour half of every DXT block. `three_colour_mode_allowed` is true for DXT1 alone.
void DecodeColourBlock(const std::uint8_t* block, bool three_colour_mode_allowed,
                       std::span<std::uint8_t, 64> rgba) {
  const auto colour0 = static_cast<std::uint16_t>(block[0] | (block[1] << 8));
  const auto colour1 = static_cast<std::uint16_t>(block[2] | (block[3] << 8));
  std::array<Rgba, 4> colours = {Expand565(colour0), Expand565(colour1)};
  if (colour0 > colour1 || !three_colour_mode_allowed) {
    colours[2] = Blend(colours[0], colours[1], 2, 1);
    colours[3] = Blend(colours[0], colours[1], 1, 2);
  } else {
    colours[2] = Blend(colours[0], colours[1], 1, 1);
    colours[3] = {0, 0, 0, 0};
  }
  const std::uint32_t indexes = LittleEndian32(block + 4);
  for (int pixel = 0; pixel < 16; ++pixel) {
    const Rgba& colour = colours[(indexes >> (2 * pixel)) & 0x03];
    for (int c = 0; c < 4; ++c) rgba[static_cast<std::size_t>(4 * pixel + c)] = colour[c];
  }
}

// Copies a decoded 4 x 4 block into the picture, leaving out pixels past its right or bottom
// edge (pictures and small mips whose sides are not multiples of 4).
void PlaceBlock(const std::array<std::uint8_t, 64>& block, std::int32_t block_x,
                std::int32_t block_y, Image& image) {
  for (std::int32_t y = 0; y < kBlockSide; ++y) {
    const std::int32_t row = block_y * kBlockSide + y;
    if (row >= image.Height) break;
    for (std::int32_t x = 0; x < kBlockSide; ++x) {
      const std::int32_t column = block_x * kBlockSide + x;
      if (column >= image.Width) break;
      const std::size_t to = (static_cast<std::size_t>(row) * image.Width + column) * 4;
      const std::size_t from = static_cast<std::size_t>(y * kBlockSide + x) * 4;
      for (int c = 0; c < 4; ++c) image.Rgba[to + c] = block[from + c];
    }
  }
}

void DecodeBlocks(PixelFormat format, std::span<const std::uint8_t> data, Image& image) {
  const std::int32_t blocks_across = (image.Width + kBlockSide - 1) / kBlockSide;
  const std::int32_t blocks_down = (image.Height + kBlockSide - 1) / kBlockSide;
  const std::int64_t block_bytes = format == PixelFormat::Dxt1 ? kDxt1BlockBytes : kDxt35BlockBytes;
  std::array<std::uint8_t, 64> block{};
  const std::uint8_t* at = data.data();
  for (std::int32_t block_y = 0; block_y < blocks_down; ++block_y) {
    for (std::int32_t block_x = 0; block_x < blocks_across; ++block_x) {
      if (format == PixelFormat::Dxt1) {
        DecodeDxt1Block(std::span<const std::uint8_t, 8>(at, 8), block);
      } else if (format == PixelFormat::Dxt3) {
        DecodeDxt3Block(std::span<const std::uint8_t, 16>(at, 16), block);
      } else {
        DecodeDxt5Block(std::span<const std::uint8_t, 16>(at, 16), block);
      }
      PlaceBlock(block, block_x, block_y, image);
      at += block_bytes;
    }
  }
}

}  // namespace

std::int64_t PixelBytes(PixelFormat format, std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0) return 0;
  const std::int64_t pixels = static_cast<std::int64_t>(width) * height;
  // In 64 bits: a side near the 32-bit limit must not wrap when rounded up to whole blocks.
  const std::int64_t blocks = ((static_cast<std::int64_t>(width) + kBlockSide - 1) / kBlockSide) *
                              ((static_cast<std::int64_t>(height) + kBlockSide - 1) / kBlockSide);
  switch (format) {
    case PixelFormat::P8:
    case PixelFormat::L8:
      return pixels;
    case PixelFormat::G16:
      return pixels * 2;
    case PixelFormat::Rgb8:
      return pixels * 3;
    case PixelFormat::Bgra8:
      return pixels * 4;
    case PixelFormat::Dxt1:
      return blocks * kDxt1BlockBytes;
    case PixelFormat::Dxt3:
    case PixelFormat::Dxt5:
      return blocks * kDxt35BlockBytes;
  }
  return 0;
}

void DecodeDxt1Block(std::span<const std::uint8_t, 8> block, std::span<std::uint8_t, 64> rgba) {
  DecodeColourBlock(block.data(), true, rgba);
}

void DecodeDxt3Block(std::span<const std::uint8_t, 16> block, std::span<std::uint8_t, 64> rgba) {
  DecodeColourBlock(block.data() + 8, false, rgba);
  // Sixteen 4-bit alphas, two to a byte, the low half first; 17 widens 15 to 255.
  for (int pixel = 0; pixel < 16; ++pixel) {
    const int alpha = (block[static_cast<std::size_t>(pixel / 2)] >> (4 * (pixel % 2))) & 0x0F;
    rgba[static_cast<std::size_t>(4 * pixel + 3)] = static_cast<std::uint8_t>(alpha * 17);
  }
}

void DecodeDxt5Block(std::span<const std::uint8_t, 16> block, std::span<std::uint8_t, 64> rgba) {
  DecodeColourBlock(block.data() + 8, false, rgba);
  const int alpha0 = block[0];
  const int alpha1 = block[1];
  // Eight alphas between the two when the first is greater; otherwise six, then 0 and 255.
  std::array<std::uint8_t, 8> alphas{static_cast<std::uint8_t>(alpha0),
                                     static_cast<std::uint8_t>(alpha1)};
  const int steps = alpha0 > alpha1 ? 7 : 5;
  for (int i = 1; i < steps; ++i) {
    alphas[static_cast<std::size_t>(i + 1)] =
        static_cast<std::uint8_t>(((steps - i) * alpha0 + i * alpha1) / steps);
  }
  if (steps == 5) {
    alphas[6] = 0;
    alphas[7] = 255;
  }
  // 48 bits of 3-bit indexes, little-endian, the first pixel in the lowest bits.
  std::uint64_t indexes = 0;
  for (int i = 0; i < 6; ++i) indexes |= static_cast<std::uint64_t>(block[2 + i]) << (8 * i);
  for (int pixel = 0; pixel < 16; ++pixel) {
    rgba[static_cast<std::size_t>(4 * pixel + 3)] = alphas[(indexes >> (3 * pixel)) & 0x07];
  }
}

Image DecodePixels(PixelFormat format, std::int32_t width, std::int32_t height,
                   std::span<const std::uint8_t> data, const PaletteColors* palette, bool masked) {
  assert(static_cast<std::int64_t>(data.size()) >= PixelBytes(format, width, height));
  assert(format != PixelFormat::P8 || palette != nullptr);
  Image image;
  if (width <= 0 || height <= 0) return image;
  image.Width = width;
  image.Height = height;
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  image.Rgba.resize(pixels * 4);
  std::uint8_t* out = image.Rgba.data();
  const std::uint8_t* in = data.data();
  switch (format) {
    case PixelFormat::P8:
      for (std::size_t i = 0; i < pixels; ++i, out += 4) {
        const Rgba& colour = (*palette)[in[i]];
        out[0] = colour[0];
        out[1] = colour[1];
        out[2] = colour[2];
        out[3] = masked && in[i] == 0 ? 0 : kOpaque;
      }
      break;
    case PixelFormat::Rgb8:
    case PixelFormat::Bgra8: {
      const std::size_t stride = format == PixelFormat::Rgb8 ? 3 : 4;
      for (std::size_t i = 0; i < pixels; ++i, out += 4, in += stride) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
        out[3] = stride == 4 ? in[3] : kOpaque;
      }
      break;
    }
    case PixelFormat::L8:
    case PixelFormat::G16: {
      // A 16-bit grey keeps its high byte.
      const std::size_t stride = format == PixelFormat::L8 ? 1 : 2;
      for (std::size_t i = 0; i < pixels; ++i, out += 4, in += stride) {
        out[0] = out[1] = out[2] = in[stride - 1];
        out[3] = kOpaque;
      }
      break;
    }
    case PixelFormat::Dxt1:
    case PixelFormat::Dxt3:
    case PixelFormat::Dxt5:
      DecodeBlocks(format, data, image);
      break;
  }
  for (std::size_t i = 3; i < image.Rgba.size(); i += 4) {
    if (image.Rgba[i] != kOpaque) {
      image.HasTransparency = true;
      break;
    }
  }
  return image;
}

}  // namespace brushwright
