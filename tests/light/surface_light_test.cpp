// The light of a light-map frame: a hand-made floor under one light, with and without a
// blocker, and a real map's texels that every stored bit leaves dark.
#include "light/surface_light.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "light/stored_shadows.h"
#include "map/package_level.h"
#include "package/package_file.h"
#include "support/test_inputs.h"

namespace brushwright {
namespace {

// A 64-unit square floor at z 0 facing up, its texture axes along X and Y, with a frame of 4 x 4
// texels of 16 units.
LevelBsp Floor() {
  LevelBsp bsp;
  bsp.Points = {{0, 0, 0}, {0, 64, 0}, {64, 64, 0}, {64, 0, 0}};
  bsp.Vectors = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
  bsp.Vertices = {0, 1, 2, 3};
  bsp.Surfaces.push_back(BspSurface{"", 0, 0, 0, 1, 2, {}, kNoBrush});
  BspNode& node = bsp.Nodes.emplace_back();
  node.VertexCount = 4;
  return bsp;
}

TEST(SurfaceLight, AmbientPlusFalloffTimesIncidenceWhereTheLightIsSeen) {
  const LevelBsp bsp = Floor();
  LightMapIndex index;
  index.UClamp = 4;
  index.VClamp = 4;
  index.UScale = 16;
  index.VScale = 16;
  LightRecord record;
  record.Location = {40, 40, 100};  // above texel (2, 2)'s centre
  record.LightBrightness = 255;
  record.LightSaturation = 255;  // white
  record.LightRadius = 9;        // reaching 250 units
  const std::vector<LightSource> lights = {LightSourceOf(record, 1)};
  const LightColour ambient{0.1, 0.2, 0.3};

  const ShadowCaster open_sky(BspTriangles(bsp));
  const Vector up{0, 0, 1};
  const SurfaceLightMap lit = SurfaceLight(bsp, bsp.Surfaces[0], bsp.Points[0], index, lights,
                                           ambient, RayVisibility(open_sky, lights, up, 1e5));
  ASSERT_EQ(lit.Texels.size(), 16u);
  // Straight below: S = 0.4, 2S^3 - 3S^2 + 1 = 0.648.
  EXPECT_NEAR(lit.Texels[2 * 4 + 2].R, 0.748, 1e-12);
  EXPECT_NEAR(lit.Texels[2 * 4 + 2].B, 0.948, 1e-12);
  // Texel (0, 0): 32 units off in X and Y, 109.76 from the light; falloff 0.59097 times
  // incidence 0.91105.
  EXPECT_NEAR(lit.Texels[0].R, 0.63840081336268, 1e-12);

  // A roof between the floor and the light: the ambient light alone.
  std::vector<Triangle> roofed = BspTriangles(bsp);
  roofed.push_back({{-100, -100, 50}, {200, -100, 50}, {-100, 200, 50}});
  const ShadowCaster roof(roofed);
  const SurfaceLightMap shaded = SurfaceLight(bsp, bsp.Surfaces[0], bsp.Points[0], index, lights,
                                              ambient, RayVisibility(roof, lights, up, 1e5));
  for (const LightColour& texel : shaded.Texels) EXPECT_EQ(texel.G, 0.2);
}

TEST(SurfaceLight, ATexelEveryStoredBitLeavesDarkHoldsTheAmbientAlone) {
  const std::string map_file = std::string(BRUSHWRIGHT_PACKAGES_DIR) + "/test_map.unr";
  SKIP_IF_MISSING(std::filesystem::exists(map_file) ? "" : "no " + map_file);
  const PackageFile package = PackageFile::Open(map_file);
  const Level level = ReadPackageLevel(package, true);
  const LevelLightMaps maps = ReadPackageLightMaps(package);
  const LevelBsp& bsp = *level.Bsp;
  const LightColour ambient{0.05, 0.05, 0.05};
  std::int64_t dark = 0;
  std::int64_t lit = 0;
  for (const BspNode& node : bsp.Nodes) {
    const std::int32_t map = maps.SurfaceMaps[static_cast<std::size_t>(node.Surface)];
    if (map == kNoLightMap) continue;
    const LightMapIndex& index = maps.Indexes[static_cast<std::size_t>(map)];
    const BspSurface& surface = bsp.Surfaces[static_cast<std::size_t>(node.Surface)];
    const Vector corner = bsp.Points[static_cast<std::size_t>(
        bsp.Vertices[static_cast<std::size_t>(node.FirstVertex)])];
    const std::vector<LightSource> lights = FrameLights(maps, map, 1);
    const SurfaceLightMap light =
        SurfaceLight(bsp, surface, corner, index, lights, ambient, StoredVisibility(maps, index));
    for (std::int32_t v = 0; v < index.VClamp; ++v) {
      for (std::int32_t u = 0; u < index.UClamp; ++u) {
        bool any = false;
        for (std::size_t n = 0; n < lights.size(); ++n) {
          any = any || StoredBit(maps, index, static_cast<std::int32_t>(n), u, v);
        }
        const LightColour& texel = light.Texels[static_cast<std::size_t>(v) * index.UClamp + u];
        if (any) {
          lit += texel.R > ambient.R ? 1 : 0;
          continue;
        }
        ++dark;
        EXPECT_EQ(texel.R, ambient.R);
        EXPECT_EQ(texel.B, ambient.B);
      }
    }
  }
  EXPECT_GT(dark, 1000);
  EXPECT_GT(lit, 10000);
}

}  // namespace
}  // namespace brushwright
