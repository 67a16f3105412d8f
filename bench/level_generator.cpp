// Builds synthetic T3D levels, deterministic for given options, for benchmarks and timing.
#include "level_generator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <utility>
#include <vector>

namespace brushwright {
namespace {

// Fixed seed: every run of the benchmarks reads the very same level.
constexpr std::uint64_t kSeed = 0x5EED0B1A5u;
// Polygons per brush between these bounds, as small rooms, pillars and stair steps have.
constexpr int kFewestPolygons = 6;
constexpr int kMostPolygons = 18;
// Every fourth brush is subtractive: its polygons are skipped by the run, as in real levels.
constexpr int kSubtractiveEvery = 4;
// One face in this many carries no texture, as faces the editor never painted.
constexpr int kUntexturedEvery = 10;
// The Textures variant files the textures of this many brushes in one package, as editors
// group a level's own textures.
constexpr int kBrushesPerPack = 100;
// Bytes per face of the written text, to reserve the whole level at once.
constexpr std::size_t kBytesPerFace = 640;
// Texture names as editors write them, with and without package paths.
constexpr std::array<std::string_view, 16> kTexturePool = {
    "Wall01",          "Wall02",          "Floor01",           "Ceiling01",
    "GenFX.Brick.Red", "GenFX.Brick.Old", "Metal.Plate.Dirty", "Metal.Grate",
    "Trim07",          "Stone.Floor.A",   "Stone.Floor.B",     "Wood.Beam",
    "Sky.Clouds",      "Glass.Masked",    "Lava.Flow",         "checkers_base"};

// SplitMix64: the same numbers on every platform, unlike the standard distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  // A whole number in [low, high].
  int Between(int low, int high) {
    return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1));
  }

 private:
  std::uint64_t state_;
};

struct Point {
  double x = 0;
  double y = 0;
  double z = 0;
};

// "+00128.000000": sign, five integer digits, six decimals, as the editor writes polygon lines.
void AppendPolyNumber(std::string& out, double value) {
  char buffer[32];
  const int n = std::snprintf(buffer, sizeof buffer, "%+013.6f", value);
  out.append(buffer, static_cast<std::size_t>(n));
}

void AppendPolyLine(std::string& out, std::string_view key, const Point& p) {
  out += "             ";
  out += key;
  AppendPolyNumber(out, p.x);
  out += ',';
  AppendPolyNumber(out, p.y);
  out += ',';
  AppendPolyNumber(out, p.z);
  out += "\r\n";
}

// "1280.000000" for actor properties.
std::string Fixed(double value) {
  char buffer[32];
  const int n = std::snprintf(buffer, sizeof buffer, "%.6f", value);
  return std::string(buffer, static_cast<std::size_t>(n));
}

std::string LocationText(const Point& p) {
  return "(X=" + Fixed(p.x) + ",Y=" + Fixed(p.y) + ",Z=" + Fixed(p.z) + ")";
}

Point Axis(int index, double length) {
  Point p;
  (index == 0 ? p.x : index == 1 ? p.y : p.z) = length;
  return p;
}

Point Add(const Point& a, const Point& b, double scale) {
  return {a.x + b.x * scale, a.y + b.y * scale, a.z + b.z * scale};
}

std::string_view TextureFor(Random& random, std::string_view brush_texture, LevelVariant variant) {
  if (variant == LevelVariant::UntexturedOnly) return {};
  const int roll = random.Between(0, kUntexturedEvery - 1);
  if (roll == 0) return {};
  if (roll <= 2) return kTexturePool[random.Next() % kTexturePool.size()];
  return brush_texture;
}

// One planar n-gon facing along an axis, its texture axes in its plane.
void AppendPolygon(std::string& out, Random& random, std::string_view texture) {
  const int sides = random.Between(3, 8);
  const int normal_axis = random.Between(0, 2);
  const double facing = random.Between(0, 1) == 0 ? 1.0 : -1.0;
  const Point u = Axis((normal_axis + 1) % 3, 1);
  const Point v = Axis((normal_axis + 2) % 3, 1);
  const Point center = Axis(normal_axis, facing * random.Between(16, 512));
  const double radius = random.Between(32, 768);
  const double turn = random.Between(0, 359) * std::numbers::pi / 180;

  out += "          Begin Polygon";
  if (!texture.empty()) {
    out += " Texture=";
    out += texture;
    // Some faces are masked (flag 2); most carry the editor's usual 32768.
    out += random.Between(0, 7) == 0 ? " Flags=32770" : " Flags=32768";
  }
  out += "\r\n";
  const Point first = Add(center, u, radius * std::cos(turn));
  AppendPolyLine(out, "Origin   ", Add(first, v, radius * std::sin(turn)));
  AppendPolyLine(out, "Normal   ", Axis(normal_axis, facing));
  if (random.Between(0, 2) == 0) {
    out += "             Pan      U=" + std::to_string(random.Between(-64, 64)) +
           " V=" + std::to_string(random.Between(-64, 64)) + "\r\n";
  }
  AppendPolyLine(out, "TextureU ", u);
  AppendPolyLine(out, "TextureV ", Add({}, v, -1));
  for (int k = 0; k < sides; ++k) {
    const double angle = turn + facing * 2 * std::numbers::pi * k / sides;
    AppendPolyLine(out, "Vertex   ",
                   Add(Add(center, u, radius * std::cos(angle)), v, radius * std::sin(angle)));
  }
  out += "          End Polygon\r\n";
}

struct BrushShape {
  int number = 0;
  std::string_view csg;  // "" for the builder brush
  int polygons = 0;
  Point location;
};

void AppendBrush(std::string& out, Random& random, const BrushShape& brush, LevelVariant variant) {
  const std::string n = std::to_string(brush.number);
  out += "Begin Actor Class=Brush Name=Brush" + n + "\r\n";
  if (!brush.csg.empty()) out += "     CsgOper=" + std::string(brush.csg) + "\r\n";
  out +=
      "     MainScale=(SheerAxis=SHEER_ZX)\r\n"
      "     PostScale=(SheerAxis=SHEER_ZX)\r\n"
      "     Level=LevelInfo'MyLevel.LevelInfo0'\r\n"
      "     Tag=\"Brush\"\r\n"
      "     Region=(Zone=LevelInfo'MyLevel.LevelInfo0',iLeaf=-1)\r\n";
  if (brush.number % 3 == 1) out += "     Rotation=(Yaw=16384)\r\n";
  out += "     Location=" + LocationText(brush.location) + "\r\n";
  out += "    Begin Brush Name=Model" + n + "\r\n       Begin PolyList\r\n";
  const std::string_view brush_texture = kTexturePool[random.Next() % kTexturePool.size()];
  for (int p = 0; p < brush.polygons; ++p) {
    if (variant == LevelVariant::Textures) {
      AppendPolygon(out, random, OwnTextureName(brush.number, p));
    } else {
      AppendPolygon(out, random, TextureFor(random, brush_texture, variant));
    }
  }
  out += "       End PolyList\r\n    End Brush\r\n";
  out += "     Brush=Model'MyLevel.Model" + n + "'\r\n";
  out += "     Name=\"Brush" + n + "\"\r\nEnd Actor\r\n";
}

// The lines every placed actor carries: level, tag, region and location.
std::string ActorLines(std::string_view tag, const Point& at, int leaf) {
  return "     Level=LevelInfo'MyLevel.LevelInfo0'\r\n     Tag=\"" + std::string(tag) +
         "\"\r\n     Region=(Zone=ZoneInfo'MyLevel.ZoneInfo0',iLeaf=" + std::to_string(leaf) +
         ",ZoneNumber=1)\r\n     Location=" + LocationText(at) + "\r\n";
}

std::string ActorEnd(std::string_view name) {
  return "     Name=\"" + std::string(name) + "\"\r\nEnd Actor\r\n";
}

void AppendLight(std::string& out, Random& random, int number, const Point& at) {
  const bool spot = number % 4 == 3;
  const std::string name = (spot ? "Spotlight" : "Light") + std::to_string(number);
  out +=
      "Begin Actor Class=" + std::string(spot ? "Spotlight" : "Light") + " Name=" + name + "\r\n";
  out += "     LightBrightness=" + Fixed(random.Between(16, 255)) + "\r\n";
  out += "     LightHue=" + std::to_string(random.Between(0, 255)) + "\r\n";
  out += "     LightSaturation=" + std::to_string(random.Between(0, 255)) + "\r\n";
  out += "     LightRadius=" + Fixed(random.Between(8, 64)) + "\r\n";
  if (spot) out += "     LightCone=" + std::to_string(random.Between(16, 128)) + "\r\n";
  if (number % 5 == 0) {
    out += "     AmbientSound=Sound'AmbModern.Looping.Hum" + std::to_string(number % 7) +
           "'\r\n     SoundRadius=" + std::to_string(random.Between(16, 255)) + "\r\n";
  }
  if (spot)
    out += "     Rotation=(Pitch=-16384,Yaw=" + std::to_string(number * 1024 % 65536) + ")\r\n";
  out += ActorLines("Light", at, number) + ActorEnd(name);
}

void AppendTrigger(std::string& out, int number, const Point& at) {
  const std::string name = "Trigger" + std::to_string(number);
  out += "Begin Actor Class=Trigger Name=" + name + "\r\n";
  out += "     Message=\"You found secret " + std::to_string(number) + "\"\r\n";
  if (number % 2 == 0) out += "     bTriggerOnceOnly=True\r\n";
  out += "     CollisionRadius=80.000000\r\n     Event=Door" + std::to_string(number) + "\r\n";
  out += ActorLines("Trigger", at, number) + ActorEnd(name);
}

void AppendPlayerStart(std::string& out, int number, const Point& at) {
  const std::string name = "PlayerStart" + std::to_string(number);
  out += "Begin Actor Class=PlayerStart Name=" + name + "\r\n";
  out += "     Rotation=(Yaw=" + std::to_string(number * 8192 % 65536) + ")\r\n";
  out += ActorLines("PlayerStart", at, number) + ActorEnd(name);
}

void AppendTeleporter(std::string& out, int number, const Point& at) {
  constexpr std::array<std::string_view, 3> kClasses = {"Teleporter", "FavoritesTeleporter",
                                                        "VisibleTeleporter"};
  const std::string klass(kClasses[static_cast<std::size_t>(number) % kClasses.size()]);
  const std::string name = klass + std::to_string(number);
  out += "Begin Actor Class=" + klass + " Name=" + name + "\r\n";
  out += "     URL=\"Tele" + std::to_string(number + 1) + "\"\r\n";
  if (number % 3 == 0) {
    out +=
        "     bChangesVelocity=True\r\n     "
        "TargetVelocity=(X=0.000000,Y=0.000000,Z=400.000000)\r\n";
  }
  if (klass == "FavoritesTeleporter")
    out += "     FavoriteNumber=" + std::to_string(number % 10) + "\r\n";
  out += ActorLines("Tele" + std::to_string(number), at, number) + ActorEnd(name);
}

// An actor the report does not list, as static meshes and path nodes fill real levels.
void AppendOtherActor(std::string& out, int number, const Point& at) {
  const bool mesh = number % 2 == 0;
  const std::string klass = mesh ? "StaticMeshActor" : "PathNode";
  const std::string name = klass + std::to_string(number);
  out += "Begin Actor Class=" + klass + " Name=" + name + "\r\n";
  if (mesh) out += "     StaticMesh=StaticMesh'Props.Crate" + std::to_string(number % 9) + "'\r\n";
  out += ActorLines(klass, at, number) + ActorEnd(name);
}

// How many actors of each kind follow one brush.
struct ActorMix {
  int lights = 0;
  int triggers = 0;
  int player_starts = 0;
  int teleporters = 0;
  int others = 0;
};

ActorMix MixAfterBrush(int brush, LevelVariant variant) {
  if (variant == LevelVariant::ActorHeavy) return {6, 3, 2, 2, 12};
  return {1, brush % 5 == 0 ? 1 : 0, brush % 10 == 0 ? 1 : 0, brush % 10 == 5 ? 1 : 0,
          brush % 3 == 0 ? 1 : 0};
}

struct ActorCounters {
  int lights = 0;
  int triggers = 0;
  int player_starts = 0;
  int teleporters = 0;
  int others = 0;
};

Point NearBy(Random& random, const Point& at) {
  return {at.x + random.Between(-512, 512), at.y + random.Between(-512, 512),
          at.z + random.Between(-128, 256)};
}

void AppendActors(std::string& out, Random& random, const ActorMix& mix, const Point& at,
                  ActorCounters& counters) {
  for (int i = 0; i < mix.lights; ++i)
    AppendLight(out, random, counters.lights++, NearBy(random, at));
  for (int i = 0; i < mix.triggers; ++i)
    AppendTrigger(out, counters.triggers++, NearBy(random, at));
  for (int i = 0; i < mix.player_starts; ++i)
    AppendPlayerStart(out, counters.player_starts++, NearBy(random, at));
  for (int i = 0; i < mix.teleporters; ++i)
    AppendTeleporter(out, counters.teleporters++, NearBy(random, at));
  for (int i = 0; i < mix.others; ++i) AppendOtherActor(out, counters.others++, NearBy(random, at));
}

constexpr std::string_view kLevelInfo =
    "Begin Actor Class=LevelInfo Name=LevelInfo0\r\n"
    "     Title=\"Generated\"\r\n"
    "     Author=\"level_generator\"\r\n"
    "     Name=\"LevelInfo0\"\r\n"
    "End Actor\r\n";

// The rooms variant: box rooms carved side by side in rows, each with a door to the next,
// a pillar (every other one turned by 45 degrees), stairs in every other room, a water sheet
// reaching into the wall in every third and a semisolid crate in every fourth.
constexpr int kRoomColumns = 16;
// Room inside 512 x 512 x 256; 128 of solid wall between neighbours.
constexpr double kRoomSpacing = 640;
constexpr int kStairSteps = 4;

using Shape = std::vector<std::vector<Point>>;

Point Cross(const Point& a, const Point& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// The polygon wound so that it faces `out`, as the editor stores brush polygons.
std::vector<Point> Facing(std::vector<Point> corners, const Point& out) {
  Point normal;
  for (std::size_t i = 0; i < corners.size(); ++i)
    normal = Add(normal, Cross(corners[i], corners[(i + 1) % corners.size()]), 1);
  if (normal.x * out.x + normal.y * out.y + normal.z * out.z < 0)
    std::reverse(corners.begin(), corners.end());
  return corners;
}

// A box from -half to +half about the brush's own origin.
Shape BoxShape(const Point& half) {
  Shape shape;
  const double h[3] = {half.x, half.y, half.z};
  for (int axis = 0; axis < 3; ++axis) {
    const int b = (axis + 1) % 3, c = (axis + 2) % 3;
    for (const double side : {-1.0, 1.0}) {
      std::vector<Point> quad;
      for (const auto& [sb, sc] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) {
        double p[3];
        p[axis] = side * h[axis], p[b] = sb * h[b], p[c] = sc * h[c];
        quad.push_back({p[0], p[1], p[2]});
      }
      shape.push_back(Facing(quad, Axis(axis, side)));
    }
  }
  return shape;
}

// Steps of 32 by 16 rising along +X, 128 wide, from the brush's origin; each side is one
// column per step, meeting its neighbours in T-junctions as editor stairs do.
Shape StairsShape() {
  Shape shape;
  const double run = 32, rise = 16, width = 128, length = run * kStairSteps;
  const double top = rise * kStairSteps;
  shape.push_back(
      Facing({{0, 0, 0}, {length, 0, 0}, {length, width, 0}, {0, width, 0}}, {0, 0, -1}));
  shape.push_back(Facing(
      {{length, 0, 0}, {length, width, 0}, {length, width, top}, {length, 0, top}}, {1, 0, 0}));
  for (int k = 0; k < kStairSteps; ++k) {
    const double x = run * k, z = rise * (k + 1);
    shape.push_back(
        Facing({{x, 0, z}, {x + run, 0, z}, {x + run, width, z}, {x, width, z}}, {0, 0, 1}));
    shape.push_back(
        Facing({{x, 0, z - rise}, {x, width, z - rise}, {x, width, z}, {x, 0, z}}, {-1, 0, 0}));
    for (const double y : {0.0, width}) {
      shape.push_back(Facing({{x, y, 0}, {x + run, y, 0}, {x + run, y, z}, {x, y, z}},
                             {0, y == 0 ? -1.0 : 1.0, 0}));
    }
  }
  return shape;
}

// One polygon with its own corners; the normal and texture axes follow from them.
void AppendShapePolygon(std::string& out, const std::vector<Point>& corners,
                        std::string_view texture) {
  Point normal;
  for (std::size_t i = 0; i < corners.size(); ++i)
    normal = Add(normal, Cross(corners[i], corners[(i + 1) % corners.size()]), 1);
  normal = Add({}, normal,
               1 / std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z));
  Point u = Add(corners[1], corners[0], -1);
  u = Add({}, u, 1 / std::sqrt(u.x * u.x + u.y * u.y + u.z * u.z));
  out += "          Begin Polygon Texture=" + std::string(texture) + " Flags=32768\r\n";
  AppendPolyLine(out, "Origin   ", corners[0]);
  AppendPolyLine(out, "Normal   ", normal);
  AppendPolyLine(out, "TextureU ", u);
  AppendPolyLine(out, "TextureV ", Cross(normal, u));
  for (const Point& p : corners) AppendPolyLine(out, "Vertex   ", p);
  out += "          End Polygon\r\n";
}

struct ShapedBrush {
  int number = 0;
  std::string_view csg;
  int poly_flags = 0;
  int yaw = 0;
  Point location;
  const Shape* shape = nullptr;
};

void AppendShapedBrush(std::string& out, const ShapedBrush& brush) {
  const std::string n = std::to_string(brush.number);
  out += "Begin Actor Class=Brush Name=Brush" + n + "\r\n";
  out += "     CsgOper=" + std::string(brush.csg) + "\r\n";
  if (brush.poly_flags != 0) out += "     PolyFlags=" + std::to_string(brush.poly_flags) + "\r\n";
  out += "     MainScale=(SheerAxis=SHEER_ZX)\r\n     PostScale=(SheerAxis=SHEER_ZX)\r\n";
  if (brush.yaw != 0) out += "     Rotation=(Yaw=" + std::to_string(brush.yaw) + ")\r\n";
  out += "     Location=" + LocationText(brush.location) + "\r\n";
  out += "    Begin Brush Name=Model" + n + "\r\n       Begin PolyList\r\n";
  const std::string_view texture =
      kTexturePool[static_cast<std::size_t>(brush.number) % kTexturePool.size()];
  for (const std::vector<Point>& polygon : *brush.shape) AppendShapePolygon(out, polygon, texture);
  out += "       End PolyList\r\n    End Brush\r\n";
  out += "     Brush=Model'MyLevel.Model" + n + "'\r\n";
  out += "     Name=\"Brush" + n + "\"\r\nEnd Actor\r\n";
}

// Appends the brushes and actors of room `room`; returns the polygons its brushes hold.
int AppendRoom(std::string& out, int room, int& brush, ActorCounters& counters) {
  static const Shape kRoom = BoxShape({256, 256, 128});
  static const Shape kDoor = BoxShape({64, 64, 64});
  static const Shape kPillar = BoxShape({32, 32, 128});
  static const Shape kCrate = BoxShape({24, 24, 24});
  static const Shape kStairs = StairsShape();
  static const Shape kWater = {
      Facing({{-64, 0, 0}, {192, 0, 0}, {192, 192, 0}, {-64, 192, 0}}, {0, 0, 1})};
  const Point corner{(room % kRoomColumns) * kRoomSpacing - 5120,
                     (room / kRoomColumns) * kRoomSpacing - 5120, 0};
  auto at = [&](double x, double y, double z) {
    return Point{corner.x + x, corner.y + y, corner.z + z};
  };
  int polygons = 0;
  auto add = [&](std::string_view csg, int flags, int yaw, const Point& location,
                 const Shape& shape) {
    AppendShapedBrush(out, {brush++, csg, flags, yaw, location, &shape});
    polygons += static_cast<int>(shape.size());
  };
  add("CSG_Subtract", 0, 0, at(256, 256, 128), kRoom);
  if (room % kRoomColumns != kRoomColumns - 1) add("CSG_Subtract", 0, 0, at(576, 256, 64), kDoor);
  add("CSG_Add", 0, room % 2 == 1 ? 8192 : 0, at(384, 384, 128), kPillar);
  if (room % 2 == 0) add("CSG_Add", 0, 0, at(32, 32, 0), kStairs);
  if (room % 3 == 0) add("CSG_Add", 8, 0, at(0, 288, 24), kWater);
  if (room % 4 == 0) add("CSG_Add", 32, 0, at(400, 100, 24), kCrate);
  AppendPlayerStart(out, counters.player_starts++, at(192, 320, 64));
  Random random(kSeed + static_cast<std::uint64_t>(room));
  AppendLight(out, random, counters.lights++, at(256, 256, 200));
  return polygons;
}

std::string GenerateRoomLevel(const LevelOptions& options) {
  std::string out;
  out += "Begin Map\r\n";
  out += kLevelInfo;
  ActorCounters counters;
  int brush = 1;
  for (int room = 0, polygons = 0; polygons < options.Faces; ++room)
    polygons += AppendRoom(out, room, brush, counters);
  out += "End Map\r\n";
  return out;
}

}  // namespace

std::string GenerateLevel(const LevelOptions& options) {
  if (options.Variant == LevelVariant::Rooms) return GenerateRoomLevel(options);
  Random random(kSeed);
  std::string out;
  const std::size_t actor_bytes = options.Variant == LevelVariant::ActorHeavy ? 4 : 1;
  out.reserve(static_cast<std::size_t>(options.Faces > 0 ? options.Faces : 0) * kBytesPerFace *
              actor_bytes);
  out += "Begin Map\r\n";
  out += kLevelInfo;
  // The builder brush comes first and has no CSG operation; the run passes over it.
  AppendBrush(out, random, {0, "", 6, {}}, options.Variant);

  ActorCounters counters;
  std::int32_t faces_left = options.Faces;
  for (int brush = 1; faces_left > 0; ++brush) {
    const bool subtractive = brush % kSubtractiveEvery == 0;
    int polygons = random.Between(kFewestPolygons, kMostPolygons);
    if (!subtractive && polygons > faces_left) polygons = faces_left;
    const Point at{static_cast<double>(brush % 32) * 1024 - 16384,
                   static_cast<double>(brush / 32 % 32) * 1024 - 16384,
                   static_cast<double>(brush / 1024) * 512};
    AppendBrush(out, random, {brush, subtractive ? "CSG_Subtract" : "CSG_Add", polygons, at},
                options.Variant);
    if (!subtractive) faces_left -= polygons;
    AppendActors(out, random, MixAfterBrush(brush, options.Variant), at, counters);
  }
  out += "End Map\r\n";
  return out;
}

std::string OwnTextureName(int brush, int polygon) {
  return "Pack" + std::to_string(brush / kBrushesPerPack) + ".Brush" + std::to_string(brush) +
         ".Face" + std::to_string(polygon);
}

bool ParseLevelVariant(std::string_view name, LevelVariant& variant) {
  for (const LevelVariant candidate :
       {LevelVariant::Standard, LevelVariant::UntexturedOnly, LevelVariant::ActorHeavy,
        LevelVariant::Rooms, LevelVariant::Textures}) {
    if (name == LevelVariantName(candidate)) {
      variant = candidate;
      return true;
    }
  }
  return false;
}

std::string_view LevelVariantName(LevelVariant variant) {
  switch (variant) {
    case LevelVariant::Standard:
      return "standard";
    case LevelVariant::UntexturedOnly:
      return "untextured";
    case LevelVariant::ActorHeavy:
      return "actors";
    case LevelVariant::Rooms:
      return "rooms";
    case LevelVariant::Textures:
      return "textures";
  }
  return "standard";
}

}  // namespace brushwright
