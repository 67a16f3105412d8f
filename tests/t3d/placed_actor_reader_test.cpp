// The actors a T3D text shows besides its brushes: which are drawn by a static mesh, which
// movers are read as brushes, the sun, the zones' light, and the looks left out, in LF and CR LF
// texts.
#include "t3d/placed_actor_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "t3d/t3d_level.h"

namespace brushwright {
namespace {

constexpr char kLevel[] = R"(Begin Map
Begin Actor Class=StaticMeshActor Name=StaticMeshActor0
    StaticMesh=StaticMesh'Pipes.Bends.Elbow'
    StaticMeshInstance=StaticMeshInstance'MyLevel.StaticMeshInstance0'
    ColLocation=(X=9.000000,Y=9.000000,Z=9.000000)
    Location=(X=1.500000,Y=-2.000000)
    Rotation=(Yaw=16384,Roll=-8)
    DrawScale3D=(Y=-2.000000)
    Skins(2)=Shader'Pipes.Rust'
    Begin Object Class=SpriteEmitter Name=SpriteEmitter0
        DrawScale=9.000000
    End Object
    DrawScale=0.500000
End Actor
Begin Actor Class=Engine.Mover Name=Mover0
    DrawType=DT_StaticMesh
    StaticMesh=StaticMesh'MyLevel.Door'
    KeyPos(1)=(Z=128.000000)
    NumKeys=3
End Actor
Begin Actor Class=ElevatorMover Name=ElevatorMover0
    KeyRot(1)=(Yaw=32768)
    MoveTime=2.500000
    Location=(X=64.000000)
    Begin Brush Name=Model5
       Begin PolyList
          Begin Polygon Texture=Lift
             Origin   +00000.000000,+00000.000000,+00000.000000
             Normal   +00000.000000,+00000.000000,+00001.000000
             Vertex   +00000.000000,+00000.000000,+00000.000000
             Vertex   +00064.000000,+00000.000000,+00000.000000
             Vertex   +00064.000000,+00064.000000,+00000.000000
          End Polygon
       End PolyList
    End Brush
    Brush=Model'MyLevel.Model5'
End Actor
Begin Actor Class=Pickup Name=Pickup0
    DrawType=DT_StaticMesh
    StaticMesh=None
End Actor
Begin Actor Class=Sunlight Name=Sunlight0
    Rotation=(Pitch=-16384)
    LightBrightness=200.000000
End Actor
Begin Actor Class=LevelInfo Name=LevelInfo0
    AmbientBrightness=20
    Brightness=1.500000
End Actor
Begin Actor Class=WaterZone Name=WaterZone0
    AmbientHue=150
End Actor
Begin Actor Class=Light Name=Light0
    LightEffect=LE_NonIncidence
End Actor
Begin Actor Class=Emitter Name=Emitter0
End Actor
Begin Actor Class=xEmitter Name=xEmitter0
    DrawType=DT_Particle
End Actor
Begin Actor Class=Decoration Name=Decoration0
    DrawType=DT_Mesh
End Actor
End Map
)";

std::string WithCrLf(const std::string& text) {
  std::string crlf;
  for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return crlf;
}

TEST(PlacedActorReader, MeshActorsMoversSunAndLooksLeftOut) {
  for (const std::string& text : {std::string(kLevel), WithCrLf(kLevel)}) {
    SCOPED_TRACE(text.find('\r') == std::string::npos ? "LF" : "CR LF");
    const Level level = ReadT3dLevel(text);
    ASSERT_EQ(level.MeshActors.size(), 2u);
    const StaticMeshActorRecord& pipe = level.MeshActors[0];
    EXPECT_EQ(pipe.Name, "StaticMeshActor0");
    EXPECT_EQ(pipe.StaticMesh, "Pipes.Bends.Elbow");
    // The actor's own keys, not ColLocation's nor the emitter object's inside it.
    EXPECT_EQ(pipe.Location.X, 1.5);
    EXPECT_EQ(pipe.Location.Y, -2);
    EXPECT_EQ(pipe.Location.Z, 0);
    EXPECT_EQ(pipe.Rotation.Yaw, 16384);
    EXPECT_EQ(pipe.Rotation.Roll, -8);
    EXPECT_EQ(pipe.DrawScale, 0.5);
    EXPECT_EQ(pipe.DrawScale3D.X, 1);
    EXPECT_EQ(pipe.DrawScale3D.Y, -2);
    EXPECT_EQ(pipe.Skins, (std::vector<std::string>{"", "", "Pipes.Rust"}));
    EXPECT_FALSE(pipe.Keys);

    const StaticMeshActorRecord& door = level.MeshActors[1];
    EXPECT_EQ(door.Class, "Mover");
    EXPECT_EQ(door.StaticMesh, "MyLevel.Door");
    ASSERT_TRUE(door.Keys);
    EXPECT_EQ(door.Keys->NumKeys, 3);
    EXPECT_EQ(door.Keys->KeyPos[1].Z, 128);

    ASSERT_EQ(level.Movers.size(), 1u);
    const LevelMover& lift = level.Movers[0];
    EXPECT_EQ(lift.Brush.Name, "ElevatorMover0");
    EXPECT_EQ(lift.Brush.Placement.Location.X, 64);
    ASSERT_EQ(lift.Brush.Polygons.size(), 1u);
    EXPECT_EQ(lift.Brush.Polygons[0].Vertices.size(), 3u);
    EXPECT_EQ(lift.Keys.MoveTime, 2.5);
    EXPECT_EQ(lift.Keys.KeyRot[1].Yaw, 32768);
    // The mover's polygon is not a brush of the world's.
    EXPECT_TRUE(level.Brushes.empty());

    ASSERT_EQ(level.Suns.size(), 1u);
    EXPECT_EQ(level.Suns[0].Rotation.Pitch, -16384);
    EXPECT_EQ(level.Suns[0].LightBrightness, 200);
    EXPECT_EQ(LeftOutText(level.LeftOut), "1 Decoration, 1 Emitter, 1 xEmitter");

    // The zones' light: the level's brightness and ambient, a zone's own ambient (white unless
    // its saturation says otherwise), and a light's effect by name.
    ASSERT_EQ(level.Zones.size(), 2u);
    EXPECT_EQ(level.Zones[0].Class, "LevelInfo");
    EXPECT_EQ(level.Zones[0].AmbientBrightness, 20);
    EXPECT_EQ(level.Zones[0].Brightness, 1.5);
    EXPECT_EQ(level.Zones[1].Name, "WaterZone0");
    EXPECT_EQ(level.Zones[1].AmbientHue, 150);
    EXPECT_EQ(level.Zones[1].AmbientSaturation, 255);
    ASSERT_EQ(level.Actors.Lights.size(), 1u);
    EXPECT_EQ(level.Actors.Lights[0].LightEffect, "LE_NonIncidence");
  }
}

}  // namespace
}  // namespace brushwright
