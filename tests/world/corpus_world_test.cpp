// The corpus levels and a generated level of rooms build, deterministically, and rays cast from
// their player starts (or lights) meet surfaces the point oracle agrees with.
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "level_brushes.h"
#include "level_generator.h"
#include "support/test_inputs.h"
#include "t3d/t3d_level.h"
#include "text/file_text.h"
#include "world/tolerance.h"
#include "world/world_builder.h"
#include "world_oracle.h"

namespace brushwright {
namespace {

// Where rays start: the player starts, or the lights when a level has none.
std::vector<Vector> RayOrigins(const std::string& text) {
  const ReportActors actors = ReadReportActors(text);
  std::vector<Vector> origins;
  for (const PlayerStartRecord& start : actors.PlayerStarts) origins.push_back(start.Location);
  if (origins.empty()) {
    for (const LightRecord& light : actors.Lights) origins.push_back(light.Location);
  }
  return origins;
}

bool SameMesh(const WorldMesh& a, const WorldMesh& b) {
  if (a.Positions.size() != b.Positions.size() || a.Faces.size() != b.Faces.size()) return false;
  for (std::size_t i = 0; i < a.Positions.size(); ++i) {
    const Vector &p = a.Positions[i], &q = b.Positions[i];
    if (p.X != q.X || p.Y != q.Y || p.Z != q.Z) return false;
  }
  for (std::size_t i = 0; i < a.Faces.size(); ++i) {
    if (a.Faces[i].Brush != b.Faces[i].Brush || a.Faces[i].Polygon != b.Faces[i].Polygon ||
        a.Faces[i].Corners != b.Faces[i].Corners)
      return false;
  }
  return true;
}

TEST(BuildWorld, CorpusLevelsAgreeWithTheRayOracle) {
  CORPUS_LEVELS_OR_SKIP(levels);
  for (const std::filesystem::path& level : levels) {
    SCOPED_TRACE(level.filename().string());
    const std::string text = ReadFileText(level.string());
    const std::vector<WorldBrush> brushes = LevelBrushes(text);
    const WorldMesh mesh = BuildWorld(brushes);
    EXPECT_TRUE(SameMesh(mesh, BuildWorld(brushes)));
    const RayReport rays =
        CastRays(brushes, std::vector<bool>(brushes.size(), false), mesh, RayOrigins(text));
    std::cout << level.filename().string() << ": " << brushes.size() << " brushes, "
              << mesh.Faces.size() << " faces, " << mesh.Positions.size() << " positions, "
              << mesh.BrokenBrushes << " broken, " << mesh.DroppedPolygons << " dropped; "
              << rays.rays << " rays, " << rays.checked << " checked\n";
    EXPECT_GT(rays.checked, 0);
    EXPECT_GE(NarrowestFace(mesh), kSliverWidth);
    for (const std::string& failure : rays.failures) ADD_FAILURE() << failure;
  }
}

// Rooms side by side with doors, turned pillars, stairs, water sheets and semisolid crates.
TEST(BuildWorld, GeneratedRoomsAgreeWithTheRayOracle) {
  const std::string text = GenerateLevel({600, LevelVariant::Rooms});
  const std::vector<WorldBrush> brushes = LevelBrushes(text);
  const WorldMesh mesh = BuildWorld(brushes);
  EXPECT_EQ(mesh.BrokenBrushes, 0);
  EXPECT_EQ(mesh.DroppedPolygons, 0);
  EXPECT_GE(NarrowestFace(mesh), kSliverWidth);
  const std::vector<Vector> starts = RayOrigins(text);
  const RayReport rays = CastRays(brushes, std::vector<bool>(brushes.size(), false), mesh, starts);
  EXPECT_EQ(rays.rays, static_cast<int>(starts.size()) * 48);
  EXPECT_GT(rays.checked, rays.rays * 9 / 10);
  for (const std::string& failure : rays.failures) ADD_FAILURE() << failure;
}

// The generated rooms with every corner moved off by up to half the tolerance, as rounding leaves
// real levels: where brushes meet, their faces and edges come out a hair apart, never narrower than
// the corners' error.
TEST(BuildWorld, RoomsAHairOffLeaveNoSlivers) {
  std::vector<WorldBrush> brushes = LevelBrushes(GenerateLevel({600, LevelVariant::Rooms}));
  std::uint32_t state = 12345;
  const auto off = [&] {
    state = state * 1664525u + 1013904223u;  // a linear congruential sequence: the same each run
    return (static_cast<double>(state >> 8) / (1 << 24) - 0.5) * kWorldTolerance;
  };
  for (WorldBrush& brush : brushes) {
    for (WorldPolygon& polygon : brush.Polygons) {
      for (Vector& v : polygon.Vertices) v = VecAdd(v, Vector{off(), off(), off()});
    }
  }
  const WorldMesh mesh = BuildWorld(brushes);
  EXPECT_EQ(mesh.DroppedPolygons, 0);
  EXPECT_GE(NarrowestFace(mesh), kSliverWidth);
}

}  // namespace
}  // namespace brushwright
