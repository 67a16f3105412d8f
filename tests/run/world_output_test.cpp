// The world output of whole runs: a room carved with a pillar added, read back from the OBJ file.
#include "run/conversion_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fake_host.h"
#include "level_text.h"
#include "obj_text.h"

namespace brushwright::testing {
namespace {

// A room 256 units wide and high carved out of the solid world, and a pillar added in its middle
// from floor to ceiling; `change` may alter the room's polygons first.
std::string RoomWithPillar(void (*change)(std::vector<PolygonSpec>&) = nullptr) {
  BrushSpec room = MakeBrush("Brush1", "CSG_Subtract", "Room");
  room.polygons = Box({0, 0, 0}, {256, 256, 256}, "Rock");
  if (change) change(room.polygons);
  BrushSpec pillar = MakeBrush("Brush2", "CSG_Add", "Pillar");
  pillar.polygons = Box({96, 96, 0}, {160, 160, 256}, "Stone");
  return LevelText({BrushText(room), BrushText(pillar)});
}

Vector Minus(const Vector& a, const Vector& b) {
  return {a.X - b.X, a.Y - b.Y, a.Z - b.Z};
}

// Twice the area vector of a face (its normal times twice its area), in OBJ space.
Vector AreaVector(const ObjText& obj, const ObjFace& face) {
  Vector sum;
  const Vector& first = obj.positions[face.positions[0]];
  for (std::size_t i = 1; i + 1 < face.positions.size(); ++i) {
    const Vector c = VecCross(Minus(obj.positions[face.positions[i]], first),
                              Minus(obj.positions[face.positions[i + 1]], first));
    sum = VecAdd(sum, c);
  }
  return sum;
}

struct WorldRun {
  TempDir dir{"world"};
  FakeHost host;
  RunSummary summary;
  ObjText obj;
  ObjText brushes;  // the brush output of the same level with subtractive brushes

  explicit WorldRun(const std::string& level, const std::string& start_face = "1") {
    host.options.InputFile = dir / "level.t3d";
    host.options.StartFace = start_face;
    WriteBytes(host.options.InputFile, WithCrLf(level));
    host.options.OutputFile = dir / "brushes.obj";
    host.options.Subtractive = true;
    Convert(host);
    brushes = ParseObj(ReadBytes(dir / "brushes.obj"));
    host.options.OutputFile = dir / "world.obj";
    host.options.Subtractive = false;
    host.options.BuildWorld = true;
    summary = Convert(host);
    obj = ParseObj(ReadBytes(dir / "world.obj"));
  }

  // Area written per group.
  std::map<std::string, double> Areas() const {
    std::map<std::string, double> areas;
    for (const ObjFace& face : obj.faces) areas[face.group] += VecLength(AreaVector(obj, face)) / 2;
    return areas;
  }
};

TEST(WorldOutput, RoomWithPillarIsOneClosedSurfaceFacingTheEmptySpace) {
  const WorldRun run(RoomWithPillar());
  EXPECT_EQ(run.summary.Outcome, RunOutcome::Done);
  EXPECT_EQ(run.obj.groups, (std::vector<std::string>{"Room", "Pillar"}));
  // Floor and ceiling less the pillar's foot, four walls; the pillar's four sides.
  EXPECT_EQ(run.Areas(), (std::map<std::string, double>{{"Pillar", 4 * 64 * 256},
                                                        {"Room", 2 * (65536 - 4096) + 4 * 65536}}));
  EXPECT_EQ(run.summary.FacesConverted, 10);
  EXPECT_EQ(run.summary.Fragments, static_cast<std::int32_t>(run.obj.faces.size()));

  // Shared positions: every edge is used once each way, so the surface has no crack.
  std::map<std::pair<int, int>, int> edges;
  for (const ObjFace& face : run.obj.faces) {
    for (std::size_t i = 0; i < face.positions.size(); ++i) {
      ++edges[{face.positions[i], face.positions[(i + 1) % face.positions.size()]}];
    }
  }
  for (const auto& [edge, uses] : edges) {
    EXPECT_EQ(uses, 1) << edge.first << "-" << edge.second;
    EXPECT_EQ(edges.count({edge.second, edge.first}), 1u) << edge.first << "-" << edge.second;
  }

  // Each face looks into the room, outside the pillar (OBJ space mirrors Y).
  for (const ObjFace& face : run.obj.faces) {
    Vector centre;
    for (const int p : face.positions) centre = VecAdd(centre, run.obj.positions[p]);
    const double n = static_cast<double>(face.positions.size());
    const Vector normal = VecNormalize(AreaVector(run.obj, face));
    const Vector in_front{centre.X / n + normal.X, -(centre.Y / n + normal.Y),
                          centre.Z / n + normal.Z};
    const bool in_room = in_front.X > 0 && in_front.X < 256 && in_front.Y > 0 && in_front.Y < 256 &&
                         in_front.Z > 0 && in_front.Z < 256;
    const bool in_pillar =
        in_front.X > 96 && in_front.X < 160 && in_front.Y > 96 && in_front.Y < 160;
    EXPECT_TRUE(in_room && !in_pillar)
        << face.group << " " << in_front.X << " " << in_front.Y << " " << in_front.Z;
  }

  // Where the brush output has a corner of the same material, the world's carries its texture
  // coordinates there.
  const auto place = [](const ObjText& obj, const ObjFace& face, std::size_t i) {
    const Vector& p = obj.positions[face.positions[i]];
    return face.material + " " + std::to_string(p.X) + " " + std::to_string(p.Y) + " " +
           std::to_string(p.Z);
  };
  const auto coordinates = [](const ObjText& obj, const ObjFace& face, std::size_t i) {
    const auto& uv = obj.coordinates[face.coordinates[i]];
    return std::to_string(uv.first) + " " + std::to_string(uv.second);
  };
  std::map<std::string, std::set<std::string>> brush_corners;
  for (const ObjFace& face : run.brushes.faces) {
    for (std::size_t i = 0; i < face.positions.size(); ++i) {
      brush_corners[place(run.brushes, face, i)].insert(coordinates(run.brushes, face, i));
    }
  }
  int compared = 0;
  for (const ObjFace& face : run.obj.faces) {
    for (std::size_t i = 0; i < face.positions.size(); ++i) {
      const auto found = brush_corners.find(place(run.obj, face, i));
      if (found == brush_corners.end()) continue;
      ++compared;
      EXPECT_EQ(found->second.count(coordinates(run.obj, face, i)), 1u)
          << place(run.obj, face, i) << " " << coordinates(run.obj, face, i);
    }
  }
  EXPECT_GE(compared, 40);
}

TEST(WorldOutput, SwitchesChooseWhatIsWrittenNeverWhatCuts) {
  // Faces 1 to 6 are the room's: before the start face, yet they carve the room the pillar stands
  // in; an invisible floor still carves.
  const WorldRun late(RoomWithPillar(), "7");
  EXPECT_EQ(late.Areas(), (std::map<std::string, double>{{"Pillar", 4 * 64 * 256}}));
  EXPECT_EQ(late.summary.BeforeStartFace, 6);
  const WorldRun hidden(RoomWithPillar([](std::vector<PolygonSpec>& room) { room[0].flags = 1; }));
  EXPECT_EQ(hidden.Areas(), (std::map<std::string, double>{{"Pillar", 4 * 64 * 256},
                                                           {"Room", 65536 - 4096 + 4 * 65536}}));
  EXPECT_EQ(hidden.summary.InvisibleFaces, 1);
  // The brush's own flags count for each of its faces: an invisible pillar fills, unseen.
  std::string level = RoomWithPillar();
  level.replace(level.find("CsgOper=CSG_Add"), 15, "CsgOper=CSG_Add\nPolyFlags=1");
  const WorldRun unseen(level);
  EXPECT_EQ(unseen.Areas(),
            (std::map<std::string, double>{{"Room", 2 * (65536 - 4096) + 4 * 65536}}));
  EXPECT_EQ(unseen.summary.InvisibleFaces, 6);
}

}  // namespace
}  // namespace brushwright::testing
