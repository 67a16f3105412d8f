// Tests of a terrain's faces: the quad bitmaps' bits over a height map wider than one word, and
// bitmaps too short for their height map named.
#include "terrain/terrain_mesh.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace brushwright;

// A flat 9 x 5 height map: its quads' bits run past the first 32-bit word.
HeightSamples FlatHeights() {
  HeightSamples heights;
  heights.Width = 9;
  heights.Height = 5;
  heights.Values.assign(45, 32768);
  return heights;
}

TEST(AddTerrainFaces, QuadBitsPastTheFirstWordAndCornersOfTheirOwn) {
  LevelTerrain terrain;
  terrain.Name = "TerrainInfo3";
  // Every quad shown but (7, 3) (bit 34, the second word's third); quad (0, 4) does not exist.
  terrain.QuadVisibility = {~0u, ~(1u << 2)};
  terrain.EdgeTurn = {0u, 1u << 2};
  const HeightSamples heights = FlatHeights();
  ASSERT_EQ(TerrainProblem(terrain, heights), "");
  Mesh mesh;
  EXPECT_EQ(AddTerrainFaces(terrain, heights, "MyLevel.TerrainInfo3", 7, 64, 32, mesh), 62);
  ASSERT_EQ(mesh.Groups.size(), 1u);
  EXPECT_EQ(mesh.Groups[0].Name, "TerrainInfo3");
  EXPECT_EQ(mesh.Surfaces[0].Number, 7);
  // Corners of their own: three positions a triangle, in face order.
  EXPECT_EQ(mesh.Positions.size(), 62u * 3);
  // Quad (7, 3), the last, is left out: the last triangle is quad (6, 3)'s.
  const MeshFace& last_of_row = mesh.Groups[0].Faces.back();
  EXPECT_EQ(mesh.Positions[static_cast<std::size_t>(last_of_row.Corners[0].Position)].X,
            (6 - 4) * 64);

  // Turned where the bit says: shown, it turns the quad's diagonal.
  terrain.QuadVisibility.clear();
  Mesh turned;
  turned.SharedPositions = true;
  EXPECT_EQ(AddTerrainFaces(terrain, heights, "T", 1, 64, 32, turned), 64);
  EXPECT_EQ(turned.Positions.size(), 45u);
  const MeshFace& quad_7_3 = turned.Groups[0].Faces[2 * (7 + 3 * 8)];
  EXPECT_EQ(quad_7_3.Corners[2].Position, 7 + 4 * 9);  // (7, 4), across from (8, 3)
  const MeshFace& quad_6_3 = turned.Groups[0].Faces[2 * (6 + 3 * 8)];
  EXPECT_EQ(quad_6_3.Corners[2].Position, 7 + 4 * 9);  // (7, 4), across from (6, 3)
}

TEST(TerrainProblem, NamesBitmapsTooShortForTheirHeightMap) {
  LevelTerrain terrain;
  const HeightSamples heights = FlatHeights();
  terrain.QuadVisibility = {~0u};
  EXPECT_EQ(TerrainProblem(terrain, heights),
            "its QuadVisibilityBitmap holds 1 words; its 9 x 5 height map needs 2");
  terrain.QuadVisibility.clear();
  terrain.EdgeTurn = {0u};
  EXPECT_EQ(TerrainProblem(terrain, heights),
            "its EdgeTurnBitmap holds 1 words; its 9 x 5 height map needs 2");
  HeightSamples thin = heights;
  thin.Height = 1;
  EXPECT_EQ(TerrainProblem(LevelTerrain{}, thin),
            "its height map is 9 x 1 samples, too few for one quad");
}

}  // namespace
