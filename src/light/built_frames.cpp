// The light of a first-generation build's own light maps.
#include "light/built_frames.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <iterator>

#include "light/light_rules.h"
#include "light/stored_shadows.h"

namespace brushwright {

namespace {

// The blur's weights across (and down): a texel counts twice as much as each neighbour.
constexpr double kBlurWeights[3] = {0.25, 0.5, 0.25};
// Pages hold most levels' frames at 1,024 square; a larger frame takes a larger page, up to the
// largest the light output writes.
constexpr std::int32_t kPageSizes[] = {1024, 2048, 4096};
}  // namespace

std::vector<double> BlurredShadowBits(const LevelLightMaps& maps, const LightMapIndex& index,
                                      std::int32_t light) {
  const std::int32_t width = index.UClamp;
  const std::int32_t height = index.VClamp;
  std::vector<double> blurred(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::int32_t v = 0; v < height; ++v) {
    for (std::int32_t u = 0; u < width; ++u) {
      double sum = 0;
      for (int dv = -1; dv <= 1; ++dv) {
        for (int du = -1; du <= 1; ++du) {
          const std::int32_t bit_u = std::clamp(u + du, 0, width - 1);
          const std::int32_t bit_v = std::clamp(v + dv, 0, height - 1);
          if (StoredBit(maps, index, light, bit_u, bit_v)) {
            sum += kBlurWeights[du + 1] * kBlurWeights[dv + 1];
          }
        }
      }
      blurred[static_cast<std::size_t>(v) * width + u] = sum;
    }
  }
  return blurred;
}

SurfaceLightMap StoredFrameLight(const LevelBsp& bsp, std::int32_t surface,
                                 const Vector& plane_point, const LevelLightMaps& maps) {
  const auto s = static_cast<std::size_t>(surface);
  const std::int32_t map = maps.SurfaceMaps[s];
  assert(map != kNoLightMap);
  const LightMapIndex& index = maps.Indexes[static_cast<std::size_t>(map)];
  const std::int32_t zone = maps.SurfaceZones[s];
  const ZoneLightRecord& zone_actor =
      zone >= 0 && static_cast<std::size_t>(zone) < maps.Zones.size()
          ? maps.Zones[static_cast<std::size_t>(zone)]
          : maps.LevelInfo;
  const LightColour ambient = ZoneAmbient(zone_actor.AmbientBrightness, zone_actor.AmbientHue,
                                          zone_actor.AmbientSaturation);
  const TexelPlane plane = SurfacePlane(bsp, bsp.Surfaces[s], plane_point);
  const std::vector<LightSource> lights = FrameLights(maps, map, maps.LevelInfo.Brightness);
  const TexelVisibility unshadowed = [](std::int32_t, std::int32_t, std::int32_t, const Vector&) {
    return true;
  };

  SurfaceLightMap light = FrameLight(plane, index, {}, ambient, unshadowed);
  for (std::size_t n = 0; n < lights.size(); ++n) {
    const auto number = static_cast<std::int32_t>(n);
    const SurfaceLightMap alone = FrameLight(plane, index, {lights[n]}, {}, unshadowed);
    const std::vector<double> visible = BlurredShadowBits(maps, index, number);
    for (std::size_t t = 0; t < light.Texels.size(); ++t) {
      light.Texels[t] = light.Texels[t] + alone.Texels[t] * visible[t];
    }
  }
  return light;
}

BuiltFrames LightBuiltFrames(const LevelBsp& bsp, const LevelLightMaps& maps,
                             const std::vector<std::int32_t>& surfaces,
                             const std::vector<Vector>& plane_points) {
  assert(surfaces.size() == plane_points.size());
  const std::int32_t largest_page = kPageSizes[std::size(kPageSizes) - 1];
  // The frames that fit a page, with their border, and the largest side among them.
  std::vector<FrameSize> sizes;
  std::vector<std::size_t> packed;
  std::int32_t largest = 0;
  for (std::size_t i = 0; i < surfaces.size(); ++i) {
    const LightMapIndex& index = maps.Indexes[static_cast<std::size_t>(
        maps.SurfaceMaps[static_cast<std::size_t>(surfaces[i])])];
    const std::int32_t side = std::max(index.UClamp, index.VClamp);
    if (side + 2 * kAtlasBorder > largest_page) continue;
    sizes.push_back({index.UClamp, index.VClamp});
    packed.push_back(i);
    largest = std::max(largest, side);
  }
  BuiltFrames built;
  built.PageSize = largest_page;
  for (const std::int32_t size : kPageSizes) {
    if (largest + 2 * kAtlasBorder <= size) {
      built.PageSize = size;
      break;
    }
  }
  const LightAtlas atlas = PackLightAtlas(sizes, built.PageSize);
  built.Places.assign(surfaces.size(), AtlasPlace{kNoLightPage, 0, 0});
  built.Pages.resize(static_cast<std::size_t>(atlas.Pages));
  for (LightPage& page : built.Pages) {
    page.Width = built.PageSize;
    page.Height = built.PageSize;
    page.Texels.resize(static_cast<std::size_t>(built.PageSize) *
                       static_cast<std::size_t>(built.PageSize));
  }
  for (std::size_t n = 0; n < packed.size(); ++n) {
    const std::size_t i = packed[n];
    const AtlasPlace& place = atlas.Places[n];
    built.Places[i] = place;
    PlaceFrameLight(StoredFrameLight(bsp, surfaces[i], plane_points[i], maps), place,
                    built.Pages[static_cast<std::size_t>(place.Page)]);
  }
  return built;
}

}  // namespace brushwright
