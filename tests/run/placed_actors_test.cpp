// Static meshes placed by a map and by a T3D text naming the same actors: the same meshes, read
// once each, at the same places, facing where the meshes' own normals say.
#include "run/placed_actors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "map/package_level.h"
#include "support/test_files.h"
#include "support/test_inputs.h"
#include "t3d/t3d_level.h"
#include "text/number_text.h"

namespace brushwright::testing {
namespace {

const std::string kPackages = BRUSHWRIGHT_PACKAGES_DIR;
const std::string kTorpedo = kPackages + "/UWRM-Torpedo.ut2";

std::string VectorText(const Vector& v) {
  return "(X=" + NumberText(v.X) + ",Y=" + NumberText(v.Y) + ",Z=" + NumberText(v.Z) + ")";
}

// The actors as an editor exports them; the last one again, mirrored in its own X.
std::string T3dOf(const std::vector<StaticMeshActorRecord>& actors) {
  std::string text = "Begin Map\r\n";
  for (std::size_t i = 0; i <= actors.size(); ++i) {
    const StaticMeshActorRecord& actor = actors[std::min(i, actors.size() - 1)];
    const Vector scale3d =
        i < actors.size() ? actor.DrawScale3D
                          : Vector{-actor.DrawScale3D.X, actor.DrawScale3D.Y, actor.DrawScale3D.Z};
    text += "Begin Actor Class=StaticMeshActor Name=" + actor.Name +
            (i < actors.size() ? "" : "M") + "\r\n    StaticMesh=StaticMesh'" + actor.StaticMesh +
            "'\r\n    Location=" + VectorText(actor.Location) +
            "\r\n    Rotation=(Pitch=" + NumberText(actor.Rotation.Pitch) +
            ",Yaw=" + NumberText(actor.Rotation.Yaw) + ",Roll=" + NumberText(actor.Rotation.Roll) +
            ")\r\n    PrePivot=" + VectorText(actor.PrePivot) +
            "\r\n    DrawScale=" + NumberText(actor.DrawScale) +
            "\r\n    DrawScale3D=" + VectorText(scale3d) + "\r\nEnd Actor\r\n";
  }
  return text + "End Map\r\n";
}

double Dot(const Vector& a, const Vector& b) {
  return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}

// The share of the group's face area whose winding agrees with the mesh's stored normals,
// turned as the actor turns them (R S^-1 n).
double AreaFacingOut(const Mesh& mesh, const MeshGroup& group, const StaticMesh& source,
                     const StaticMeshActorRecord& actor, std::int32_t first) {
  const Matrix3 r = RotationMatrix(actor.Rotation);
  const Vector s{actor.DrawScale * actor.DrawScale3D.X, actor.DrawScale * actor.DrawScale3D.Y,
                 actor.DrawScale * actor.DrawScale3D.Z};
  double out = 0, all = 0;
  for (const MeshFace& face : group.Faces) {
    const auto at = [&](int k) { return mesh.Positions[face.Corners[k].Position]; };
    const Vector turn = VecCross(VecSubtract(at(1), at(0)), VecSubtract(at(2), at(1)));
    Vector normal;
    for (int k = 0; k < 3; ++k) {
      const Vector& n = source.Normals[face.Corners[k].Position - first];
      normal = VecAdd(normal, Mat3Transform(r, Vector{n.X / s.X, n.Y / s.Y, n.Z / s.Z}));
    }
    const double area = VecLength(turn);
    all += area;
    if (Dot(turn, normal) > 0) out += area;
  }
  return all > 0 ? out / all : 0;
}

TEST(PlacedActors, MapAndT3dPlaceTheSameMeshesFacingOut) {
  SKIP_IF_MISSING(std::filesystem::exists(kTorpedo) ? "" : "no " + kTorpedo);
  const Level map = ReadPackageLevel(PackageFile::Open(kTorpedo), false);
  ASSERT_EQ(map.MeshActors.size(), 70u);
  std::vector<StaticMeshActorRecord> own;
  for (const StaticMeshActorRecord& actor : map.MeshActors) {
    if (actor.StaticMesh.starts_with("MyLevel.")) own.push_back(actor);
  }
  ASSERT_EQ(own.size(), 9u);

  // The T3D text's MyLevel is the map of its own name in the search folder.
  const Level text = ReadT3dLevel(T3dOf(own));
  ASSERT_EQ(text.MeshActors.size(), own.size() + 1);
  PlacedKinds kinds;
  StaticMeshLibrary map_meshes(kTorpedo, kPackages, "");
  StaticMeshLibrary text_meshes("", kPackages, "UWRM-Torpedo");
  Mesh from_map, from_text;
  const PlacedCounts map_counts = AddPlacedActors(map, kinds, map_meshes, from_map);
  AddPlacedActors(text, kinds, text_meshes, from_text);
  EXPECT_EQ(map_counts.MeshActors, 9);
  EXPECT_EQ(map_meshes.MeshesRead(), 2);
  EXPECT_EQ(text_meshes.MeshesRead(), 2);
  // The game's own packages are not there: one line per package, with its actors.
  EXPECT_EQ(map_meshes.Notices().size(), 6u);

  ASSERT_EQ(from_text.Groups.size(), from_map.Groups.size() + 1);
  std::int32_t first = 0;
  for (std::size_t g = 0; g < from_text.Groups.size(); ++g) {
    const MeshGroup& group = from_text.Groups[g];
    const StaticMeshActorRecord& actor = text.MeshActors[g];
    const StaticMesh& source = *text_meshes.Find(actor.StaticMesh);
    SCOPED_TRACE(actor.Name);
    EXPECT_GT(AreaFacingOut(from_text, group, source, actor, first), 0.99);
    if (g < from_map.Groups.size()) {
      EXPECT_EQ(*group.Name, *from_map.Groups[g].Name);
      ASSERT_EQ(group.Faces.size(), from_map.Groups[g].Faces.size());
      for (std::size_t p = 0; p < source.Positions.size(); ++p) {
        const Vector& a = from_text.Positions[first + p];
        const Vector& b = from_map.Positions[first + p];
        EXPECT_NEAR(a.X, b.X, 1e-6);
        EXPECT_NEAR(a.Y, b.Y, 1e-6);
        EXPECT_NEAR(a.Z, b.Z, 1e-6);
      }
    }
    first += static_cast<std::int32_t>(source.Positions.size());
  }
}

// A mover that turns a whole circle between its two keys goes round in poses a quarter circle
// apart (interpolating between two poses takes the shorter way), at times spread over MoveTime.
TEST(PlacedActors, MoverTurningFarBetweenKeysGetsPosesBetween) {
  Level level;
  LevelMover& mover = level.Movers.emplace_back();
  mover.Brush.Name = "Wheel0";
  PolygonRecord& polygon = mover.Brush.Polygons.emplace_back();
  polygon.Vertices = {{0, 0, 0}, {64, 0, 0}, {0, 64, 0}};
  mover.Keys.NumKeys = 2;
  mover.Keys.MoveTime = 2;
  mover.Keys.KeyPos = {{0, 0, 0}, {0, 0, 64}};
  mover.Keys.KeyRot = {{0, 0, 0}, {0, 65536, 0}};
  StaticMeshLibrary library("", "", "");
  Mesh mesh;
  AddPlacedActors(level, PlacedKinds{}, library, mesh);
  ASSERT_EQ(mesh.Groups.size(), 1u);
  ASSERT_TRUE(mesh.Groups[0].Motion);
  const MeshMotion& motion = *mesh.Groups[0].Motion;
  EXPECT_EQ(motion.Seconds, (std::vector<double>{0, 0.5, 1, 1.5, 2}));
  ASSERT_EQ(motion.Keys.size(), 5u);
  // Half way: half a turn about Z, half way up.
  const NodePose& half = motion.Keys[2];
  EXPECT_NEAR(half.Rotation.m[0][0], -1, 1e-9);
  EXPECT_NEAR(half.Rotation.m[1][1], -1, 1e-9);
  EXPECT_NEAR(half.Translation.Z, 32, 1e-9);
}

}  // namespace
}  // namespace brushwright::testing
