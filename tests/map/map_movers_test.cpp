// Movers, static-mesh actors and the looks left out, read from a hand-made map package.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "map/package_level.h"
#include "package/package_writer.h"

namespace {

using namespace brushwright;
using brushwright::testing::ByteWriter;
using brushwright::testing::PackageWriter;

// A Vector struct property, element `index` of a static array.
void VectorProperty(ByteWriter& out, PackageWriter& w, const char* name, int index, float x,
                    float y, float z) {
  out.Compact(w.Name(name)).U8(0x80 | 0x50 | 10).Compact(w.Name("Vector")).U8(12).U8(index);
  out.F32(x).F32(y).F32(z);
}

// A first-generation map: a mover drawn by its brush (one triangle) with a key up 128 units and
// three keys, a second-generation style actor drawn by a static mesh with a skin on its second
// section, an emitter, and a mover whose brush names no model.
std::vector<std::uint8_t> MoverMap() {
  PackageWriter w(69);
  const std::int32_t none = w.Name("None");
  const std::int32_t polys_class = w.Import("Class", 0, "Polys");
  ByteWriter polys;
  polys.Compact(none).I32(1).I32(1).Compact(3);
  for (const float v : {0.f, 0.f, 0.f, 0.f, 0.f,  1.f, 1.f, 0.f,  0.f,  0.f, 1.f,
                        0.f, 0.f, 0.f, 0.f, 64.f, 0.f, 0.f, 64.f, 64.f, 0.f}) {
    polys.F32(v);
  }
  polys.I32(0).Compact(0).Compact(0).Compact(w.Name("Lift")).Compact(-1).Compact(-1);
  polys.U8(0).U8(0).U8(0).U8(0);
  const std::int32_t polys_ref = w.Export(polys_class, 0, "Polys1", polys.Data);
  ByteWriter model;
  model.Compact(none).Raw(std::vector<std::uint8_t>(41, 0));
  model.Compact(0).Compact(0).Compact(0).Compact(0).Compact(0).I32(3).I32(0).Compact(polys_ref);
  for (int i = 0; i < 6; ++i) model.Compact(0);
  model.I32(1).I32(0);
  const std::int32_t model_ref = w.Export(w.Import("Class", 0, "Model"), 0, "Model1", model.Data);

  ByteWriter lift;
  lift.Property(w.Name("Brush"), 5, ByteWriter().Compact(model_ref).Data);
  VectorProperty(lift, w, "KeyPos", 1, 0, 0, 128);
  lift.Property(w.Name("NumKeys"), 1, {3});
  lift.Compact(none);
  const std::int32_t lift_ref =
      w.Export(w.Import("Class", 0, "ElevatorMover"), 0, "Lift0", lift.Data);

  const std::int32_t pipes = w.Import("Package", 0, "Pipes");
  const std::int32_t mesh = w.Import("StaticMesh", pipes, "Elbow");
  const std::int32_t rust = w.Import("Shader", pipes, "Rust");
  ByteWriter pipe;
  pipe.Property(w.Name("DrawType"), 1, {8});
  pipe.Property(w.Name("StaticMesh"), 5, ByteWriter().Compact(mesh).Data);
  pipe.Property(w.Name("Skins"), 9, ByteWriter().Compact(2).Compact(0).Compact(rust).Data);
  VectorProperty(pipe, w, "DrawScale3D", 0, 1, -2, 1);
  pipe.Compact(none);
  const std::int32_t pipe_ref = w.Export(w.Import("Class", 0, "Decoration"), 0, "Pipe0", pipe.Data);

  ByteWriter emitter;
  emitter.Compact(none);
  const std::int32_t emitter_ref =
      w.Export(w.Import("Class", 0, "Emitter"), 0, "Emitter0", emitter.Data);
  ByteWriter broken;
  broken.Property(w.Name("Brush"), 5, ByteWriter().Compact(0).Data).Compact(none);
  const std::int32_t broken_ref = w.Export(w.Import("Class", 0, "Mover"), 0, "Mover9", broken.Data);

  // A decoration whose properties name a name the package does not have.
  ByteWriter unreadable;
  unreadable.Property(w.Name("DrawType"), 1, {8}).Compact(99999);
  const std::int32_t unreadable_ref =
      w.Export(w.Import("Class", 0, "Decoration"), 0, "Vase0", unreadable.Data);

  ByteWriter level;
  level.Compact(none).I32(5).I32(5).Compact(lift_ref).Compact(pipe_ref).Compact(emitter_ref);
  level.Compact(broken_ref).Compact(unreadable_ref);
  w.Export(w.Import("Class", 0, "Level"), 0, "MyLevel", level.Data);
  return w.Bytes();
}

TEST(MapMovers, MoversMeshActorsAndLooksLeftOut) {
  const Level level = ReadPackageLevel(PackageFile::FromBytes("Lift.unr", MoverMap()), false);
  EXPECT_TRUE(level.Brushes.empty());
  ASSERT_EQ(level.Movers.size(), 1u);
  const LevelMover& lift = level.Movers[0];
  EXPECT_EQ(lift.Brush.Name, "Lift0");
  ASSERT_EQ(lift.Brush.Polygons.size(), 1u);
  EXPECT_EQ(lift.Brush.Polygons[0].Vertices.size(), 3u);
  EXPECT_EQ(lift.Keys.NumKeys, 3);
  EXPECT_EQ(lift.Keys.KeyPos[0].Z, 0);
  EXPECT_EQ(lift.Keys.KeyPos[1].Z, 128);
  ASSERT_EQ(level.PassedOver.size(), 2u);
  EXPECT_EQ(level.PassedOver[0], "mover 'Mover9': names no model");
  EXPECT_EQ(level.PassedOver[1].rfind("actor 'Vase0': ", 0), 0u) << level.PassedOver[1];

  ASSERT_EQ(level.MeshActors.size(), 1u);
  const StaticMeshActorRecord& pipe = level.MeshActors[0];
  EXPECT_EQ(pipe.StaticMesh, "Pipes.Elbow");
  EXPECT_EQ(pipe.Skins, (std::vector<std::string>{"", "Pipes.Rust"}));
  EXPECT_EQ(pipe.DrawScale3D.Y, -2);
  EXPECT_EQ(pipe.DrawScale3D.Z, 1);
  EXPECT_EQ(LeftOutText(level.LeftOut), "1 Emitter");
}

}  // namespace
