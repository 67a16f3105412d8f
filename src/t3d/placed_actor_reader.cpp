// Actors drawn by a static mesh, movers, the sun and the looks left out, from a T3D text.
#include "t3d/placed_actor_reader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "text/key_readers.h"
#include "text/number_text.h"

namespace brushwright {

namespace {

constexpr std::string_view kBeginActor = "Begin Actor";
constexpr std::string_view kEndActor = "End Actor";
constexpr std::string_view kBegin = "Begin ";
constexpr std::string_view kEnd = "End ";
constexpr std::string_view kEnginePrefix = "Engine.";
constexpr std::string_view kSunlightClass = "Sunlight";
// DrawType values as the export writes them.
constexpr std::string_view kDrawStaticMesh = "DT_StaticMesh";
constexpr std::string_view kDrawBrush = "DT_Brush";
constexpr std::array<std::string_view, 3> kDrawUnconverted = {"DT_Mesh", "DT_Particle",
                                                              "DT_FluidSurface"};
// A mover holds eight keys.
constexpr int kMoverKeys = 8;
// More skins than a mesh could have sections are a broken line, not a skin.
constexpr double kMostSkins = 256;

// The word after `key` on the line ("Class=" -> "StaticMeshActor").
std::string WordAfter(std::string_view line, std::string_view key) {
  const std::size_t found = line.find(key);
  if (found == std::string_view::npos) return "";
  const std::string_view rest = line.substr(found + key.size());
  return std::string(rest.substr(0, rest.find_first_of(" \t")));
}

// The actor's own "Key=Value" lines (not those of objects and brushes inside it).
class ActorValues {
 public:
  ActorValues(std::string_view text, const ActorBlock& block) {
    const std::string_view content =
        text.substr(static_cast<std::size_t>(block.Start - 1),
                    static_cast<std::size_t>(std::max(0, block.End - block.Start + 1)));
    int depth = 0;
    for (std::size_t at = 0; at < content.size();) {
      const std::size_t end = std::min(content.find('\n', at), content.size());
      const std::string_view line = Trimmed(content.substr(at, end - at));
      at = end + 1;
      if (line.starts_with(kBegin)) {
        if (line.starts_with("Begin Brush")) has_brush_ = true;
        ++depth;
      } else if (line.starts_with(kEnd)) {
        depth = std::max(0, depth - 1);
      } else if (depth == 0) {
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
          values_.emplace_back(line.substr(0, equals), line.substr(equals + 1));
        }
      }
    }
  }

  std::optional<std::string_view> Find(std::string_view key) const {
    for (const auto& [name, value] : values_) {
      if (EqualsIgnoringCase(name, key)) return value;
    }
    return std::nullopt;
  }
  bool HasBrush() const { return has_brush_; }
  const std::vector<std::pair<std::string_view, std::string_view>>& All() const { return values_; }

 private:
  std::vector<std::pair<std::string_view, std::string_view>> values_;
  bool has_brush_ = false;
};

// The number after "Field=" inside a struct value "(X=1.0,Y=2.0)", `fallback` when absent.
double Field(std::string_view value, std::string_view field, double fallback) {
  for (std::size_t at = 0; at < value.size();) {
    const std::size_t start = at;
    const std::size_t end = std::min(value.find(',', at), value.size());
    std::string_view part = value.substr(start, end - start);
    at = end + 1;
    if (!part.empty() && part.front() == '(') part.remove_prefix(1);
    if (part.size() > field.size() && part[field.size()] == '=' &&
        EqualsIgnoringCase(part.substr(0, field.size()), field)) {
      return NumberValue(part.substr(field.size() + 1));
    }
  }
  return fallback;
}

Vector VectorValue(const ActorValues& values, std::string_view key, double fallback) {
  const auto value = values.Find(key);
  if (!value) return Vector{fallback, fallback, fallback};
  return Vector{Field(*value, "X", fallback), Field(*value, "Y", fallback),
                Field(*value, "Z", fallback)};
}

Rotator RotatorValue(const ActorValues& values, std::string_view key) {
  const auto value = values.Find(key);
  if (!value) return Rotator{};
  Rotator r;
  r.Pitch = Field(*value, "Pitch", 0);
  r.Yaw = Field(*value, "Yaw", 0);
  r.Roll = Field(*value, "Roll", 0);
  return r;
}

double NumberOf(const ActorValues& values, std::string_view key, double fallback) {
  const auto value = values.Find(key);
  return value ? NumberValue(*value) : fallback;
}

// "StaticMesh'Package.Group.Name'" as "Package.Group.Name"; "" for None.
std::string ObjectPath(std::string_view value) {
  const std::size_t open = value.find('\'');
  if (open != std::string_view::npos) {
    value.remove_prefix(open + 1);
    value = value.substr(0, value.find('\''));
  }
  return EqualsIgnoringCase(value, "None") ? "" : std::string(value);
}

std::string Indexed(std::string_view key, int index) {
  return std::string(key) + "(" + std::to_string(index) + ")";
}

MoverKeys ReadMoverKeys(const ActorValues& values) {
  MoverKeys keys;
  keys.NumKeys = static_cast<std::int32_t>(NumberOf(values, "NumKeys", keys.NumKeys));
  keys.KeyNum = static_cast<std::int32_t>(NumberOf(values, "KeyNum", keys.KeyNum));
  keys.MoveTime = NumberOf(values, "MoveTime", 1);
  for (int k = 0; k < kMoverKeys; ++k) {
    keys.KeyPos.push_back(VectorValue(values, Indexed("KeyPos", k), 0));
    keys.KeyRot.push_back(RotatorValue(values, Indexed("KeyRot", k)));
  }
  return keys;
}

StaticMeshActorRecord ReadMeshActor(const ActorBlock& block, const ActorValues& values,
                                    std::string mesh) {
  StaticMeshActorRecord actor;
  actor.Class = block.Class;
  actor.Name = block.Name;
  actor.StaticMesh = std::move(mesh);
  actor.Location = VectorValue(values, "Location", 0);
  actor.Rotation = RotatorValue(values, "Rotation");
  actor.PrePivot = VectorValue(values, "PrePivot", 0);
  actor.DrawScale = NumberOf(values, "DrawScale", 1);
  actor.DrawScale3D = VectorValue(values, "DrawScale3D", 1);
  for (const auto& [key, value] : values.All()) {
    // "Skins(k)=": sections without one keep their own material.
    if (key.size() < 8 || !EqualsIgnoringCase(key.substr(0, 6), "Skins(")) continue;
    const double index = NumberValue(key.substr(6));
    if (!(index >= 0 && index < kMostSkins)) continue;
    const auto k = static_cast<std::size_t>(index);
    if (actor.Skins.size() <= k) actor.Skins.resize(k + 1);
    actor.Skins[k] = ObjectPath(value);
  }
  if (IsMoverClass(block.Class)) actor.Keys = ReadMoverKeys(values);
  return actor;
}

}  // namespace

std::vector<ActorBlock> FindActorBlocks(std::string_view text) {
  std::vector<ActorBlock> blocks;
  std::optional<ActorBlock> open;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string_view line = Trimmed(text.substr(at, end - at));
    const std::size_t line_start = at;
    at = end + 1;
    if (!open && line.starts_with(kBeginActor)) {
      ActorBlock& block = open.emplace();
      std::string class_name = WordAfter(line, "Class=");
      if (class_name.starts_with(kEnginePrefix)) class_name.erase(0, kEnginePrefix.size());
      block.Class = std::move(class_name);
      block.Name = WordAfter(line, "Name=");
      block.Start = static_cast<int>(std::min(at, text.size())) + 1;
    } else if (open && line.starts_with(kEndActor)) {
      open->End = static_cast<int>(line_start);
      blocks.push_back(std::move(*open));
      open.reset();
    }
  }
  return blocks;
}

bool ReadPlacedActor(std::string_view text, const ActorBlock& block, Level& level,
                     MoverKeys& keys) {
  if (EqualsIgnoringCase(block.Class, "Brush")) return false;
  const ActorValues values(text, block);
  if (EqualsIgnoringCase(block.Class, kSunlightClass)) {
    SunlightRecord& sun = level.Suns.emplace_back();
    sun.Name = block.Name;
    sun.Location = VectorValue(values, "Location", 0);
    sun.Rotation = RotatorValue(values, "Rotation");
    sun.LightBrightness = NumberOf(values, "LightBrightness", sun.LightBrightness);
    sun.LightHue = NumberOf(values, "LightHue", sun.LightHue);
    sun.LightSaturation = NumberOf(values, "LightSaturation", sun.LightSaturation);
    return false;
  }
  if (IsZoneClass(block.Class)) {
    ZoneLightRecord& zone = level.Zones.emplace_back();
    zone.Class = block.Class;
    zone.Name = block.Name;
    zone.AmbientBrightness = NumberOf(values, "AmbientBrightness", zone.AmbientBrightness);
    zone.AmbientHue = NumberOf(values, "AmbientHue", zone.AmbientHue);
    zone.AmbientSaturation = NumberOf(values, "AmbientSaturation", zone.AmbientSaturation);
    zone.Brightness = NumberOf(values, "Brightness", zone.Brightness);
    return false;
  }
  const bool mover = IsMoverClass(block.Class);
  const std::string draw_type(values.Find("DrawType").value_or(""));
  std::string mesh;
  if (const auto value = values.Find("StaticMesh")) mesh = ObjectPath(*value);
  // A DrawType the export leaves out is the class's own: a mover's is its brush, a
  // StaticMeshActor's its static mesh.
  const bool drawn_by_mesh = draw_type.empty() ? !mover : draw_type == kDrawStaticMesh;
  if (!mesh.empty() && drawn_by_mesh) {
    level.MeshActors.push_back(ReadMeshActor(block, values, std::move(mesh)));
    return false;
  }
  if (mover && values.HasBrush() && (draw_type.empty() || draw_type == kDrawBrush)) {
    keys = ReadMoverKeys(values);
    return true;
  }
  const bool unconverted_draw = std::find(kDrawUnconverted.begin(), kDrawUnconverted.end(),
                                          draw_type) != kDrawUnconverted.end();
  // A StaticMeshActor whose mesh the text does not name still showed one in the level.
  const bool unnamed_mesh = mesh.empty() && EqualsIgnoringCase(block.Class, "StaticMeshActor");
  if (ShowsUnconvertedLooks(block.Class) || unconverted_draw || unnamed_mesh) {
    ++level.LeftOut[block.Class];
  }
  return false;
}

}  // namespace brushwright
