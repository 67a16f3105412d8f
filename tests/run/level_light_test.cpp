// The run's light phase on a small level: a floor with a box placed over it under one light.
#include "run/level_light.h"

#include <gtest/gtest.h>

#include <cmath>

#include "level/poly_flags.h"

namespace brushwright {
namespace {

// A face of four corners seen from where (c1 - c0) x (c2 - c1) points, on texture axes of one
// texel a unit along X and Y, in a group of its own.
void AddSquare(Mesh& mesh, const std::vector<Vector>& corners) {
  MeshSurface& surface = mesh.Surfaces.emplace_back();
  surface.Axes.TextureU = {1, 0, 0};
  surface.Axes.TextureV = {0, 1, 0};
  MeshFace face;
  face.Surface = static_cast<std::int32_t>(mesh.Surfaces.size() - 1);
  for (const Vector& corner : corners) {
    face.Corners.push_back({static_cast<std::int32_t>(mesh.Positions.size()), 0, 0});
    mesh.Positions.push_back(corner);
  }
  mesh.Groups.emplace_back().Faces.push_back(face);
}

// A unit cube as a shape, its faces facing out; position x + 2y + 4z is corner (x, y, z).
MeshShape UnitCube() {
  MeshShape cube;
  cube.Name = "Cube";
  for (int i = 0; i < 8; ++i)
    cube.Positions.push_back({1.0 * (i & 1), 1.0 * (i >> 1 & 1), 1.0 * (i >> 2)});
  const int faces[6][4] = {{4, 5, 7, 6}, {0, 2, 3, 1}, {0, 1, 5, 4},
                           {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (const auto& corners : faces) {
    MeshFace& face = cube.Faces.emplace_back();
    for (const int corner : corners) face.Corners.push_back({corner, 0, 0});
  }
  return cube;
}

// The light byte (red) the face's page holds at `point`, which lies on the axis-aligned
// rectangle of its corners 0, 1 and 3.
int LightAt(const Mesh& mesh, const MeshFace& face, double x, double y) {
  const Vector& c0 = mesh.Positions[static_cast<std::size_t>(face.Corners[0].Position)];
  const Vector& c1 = mesh.Positions[static_cast<std::size_t>(face.Corners[1].Position)];
  const Vector& c3 = mesh.Positions[static_cast<std::size_t>(face.Corners[3].Position)];
  const double a = (x - c0.X) / (c1.X - c0.X);
  const double b = (y - c0.Y) / (c3.Y - c0.Y);
  const MeshCorner& k0 = face.Corners[0];
  const MeshCorner& k1 = face.Corners[1];
  const MeshCorner& k3 = face.Corners[3];
  const double s = k0.LightS + a * (k1.LightS - k0.LightS) + b * (k3.LightS - k0.LightS);
  const double t = k0.LightT + a * (k1.LightT - k0.LightT) + b * (k3.LightT - k0.LightT);
  const LightPage& page = mesh.LightPages.at(static_cast<std::size_t>(face.LightPage));
  const auto column = static_cast<std::size_t>(std::floor(s * page.Width));
  const auto row = static_cast<std::size_t>(std::floor(t * page.Height));
  return page.Texels.at(row * static_cast<std::size_t>(page.Width) + column).R;
}

TEST(LightLevel, ShadowsOfPlacedMeshesLitVerticesAndTheAmbientBeyondReach) {
  Mesh mesh;
  AddSquare(mesh, {{0, 0, 0}, {256, 0, 0}, {256, 256, 0}, {0, 256, 0}});  // floor, facing up
  // A wall far beyond the light's reach, facing it.
  AddSquare(mesh, {{5000, 0, 0}, {5000, 0, 256}, {5000, 256, 256}, {5000, 256, 0}});
  // An unlit face in the dark beside the wall: drawn at full brightness.
  AddSquare(mesh, {{6000, 0, 0}, {6000, 0, 256}, {6000, 256, 256}, {6000, 256, 0}});
  mesh.Surfaces.back().Flags = kPolyFlagUnlit;
  mesh.Shapes.push_back(UnitCube());
  MeshPlacement& box = mesh.Placements.emplace_back();
  box.Scale = {64, 64, 64};  // x 32..96, y 96..160, z 50..114
  box.Pose.Translation = {32, 96, 50};

  Level level;
  LightRecord& light = level.Actors.Lights.emplace_back();
  light.Location = {64, 128, 300};
  light.LightBrightness = 255;
  light.LightRadius = 31;  // reaching 800 units
  ZoneLightRecord& info = level.Zones.emplace_back();
  info.Class = "LevelInfo";
  info.AmbientBrightness = 32;
  info.AmbientSaturation = 255;  // white
  int yields = 0;
  const LevelLight outcome = LightLevel(level, mesh, [&yields] { ++yields; });

  EXPECT_EQ(outcome.Lights, 1);
  EXPECT_EQ(outcome.Faces, 3);
  EXPECT_EQ(outcome.Placements, 1);
  EXPECT_GE(yields, 1);  // the run can yield while faces are lit
  ASSERT_EQ(mesh.LightPages.size(), 1u);
  const MeshFace& floor = mesh.Groups[0].Faces[0];
  const MeshFace& wall = mesh.Groups[1].Faces[0];
  // Under the box the floor holds the ambient alone; beside it the light too.
  EXPECT_EQ(LightAt(mesh, floor, 64, 128), 32);
  EXPECT_GT(LightAt(mesh, floor, 200, 128), 100);
  // Beyond the light's reach, the ambient everywhere.
  for (const MeshCorner& corner : wall.Corners) {
    EXPECT_GE(corner.LightS, 0);
    EXPECT_LE(corner.LightS, 1);
  }
  const LightPage& page = mesh.LightPages[0];
  const auto texel = [&](double s, double t) {
    return page.Texels[static_cast<std::size_t>(t * page.Height) * page.Width +
                       static_cast<std::size_t>(s * page.Width)];
  };
  const LightTexel far = texel((wall.Corners[0].LightS + wall.Corners[2].LightS) / 2,
                               (wall.Corners[0].LightT + wall.Corners[2].LightT) / 2);
  EXPECT_EQ(far.R, 32);
  EXPECT_EQ(far.B, 32);
  const MeshFace& unlit = mesh.Groups[2].Faces[0];
  const LightTexel full = texel((unlit.Corners[0].LightS + unlit.Corners[2].LightS) / 2,
                                (unlit.Corners[0].LightT + unlit.Corners[2].LightT) / 2);
  EXPECT_EQ(full.G, 128);
  // The box's top corner faces the light; its bottom corner faces away and holds the ambient.
  ASSERT_EQ(box.VertexLight.size(), 8u);
  EXPECT_GT(mesh.Placements[0].VertexLight[7].G, 100);
  EXPECT_EQ(mesh.Placements[0].VertexLight[0].G, 32);
}

}  // namespace
}  // namespace brushwright
