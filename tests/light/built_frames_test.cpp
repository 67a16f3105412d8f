// The light of a first-generation build's own frames: stored shadow bits blurred 3 x 3 on a
// hand-made floor, and frames packed onto pages, one too large for any page left on none.
#include "light/built_frames.h"

#include <gtest/gtest.h>

#include <vector>

namespace brushwright {
namespace {

// A 64-unit square floor at z 0 facing up, twice (two surfaces on the same plane).
LevelBsp Floors() {
  LevelBsp bsp;
  bsp.Points = {{0, 0, 0}, {0, 64, 0}, {64, 64, 0}, {64, 0, 0}};
  bsp.Vectors = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
  bsp.Vertices = {0, 1, 2, 3};
  bsp.Surfaces.assign(2, BspSurface{"", 0, 0, 0, 1, 2, {}, kNoBrush});
  return bsp;
}

// Surface 0 has a 4 x 4 frame of 16-unit texels lit by one light whose only lit bit is texel
// (1, 1); surface 1 a frame 4,095 texels wide. The level's ambient light is grey 128 / 255.
LevelLightMaps Maps() {
  LevelLightMaps maps;
  LightMapIndex& small = maps.Indexes.emplace_back();
  small.UClamp = 4;
  small.VClamp = 4;
  small.UScale = 16;
  small.VScale = 16;
  small.iLightActors = 0;
  LightMapIndex& wide = maps.Indexes.emplace_back();
  wide.UClamp = 4095;
  wide.VClamp = 1;
  wide.UScale = 1;
  wide.VScale = 1;
  maps.Bits = {0b0000, 0b0010, 0b0000, 0b0000};
  maps.SurfaceMaps = {0, 1};
  maps.SurfaceZones = {0, 0};
  maps.Lights = {1, 0};
  LightRecord light;
  light.Location = {40, 40, 100};
  light.LightBrightness = 255;
  light.LightSaturation = 255;
  light.LightRadius = 9;
  maps.LightActors = {light, LightRecord{}};
  maps.LightCounts = {1, 0};
  maps.LevelInfo.AmbientBrightness = 128;
  maps.LevelInfo.AmbientSaturation = 255;
  return maps;
}

TEST(BuiltFrames, ShadowBitsBlurredThreeByThreeAndFramesPackedOntoPages) {
  const LevelBsp bsp = Floors();
  const LevelLightMaps maps = Maps();
  const std::vector<double> blurred = BlurredShadowBits(maps, maps.Indexes[0], 0);
  // The lit bit counts a quarter at its own texel, an eighth beside it, a sixteenth diagonally.
  EXPECT_EQ(blurred, (std::vector<double>{0.0625, 0.125, 0.0625, 0, 0.125, 0.25, 0.125, 0, 0.0625,
                                          0.125, 0.0625, 0, 0, 0, 0, 0}));

  const SurfaceLightMap light = StoredFrameLight(bsp, 0, bsp.Points[0], maps);
  const TexelPlane plane = SurfacePlane(bsp, bsp.Surfaces[0], bsp.Points[0]);
  const SurfaceLightMap alone =
      FrameLight(plane, maps.Indexes[0], {LightSourceOf(maps.LightActors[0], 1)}, {},
                 [](std::int32_t, std::int32_t, std::int32_t, const Vector&) { return true; });
  const double ambient = 128.0 / 255;
  for (std::size_t t = 0; t < 16; ++t) {
    EXPECT_NEAR(light.Texels[t].G, ambient + alone.Texels[t].G * blurred[t], 1e-12) << t;
  }

  const BuiltFrames frames = LightBuiltFrames(bsp, maps, {0, 1}, {bsp.Points[0], bsp.Points[0]});
  EXPECT_EQ(frames.PageSize, 1024);
  ASSERT_EQ(frames.Pages.size(), 1u);
  ASSERT_EQ(frames.Places.size(), 2u);
  EXPECT_EQ(frames.Places[1].Page, kNoLightPage);
  const AtlasPlace& place = frames.Places[0];
  ASSERT_EQ(place.Page, 0);
  const auto texel = [&](std::int32_t x, std::int32_t y) {
    return frames.Pages[0].Texels[static_cast<std::size_t>(y) * 1024 + static_cast<std::size_t>(x)];
  };
  // Texel (3, 3) is dark for the light: the ambient alone; its border repeats it.
  EXPECT_EQ(texel(place.X + 3, place.Y + 3).G, 128);
  EXPECT_EQ(texel(place.X + 4, place.Y + 4).G, 128);
  EXPECT_GT(texel(place.X + 1, place.Y + 1).G, 128);
}

}  // namespace
}  // namespace brushwright
