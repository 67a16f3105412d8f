// Builds synthetic T3D levels, deterministic for given options, for benchmarks and timing.
#include "level_generator.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

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
  for (int p = 0; p < brush.polygons; ++p)
    AppendPolygon(out, random, TextureFor(random, brush_texture, variant));
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

}  // namespace

std::string GenerateLevel(const LevelOptions& options) {
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

bool ParseLevelVariant(std::string_view name, LevelVariant& variant) {
  for (const LevelVariant candidate :
       {LevelVariant::Standard, LevelVariant::UntexturedOnly, LevelVariant::ActorHeavy}) {
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
  }
  return "standard";
}

}  // namespace brushwright
