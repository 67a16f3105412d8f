// Levels whose visible surfaces are known by hand: areas and facing per source polygon, closed
// rooms meeting edge to edge, the ray oracle, and odd input counted instead of crashing.
#include "world/world_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "t3d/brush_placement.h"
#include "world/tolerance.h"
#include "world_oracle.h"

namespace brushwright {
namespace {

constexpr auto kAdd = BrushOperation::Add;
constexpr auto kSub = BrushOperation::Subtract;

// Twice the vector area (Newell): its direction is the facing.
Vector Newell(const VertexList& v) {
  Vector s;
  for (std::size_t i = 0; i < v.size(); ++i) s = VecAdd(s, VecCross(v[i], v[(i + 1) % v.size()]));
  return s;
}

// The polygon wound to face `out`.
WorldPolygon Facing(VertexList corners, const Vector& out) {
  const Vector n = Newell(corners);
  if (n.X * out.X + n.Y * out.Y + n.Z * out.Z < 0) std::reverse(corners.begin(), corners.end());
  return WorldPolygon{corners, 0};
}

// Coordinate `axis` is a, the next two b and c.
Vector On(int axis, double a, double b, double c) {
  double p[3];
  p[axis] = a, p[(axis + 1) % 3] = b, p[(axis + 2) % 3] = c;
  return Vector{p[0], p[1], p[2]};
}

// Polygons -X, +X, -Y, +Y, -Z, +Z (indices 0 to 5).
WorldBrush Box(BrushOperation op, Vector lo, Vector hi, std::int64_t flags = 0) {
  WorldBrush brush{op, flags, {}};
  const double low[3] = {lo.X, lo.Y, lo.Z}, high[3] = {hi.X, hi.Y, hi.Z};
  for (int axis = 0; axis < 3; ++axis) {
    const int b = (axis + 1) % 3, c = (axis + 2) % 3;
    for (const double side : {-1.0, 1.0}) {
      const double a = side < 0 ? low[axis] : high[axis];
      brush.Polygons.push_back(Facing({On(axis, a, low[b], low[c]), On(axis, a, high[b], low[c]),
                                       On(axis, a, high[b], high[c]), On(axis, a, low[b], high[c])},
                                      On(axis, side, 0, 0)));
      brush.Polygons.back().Flags = flags;
    }
  }
  return brush;
}

WorldBrush Room() {
  return Box(kSub, {0, 0, 0}, {512, 512, 256});
}

// Three steps of 64 by 32 rising along +X from x = 128, y from 128 to 256. Polygons: bottom,
// back, three treads, three risers, three side columns at y = 128, three at y = 256 (the
// columns meet in T-junctions, as editors build stairs).
WorldBrush Stairs() {
  WorldBrush s{kAdd, 0, {}};
  auto quad = [&](Vector a, Vector b, Vector c, Vector d, Vector out) {
    s.Polygons.push_back(Facing({a, b, c, d}, out));
  };
  quad({128, 128, 0}, {320, 128, 0}, {320, 256, 0}, {128, 256, 0}, {0, 0, -1});
  quad({320, 128, 0}, {320, 256, 0}, {320, 256, 96}, {320, 128, 96}, {1, 0, 0});
  for (int k = 0; k < 3; ++k) {
    const double x = 128 + 64 * k, z = 32 * (k + 1);
    quad({x, 128, z}, {x + 64, 128, z}, {x + 64, 256, z}, {x, 256, z}, {0, 0, 1});
  }
  for (int k = 0; k < 3; ++k) {
    const double x = 128 + 64 * k, z = 32 * (k + 1);
    quad({x, 128, z - 32}, {x, 256, z - 32}, {x, 256, z}, {x, 128, z}, {-1, 0, 0});
  }
  for (const double y : {128.0, 256.0}) {
    for (int k = 0; k < 3; ++k) {
      const double x = 128 + 64 * k, z = 32 * (k + 1);
      quad({x, y, 0}, {x + 64, y, 0}, {x + 64, y, z}, {x, y, z}, {0, y < 200 ? -1.0 : 1.0, 0});
    }
  }
  return s;
}

// A ramp rising toward -X, placed by a transform that mirrors X, as the caller places brushes.
WorldBrush MirroredRamp() {
  WorldBrush ramp{kAdd, 0, {}};
  auto add = [&](VertexList v, Vector out) { ramp.Polygons.push_back(Facing(std::move(v), out)); };
  add({{0, 0, 0}, {128, 0, 0}, {128, 128, 0}, {0, 128, 0}}, {0, 0, -1});
  add({{0, 0, 0}, {0, 128, 0}, {0, 128, 64}, {0, 0, 64}}, {-1, 0, 0});
  add({{128, 0, 0}, {128, 128, 0}, {0, 128, 64}, {0, 0, 64}}, {1, 0, 2});
  add({{0, 0, 0}, {128, 0, 0}, {0, 0, 64}}, {0, -1, 0});
  add({{0, 128, 0}, {128, 128, 0}, {0, 128, 64}}, {0, 1, 0});
  const BrushTransform mirror =
      BuildBrushTransform({256, 192, 0}, {}, {}, BrushScale{{-1, 1, 1}}, BrushScale{});
  for (WorldPolygon& polygon : ramp.Polygons) {
    PolygonRecord record;
    record.Vertices = polygon.Vertices;
    TransformPolygon(record, mirror);
    polygon.Vertices = record.Vertices;
  }
  return ramp;
}

// An upright prism over a footprint given counter-clockwise from above: polygons bottom, top
// (both whole, so non-convex when the footprint is), then one side per footprint edge.
WorldBrush Prism(const std::vector<std::pair<double, double>>& footprint, double z0, double z1) {
  WorldBrush prism{kAdd, 0, {}};
  VertexList bottom, top;
  for (const auto& [x, y] : footprint) bottom.push_back({x, y, z0}), top.push_back({x, y, z1});
  prism.Polygons.push_back(Facing(bottom, {0, 0, -1}));
  prism.Polygons.push_back(Facing(top, {0, 0, 1}));
  for (std::size_t i = 0; i < footprint.size(); ++i) {
    const Vector a = bottom[i], b = bottom[(i + 1) % bottom.size()];
    prism.Polygons.push_back(WorldPolygon{{a, b, {b.X, b.Y, z1}, {a.X, a.Y, z1}}, 0});
  }
  return prism;
}

struct Visible {
  int brush, polygon;
  Vector area;  // the visible area times the direction it faces
};

// The entries of box polygons -X, +X, -Y, +Y, -Z, +Z of brush `b` (areas times the facing's
// sign along each axis); zero ones are left out.
std::vector<Visible> Sides(int b, double x0, double x1, double y0, double y1, double z0,
                           double z1) {
  std::vector<Visible> sides;
  const Vector areas[6] = {{x0, 0, 0}, {x1, 0, 0}, {0, y0, 0}, {0, y1, 0}, {0, 0, z0}, {0, 0, z1}};
  for (int p = 0; p < 6; ++p) {
    if (VecLength(areas[p]) > 0) sides.push_back({b, p, areas[p]});
  }
  return sides;
}

std::vector<Visible> operator+(std::vector<Visible> a, const std::vector<Visible>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A room [0, 512]^2 x [0, 256] at brush index `b`, its Y walls whole.
std::vector<Visible> RoomWalls(int b, double west = 131072, double east = 131072,
                               double floor = 262144, double ceiling = 262144) {
  return Sides(b, west, -east, 131072, -131072, floor, -ceiling);
}

struct Scene {
  std::string name;
  std::vector<WorldBrush> brushes;
  std::vector<Visible> visible;    // every other polygon shows nothing
  bool closed = true;              // the surfaces enclose the rooms: edges pair up
  std::vector<bool> ignored = {};  // brushes the oracle leaves out
  int broken = 0;
};

std::vector<Scene> Scenes() {
  std::vector<Scene> scenes;
  // The second room's shared wall misses the first by less than the tolerance and is turned a
  // little, as rounded corners leave it: over the first room's long wall it drifts off by more
  // than the tolerance, so only a band of that wall lies on it.
  WorldBrush turned = Box(kSub, {256.003, 0, 0}, {512, 256, 128});
  for (WorldPolygon& polygon : turned.Polygons) {
    for (Vector& v : polygon.Vertices) v.X += (v.X < 300 && v.Y > 0) ? 0.006 : 0;
  }
  scenes.push_back({"two rooms sharing a face become one room",
                    {Box(kSub, {0, 0, 0}, {256, 1024, 128}), turned},
                    Sides(0, 131072, -98304, 32768, -32768, 262144, -262144) +
                        Sides(1, 0, -32768, 32768, -32768, 65536, -65536)});
  scenes.push_back(
      {"pillar with a tunnel cut later; a block in solid changes nothing",
       {Room(), Box(kAdd, {192, 192, 0}, {320, 320, 256}), Box(kAdd, {600, 0, 0}, {700, 100, 100}),
        Box(kSub, {192, 240, 0}, {320, 272, 128})},
       RoomWalls(0, 131072, 131072, 245760, 245760) + Sides(1, -28672, 28672, -32768, 32768, 0, 0) +
           Sides(3, 0, 0, 16384, -16384, 4096, -4096)});
  const WorldBrush sunk = Box(kAdd, {-64, 128, 64}, {0, 256, 128});
  scenes.push_back({"block sunk flush into a wall after the room",
                    {Room(), sunk},
                    RoomWalls(0, 122880) + Sides(1, 0, 8192, 0, 0, 0, 0)});
  scenes.push_back({"block sunk flush into a wall before the room", {sunk, Room()}, RoomWalls(1)});
  scenes.push_back(
      {"overlapping rooms: the later floor wins",
       {Box(kSub, {0, 0, 0}, {256, 256, 128}), Box(kSub, {128, 0, 0}, {384, 256, 128})},
       Sides(0, 32768, 0, 16384, -16384, 32768, -32768) +
           Sides(1, 0, -32768, 32768, -32768, 65536, -65536)});
  Scene stairs{"stairs in a room", {Room(), Stairs()}, RoomWalls(0, 131072, 131072, 237568)};
  stairs.visible.push_back({1, 1, {12288, 0, 0}});
  for (int k = 0; k < 3; ++k) {
    stairs.visible = stairs.visible + std::vector<Visible>{{1, 2 + k, {0, 0, 8192}},
                                                           {1, 5 + k, {-4096, 0, 0}},
                                                           {1, 8 + k, {0, -2048.0 * (k + 1), 0}},
                                                           {1, 11 + k, {0, 2048.0 * (k + 1), 0}}};
  }
  scenes.push_back(stairs);
  scenes.push_back(
      {"L-shaped column with non-convex caps",
       {Room(),
        Prism({{128, 128}, {384, 128}, {384, 256}, {256, 256}, {256, 384}, {128, 384}}, 0, 128)},
       RoomWalls(0, 131072, 131072, 212992) + std::vector<Visible>{{1, 1, {0, 0, 49152}},
                                                                   {1, 2, {0, -32768, 0}},
                                                                   {1, 3, {16384, 0, 0}},
                                                                   {1, 4, {0, 16384, 0}},
                                                                   {1, 5, {16384, 0, 0}},
                                                                   {1, 6, {0, 16384, 0}},
                                                                   {1, 7, {-32768, 0, 0}}}});
  scenes.push_back(
      {"mirrored ramp",
       {Room(), MirroredRamp()},
       RoomWalls(0, 131072, 131072, 245760) + std::vector<Visible>{{1, 1, {8192, 0, 0}},
                                                                   {1, 2, {-8192, 0, 16384}},
                                                                   {1, 3, {0, -4096, 0}},
                                                                   {1, 4, {0, 4096, 0}}}});
  scenes.push_back({"semisolid pillar listed first: the floor stays under it",
                    {Box(kAdd, {192, 192, 0}, {320, 320, 128}, kPolyFlagSemisolid), Room()},
                    RoomWalls(1) + Sides(0, -16384, 16384, -16384, 16384, 0, 16384),
                    false});
  // The first panel is listed before the room, yet semisolid brushes come after all solid ones.
  scenes.push_back({"semisolid panels flush on a wall: only the latest face shows",
                    {Box(kAdd, {-16, 128, 64}, {0, 256, 128}, kPolyFlagSemisolid), Room(),
                     Box(kAdd, {-8, 192, 96}, {0, 320, 160}, kPolyFlagSemisolid)},
                    RoomWalls(1, 131072 - 14336) + Sides(0, 0, 6144, 0, 0, 0, 0) +
                        Sides(2, 0, 8192, 0, 0, 0, 0)});
  WorldBrush sheet{kAdd, kPolyFlagNotSolid, {}};
  sheet.Polygons.push_back(
      Facing({{256, -128, 64}, {256, 640, 64}, {256, 640, 320}, {256, -128, 320}}, {1, 0, 0}));
  // A second polygon lies on the floor: not in empty space on both sides, so hidden.
  sheet.Polygons.push_back(Facing({{32, 32, 0}, {96, 32, 0}, {96, 96, 0}, {32, 96, 0}}, {0, 0, 1}));
  scenes.push_back({"sheet reaching into solid, sheet on the floor",
                    {Room(), sheet},
                    RoomWalls(0) + Sides(1, 98304, 0, 0, 0, 0, 0),
                    false});
  scenes.push_back(
      {"invisible wall parts the room",
       {Room(), Box(kAdd, {0, 250, 0}, {512, 262, 256}, kPolyFlagInvisible)},
       RoomWalls(0, 128000, 128000, 256000, 256000) + Sides(1, 0, 0, -131072, 131072, 0, 0)});
  WorldBrush open_box = Box(kAdd, {192, 192, 64}, {320, 320, 192});
  open_box.Polygons.pop_back();
  scenes.push_back({"open box: fills its box (the oracle leaves out its open top)",
                    {Room(), open_box},
                    RoomWalls(0) + Sides(1, -16384, 16384, -16384, 16384, -16384, 0),
                    false,
                    {false, true},
                    1});
  // Against a wall: cells reaching out of the pit's bounds would carve the wall above it.
  WorldBrush pit = Box(kSub, {0, 128, -64}, {64, 256, 0});
  pit.Polygons.pop_back();
  scenes.push_back(
      {"lidless pit carved into the floor",
       {Room(), pit},
       RoomWalls(0, 131072, 131072, 262144 - 8192) + Sides(1, 8192, -8192, 4096, -4096, 8192, 0),
       true,
       {},
       1});
  // A block a hair taller than the one it overlaps: the step would be a strip 0.02 units high,
  // no wider than the error of its corners. Welded shut, the block's top leans a little.
  scenes.push_back({"a step a hair high is welded shut",
                    {Room(), Box(kAdd, {128, 128, 0}, {256, 384, 64}),
                     Box(kAdd, {192, 128, 0}, {320, 384, 64.02})},
                    RoomWalls(0, 131072, 131072, 262144 - 49152) +
                        Sides(1, -16384, 0, -4096, 4096, 0, 16384) +
                        Sides(2, 0, 16389.12, -8193.28, 8193.28, 0, 0) +
                        std::vector<Visible>{{2, 5, {-5.12, 0, 32768}}}});
  return scenes;
}

std::map<std::pair<int, int>, Vector> VisibleAreas(const WorldMesh& mesh) {
  std::map<std::pair<int, int>, Vector> areas;
  for (const WorldFace& face : mesh.Faces) {
    VertexList corners;
    for (const std::int32_t c : face.Corners) corners.push_back(mesh.Positions[c]);
    const Vector twice = Newell(corners);
    Vector& sum = areas[{face.Brush, face.Polygon}];
    sum = VecAdd(sum, Vector{twice.X / 2, twice.Y / 2, twice.Z / 2});
  }
  return areas;
}

// Directed edges used other than once each way.
int UnpairedEdges(const WorldMesh& mesh) {
  std::map<std::pair<int, int>, int> uses;
  for (const WorldFace& face : mesh.Faces) {
    for (std::size_t i = 0; i < face.Corners.size(); ++i)
      ++uses[{face.Corners[i], face.Corners[(i + 1) % face.Corners.size()]}];
  }
  int unpaired = 0;
  for (const auto& [edge, count] : uses) {
    const auto back = uses.find({edge.second, edge.first});
    unpaired += (count != 1 || back == uses.end() || back->second != 1) ? 1 : 0;
  }
  return unpaired;
}

std::string Text(const Vector& v) {
  return "(" + std::to_string(v.X) + ", " + std::to_string(v.Y) + ", " + std::to_string(v.Z) + ")";
}

TEST(BuildWorld, HandBuiltLevelsShowTheSurfacesTheRulesKeep) {
  for (const Scene& scene : Scenes()) {
    SCOPED_TRACE(scene.name);
    const WorldMesh mesh = BuildWorld(scene.brushes);
    auto areas = VisibleAreas(mesh);
    for (const Visible& expected : scene.visible) {
      const Vector got = areas[{expected.brush, expected.polygon}];
      areas.erase({expected.brush, expected.polygon});
      EXPECT_LT(VecLength(VecSubtract(got, expected.area)), 2)
          << "brush " << expected.brush << " polygon " << expected.polygon << " shows " << Text(got)
          << ", not " << Text(expected.area);
    }
    for (const auto& [source, area] : areas) {
      EXPECT_LT(VecLength(area), 2)
          << "brush " << source.first << " polygon " << source.second << " shows " << Text(area);
    }
    if (scene.closed) {
      EXPECT_EQ(UnpairedEdges(mesh), 0);
    }
    EXPECT_EQ(mesh.BrokenBrushes, scene.broken);
    EXPECT_EQ(mesh.DroppedPolygons, 0);
    EXPECT_GE(NarrowestFace(mesh), kSliverWidth);

    std::vector<Vector> origins;
    for (double x = 13.7; x < 512; x += 61) {
      for (double y = 9.3; y < 512; y += 59) {
        for (double z = 7.1; z < 256; z += 53) origins.push_back({x, y, z});
      }
    }
    std::vector<bool> ignored = scene.ignored;
    ignored.resize(scene.brushes.size(), false);
    const RayReport rays = CastRays(scene.brushes, ignored, mesh, origins);
    EXPECT_GT(rays.checked, 1000);
    for (const std::string& failure : rays.failures) ADD_FAILURE() << failure;
  }
}

// Polygons without area or with unusable coordinates are dropped and counted; solid brushes
// that are not closed are counted, and shown as sheets when inside out or without volume; repeated
// corners and degenerate polygons in a closed brush leave it solid.
TEST(BuildWorld, OddInputIsDroppedOrShownAsSheetsAndCounted) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  WorldBrush with_nan = Box(kAdd, {0, 0, 300}, {64, 64, 364});
  with_nan.Polygons[2].Vertices[1].Y = nan;
  WorldBrush pillar = Box(kAdd, {192, 192, 0}, {320, 320, 256});
  for (WorldPolygon& polygon : pillar.Polygons) {
    VertexList twice;
    for (const Vector& v : polygon.Vertices) twice.insert(twice.end(), {v, v});
    polygon.Vertices = twice;
  }
  pillar.Polygons.push_back(WorldPolygon{});
  pillar.Polygons.push_back(
      WorldPolygon{{{192, 192, 0}, {320, 192, 0}, {192, 192, 0}, {320, 192, 0}}, 0});
  WorldBrush inside_out = Box(kAdd, {0, 0, 300}, {64, 64, 364});
  for (WorldPolygon& polygon : inside_out.Polygons)
    std::reverse(polygon.Vertices.begin(), polygon.Vertices.end());
  std::vector<WorldBrush> brushes = {
      Room(),    with_nan, pillar, Box(kAdd, {1e300, 0, 0}, {2e300, 1, 1}), WorldBrush{kSub, 0, {}},
      inside_out};
  brushes.push_back({kAdd,
                     0,
                     {Facing({{32, 32, 0}, {64, 32, 0}, {64, 96, 0}, {32, 96, 0}}, {0, 0, 1}),
                      Facing({{64, 32, 0}, {96, 32, 0}, {96, 96, 0}, {64, 96, 0}}, {0, 0, 1})}});
  const WorldMesh mesh = BuildWorld(brushes);
  EXPECT_EQ(mesh.DroppedPolygons, 1 + 2 + 6);
  EXPECT_EQ(mesh.BrokenBrushes, 5);
  const auto areas = VisibleAreas(mesh);
  EXPECT_NEAR(areas.at({0, 4}).Z, 245760, 0.5) << "two tiles on the floor, without volume, cut it";
  EXPECT_NEAR(areas.at({2, 0}).X, -32768, 0.5);
  EXPECT_EQ(areas.count({1, 0}), 0u) << "the open brush lies in solid";
}

}  // namespace
}  // namespace brushwright
