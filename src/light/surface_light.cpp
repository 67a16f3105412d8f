// The light of one surface's light-map frame.
#include "light/surface_light.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "text/key_readers.h"

namespace brushwright {

namespace {

// The frame's texels are lit at their centres: the stored shadow bits agree best with rays
// from there.
constexpr double kTexelCentre = 0.5;
// How far off its surface a texel's ray starts, in units, clear of the surface itself.
constexpr double kRayLift = 1;
// A spot light's class, which the report's LightKind marks.
constexpr std::int16_t kSpotKind = 2;
// The light effect that lights a surface whatever angle it meets it at.
constexpr std::string_view kNonIncidenceEffect = "LE_NonIncidence";

}  // namespace

double LightShare(const LightSource& light, const Vector& texel, const Vector& normal) {
  if (light.Shape == LightShape::Sun) {
    return light.NonIncidence ? 1 : SunIncidence(normal, light.Direction);
  }
  const Vector to_light = VecSubtract(light.Location, texel);
  const double distance = VecLength(to_light);
  double share = Falloff(distance, light.Reach);
  if (share <= 0 || distance <= 0) return 0;
  const Vector unit = VecScale(to_light, 1 / distance);
  if (!light.NonIncidence) share *= Incidence(normal, unit);
  if (light.Shape == LightShape::Spot) {
    share *= SpotCone(light.Direction, VecScale(unit, -1), light.Cone);
  }
  return share;
}

LightSource LightSourceOf(const LightRecord& light, double level_brightness) {
  LightSource source;
  source.Location = light.Location;
  source.Direction = LightDirection(light.Rotation);
  source.Colour =
      LightColourOf(light.LightHue, light.LightSaturation, light.LightBrightness, level_brightness);
  source.Reach = LightReach(light.LightRadius);
  source.Cone = light.LightCone;
  source.Shape = light.LightKind == kSpotKind ? LightShape::Spot : LightShape::Point;
  source.NonIncidence = EqualsIgnoringCase(light.LightEffect, kNonIncidenceEffect);
  return source;
}

std::vector<LightSource> FrameLights(const LevelLightMaps& maps, std::int32_t map,
                                     double level_brightness) {
  const LightMapIndex& index = maps.Indexes[static_cast<std::size_t>(map)];
  std::vector<LightSource> lights;
  for (std::int32_t n = 0; n < maps.LightCounts[static_cast<std::size_t>(map)]; ++n) {
    lights.push_back(LightSourceOf(
        maps.LightActors[static_cast<std::size_t>(index.iLightActors + n)], level_brightness));
  }
  return lights;
}

SurfaceLightMap FrameLight(const TexelPlane& plane, const LightMapIndex& index,
                           const std::vector<LightSource>& lights, const LightColour& ambient,
                           const TexelVisibility& visible) {
  SurfaceLightMap map;
  map.Width = index.UClamp;
  map.Height = index.VClamp;
  map.Texels.assign(static_cast<std::size_t>(index.UClamp) * static_cast<std::size_t>(index.VClamp),
                    ambient);
  const Vector normal = VecNormalize(plane.Normal);
  for (std::int32_t v = 0; v < index.VClamp; ++v) {
    for (std::int32_t u = 0; u < index.UClamp; ++u) {
      const std::optional<Vector> texel =
          LightMapTexelPoint(plane, index, u + kTexelCentre, v + kTexelCentre);
      if (!texel) continue;
      LightColour& sum = map.Texels[static_cast<std::size_t>(v) * index.UClamp + u];
      for (std::size_t n = 0; n < lights.size(); ++n) {
        const double share = LightShare(lights[n], *texel, normal);
        if (share > 0 && visible(static_cast<std::int32_t>(n), u, v, *texel)) {
          sum = sum + lights[n].Colour * share;
        }
      }
    }
  }
  return map;
}

SurfaceLightMap SurfaceLight(const LevelBsp& bsp, const BspSurface& surface,
                             const Vector& plane_point, const LightMapIndex& index,
                             const std::vector<LightSource>& lights, const LightColour& ambient,
                             const TexelVisibility& visible) {
  return FrameLight(SurfacePlane(bsp, surface, plane_point), index, lights, ambient, visible);
}

TexelVisibility StoredVisibility(const LevelLightMaps& maps, const LightMapIndex& index) {
  return [&maps, &index](std::int32_t light, std::int32_t u, std::int32_t v, const Vector&) {
    return StoredBit(maps, index, light, u, v);
  };
}

TexelVisibility RayVisibility(const ShadowCaster& caster, const std::vector<LightSource>& lights,
                              const Vector& normal, double sun_distance) {
  // Each light's last blocking triangle, tried first by the next ray toward it.
  return [&caster, &lights, normal, sun_distance,
          hints = std::vector<std::int32_t>(lights.size(), -1)](
             std::int32_t light, std::int32_t, std::int32_t, const Vector& texel) mutable {
    const LightSource& source = lights[static_cast<std::size_t>(light)];
    const Vector from = VecAdd(texel, VecScale(normal, kRayLift));
    const Vector to = source.Shape == LightShape::Sun
                          ? VecAdd(from, VecScale(source.Direction, -sun_distance))
                          : source.Location;
    return !caster.Blocked(from, to, hints[static_cast<std::size_t>(light)]);
  };
}

LightTexel LightTexelOf(const LightColour& light) {
  const auto byte = [](double value) {
    return static_cast<std::uint8_t>(std::clamp(std::round(value * 255), 0.0, 255.0));
  };
  return {byte(light.R), byte(light.G), byte(light.B)};
}

void PlaceFrameLight(const SurfaceLightMap& light, const AtlasPlace& place, LightPage& page) {
  for (std::int32_t y = -kAtlasBorder; y < light.Height + kAtlasBorder; ++y) {
    const std::int32_t v = std::clamp(y, 0, light.Height - 1);
    for (std::int32_t x = -kAtlasBorder; x < light.Width + kAtlasBorder; ++x) {
      const std::int32_t u = std::clamp(x, 0, light.Width - 1);
      page.Texels[static_cast<std::size_t>(place.Y + y) * static_cast<std::size_t>(page.Width) +
                  static_cast<std::size_t>(place.X + x)] =
          LightTexelOf(light.Texels[static_cast<std::size_t>(v) * light.Width +
                                    static_cast<std::size_t>(u)]);
    }
  }
}

}  // namespace brushwright
