// The actors of a map package's level as the plain level holds them: a brush actor's own
// properties, and the records of the report's actors.
#pragma once

#include <string_view>

#include "level/actors.h"
#include "level/level.h"
#include "package/package_object.h"

namespace brushwright {

// The report's lists an actor class goes into; classes compare without regard to letter case,
// as the engine's names do.
enum class ReportClass {
  None,
  Light,
  Spotlight,
  Trigger,
  PlayerStart,
  Teleporter,
  FavoritesTeleporter,
  VisibleTeleporter,
  OtherStart,  // a start class of a later game (kOtherStartClasses)
};
ReportClass ReportClassOf(std::string_view class_name);

// A brush actor's class, name, operation, tag, flags and placement (its polygons aside).
void ReadBrushProperties(const PackageObject& actor, LevelBrush& brush);

// The report's records of one actor. A property the actor does not store keeps the record's
// default, as a key the T3D export leaves out does. A 16-bit field whose value does not fit
// throws BrushError naming the file, the actor and the property.
LightRecord ReadLightActor(const PackageObject& actor);
TriggerRecord ReadTriggerActor(const PackageObject& actor);
TeleporterRecord ReadTeleporterActor(const PackageObject& actor);
PlayerStartRecord ReadPlayerStartActor(const PackageObject& actor);

// The light the build stored on the vertices of a static mesh actor: the colour stream of its
// StaticMeshInstance object `instance` (a vertex count, then a colour per vertex and a revision;
// then per light its actor, its visibility bits and a number, read through). Throws BrushError
// naming the file, the object and the byte offset when the object is broken or not all read.
std::vector<LightTexel> ReadStaticMeshInstanceLight(const PackageFile& package,
                                                    std::int32_t instance);

// A mover's keys, number of keys and move time; those it does not store at their defaults.
MoverKeys ReadMoverKeys(const PackageObject& actor);
// An actor drawn by static mesh `mesh` (a reference of the actor's package): placement, scales
// and skins; a mover's keys too.
StaticMeshActorRecord ReadStaticMeshActor(const PackageObject& actor, std::int32_t mesh);
SunlightRecord ReadSunlightActor(const PackageObject& actor);
// The LevelInfo's or a zone's ambient light (and the LevelInfo's brightness).
ZoneLightRecord ReadZoneActor(const PackageObject& actor);

}  // namespace brushwright
