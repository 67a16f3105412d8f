// The light of a mesh by its own shadow rays: a floor under a light, half of it behind a roof.
#include "light/mesh_light.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace brushwright {
namespace {

// A face of four corners seen from where (c1 - c0) x (c2 - c1) points, on texture axes of one
// texel a unit along X and Y.
void AddSquare(Mesh& mesh, const std::vector<Vector>& corners) {
  MeshSurface surface;
  surface.Axes.TextureU = {1, 0, 0};
  surface.Axes.TextureV = {0, 1, 0};
  mesh.Surfaces.push_back(surface);
  MeshFace face;
  face.Surface = static_cast<std::int32_t>(mesh.Surfaces.size() - 1);
  for (const Vector& corner : corners) {
    face.Corners.push_back({static_cast<std::int32_t>(mesh.Positions.size()), 0, 0});
    mesh.Positions.push_back(corner);
  }
  if (mesh.Groups.empty()) mesh.Groups.emplace_back();
  mesh.Groups[0].Faces.push_back(face);
}

TEST(MeshLight, TexelsBehindARoofHoldTheAmbientAloneAndTheOthersMore) {
  Mesh mesh;
  AddSquare(mesh, {{0, 0, 0}, {256, 0, 0}, {256, 256, 0}, {0, 256, 0}});          // floor, up
  AddSquare(mesh, {{0, 0, 100}, {100, 0, 100}, {100, 256, 100}, {0, 256, 100}});  // roof, up
  LightRecord record;
  record.Location = {192, 128, 200};
  record.LightBrightness = 255;
  record.LightRadius = 31;  // reaching 800 units
  const std::vector<LightSource> lights = {LightSourceOf(record, 1)};
  MeshLightSettings settings;
  settings.Ambient = {0.1, 0.1, 0.1};
  settings.PageSize = 64;

  const MeshLight light = LightMesh(mesh, lights, settings);
  ASSERT_EQ(light.Faces.size(), 2u);
  EXPECT_EQ(light.Atlas.Pages, 1);
  const FaceLight& floor = light.Faces[0];
  EXPECT_EQ(floor.Frame.UClamp, 17);  // 256 units of 16, and one more
  EXPECT_EQ(floor.Light.Width, 17);
  const auto texel = [&](std::int32_t u, std::int32_t v) {
    return floor.Light.Texels[static_cast<std::size_t>(v) * floor.Light.Width + u].R;
  };
  // Texel (0, 8) at x 8 sees the light through the roof's span; texel (15, 8) at x 248 does not.
  EXPECT_EQ(texel(0, 8), 0.1);
  EXPECT_GT(texel(15, 8), 0.5);
  // The roof itself faces the light.
  EXPECT_GT(light.Faces[1].Light.Texels[0].R, 0.1);
  EXPECT_GT(light.Rays, 17 * 17);
  // A light too far to reach the faces is not even tried.
  record.Location = {5000, 5000, 5000};
  const MeshLight dark = LightMesh(mesh, {LightSourceOf(record, 1)}, settings);
  EXPECT_EQ(dark.Rays, 0);
  EXPECT_EQ(dark.Faces[0].Light.Texels[0].G, 0.1);
}

// Frames beyond the texel budget take coarser texels, so that a large level keeps its memory and
// rays bounded.
TEST(MeshLight, FramesPastTheBudgetTakeCoarserTexels) {
  Mesh mesh;
  AddSquare(mesh, {{0, 0, 0}, {4000, 0, 0}, {4000, 4000, 0}, {0, 4000, 0}});
  MeshLightSettings settings;
  settings.TexelBudget = 10000;  // the 16-unit frame would take 252 x 252 texels
  const MeshLight light = LightMesh(mesh, {}, settings);
  ASSERT_EQ(light.Faces.size(), 1u);
  const LightMapIndex& frame = light.Faces[0].Frame;
  EXPECT_GT(light.TexelUnits, 16);
  EXPECT_LE((frame.UClamp + 2) * (frame.VClamp + 2), 10000);
  EXPECT_GT((frame.UClamp + 2) * (frame.VClamp + 2), 5000);  // not coarser than it needs
}

// Work shared among the cores is done once per item; a yield that ends the run stops it and
// reaches the caller after the helpers are done, items still to come never started.
TEST(ShareAmongCores, EveryItemOnceAndAStopThrownFromTheYield) {
  std::vector<std::atomic<int>> done(1000);
  ShareAmongCores(done.size(), {}, [&](std::size_t i) { ++done[i]; });
  for (const std::atomic<int>& count : done) EXPECT_EQ(count, 1);

  struct Stop {};
  std::atomic<int> started{0};
  int yields = 0;
  // Items slow enough that the helpers cannot finish them all before the first yield.
  EXPECT_THROW(ShareAmongCores(
                   100000,
                   [&yields] {
                     ++yields;
                     throw Stop{};
                   },
                   [&started](std::size_t) {
                     ++started;
                     std::this_thread::sleep_for(std::chrono::microseconds(10));
                   }),
               Stop);
  EXPECT_EQ(yields, 1);
  EXPECT_LT(started, 100000);
}

}  // namespace
}  // namespace brushwright
