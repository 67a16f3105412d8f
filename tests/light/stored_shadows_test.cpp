// Shadow rays cast through a real first-generation build against the shadow bits its editor
// stored: the proof that the rays see what the engine saw.
#include "light/stored_shadows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "map/package_level.h"
#include "package/package_file.h"
#include "support/test_inputs.h"

namespace brushwright {
namespace {

const std::string kTestMap = std::string(BRUSHWRIGHT_PACKAGES_DIR) + "/test_map.unr";

// test_map.unr: 205 light maps over 656 triangles. Rays from the texels' corners, where the
// stored frame places them, agree with 95.5 % of the stored bits (145,261 of 152,103 texel and
// light pairs within reach); from the texels' centres with 96.4 %, so the editor cast from the
// centres. The rest lie along shadow edges.
TEST(StoredShadows, RaysAgreeWithTheStoredBitsOfARealMap) {
  SKIP_IF_MISSING(std::filesystem::exists(kTestMap) ? "" : "no " + kTestMap);
  const PackageFile package = PackageFile::Open(kTestMap);
  const Level level = ReadPackageLevel(package, true);
  const LevelLightMaps maps = ReadPackageLightMaps(package);
  EXPECT_EQ(maps.Indexes.size(), 205u);
  const ShadowCaster caster(BspTriangles(*level.Bsp));
  EXPECT_EQ(caster.TriangleCount(), 656u);

  const ShadowAgreement corners = CompareStoredShadows(*level.Bsp, maps, caster, 0);
  EXPECT_EQ(corners.Texels, 152103);
  EXPECT_GE(corners.Share(), 0.95) << corners.Agreeing << " of " << corners.Texels;
  const ShadowAgreement centres = CompareStoredShadows(*level.Bsp, maps, caster, 0.5);
  EXPECT_GE(centres.Share(), 0.96) << centres.Agreeing << " of " << centres.Texels;
  // Both answers occur in plenty: neither everything lit nor everything dark.
  EXPECT_GT(centres.StoredLit, centres.Texels / 2);
  EXPECT_LT(centres.StoredLit, centres.Texels * 9 / 10);
}

}  // namespace
}  // namespace brushwright
