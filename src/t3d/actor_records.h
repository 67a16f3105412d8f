// Property records of the actors that the report lists, and their readers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "vecmath/vecmath.h"

namespace brushwright {

struct ActorHeader {
  std::string Class;
  std::string Name;
  std::string Tag;
  std::string Event;
  std::string Region;
  bool InSkyZone = false;
};

struct SoundRecord {
  bool HasSound = false;
  std::string AmbientSound;
  std::int16_t SoundRadius = 32;
  std::int16_t SoundVolume = 128;
  std::int16_t SoundPitch = 64;
  double TransientSoundVolume = 1;
  double TransientSoundRadius = 0;
};

struct LightRecord : ActorHeader {
  std::int16_t LightKind = 1;  // 2 for "Spotlight", else 1
  bool bDynamicLight = false;
  Vector Location;
  Rotator Rotation;
  double LightBrightness = 64;
  double LightHue = 0;
  double LightSaturation = 255;
  double LightRadius = 64;
  double LightPeriod = 0;
  double LightPhase = 0;
  double LightCone = 128;
  double VolumeBrightness = 0;
  double VolumeRadius = 0;
  double VolumeFog = 0;
  bool bActorShadows = false;
  bool bCorona = false;
  bool bLensFlare = false;
  SoundRecord Sound;
  std::string Texture;
  std::string Style;
  double DrawScale = 1;
  double AmbientGlow = 0;
  double ScaleGlow = 0;
};

struct TriggerRecord : ActorHeader {
  std::string Message;
  bool bTriggerOnceOnly = false;
  double RepeatTriggerTime = 0;
  double ReTriggerDelay = 0;
  Vector Location;
  std::string InitialState;
  bool bInitiallyActive = true;
  double CollisionRadius = 40;
  double CollisionHeight = 40;
  SoundRecord Sound;
};

struct TeleporterRecord : ActorHeader {
  std::string URL;
  bool bChangesVelocity = false;
  bool bReversesX = false;
  bool bReversesY = false;
  bool bReversesZ = false;
  Vector TargetVelocity;
  Vector Location;
  Rotator Rotation;
  std::int16_t FavoriteNumber = 0;
  double CollisionRadius = 0;
  double CollisionHeight = 0;
};

struct PlayerStartRecord : ActorHeader {
  Vector Location;
  Rotator Rotation;
};

// Fill the header or sound fields from the actor window (start, end).
void ReadActorHeader(std::string_view text, int start, int end, ActorHeader& record);
void ReadSound(std::string_view text, int start, int end, SoundRecord& sound);

// Each reader stores its record's defaults, finds the next `class_key` at or after `pos`, reads
// the actor up to its "End Actor" and moves `pos` just past it. Returns false (pos unmoved) when
// there is no such actor or it has no "End Actor". A 16-bit field whose value lies outside
// -32768..32767 throws BrushError.
bool ReadLight(std::string_view text, int& pos, std::string_view class_key, LightRecord& record);
bool ReadTrigger(std::string_view text, int& pos, std::string_view class_key,
                 TriggerRecord& record);
bool ReadTeleporter(std::string_view text, int& pos, std::string_view class_key,
                    TeleporterRecord& record);
bool ReadPlayerStart(std::string_view text, int& pos, std::string_view class_key,
                     PlayerStartRecord& record);

}  // namespace brushwright
