// Tests of the map package reader on hand-made maps: what it reads, and broken maps named.
#include "map/package_level.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "map/tiny_map.h"
#include "text/brush_error.h"

namespace {

using namespace brushwright;
using brushwright::testing::TinyMap;

Level Read(const TinyMap& map, bool with_bsp = true) {
  return ReadPackageLevel(PackageFile::FromBytes("Tiny.unr", map.Bytes()), with_bsp);
}

std::string ErrorOf(const TinyMap& map) {
  try {
    Read(map);
  } catch (const BrushError& error) {
    return error.what();
  }
  return "";
}

TEST(ReadPackageLevel, ReadsTheActorListsBrushesLightsAndBuild) {
  const Level level = Read(TinyMap{});
  EXPECT_TRUE(level.HasActors);
  ASSERT_EQ(level.Brushes.size(), 1u);
  const LevelBrush& brush = level.Brushes[0];
  EXPECT_EQ(brush.Name, "Brush1");
  EXPECT_EQ(brush.Csg, CsgOperation::Add);
  EXPECT_EQ(brush.ModelName, "Model1");
  ASSERT_EQ(brush.Polygons.size(), 1u);
  const PolygonRecord& polygon = brush.Polygons[0];
  EXPECT_EQ(polygon.Texture, "Rock");
  EXPECT_EQ(polygon.Item, "Wall");
  EXPECT_EQ(polygon.Flags, 6);
  EXPECT_EQ(polygon.Pan.X, 16);
  ASSERT_EQ(polygon.Vertices.size(), 4u);
  EXPECT_EQ(polygon.Vertices[2].X, 64);
  ASSERT_EQ(level.Actors.Lights.size(), 1u);
  EXPECT_EQ(level.Actors.Lights[0].Tag, "\"Light\"");  // as the export writes a name
  EXPECT_EQ(level.Actors.Lights[0].LightBrightness, 64);
  ASSERT_TRUE(level.Bsp.has_value());
  ASSERT_EQ(level.Bsp->Nodes.size(), 1u);
  EXPECT_EQ(level.Bsp->Surfaces[0].Brush, 0);
  EXPECT_EQ(level.Bsp->Surfaces[0].Texture, "Rock");
  EXPECT_FALSE(Read(TinyMap{}, false).Bsp.has_value());
}

TEST(ReadPackageLevel, PassesOverBrushesWithoutModelAndNamesBrokenMaps) {
  TinyMap no_model;
  no_model.brush_has_model = false;
  const Level level = Read(no_model);
  EXPECT_TRUE(level.Brushes.empty());
  EXPECT_EQ(level.PassedOver, std::vector<std::string>{"brush 'Brush1': names no model"});
  EXPECT_EQ(level.Bsp->Surfaces[0].Brush, kNoBrush);

  TinyMap long_list;
  long_list.actor_count = 1000;
  EXPECT_EQ(ErrorOf(long_list),
            "'Tiny.unr', export 'MyLevel' (Level): actor count 1000 does not fit in the 21 bytes "
            "left at byte 479");
  TinyMap far_surface;
  far_surface.node_surface = 5;
  EXPECT_EQ(ErrorOf(far_surface),
            "'Tiny.unr', export 'Model2' (Model): the node at byte 396 names surface 5 of 1, which "
            "is not stored");
}

TEST(ReadPackageLevel, EveryChangedByteReadsOrFailsWithAMessage) {
  const std::vector<std::uint8_t> good = TinyMap{}.Bytes();
  for (std::size_t at = 0; at < good.size(); ++at) {
    for (const int value : {0x00, 0x41, 0x7F, 0xFF}) {
      std::vector<std::uint8_t> bytes = good;
      bytes[at] = static_cast<std::uint8_t>(value);
      try {
        ReadPackageLevel(PackageFile::FromBytes("Tiny.unr", std::move(bytes)), at % 2 == 0);
      } catch (const BrushError& error) {
        EXPECT_NE(std::string(error.what()).find("'Tiny.unr'"), std::string::npos);
      }
    }
  }
}

}  // namespace
