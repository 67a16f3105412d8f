// Bakes a terrain's texture layers into one image.
#include "terrain/terrain_bake.h"

#include <algorithm>
#include <cmath>

namespace brushwright {

namespace {

// Texels per quad side at the least (4 per quad), the side the baked image aims at for small
// terrains, and the largest side an image may take.
constexpr std::int32_t kLeastTexelsPerQuad = 2;
constexpr std::int32_t kAimedSide = 1024;
constexpr std::int32_t kLargestSide = 4096;
// The colour where no layer shows: mid grey.
constexpr double kGround = 128;
// Texel coordinates beyond this are not tiled (a scale near 0 would overflow the integers).
constexpr double kFarthestTexel = 1e15;

// A texel of a picture, wrapped around its edges (a tiled texture).
const std::uint8_t* WrappedTexel(const Image& image, double u, double v) {
  const auto wrap = [](double t, std::int32_t size) {
    // Far out (or not a number) the texel is the first: a place no tiling reaches in a level.
    if (!(std::fabs(t) < kFarthestTexel)) return std::int64_t{0};
    const auto i = static_cast<std::int64_t>(std::floor(t)) % size;
    return i < 0 ? i + size : i;
  };
  const std::int64_t x = wrap(u, image.Width);
  const std::int64_t y = wrap(v, image.Height);
  return &image.Rgba[static_cast<std::size_t>((x + y * image.Width) * 4)];
}

// The alpha map's alpha at vertex coordinates (x, y) of a terrain of width x height vertices,
// between its texels' centres (the map may have another size than the height map).
double AlphaAt(const Image& map, double x, double y, std::int32_t width, std::int32_t height) {
  const double px = std::clamp(x * map.Width / width, 0.0, map.Width - 1.0);
  const double py = std::clamp(y * map.Height / height, 0.0, map.Height - 1.0);
  const auto x0 = static_cast<std::int32_t>(px);
  const auto y0 = static_cast<std::int32_t>(py);
  const std::int32_t x1 = std::min(x0 + 1, map.Width - 1);
  const std::int32_t y1 = std::min(y0 + 1, map.Height - 1);
  const auto alpha = [&map](std::int32_t cx, std::int32_t cy) {
    return map.Rgba[static_cast<std::size_t>((cx + std::int64_t{cy} * map.Width) * 4 + 3)] / 255.0;
  };
  const double fx = px - x0;
  const double fy = py - y0;
  return (alpha(x0, y0) * (1 - fx) + alpha(x1, y0) * fx) * (1 - fy) +
         (alpha(x0, y1) * (1 - fx) + alpha(x1, y1) * fx) * fy;
}

bool Usable(const Image* image) {
  return image && image->Width > 0 && image->Height > 0 &&
         image->Rgba.size() == static_cast<std::size_t>(image->Width) * image->Height * 4;
}

}  // namespace

std::int32_t BakedSize(std::int32_t vertices) {
  const std::int32_t quads = std::max(vertices - 1, 1);
  const std::int32_t per_quad = std::max(kLeastTexelsPerQuad, kAimedSide / quads);
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(std::int64_t{quads} * per_quad, kLargestSide));
}

Image BakeTerrainLayers(const LevelTerrain& terrain, std::int32_t width, std::int32_t height,
                        const std::vector<BakeLayer>& layers) {
  Image baked;
  baked.Width = BakedSize(width);
  baked.Height = BakedSize(height);
  baked.Rgba.resize(static_cast<std::size_t>(baked.Width) * baked.Height * 4, 255);
  // One row at a time, every layer over the one before, so that only a row is held in doubles.
  std::vector<double> row(static_cast<std::size_t>(baked.Width) * 3);
  for (std::int32_t r = 0; r < baked.Height; ++r) {
    const double y = (r + 0.5) / baked.Height * (height - 1);
    const double world_y = terrain.Location.Y + (y - height / 2) * terrain.Scale.Y;
    std::fill(row.begin(), row.end(), kGround);
    for (const BakeLayer& layer : layers) {
      if (!Usable(layer.Texture)) continue;
      const bool masked = Usable(layer.AlphaMap);
      const double u_scale = layer.UScale == 0 ? 1 : layer.UScale;
      const double v_scale = layer.VScale == 0 ? 1 : layer.VScale;
      for (std::int32_t c = 0; c < baked.Width; ++c) {
        const double x = (c + 0.5) / baked.Width * (width - 1);
        const double alpha = masked ? AlphaAt(*layer.AlphaMap, x, y, width, height) : 1.0;
        if (alpha <= 0) continue;
        const double world_x = terrain.Location.X + (x - width / 2) * terrain.Scale.X;
        const std::uint8_t* texel =
            WrappedTexel(*layer.Texture, world_x / u_scale, world_y / v_scale);
        double* out = &row[static_cast<std::size_t>(c) * 3];
        for (int k = 0; k < 3; ++k) out[k] += (texel[k] - out[k]) * alpha;
      }
    }
    std::uint8_t* pixels = &baked.Rgba[static_cast<std::size_t>(r) * baked.Width * 4];
    for (std::size_t c = 0; c < static_cast<std::size_t>(baked.Width); ++c) {
      for (std::size_t k = 0; k < 3; ++k) {
        pixels[c * 4 + k] =
            static_cast<std::uint8_t>(std::lround(std::clamp(row[c * 3 + k], 0.0, 255.0)));
      }
    }
  }
  return baked;
}

}  // namespace brushwright
