// The light rules at their boundaries, and shadow rays through hand-made triangles.
#include "light/light_rules.h"

#include <gtest/gtest.h>

#include "light/shadow_rays.h"

namespace brushwright {
namespace {

TEST(LightRules, ColourReachFalloffAndDrawingAtTheirBoundaries) {
  struct HueRow {
    double hue;
    double saturation;
    LightColour expected;
  };
  const HueRow hues[] = {
      {0, 0, {1, 0, 0}},           {85, 0, {0, 1, 0}},  {170, 0, {0, 0, 1}},
      {255, 0, {1, 0, 0}},         {0, 255, {1, 1, 1}}, {42.5, 0, {0.5, 0.5, 0}},
      {170, 127.5, {0.5, 0.5, 1}},
  };
  for (const HueRow& row : hues) {
    SCOPED_TRACE(::testing::Message() << "hue " << row.hue << " saturation " << row.saturation);
    const LightColour colour = HsvColour(row.hue, row.saturation);
    EXPECT_DOUBLE_EQ(colour.R, row.expected.R);
    EXPECT_DOUBLE_EQ(colour.G, row.expected.G);
    EXPECT_DOUBLE_EQ(colour.B, row.expected.B);
  }
  EXPECT_DOUBLE_EQ(LightColourOf(0, 255, 51, 2).G, 0.4);

  EXPECT_EQ(LightReach(0), 25);
  EXPECT_EQ(LightReach(64), 1625);
  EXPECT_EQ(Falloff(0, 100), 1);
  EXPECT_EQ(Falloff(50, 100), 0.5);
  EXPECT_EQ(Falloff(100, 100), 0);
  EXPECT_EQ(Falloff(150, 100), 0);

  // Straight on, from behind, and a spot light's axis, edge and outside.
  EXPECT_EQ(Incidence({0, 0, 1}, {0, 0, 1}), 1);
  EXPECT_EQ(Incidence({0, 0, 1}, {0, 0, -1}), 0);
  EXPECT_EQ(SpotCone({1, 0, 0}, {1, 0, 0}, 128), 1);
  EXPECT_EQ(SpotCone({1, 0, 0}, {0.5, 0.8660254037844386, 0}, 128), 0);
  EXPECT_EQ(SpotCone({1, 0, 0}, {-1, 0, 0}, 128), 0);
  // A sun pointing straight down (pitch -16384) lights a floor fully.
  EXPECT_NEAR(SunIncidence({0, 0, 1}, LightDirection({-16384, 0, 0})), 1, 1e-12);

  EXPECT_EQ(DrawnChannel(100, 0.5), 100);
  EXPECT_EQ(DrawnChannel(200, 1), 255);
  EXPECT_EQ(DrawnChannel(200, -1), 0);
}

// A unit square in the plane z = 0 between points above and below it, and beside it.
TEST(ShadowRays, BlockWhatCrossesAndNotWhatTouchesOrPassesBy) {
  std::vector<Triangle> triangles = {{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}},
                                     {{0, 0, 0}, {1, 1, 0}, {0, 1, 0}},
                                     {{5, 5, 5}, {5, 5, 5}, {6, 6, 6}}};  // no area
  // Many far triangles, so that the tree has inner nodes to walk.
  for (int i = 0; i < 100; ++i) {
    const double x = 10 + i;
    triangles.push_back({{x, 0, 0}, {x + 0.5, 0, 0}, {x, 0.5, 0}});
  }
  const ShadowCaster caster(triangles);
  EXPECT_EQ(caster.TriangleCount(), 102u);
  EXPECT_TRUE(caster.Blocked({0.5, 0.25, 1}, {0.5, 0.25, -1}));
  EXPECT_TRUE(caster.Blocked({0.5, 0.25, -1}, {0.5, 0.25, 1}));  // either side
  EXPECT_TRUE(caster.Blocked({40.1, 0.1, 1}, {40.1, 0.1, -1}));
  EXPECT_FALSE(caster.Blocked({2, 0.5, 1}, {2, 0.5, -1}));     // beside it
  EXPECT_FALSE(caster.Blocked({0.5, 0.5, 0}, {0.5, 0.5, 5}));  // leaving the surface
  EXPECT_FALSE(caster.Blocked({0.5, 0.5, 1}, {0.5, 0.5, 2}));  // short of it
  EXPECT_FALSE(caster.Blocked({0.5, 0.5, 1}, {0.5, 0.5, 1}));  // no length
  EXPECT_FALSE(ShadowCaster({}).Blocked({0, 0, 1}, {0, 0, -1}));
}

}  // namespace
}  // namespace brushwright
