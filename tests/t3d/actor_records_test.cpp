// Tests of the light, trigger, teleporter and player start readers on editor-shaped actor blocks.
#include "t3d/actor_records.h"

#include <gtest/gtest.h>

#include <string>

#include "marked_text.h"
#include "text/brush_error.h"
#include "text/key_readers.h"

namespace brushwright {
namespace {

void ExpectVector(const Vector& actual, double x, double y, double z) {
  EXPECT_DOUBLE_EQ(actual.X, x);
  EXPECT_DOUBLE_EQ(actual.Y, y);
  EXPECT_DOUBLE_EQ(actual.Z, z);
}

// Fills every field with a value no block of these tests holds, to see which ones a read sets.
void Preload(LightRecord& record) {
  record.Class = "Sentinel";
  record.Name = record.Tag = record.Event = record.Region = "Sentinel";
  record.InSkyZone = true;
  record.LightKind = 9;
  record.bDynamicLight = true;
  record.Location = {-9, -9, -9};
  record.Rotation = {-9, -9, -9};
  record.LightBrightness = record.LightHue = record.LightSaturation = record.LightRadius = -9;
  record.LightPeriod = record.LightPhase = record.LightCone = -9;
  record.VolumeBrightness = record.VolumeRadius = record.VolumeFog = -9;
  record.bActorShadows = record.bCorona = record.bLensFlare = true;
  record.Sound.HasSound = true;
  record.Sound.SoundRadius = record.Sound.SoundVolume = record.Sound.SoundPitch = -9;
  record.Sound.TransientSoundVolume = record.Sound.TransientSoundRadius = -9;
  record.Texture = record.Style = "Sentinel";
  record.DrawScale = record.AmbientGlow = record.ScaleGlow = -9;
}

constexpr const char* kLights = R"(Begin Map
Begin Actor Class=Light Name=Light61
    MaxCoronaSize=128.000000
    LightBrightness=0.000000
    LightRadius=128.000000
    LightHue=140
    LightSaturation=120
    bCorona=True
    Level=LevelInfo'myLevel.LevelInfo0'
    Region=(Zone=SkyZoneInfo'myLevel.SkyZoneInfo0',iLeaf=23,ZoneNumber=1)
    Tag="Light"
    Location=(X=182.005554,Y=-775.142456,Z=67.000000)
    OldLocation=(X=1,Y=1,Z=1)
    Rotation=(Pitch=-16384,Yaw=32768)
    Texture=Texture'Engine.S_Light'
    AmbientSound=Sound'AmbAncient.Looping.Stower51'
    SoundRadius=64
    Name="Light61"
End Actor$
Begin Actor Class=Spotlight Name=Spotlight0
    bDynamicLight=false
    LightCone=64
    Region=(Zone=ZoneInfo'myLevel.ZoneInfo2',iLeaf=57,ZoneNumber=1)
    Name="Spotlight0"
End Actor
Begin Actor Class=Light Name=Light2
    bDynamicLight=False
    LightPeriod=32
    Name="Light2"
End Actor
)";

TEST(ReadLight, ReadsAnEditorLightBlock) {
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const MarkedText input = Mark(kLights, ends);
    LightRecord record;
    Preload(record);
    int pos = 1;
    ASSERT_TRUE(ReadLight(input.text, pos, "Class=Light", record));
    EXPECT_EQ(pos, input.marker);
    EXPECT_EQ(record.Class, "Light");
    EXPECT_EQ(record.Name, "Light61");  // from the Begin Actor line, the first "Name="
    EXPECT_EQ(record.Tag, "\"Light\"");
    EXPECT_EQ(record.Event, "");
    EXPECT_TRUE(record.InSkyZone);
    EXPECT_EQ(record.LightKind, 1);
    // Each component reads at most 10 characters: -775.142456 is cut to -775.14245.
    ExpectVector(record.Location, 182.005554, -775.14245, 67);
    EXPECT_DOUBLE_EQ(record.Rotation.Pitch, -16384);
    EXPECT_DOUBLE_EQ(record.Rotation.Yaw, 32768);
    EXPECT_DOUBLE_EQ(record.Rotation.Roll, 0);
    EXPECT_DOUBLE_EQ(record.LightBrightness, 0);
    EXPECT_DOUBLE_EQ(record.LightHue, 140);
    EXPECT_DOUBLE_EQ(record.LightSaturation, 120);
    EXPECT_DOUBLE_EQ(record.LightRadius, 128);
    EXPECT_DOUBLE_EQ(record.LightCone, 128);
    EXPECT_DOUBLE_EQ(record.DrawScale, 1);
    EXPECT_TRUE(record.bCorona);
    EXPECT_EQ(record.Texture, "Texture'Engine.S_Light'");
    EXPECT_EQ(record.Style, "");
    EXPECT_TRUE(record.Sound.HasSound);
    EXPECT_EQ(record.Sound.AmbientSound, "Sound'AmbAncient.Looping.Stower51'");
    EXPECT_EQ(record.Sound.SoundRadius, 64);
    EXPECT_EQ(record.Sound.SoundVolume, 128);
    // Fields without a default keep what the record held.
    EXPECT_TRUE(record.bDynamicLight);
    EXPECT_DOUBLE_EQ(record.LightPeriod, -9);
    EXPECT_DOUBLE_EQ(record.VolumeFog, -9);
    EXPECT_DOUBLE_EQ(record.ScaleGlow, -9);
  }
}

TEST(ReadLight, ReadsConsecutiveActorsAndResetsDefaults) {
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const std::string text = ToForm(kLights, ends);
    LightRecord record;
    Preload(record);
    int pos = 1;
    ASSERT_TRUE(ReadLight(text, pos, "Class=Light", record));
    ASSERT_TRUE(ReadLight(text, pos, "Class=Light", record));
    EXPECT_EQ(record.Name, "Light2");
    EXPECT_FALSE(record.bDynamicLight);
    EXPECT_DOUBLE_EQ(record.LightPeriod, 32);
    // Defaults return; keys of the earlier actor or of the spotlight between do not count.
    EXPECT_DOUBLE_EQ(record.LightHue, 0);
    EXPECT_DOUBLE_EQ(record.LightSaturation, 255);
    EXPECT_DOUBLE_EQ(record.LightBrightness, 64);
    EXPECT_DOUBLE_EQ(record.LightRadius, 64);
    EXPECT_DOUBLE_EQ(record.LightCone, 128);
    EXPECT_EQ(record.Texture, "");
    EXPECT_FALSE(record.InSkyZone);
    EXPECT_EQ(record.Region, "");
    ExpectVector(record.Location, 0, 0, 0);
    EXPECT_FALSE(record.Sound.HasSound);
    EXPECT_EQ(record.Sound.AmbientSound, "");
    EXPECT_EQ(record.Sound.SoundRadius, 32);
    EXPECT_EQ(record.Sound.SoundVolume, 128);
    EXPECT_EQ(record.Sound.SoundPitch, 64);
    EXPECT_DOUBLE_EQ(record.Sound.TransientSoundVolume, 1);
    EXPECT_DOUBLE_EQ(record.Sound.TransientSoundRadius, 0);

    const int before = pos;
    EXPECT_FALSE(ReadLight(text, pos, "Class=Light", record));
    EXPECT_EQ(pos, before);

    pos = 1;
    ASSERT_TRUE(ReadLight(text, pos, "Class=Spotlight", record));
    EXPECT_EQ(record.Class, "Spotlight");
    EXPECT_EQ(record.LightKind, 2);
    EXPECT_TRUE(record.bDynamicLight);  // "false" is not "False"
    EXPECT_DOUBLE_EQ(record.LightCone, 64);
    EXPECT_FALSE(ReadLight(text, pos, "Class=Spotlight", record));
  }
}

TEST(ReadLight, ActorWithoutEndActorEndsTheLoop) {
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const std::string text =
        ToForm("Begin Actor Class=Light Name=Light0\n    LightHue=10\n    Name=\"Light0\"\n", ends);
    LightRecord record;
    Preload(record);
    int pos = 1;
    EXPECT_FALSE(ReadLight(text, pos, "Class=Light", record));
    EXPECT_EQ(pos, 1);
    EXPECT_EQ(record.Name, "Sentinel");
    EXPECT_DOUBLE_EQ(record.LightHue, 0);  // defaults are stored before the actor is looked for
  }
}

TEST(ReadTrigger, ReadsTriggerBlocks) {
  constexpr const char* kTriggers = R"(Begin Actor Class=Trigger Name=Trigger0
    Message="Door"
    bTriggerOnceOnly=TRUE
    ReTriggerDelay=2.5
    Event=LiftDoor
    InitialState=OtherTriggerTurnsOn
    bInitiallyActive=False
    Location=(X=10,Y=20,Z=30)
    CollisionHeight=80.000000
    TransientSoundRadius=300
    Name=Trigger0
End Actor
Begin Actor Class=Trigger Name=Trigger1
    bTriggerOnceOnly=maybe
    RepeatTriggerTime=abc
    Name=Trigger1
End Actor$
)";
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const MarkedText input = Mark(kTriggers, ends);
    TriggerRecord record;
    record.InitialState = "Sentinel";
    int pos = 1;
    ASSERT_TRUE(ReadTrigger(input.text, pos, "Class=Trigger ", record));
    EXPECT_EQ(record.Message, "\"Door\"");
    EXPECT_TRUE(record.bTriggerOnceOnly);
    EXPECT_DOUBLE_EQ(record.ReTriggerDelay, 2.5);
    EXPECT_DOUBLE_EQ(record.RepeatTriggerTime, 0);
    EXPECT_EQ(record.Event, "LiftDoor");
    EXPECT_EQ(record.InitialState, "OtherTriggerTurnsOn");
    EXPECT_FALSE(record.bInitiallyActive);
    ExpectVector(record.Location, 10, 20, 30);
    EXPECT_DOUBLE_EQ(record.CollisionRadius, 40);
    EXPECT_DOUBLE_EQ(record.CollisionHeight, 80);
    // "SoundRadius=" is found inside "TransientSoundRadius=".
    EXPECT_TRUE(record.Sound.HasSound);
    EXPECT_EQ(record.Sound.SoundRadius, 300);
    EXPECT_DOUBLE_EQ(record.Sound.TransientSoundRadius, 300);

    ASSERT_TRUE(ReadTrigger(input.text, pos, "Class=Trigger ", record));
    EXPECT_EQ(pos, input.marker);
    EXPECT_FALSE(record.bTriggerOnceOnly);  // neither a Boolean word nor a number
    EXPECT_DOUBLE_EQ(record.RepeatTriggerTime, 0);
    EXPECT_TRUE(record.bInitiallyActive);
    EXPECT_DOUBLE_EQ(record.CollisionHeight, 40);
    EXPECT_EQ(record.InitialState, "OtherTriggerTurnsOn");  // no default: kept
    EXPECT_FALSE(record.Sound.HasSound);
    EXPECT_FALSE(ReadTrigger(input.text, pos, "Class=Trigger ", record));
  }
}

TEST(ReadTeleporter, ReadsTeleporterBlocks) {
  constexpr const char* kTeleporters = R"(Begin Actor Class=Teleporter Name=Teleporter0
    URL="Tele2"
    bReversesX=true
    bReversesY=1
    bReversesZ=maybe
    TargetVelocity=(X=100)
    Location=(X=5,Y=6,Z=7)
    Rotation=(Yaw=8192)
    FavoriteNumber=2.5
    Name=Teleporter0
End Actor
Begin Actor Class=VisibleTeleporter Name=VisibleTeleporter0
    bChangesVelocity=False
    CollisionRadius=18.5
    Name=VisibleTeleporter0
End Actor
)";
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const std::string text = ToForm(kTeleporters, ends);
    TeleporterRecord record;
    int pos = 1;
    ASSERT_TRUE(ReadTeleporter(text, pos, "Class=Teleporter ", record));
    EXPECT_EQ(record.URL, "\"Tele2\"");
    EXPECT_TRUE(record.bReversesX);
    EXPECT_TRUE(record.bReversesY);
    EXPECT_FALSE(record.bReversesZ);
    EXPECT_FALSE(record.bChangesVelocity);
    ExpectVector(record.TargetVelocity, 100, 0, 0);
    ExpectVector(record.Location, 5, 6, 7);
    EXPECT_DOUBLE_EQ(record.Rotation.Yaw, 8192);
    EXPECT_EQ(record.FavoriteNumber, 2);  // half to even
    EXPECT_DOUBLE_EQ(record.CollisionRadius, 0);
    EXPECT_FALSE(ReadTeleporter(text, pos, "Class=Teleporter ", record));

    pos = 1;
    ASSERT_TRUE(ReadTeleporter(text, pos, "Class=VisibleTeleporter ", record));
    EXPECT_EQ(record.Class, "VisibleTeleporter");
    EXPECT_EQ(record.URL, "");
    EXPECT_FALSE(record.bReversesX);
    ExpectVector(record.TargetVelocity, 0, 0, 0);
    EXPECT_EQ(record.FavoriteNumber, 0);
    EXPECT_DOUBLE_EQ(record.CollisionRadius, 18.5);
    EXPECT_DOUBLE_EQ(record.CollisionHeight, 0);
  }
}

TEST(ReadPlayerStart, ReadsLocationAndRotation) {
  constexpr const char* kStart = R"(Begin Actor Class=PlayerStart Name=PlayerStart0
    TeamNumber=1
    Tag="PlayerStart"
    Region=(Zone=LevelInfo'MyLevel.LevelInfo0',iLeaf=22,ZoneNumber=6)
    Location=(X=-215.000000,Y=-1679.000000,Z=369.000397)
    RelativeLocation=(X=-311.000000,Y=-783.000000,Z=97.000397)
    Name="PlayerStart0"
End Actor$
)";
  for (const LineEnds ends : kBothLineEnds) {
    SCOPED_TRACE(LineEndsName(ends));
    const MarkedText input = Mark(kStart, ends);
    PlayerStartRecord record;
    record.Rotation = {-9, -9, -9};
    int pos = 0;
    ASSERT_TRUE(ReadPlayerStart(input.text, pos, "Class=PlayerStart ", record));
    EXPECT_EQ(pos, input.marker);
    EXPECT_EQ(record.Class, "PlayerStart");
    EXPECT_EQ(record.Name, "PlayerStart0");
    EXPECT_FALSE(record.InSkyZone);
    ExpectVector(record.Location, -215, -1679, 369.000397);
    EXPECT_DOUBLE_EQ(record.Rotation.Pitch, 0);
    EXPECT_DOUBLE_EQ(record.Rotation.Yaw, 0);
  }
}

TEST(ReadActors, SixteenBitFieldOutOfRangeThrowsNamingTheKey) {
  struct Row {
    const char* block;
    const char* key;
  };
  const Row rows[] = {
      {"Begin Actor Class=Light Name=L\n AmbientSound=S\n SoundRadius=40000\nEnd Actor\n",
       "SoundRadius="},
      {"Begin Actor Class=Light Name=L\n SoundPitch=-32769\nEnd Actor\n", "SoundPitch="},
      {"Begin Actor Class=Teleporter Name=T\n FavoriteNumber=1E+9\nEnd Actor\n", "FavoriteNumber="},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.block);
    const std::string text = ToForm(row.block, LineEnds::kCrLf);
    int pos = 1;
    try {
      if (FindFrom(text, "Class=Light", 1) != 0) {
        LightRecord record;
        ReadLight(text, pos, "Class=Light", record);
      } else {
        TeleporterRecord record;
        ReadTeleporter(text, pos, "Class=Teleporter ", record);
      }
      ADD_FAILURE() << "no BrushError";
    } catch (const BrushError& error) {
      EXPECT_NE(std::string(error.what()).find(row.key), std::string::npos) << error.what();
    }
  }
}

TEST(ReadActors, SixteenBitFieldsAcceptTheirWholeRange) {
  const std::string text = ToForm(
      "Begin Actor Class=Light Name=L\n SoundRadius=32767\n SoundVolume=-32768\n"
      " SoundPitch=-32768.4\nEnd Actor\n",
      LineEnds::kCrLf);
  LightRecord record;
  int pos = 1;
  ASSERT_TRUE(ReadLight(text, pos, "Class=Light", record));
  EXPECT_EQ(record.Sound.SoundRadius, 32767);
  EXPECT_EQ(record.Sound.SoundVolume, -32768);
  EXPECT_EQ(record.Sound.SoundPitch, -32768);
}

}  // namespace
}  // namespace brushwright
