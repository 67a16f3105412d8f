// The actors a level shows besides its brushes, as plain records: actors drawn by a static mesh,
// movers drawn by their brush, the sun, and the count of what no reader converts.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "level/mesh.h"
#include "vecmath/vecmath.h"

namespace brushwright {

// A mover's path: where it stands at each key, relative to its own location and rotation.
struct MoverKeys {
  std::int32_t NumKeys = 2;  // keys in use, from 0 (the class's own default when not saved)
  std::int32_t KeyNum = 0;   // the key the mover stands at where the level saved it
  double MoveTime = 1;       // seconds from one key to the next
  std::vector<Vector> KeyPos;
  std::vector<Rotator> KeyRot;  // as long as KeyPos
};

// An actor drawn by a static mesh: a StaticMeshActor, or any actor (a mover among them) whose
// DrawType is the static mesh, with its StaticMesh set.
struct StaticMeshActorRecord {
  std::string Class;
  std::string Name;
  // The mesh as the level names it: "Package.Group.Name" or "Package.Name", the map's own
  // meshes under "MyLevel".
  std::string StaticMesh;
  Vector Location;
  Rotator Rotation;
  Vector PrePivot;
  double DrawScale = 1;
  Vector DrawScale3D{1, 1, 1};
  // Skins(k) by section k, "" where the actor keeps the section's own material; each a
  // material's path "Package.Group.Name".
  std::vector<std::string> Skins;
  std::optional<MoverKeys> Keys;  // movers only
  // The light the level's build stores for each vertex of its mesh, in the mesh's vertex order,
  // when it was read; empty when none.
  std::vector<LightTexel> VertexLight;
};

// A Sunlight actor: light from far away along its rotation.
struct SunlightRecord {
  std::string Name;
  Vector Location;
  Rotator Rotation;
  double LightBrightness = 64;
  double LightHue = 0;
  double LightSaturation = 255;
};

// A zone's light: the LevelInfo's (the zone of whatever no other zone claims, which also holds
// the level's brightness) or a ZoneInfo's (WaterZone, SkyZoneInfo and the like).
struct ZoneLightRecord {
  std::string Class;
  std::string Name;
  double AmbientBrightness = 0;
  double AmbientHue = 0;
  // The class's default, which maps and exports leave unwritten: white (0 is the pure hue).
  double AmbientSaturation = 255;
  double Brightness = 1;  // LevelInfo only: every light's colour is times this
};

// Actors that show something but that no reader turns into geometry, counted by their class.
using LeftOutClasses = std::map<std::string, std::int32_t>;

// The engine's DrawType numbers that decide how an actor is drawn: by its brush, by a static
// mesh, or by something no run converts (a skeletal mesh, particles, a fluid surface).
inline constexpr std::int32_t kDrawTypeMesh = 2;
inline constexpr std::int32_t kDrawTypeBrush = 3;
inline constexpr std::int32_t kDrawTypeStaticMesh = 8;
inline constexpr std::int32_t kDrawTypeParticle = 10;
inline constexpr std::int32_t kDrawTypeFluidSurface = 12;

// True for the classes of movers: Mover and the classes named after it (ElevatorMover,
// RotatingMover and the like); letter case aside.
bool IsMoverClass(std::string_view class_name);

// True for LevelInfo and the classes of zones: those named ZoneInfo or after a zone
// (SkyZoneInfo, WaterZone, LavaZone); letter case aside.
bool IsZoneClass(std::string_view class_name);
// Whether the zone record is the LevelInfo's.
bool IsLevelInfoClass(std::string_view class_name);

// True for classes whose actors show something in the game that a run does not convert
// (emitters, projectors, fluid surfaces, decals); compared without regard to letter case.
bool ShowsUnconvertedLooks(const std::string& class_name);

// What the run names as left out, "24 SpriteEmitter, 15 Emitter": most first, then by class.
std::string LeftOutText(const LeftOutClasses& classes);

}  // namespace brushwright
