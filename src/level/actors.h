// The actors a level's report lists, as plain records: lights, triggers, player starts and
// teleporters, with the fields the report and the glTF output use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
  // The spatial effect by its name ("LE_NonIncidence"); "" for none. Animated effects light as
  // steady ones.
  std::string LightEffect;
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

// The start classes of later games, which the report does not list; the glTF output marks their
// actors as player starts.
inline constexpr std::string_view kOtherStartClasses[] = {
    "MultiplayerStart",      // XIII
    "TriggeredPlayerStart",  // Unreal Tournament 2003 and 2004
    "TeamPlayerStart",
    "UTTeamPlayerStart",  // Unreal Tournament 3
    "UTWarfarePlayerStart",
};

// The actors of the report, each list in the order the report writes them.
struct ReportActors {
  std::vector<LightRecord> Lights;  // "Light" actors, then "Spotlight" ones
  std::vector<TriggerRecord> Triggers;
  std::vector<PlayerStartRecord> PlayerStarts;
  // "Teleporter", then "FavoritesTeleporter", then "VisibleTeleporter"
  std::vector<TeleporterRecord> Teleporters;
};

}  // namespace brushwright
