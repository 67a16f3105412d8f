// Readers of the light, trigger, teleporter and player start actors listed in the report.
#include "t3d/actor_records.h"

#include "t3d/text_position.h"
#include "t3d/value_readers.h"
#include "text/key_readers.h"
#include "text/number_text.h"

namespace brushwright {

namespace {

// Ends every actor block; the position after a read lies just past it.
constexpr std::string_view kEndActor = "End Actor";

// The actor window: `start` on the class key, `end` on the first "End Actor" after it. False
// when either is missing, so a truncated actor ends the caller's loop instead of repeating.
bool FindActor(std::string_view text, int pos, std::string_view class_key, int& start, int& end) {
  start = FindFrom(text, class_key, AtLeastOne(pos));
  if (start == 0) return false;
  end = FindFrom(text, kEndActor, start);
  return end != 0;
}

// "True"/"False" in any case or a number; an absent key or any other text is False.
bool BooleanOrFalse(std::string_view text, std::string_view key, int start, int end) {
  return ValueAsBoolean(ReadKeyValueOrZero(text, key, start, end));
}

double NumberOrZero(std::string_view text, std::string_view key, int start, int end) {
  return ValueAsNumber(ReadKeyValueOrZero(text, key, start, end));
}

void StoreLightDefaults(LightRecord& record) {
  record.LightKind = 1;
  record.LightBrightness = 64;
  record.LightHue = 0;
  record.LightSaturation = 255;
  record.LightRadius = 64;
  record.LightCone = 128;
  record.LightEffect.clear();
  record.Texture.clear();
  record.Style.clear();
  record.DrawScale = 1;
}

void ReadLightProperties(std::string_view text, int start, int end, LightRecord& record) {
  record.Location = ReadVector(text, start, end, "Location=", 0);
  record.Rotation = ReadRotator(text, start, end, "Rotation=");
  record.LightKind = record.Class == "Spotlight" || record.Class == "Engine.Spotlight" ? 2 : 1;
  ReadKeyInto(text, "bDynamicLight=", start, end, record.bDynamicLight);
  ReadKeyInto(text, "LightBrightness=", start, end, record.LightBrightness);
  ReadKeyInto(text, "LightHue=", start, end, record.LightHue);
  ReadKeyInto(text, "LightSaturation=", start, end, record.LightSaturation);
  ReadKeyInto(text, "LightRadius=", start, end, record.LightRadius);
  ReadKeyInto(text, "LightPeriod=", start, end, record.LightPeriod);
  ReadKeyInto(text, "LightPhase=", start, end, record.LightPhase);
  ReadKeyInto(text, "LightCone=", start, end, record.LightCone);
  ReadKeyInto(text, "LightEffect=", start, end, record.LightEffect);
  ReadKeyInto(text, "VolumeBrightness=", start, end, record.VolumeBrightness);
  ReadKeyInto(text, "VolumeRadius=", start, end, record.VolumeRadius);
  ReadKeyInto(text, "VolumeFog=", start, end, record.VolumeFog);
  ReadKeyInto(text, "bActorShadows=", start, end, record.bActorShadows);
  ReadKeyInto(text, "bCorona=", start, end, record.bCorona);
  ReadKeyInto(text, "bLensFlare=", start, end, record.bLensFlare);
  ReadKeyInto(text, "Texture=", start, end, record.Texture);
  ReadKeyInto(text, "Style=", start, end, record.Style);
  ReadKeyInto(text, "DrawScale=", start, end, record.DrawScale);
  ReadKeyInto(text, "AmbientGlow=", start, end, record.AmbientGlow);
  ReadKeyInto(text, "ScaleGlow=", start, end, record.ScaleGlow);
  ReadSound(text, start, end, record.Sound);
}

void StoreTriggerDefaults(TriggerRecord& record) {
  record.bInitiallyActive = true;
  record.CollisionRadius = 40;
  record.CollisionHeight = 40;
}

void ReadTriggerProperties(std::string_view text, int start, int end, TriggerRecord& record) {
  record.Message = ReadKeyValue(text, "Message=", start, end);
  ReadKeyInto(text, "InitialState=", start, end, record.InitialState);
  record.bTriggerOnceOnly = BooleanOrFalse(text, "bTriggerOnceOnly=", start, end);
  record.RepeatTriggerTime = NumberOrZero(text, "RepeatTriggerTime=", start, end);
  record.ReTriggerDelay = NumberOrZero(text, "ReTriggerDelay=", start, end);
  record.Location = ReadVector(text, start, end, "Location=", 0);
  ReadKeyInto(text, "bInitiallyActive=", start, end, record.bInitiallyActive);
  ReadKeyInto(text, "CollisionRadius=", start, end, record.CollisionRadius);
  ReadKeyInto(text, "CollisionHeight=", start, end, record.CollisionHeight);
  ReadSound(text, start, end, record.Sound);
}

void ReadTeleporterProperties(std::string_view text, int start, int end, TeleporterRecord& record) {
  record.FavoriteNumber =
      RoundToInt16(NumberOrZero(text, "FavoriteNumber=", start, end), "FavoriteNumber=");
  record.URL = ReadKeyValue(text, "URL=", start, end);
  record.TargetVelocity = ReadVector(text, start, end, "TargetVelocity=", 0);
  record.Location = ReadVector(text, start, end, "Location=", 0);
  record.Rotation = ReadRotator(text, start, end, "Rotation=");
  record.bReversesX = BooleanOrFalse(text, "bReversesX=", start, end);
  record.bReversesY = BooleanOrFalse(text, "bReversesY=", start, end);
  record.bReversesZ = BooleanOrFalse(text, "bReversesZ=", start, end);
  record.bChangesVelocity = BooleanOrFalse(text, "bChangesVelocity=", start, end);
  record.CollisionRadius = NumberOrZero(text, "CollisionRadius=", start, end);
  record.CollisionHeight = NumberOrZero(text, "CollisionHeight=", start, end);
}

}  // namespace

void ReadActorHeader(std::string_view text, int start, int end, ActorHeader& record) {
  ReadKeyInto(text, "Class=", start, end, record.Class);
  record.Tag = ReadKeyValue(text, "Tag=", start, end);
  record.Name = ReadKeyValue(text, "Name=", start, end);
  record.Event = ReadKeyValue(text, "Event=", start, end);
  record.Region = ReadKeyValue(text, "Region=", start, end);
  record.InSkyZone = record.Region.find("SkyZoneInfo") != std::string::npos;
}

void ReadSound(std::string_view text, int start, int end, SoundRecord& sound) {
  sound = SoundRecord{};
  // Any "Sound" in the window, also inside a longer key, means the six keys are looked up.
  if (end <= 1 || FindInRange(text, "Sound", AtLeastOne(start), end - 1) == 0) return;
  bool found = ReadKeyInto(text, "AmbientSound=", start, end, sound.AmbientSound);
  found = ReadKeyInto(text, "SoundRadius=", start, end, sound.SoundRadius) || found;
  found = ReadKeyInto(text, "SoundVolume=", start, end, sound.SoundVolume) || found;
  found = ReadKeyInto(text, "SoundPitch=", start, end, sound.SoundPitch) || found;
  found =
      ReadKeyInto(text, "TransientSoundVolume=", start, end, sound.TransientSoundVolume) || found;
  found =
      ReadKeyInto(text, "TransientSoundRadius=", start, end, sound.TransientSoundRadius) || found;
  sound.HasSound = found;
}

bool ReadLight(std::string_view text, int& pos, std::string_view class_key, LightRecord& record) {
  StoreLightDefaults(record);
  int start = 0;
  int end = 0;
  if (!FindActor(text, pos, class_key, start, end)) return false;
  ReadActorHeader(text, start, end, record);
  ReadLightProperties(text, start, end, record);
  pos = end + TextLength(kEndActor);
  return true;
}

bool ReadTrigger(std::string_view text, int& pos, std::string_view class_key,
                 TriggerRecord& record) {
  StoreTriggerDefaults(record);
  int start = 0;
  int end = 0;
  if (!FindActor(text, pos, class_key, start, end)) return false;
  ReadActorHeader(text, start, end, record);
  ReadTriggerProperties(text, start, end, record);
  pos = end + TextLength(kEndActor);
  return true;
}

bool ReadTeleporter(std::string_view text, int& pos, std::string_view class_key,
                    TeleporterRecord& record) {
  int start = 0;
  int end = 0;
  if (!FindActor(text, pos, class_key, start, end)) return false;
  ReadActorHeader(text, start, end, record);
  ReadTeleporterProperties(text, start, end, record);
  pos = end + TextLength(kEndActor);
  return true;
}

bool ReadPlayerStart(std::string_view text, int& pos, std::string_view class_key,
                     PlayerStartRecord& record) {
  int start = 0;
  int end = 0;
  if (!FindActor(text, pos, class_key, start, end)) return false;
  ReadActorHeader(text, start, end, record);
  record.Location = ReadVector(text, start, end, "Location=", 0);
  record.Rotation = ReadRotator(text, start, end, "Rotation=");
  pos = end + TextLength(kEndActor);
  return true;
}

}  // namespace brushwright
