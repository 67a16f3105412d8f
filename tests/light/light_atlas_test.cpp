// Light-map atlases: frames packed without overlap inside their pages, refused when too large,
// and the frame and atlas coordinates of a polygon.
#include "light/light_atlas.h"

#include <gtest/gtest.h>

#include <string>

#include "text/brush_error.h"

namespace brushwright {
namespace {

TEST(LightAtlas, FramesWithTheirBordersNeverOverlapAndStayOnTheirPage) {
  std::vector<FrameSize> frames;
  for (int i = 0; i < 60; ++i) frames.push_back({1 + i * 7 % 30, 1 + i * 11 % 25});
  frames.push_back({62, 62});  // a whole page with its border
  const LightAtlas atlas = PackLightAtlas(frames, 64);
  EXPECT_GE(atlas.Pages, 2);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const AtlasPlace& a = atlas.Places[i];
    SCOPED_TRACE(::testing::Message() << "frame " << i << " at " << a.X << ", " << a.Y);
    EXPECT_LT(a.Page, atlas.Pages);
    EXPECT_GE(a.X, 1);
    EXPECT_GE(a.Y, 1);
    EXPECT_LE(a.X + frames[i].Width + 1, 64);
    EXPECT_LE(a.Y + frames[i].Height + 1, 64);
    for (std::size_t j = 0; j < i; ++j) {
      const AtlasPlace& b = atlas.Places[j];
      const bool apart = a.Page != b.Page || a.X + frames[i].Width + 1 < b.X ||
                         b.X + frames[j].Width + 1 < a.X || a.Y + frames[i].Height + 1 < b.Y ||
                         b.Y + frames[j].Height + 1 < a.Y;
      EXPECT_TRUE(apart) << "overlaps frame " << j;
    }
  }
  try {
    PackLightAtlas({{4, 4}, {63, 10}}, 64);
    ADD_FAILURE() << "a frame wider than the page was packed";
  } catch (const BrushError& error) {
    EXPECT_EQ(std::string(error.what()),
              "light-map frame 1 of 63 x 10 texels does not fit an atlas page of 64 square");
  }
}

TEST(LightAtlas, APolygonsFrameCoversItAndItsCornersLandOnTheirTexels) {
  // A 64-unit square from (8, 8) on texture axes of two pixels a unit.
  const std::vector<Vector> square = {{8, 8, 0}, {72, 8, 0}, {72, 72, 0}, {8, 72, 0}};
  const Vector base{0, 0, 0};
  const Vector u{2, 0, 0};
  const Vector v{0, 2, 0};
  const LightMapIndex frame = FrameOfPolygon(square, base, u, v, 16, 1024);
  EXPECT_EQ(frame.UScale, 32);
  EXPECT_EQ(frame.Pan.X, 0);
  EXPECT_EQ(frame.UClamp, 6);  // frame coordinates 0.5 to 4.5, and one more
  double s = 0;
  double t = 0;
  AtlasCoordinate(frame, AtlasPlace{0, 10, 20}, 100, square[2], base, u, v, s, t);
  EXPECT_DOUBLE_EQ(s, 0.145);
  EXPECT_DOUBLE_EQ(t, 0.245);

  // A long wall gets coarser texels, within the bound, still covering its far end.
  const std::vector<Vector> wall = {{0, 0, 0}, {100000, 0, 0}, {100000, 10, 0}, {0, 10, 0}};
  const LightMapIndex coarse = FrameOfPolygon(wall, {-3, 0, 0}, {1, 0, 0}, {0, 1, 0}, 16, 64);
  EXPECT_LE(coarse.UClamp, 64);
  EXPECT_GE(coarse.UClamp * coarse.UScale + coarse.Pan.X, 100003);
}

}  // namespace
}  // namespace brushwright
