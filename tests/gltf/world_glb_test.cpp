// The world output as glTF of runs of the command-line program, read back: triangles with area, a
// flush semisolid panel shown once, the recess a lidless cup carves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "run/level_text.h"
#include "support/gltf_files.h"

namespace brushwright::testing {
namespace {

// The world output of `level` as glTF at a metre per unit (x stays x), read back: the triangles no
// wider than a thousandth of a unit across their longest edge; the area facing +X per plane x.
int Slivers(const std::string& level, const TempDir& dir, std::map<double, double>& facing_x) {
  const std::string command = std::string("'") + BRUSHWRIGHT_CONVERT +
                              "' -q --world --format glb --scale 1 --output-dir '" +
                              dir.path().string() + "' '" + level + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  const tinygltf::Model model =
      ReadBack(dir / (std::filesystem::path(level).stem().string() + ".glb"));
  int slivers = 0;
  for (const tinygltf::Mesh& mesh : model.meshes) {
    for (const tinygltf::Primitive& primitive : mesh.primitives) {
      const std::vector<double> p = Values(model, primitive.attributes.at("POSITION"));
      const std::vector<double> corners = Values(model, primitive.indices);
      for (std::size_t i = 0; i + 2 < corners.size(); i += 3) {
        Vector t[3];
        for (std::size_t k = 0; k < 3; ++k) {
          const auto v = static_cast<std::size_t>(corners[i + k]) * 3;
          t[k] = {p[v], p[v + 1], p[v + 2]};
        }
        const double longest =
            std::max({VecLength(VecSubtract(t[1], t[0])), VecLength(VecSubtract(t[2], t[1])),
                      VecLength(VecSubtract(t[0], t[2]))});
        const Vector twice_area = VecCross(VecSubtract(t[1], t[0]), VecSubtract(t[2], t[0]));
        slivers += VecLength(twice_area) <= 1e-3 * longest ? 1 : 0;
        if (t[0].X == t[1].X && t[1].X == t[2].X) facing_x[t[0].X] += twice_area.X / 2;
      }
    }
  }
  return slivers;
}

TEST(WorldGlb, TrianglesHaveAreaAndFlushPanelsAndLidlessCupsShowAsBuilt) {
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
  std::map<double, double> facing_x;
  EXPECT_EQ(Slivers(dir / "level.t3d", dir, facing_x), 0);
  EXPECT_EQ(facing_x, (std::map<double, double>{{0, 65536}, {256, -65536 + 4096}, {320, -4096}}));

  const std::filesystem::path corpus = BRUSHWRIGHT_CORPUS_DIR;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    if (entry.path().extension() != ".t3d") continue;
    EXPECT_EQ(Slivers(entry.path().string(), dir, facing_x), 0) << entry.path();
  }
}

}  // namespace
}  // namespace brushwright::testing
