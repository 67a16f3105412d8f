// The brush actors and report actors of a map package's level, from their properties.
#include "map/level_actors.h"

#include <array>
#include <utility>

#include "package/actor_values.h"
#include "package/byte_cursor.h"
#include "text/key_readers.h"
#include "text/number_text.h"

namespace brushwright {

namespace {

// The classes the report lists, as the T3D reader finds them by their class keys.
constexpr std::array<std::pair<std::string_view, ReportClass>, 7> kReportClasses = {{
    {"Light", ReportClass::Light},
    {"Spotlight", ReportClass::Spotlight},
    {"Trigger", ReportClass::Trigger},
    {"PlayerStart", ReportClass::PlayerStart},
    {"Teleporter", ReportClass::Teleporter},
    {"FavoritesTeleporter", ReportClass::FavoritesTeleporter},
    {"VisibleTeleporter", ReportClass::VisibleTeleporter},
}};
// A brush's CsgOper values: CSG_Active (the builder brush) is the default.
constexpr std::int32_t kCsgAdd = 1;
constexpr std::int32_t kCsgSubtract = 2;
// A mover stores eight keys.
constexpr std::int32_t kMoverKeyCount = 8;
// The zone class whose actors (and its subclasses') make an actor's region a sky zone.
constexpr std::string_view kSkyZoneClass = "SkyZoneInfo";
// The light effects by the byte a map stores, alike in both engine generations as far as these
// go (later ones differ between games).
constexpr std::array<std::string_view, 19> kLightEffects = {
    "LE_None",        "LE_TorchWaver",   "LE_FireWaver", "LE_WateryShimmer", "LE_Searchlight",
    "LE_SlowWave",    "LE_FastWave",     "LE_CloudCast", "LE_StaticSpot",    "LE_Shock",
    "LE_Disco",       "LE_Warp",         "LE_Spotlight", "LE_NonIncidence",  "LE_Shell",
    "LE_OmniBumpMap", "LE_Interference", "LE_Cylinder",  "LE_Rotor"};

// The name of the light effect a map stores as `value`; "" for none or one beyond the list.
std::string LightEffectName(std::optional<double> value) {
  if (!value || !(*value >= 1 && *value < static_cast<double>(kLightEffects.size()))) return "";
  return std::string(kLightEffects[static_cast<std::size_t>(*value)]);
}

// Stores the property's number into `target` when the actor has it.
void ReadNumber(const PackageObject& actor, std::string_view name, double& target) {
  if (const auto value = NumberProperty(actor, name)) target = *value;
}

// A 16-bit field, rounded as the T3D reader rounds it; an overflow names file, actor and field.
void ReadInt16(const PackageObject& actor, std::string_view name, std::int16_t& target) {
  if (const auto value = NumberProperty(actor, name)) {
    const PackageFile& package = actor.Package();
    target = RoundToInt16(*value, "'" + package.Path() + "', actor '" +
                                      package.ObjectName(actor.Ref()) + "': " + std::string(name));
  }
}

void ReadHeader(const PackageObject& actor, ActorHeader& header) {
  const PackageFile& package = actor.Package();
  header.Class = package.ClassName(actor.Ref());
  header.Name = package.ObjectName(actor.Ref());
  header.Tag = QuotedNameProperty(actor, "Tag");
  header.Event = QuotedNameProperty(actor, "Event");
  header.Region = RegionProperty(actor);
  header.InSkyZone = header.Region.find(kSkyZoneClass) != std::string::npos;
}

SoundRecord ReadSound(const PackageObject& actor) {
  SoundRecord sound;
  for (const char* name : {"AmbientSound", "SoundRadius", "SoundVolume", "SoundPitch",
                           "TransientSoundVolume", "TransientSoundRadius"}) {
    if (actor.Find(name)) sound.HasSound = true;
  }
  sound.AmbientSound = ObjectProperty(actor, "AmbientSound");
  ReadInt16(actor, "SoundRadius", sound.SoundRadius);
  ReadInt16(actor, "SoundVolume", sound.SoundVolume);
  ReadInt16(actor, "SoundPitch", sound.SoundPitch);
  ReadNumber(actor, "TransientSoundVolume", sound.TransientSoundVolume);
  ReadNumber(actor, "TransientSoundRadius", sound.TransientSoundRadius);
  return sound;
}

CsgOperation CsgOf(const PackageObject& actor) {
  const auto csg = NumberProperty(actor, "CsgOper");
  if (!csg || *csg == 0) return CsgOperation::None;
  if (*csg == kCsgAdd) return CsgOperation::Add;
  if (*csg == kCsgSubtract) return CsgOperation::Subtract;
  return CsgOperation::Other;
}

// A static mesh instance's vertex colour: four bytes, red, green, blue and alpha (a mesh beside a
// red light reads red so, a mesh under a bluish white one bluish white); a light's entry at least
// its reference, its bit count and a 32-bit number.
constexpr std::int64_t kInstanceColorBytes = 4;
constexpr std::int64_t kLeastInstanceLightBytes = 1 + 1 + 4;

}  // namespace

std::vector<LightTexel> ReadStaticMeshInstanceLight(const PackageFile& package,
                                                    std::int32_t instance) {
  const PackageObject object = PackageObject::Read(package, ExportIndexOf(instance));
  ByteCursor cursor = object.DataCursor();
  const std::int32_t count =
      cursor.Count(cursor.CompactIndex(), kInstanceColorBytes, "vertex colour");
  std::vector<LightTexel> light;
  light.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count && cursor.Ok(); ++i) {
    const std::span<const std::uint8_t> rgba = cursor.Bytes(kInstanceColorBytes);
    if (rgba.empty()) break;
    light.push_back(LightTexel{rgba[0], rgba[1], rgba[2]});
  }
  cursor.I32();  // revision
  const std::int32_t lights =
      cursor.Count(cursor.CompactIndex(), kLeastInstanceLightBytes, "instance light");
  for (std::int32_t i = 0; i < lights && cursor.Ok(); ++i) {
    const std::int32_t ref = cursor.CompactIndex();
    if (cursor.Ok() && !package.IsObjectRef(ref)) {
      cursor.Fail("light reference " + std::to_string(ref) + " outside the tables");
    }
    cursor.Skip(cursor.Count(cursor.CompactIndex(), 1, "visibility bit byte"));
    cursor.I32();  // whether the light was applied
  }
  if (cursor.Ok() && !cursor.AtEnd()) {
    cursor.Fail(std::to_string(cursor.Remaining()) + " bytes after the lights");
  }
  cursor.Check();
  return light;
}

ReportClass ReportClassOf(std::string_view class_name) {
  for (const auto& [name, kind] : kReportClasses) {
    if (EqualsIgnoringCase(class_name, name)) return kind;
  }
  for (const std::string_view name : kOtherStartClasses) {
    if (EqualsIgnoringCase(class_name, name)) return ReportClass::OtherStart;
  }
  return ReportClass::None;
}

void ReadBrushProperties(const PackageObject& actor, LevelBrush& brush) {
  const PackageFile& package = actor.Package();
  brush.Class = package.ClassName(actor.Ref());
  brush.Name = package.ObjectName(actor.Ref());
  brush.Csg = CsgOf(actor);
  brush.Tag = NameProperty(actor, "Tag");
  // A 32-bit value the text writes signed; the level holds its magnitude.
  if (const auto flags = actor.IntValue(actor.Find("PolyFlags"))) {
    brush.PolyFlags = *flags < 0 ? -std::int64_t{*flags} : *flags;
  }
  BrushPlacement& placement = brush.Placement;
  placement.Location = VectorProperty(actor, "Location");
  placement.PrePivot = VectorProperty(actor, "PrePivot");
  placement.Rotation = RotatorProperty(actor, "Rotation");
  placement.MainScale = ScaleProperty(actor, "MainScale");
  placement.PostScale = ScaleProperty(actor, "PostScale");
  placement.TempScale = ScaleProperty(actor, "TempScale");
}

LightRecord ReadLightActor(const PackageObject& actor) {
  LightRecord light;
  ReadHeader(actor, light);
  light.LightKind = ReportClassOf(light.Class) == ReportClass::Spotlight ? 2 : 1;
  light.bDynamicLight = BoolProperty(actor, "bDynamicLight", light.bDynamicLight);
  light.Location = VectorProperty(actor, "Location");
  light.Rotation = RotatorProperty(actor, "Rotation");
  ReadNumber(actor, "LightBrightness", light.LightBrightness);
  ReadNumber(actor, "LightHue", light.LightHue);
  ReadNumber(actor, "LightSaturation", light.LightSaturation);
  ReadNumber(actor, "LightRadius", light.LightRadius);
  ReadNumber(actor, "LightPeriod", light.LightPeriod);
  ReadNumber(actor, "LightPhase", light.LightPhase);
  ReadNumber(actor, "LightCone", light.LightCone);
  light.LightEffect = LightEffectName(NumberProperty(actor, "LightEffect"));
  ReadNumber(actor, "VolumeBrightness", light.VolumeBrightness);
  ReadNumber(actor, "VolumeRadius", light.VolumeRadius);
  ReadNumber(actor, "VolumeFog", light.VolumeFog);
  light.bActorShadows = BoolProperty(actor, "bActorShadows", light.bActorShadows);
  light.bCorona = BoolProperty(actor, "bCorona", light.bCorona);
  light.bLensFlare = BoolProperty(actor, "bLensFlare", light.bLensFlare);
  light.Sound = ReadSound(actor);
  light.Texture = ObjectProperty(actor, "Texture");
  light.Style = StyleProperty(actor, "Style");
  ReadNumber(actor, "DrawScale", light.DrawScale);
  ReadNumber(actor, "AmbientGlow", light.AmbientGlow);
  ReadNumber(actor, "ScaleGlow", light.ScaleGlow);
  return light;
}

TriggerRecord ReadTriggerActor(const PackageObject& actor) {
  TriggerRecord trigger;
  ReadHeader(actor, trigger);
  trigger.Message = QuotedStringProperty(actor, "Message");
  trigger.bTriggerOnceOnly = BoolProperty(actor, "bTriggerOnceOnly", false);
  ReadNumber(actor, "RepeatTriggerTime", trigger.RepeatTriggerTime);
  ReadNumber(actor, "ReTriggerDelay", trigger.ReTriggerDelay);
  trigger.Location = VectorProperty(actor, "Location");
  trigger.InitialState = QuotedNameProperty(actor, "InitialState");
  trigger.bInitiallyActive = BoolProperty(actor, "bInitiallyActive", trigger.bInitiallyActive);
  ReadNumber(actor, "CollisionRadius", trigger.CollisionRadius);
  ReadNumber(actor, "CollisionHeight", trigger.CollisionHeight);
  trigger.Sound = ReadSound(actor);
  return trigger;
}

TeleporterRecord ReadTeleporterActor(const PackageObject& actor) {
  TeleporterRecord teleporter;
  ReadHeader(actor, teleporter);
  teleporter.URL = QuotedStringProperty(actor, "URL");
  teleporter.bChangesVelocity = BoolProperty(actor, "bChangesVelocity", false);
  teleporter.bReversesX = BoolProperty(actor, "bReversesX", false);
  teleporter.bReversesY = BoolProperty(actor, "bReversesY", false);
  teleporter.bReversesZ = BoolProperty(actor, "bReversesZ", false);
  teleporter.TargetVelocity = VectorProperty(actor, "TargetVelocity");
  teleporter.Location = VectorProperty(actor, "Location");
  teleporter.Rotation = RotatorProperty(actor, "Rotation");
  ReadInt16(actor, "FavoriteNumber", teleporter.FavoriteNumber);
  ReadNumber(actor, "CollisionRadius", teleporter.CollisionRadius);
  ReadNumber(actor, "CollisionHeight", teleporter.CollisionHeight);
  return teleporter;
}

PlayerStartRecord ReadPlayerStartActor(const PackageObject& actor) {
  PlayerStartRecord start;
  ReadHeader(actor, start);
  start.Location = VectorProperty(actor, "Location");
  start.Rotation = RotatorProperty(actor, "Rotation");
  return start;
}

MoverKeys ReadMoverKeys(const PackageObject& actor) {
  MoverKeys keys;
  double num_keys = keys.NumKeys;
  ReadNumber(actor, "NumKeys", num_keys);
  keys.NumKeys = static_cast<std::int32_t>(num_keys);
  double key_num = keys.KeyNum;
  ReadNumber(actor, "KeyNum", key_num);
  keys.KeyNum = static_cast<std::int32_t>(key_num);
  ReadNumber(actor, "MoveTime", keys.MoveTime);
  for (std::int32_t k = 0; k < kMoverKeyCount; ++k) {
    keys.KeyPos.push_back(VectorProperty(actor, "KeyPos", k));
    keys.KeyRot.push_back(RotatorProperty(actor, "KeyRot", k));
  }
  return keys;
}

StaticMeshActorRecord ReadStaticMeshActor(const PackageObject& actor, std::int32_t mesh) {
  const PackageFile& package = actor.Package();
  StaticMeshActorRecord record;
  record.Class = package.ClassName(actor.Ref());
  record.Name = package.ObjectName(actor.Ref());
  record.StaticMesh = ReferencePath(package, mesh);
  record.Location = VectorProperty(actor, "Location");
  record.Rotation = RotatorProperty(actor, "Rotation");
  record.PrePivot = VectorProperty(actor, "PrePivot");
  ReadNumber(actor, "DrawScale", record.DrawScale);
  record.DrawScale3D = VectorProperty(actor, "DrawScale3D", 0, 1);
  for (const std::int32_t skin : actor.ObjectArrayValue(actor.Find("Skins"))) {
    record.Skins.push_back(ReferencePath(package, skin));
  }
  if (IsMoverClass(record.Class)) record.Keys = ReadMoverKeys(actor);
  return record;
}

ZoneLightRecord ReadZoneActor(const PackageObject& actor) {
  const PackageFile& package = actor.Package();
  ZoneLightRecord zone;
  zone.Class = package.ClassName(actor.Ref());
  zone.Name = package.ObjectName(actor.Ref());
  ReadNumber(actor, "AmbientBrightness", zone.AmbientBrightness);
  ReadNumber(actor, "AmbientHue", zone.AmbientHue);
  ReadNumber(actor, "AmbientSaturation", zone.AmbientSaturation);
  ReadNumber(actor, "Brightness", zone.Brightness);
  return zone;
}

SunlightRecord ReadSunlightActor(const PackageObject& actor) {
  SunlightRecord sun;
  sun.Name = actor.Package().ObjectName(actor.Ref());
  sun.Location = VectorProperty(actor, "Location");
  sun.Rotation = RotatorProperty(actor, "Rotation");
  ReadNumber(actor, "LightBrightness", sun.LightBrightness);
  ReadNumber(actor, "LightHue", sun.LightHue);
  ReadNumber(actor, "LightSaturation", sun.LightSaturation);
  return sun;
}

}  // namespace brushwright
