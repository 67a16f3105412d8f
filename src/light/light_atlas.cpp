// Light-map atlases.
#include "light/light_atlas.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

#include "text/brush_error.h"

namespace brushwright {

namespace {

// Texels of border around every frame on a page: one keeps bilinear filtering inside it.

}  // namespace

LightAtlas PackLightAtlas(const std::vector<FrameSize>& frames, std::int32_t page_size) {
  LightAtlas atlas;
  atlas.PageSize = page_size;
  atlas.Places.resize(frames.size());
  std::vector<std::size_t> order(frames.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return frames[a].Height > frames[b].Height;
  });
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t row_height = 0;
  for (const std::size_t i : order) {
    const std::int64_t width = std::int64_t{frames[i].Width} + 2 * kAtlasBorder;
    const std::int64_t height = std::int64_t{frames[i].Height} + 2 * kAtlasBorder;
    if (frames[i].Width <= 0 || frames[i].Height <= 0 || width > page_size || height > page_size) {
      throw BrushError("light-map frame " + std::to_string(i) + " of " +
                       std::to_string(frames[i].Width) + " x " + std::to_string(frames[i].Height) +
                       " texels does not fit an atlas page of " + std::to_string(page_size) +
                       " square");
    }
    if (atlas.Pages == 0) atlas.Pages = 1;
    if (x + width > page_size) {  // next row
      x = 0;
      y += row_height;
      row_height = 0;
    }
    if (y + height > page_size) {  // next page
      ++atlas.Pages;
      x = 0;
      y = 0;
      row_height = 0;
    }
    atlas.Places[i] = AtlasPlace{atlas.Pages - 1, x + kAtlasBorder, y + kAtlasBorder};
    x += static_cast<std::int32_t>(width);
    row_height = std::max(row_height, static_cast<std::int32_t>(height));
  }
  return atlas;
}

LightMapIndex FrameOfPolygon(const std::vector<Vector>& corners, const Vector& base,
                             const Vector& texture_u, const Vector& texture_v, double texel_units,
                             std::int32_t most_texels) {
  LightMapIndex frame;
  if (corners.empty() || texel_units <= 0 || most_texels < 1) return frame;
  double low_u = 0;
  double high_u = 0;
  double low_v = 0;
  double high_v = 0;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const Vector offset = VecSubtract(corners[i], base);
    const double u = VecDot(offset, texture_u);
    const double v = VecDot(offset, texture_v);
    low_u = i == 0 ? u : std::min(low_u, u);
    high_u = i == 0 ? u : std::max(high_u, u);
    low_v = i == 0 ? v : std::min(low_v, v);
    high_v = i == 0 ? v : std::max(high_v, v);
  }
  // A texel of `texel_units` units spans that many units times the axis's length in texture
  // coordinates; coarser where the polygon would need more than `most_texels`. The pan rounds
  // down to whole texels and one texel more covers the far edge, so a polygon spanning
  // most_texels - 2 texels fits.
  const auto scale = [&](const Vector& axis, double span) {
    const double fine = texel_units * VecLength(axis);
    if (fine <= 0) return 1.0;
    return std::max(fine, span / std::max(1, most_texels - 2));
  };
  frame.UScale = scale(texture_u, high_u - low_u);
  frame.VScale = scale(texture_v, high_v - low_v);
  frame.Pan = {std::floor(low_u / frame.UScale) * frame.UScale,
               std::floor(low_v / frame.VScale) * frame.VScale, 0};
  const auto count = [](double high, double pan, double step) {
    return static_cast<std::int32_t>(std::ceil((high - pan) / step)) + 1;
  };
  frame.UClamp = std::min(count(high_u, frame.Pan.X, frame.UScale), most_texels);
  frame.VClamp = std::min(count(high_v, frame.Pan.Y, frame.VScale), most_texels);
  return frame;
}

void AtlasCoordinate(const LightMapIndex& frame, const AtlasPlace& place, std::int32_t page_size,
                     const Vector& point, const Vector& base, const Vector& texture_u,
                     const Vector& texture_v, double& s, double& t) {
  const Vector offset = VecSubtract(point, base);
  const double u = (VecDot(offset, texture_u) - frame.Pan.X) / frame.UScale;
  const double v = (VecDot(offset, texture_v) - frame.Pan.Y) / frame.VScale;
  s = (place.X + u) / page_size;
  t = (place.Y + v) / page_size;
}

}  // namespace brushwright
