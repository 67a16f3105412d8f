// The world output as glTF of whole runs of the command-line program, read back: every triangle
// has area, and a hand-built level shows one surface where a panel lies flush on a wall and the
// recess a lidless cup carves.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "run/level_text.h"
#include "support/gltf_files.h"

namespace brushwright::testing {
namespace {

using Triangle = std::array<Vector, 3>;

// The triangles of the world output of `level`, in glTF space at one metre per unit: x stays x.
std::vector<Triangle> WorldTriangles(const std::string& level, const TempDir& dir) {
  const std::string command = std::string("'") + BRUSHWRIGHT_CONVERT +
                              "' -q --world --format glb --scale 1 --output-dir '" +
                              dir.path().string() + "' '" + level + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  const tinygltf::Model model =
      ReadBack(dir / (std::filesystem::path(level).stem().string() + ".glb"));
  std::vector<Triangle> triangles;
  for (const tinygltf::Mesh& mesh : model.meshes) {
    for (const tinygltf::Primitive& primitive : mesh.primitives) {
      const std::vector<double> p = Values(model, primitive.attributes.at("POSITION"));
      const std::vector<double> corners = Values(model, primitive.indices);
      for (std::size_t i = 0; i < corners.size(); ++i) {
        if (i % 3 == 0) triangles.emplace_back();
        const auto v = static_cast<std::size_t>(corners[i]) * 3;
        triangles.back()[i % 3] = {p[v], p[v + 1], p[v + 2]};
      }
    }
  }
  return triangles;
}

// Twice the area, in the direction the triangle faces.
Vector TwiceArea(const Triangle& t) {
  return VecCross(VecSubtract(t[1], t[0]), VecSubtract(t[2], t[0]));
}

// Triangles no wider than a thousandth of a unit across their longest edge.
int Slivers(const std::vector<Triangle>& triangles) {
  int slivers = 0;
  for (const Triangle& t : triangles) {
    double longest = 0;
    for (int k = 0; k < 3; ++k)
      longest = std::max(longest, VecLength(VecSubtract(t[(k + 1) % 3], t[k])));
    slivers += VecLength(TwiceArea(t)) <= 1e-3 * longest ? 1 : 0;
  }
  return slivers;
}

TEST(WorldGlb, EveryTriangleOfTheCorpusLevelsHasArea) {
  const std::filesystem::path corpus = BRUSHWRIGHT_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    if (entry.path().extension() != ".t3d") continue;
    TempDir dir("world-glb");
    const std::vector<Triangle> triangles = WorldTriangles(entry.path().string(), dir);
    EXPECT_GT(triangles.size(), 20u) << entry.path();
    EXPECT_EQ(Slivers(triangles), 0) << entry.path();
  }
}

TEST(WorldGlb, FlushPanelShowsOnceAndLidlessCupCarvesItsRecess) {
  BrushSpec room = MakeBrush("Brush1", "CSG_Subtract");
  room.polygons = Box({0, 0, 0}, {256, 256, 256}, "Rock");
  BrushSpec panel = MakeBrush("Brush2", "CSG_Add");  // sunk flush into the wall at x = 0
  panel.polygons = Box({-16, 32, 32}, {0, 96, 96}, "Panel");
  BrushSpec cup = MakeBrush("Brush3", "CSG_Subtract");  // open toward the room at x = 256
  cup.polygons = Box({256, 96, 96}, {320, 160, 160}, "Metal");
  cup.polygons.erase(cup.polygons.begin() + 2);
  std::string semisolid = BrushText(panel);
  semisolid.insert(semisolid.find("   Begin Brush"), "   PolyFlags=32\n");
  TempDir dir("world-glb");
  WriteBytes(dir / "level.t3d", LevelText({BrushText(room), semisolid, BrushText(cup)}));
  const std::vector<Triangle> triangles = WorldTriangles(dir / "level.t3d", dir);
  EXPECT_EQ(Slivers(triangles), 0);
  // Area facing +X (or -X) on each plane x = constant.
  std::map<double, double> facing_x;
  for (const Triangle& t : triangles) {
    if (t[0].X == t[1].X && t[1].X == t[2].X) facing_x[t[0].X] += TwiceArea(t).X / 2;
  }
  EXPECT_EQ(facing_x, (std::map<double, double>{{0, 65536}, {256, -65536 + 4096}, {320, -4096}}));
}

}  // namespace
}  // namespace brushwright::testing
