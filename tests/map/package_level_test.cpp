// Tests of the map package reader on hand-made maps: what it reads, and broken maps named.
#include "map/package_level.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "map/tiny_map.h"
#include "text/brush_error.h"
#include "vecmath/vecmath.h"

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

// A light's effect is stored as its number in the engine's list: LE_NonIncidence is 13, and a
// number past the list names none.
TEST(ReadPackageLevel, ReadsALightsEffectByItsName) {
  const struct {
    std::uint8_t stored;
    const char* name;
  } rows[] = {{0, ""}, {13, "LE_NonIncidence"}, {1, "LE_TorchWaver"}, {200, ""}};
  for (const auto& row : rows) {
    TinyMap map;
    map.light_effect = row.stored;
    const Level level = Read(map);
    ASSERT_EQ(level.Actors.Lights.size(), 1u);
    EXPECT_EQ(level.Actors.Lights[0].LightEffect, row.name) << int{row.stored};
  }
}

TEST(ReadPackageLevel, ReadsTheBuildOfASecondGenerationMap) {
  // Its nodes carry a sphere and a render section, its surfaces a plane instead of a pan and a
  // light map, its zones 20 bytes: a layout read a byte off names other surfaces and points.
  TinyMap later;
  later.version = 128;
  const Level level = Read(later);
  ASSERT_EQ(level.Brushes.size(), 1u);
  ASSERT_EQ(level.Brushes[0].Polygons.size(), 1u);
  ASSERT_TRUE(level.Bsp.has_value());
  ASSERT_EQ(level.Bsp->Nodes.size(), 1u);
  EXPECT_EQ(level.Bsp->Nodes[0].VertexCount, 4);
  ASSERT_EQ(level.Bsp->Surfaces.size(), 1u);
  const BspSurface& surface = level.Bsp->Surfaces[0];
  EXPECT_EQ(surface.Texture, "Rock");
  EXPECT_EQ(surface.Brush, 0);
  EXPECT_EQ(surface.TextureV, 2);
  EXPECT_EQ(surface.Pan.X, 0);
  EXPECT_EQ(level.Bsp->Vertices, (std::vector<std::int32_t>{0, 1, 2, 3}));

  later.node_surface = 5;
  EXPECT_EQ(ErrorOf(later),
            "'Tiny.unr', export 'Model2' (Model): the node at byte 396 names surface 5 of 1, which "
            "is not stored");
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

std::array<double, 3> Xyz(const Vector& v) {
  return {v.X, v.Y, v.Z};
}

TEST(ReadPackageLevel, ReadsTheOperationPanAndScaleAsStored) {
  TinyMap builder;
  builder.csg = 0;
  TinyMap negative_pan;
  negative_pan.pan_u = -16;
  TinyMap scaled;
  scaled.main_scale = true;
  const struct {
    const char* what;
    TinyMap map;
    CsgOperation csg;
    double pan;
    Vector scale;
    double sheer;
    SheerAxis axis;
  } rows[] = {
      {"no CsgOper: the builder brush",
       builder,
       CsgOperation::None,
       16,
       {1, 1, 1},
       0,
       SheerAxis::kNone},
      {"a negative pan", negative_pan, CsgOperation::Add, -16, {1, 1, 1}, 0, SheerAxis::kNone},
      {"a raw Scale struct", scaled, CsgOperation::Add, 16, {2, 3, 4}, 0.5, SheerAxis::kZX},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const Level level = Read(row.map);
    ASSERT_EQ(level.Brushes.size(), 1u);
    const LevelBrush& brush = level.Brushes[0];
    EXPECT_EQ(brush.Csg, row.csg);
    EXPECT_EQ(brush.Polygons[0].Pan.X, row.pan);
    const BrushScale& scale = brush.Placement.MainScale;
    EXPECT_EQ(Xyz(scale.Scale), Xyz(row.scale));
    EXPECT_EQ(scale.SheerRate, row.sheer);
    EXPECT_EQ(scale.Axis, row.axis);
    EXPECT_EQ(Xyz(brush.Placement.PostScale.Scale), Xyz({1, 1, 1}));
  }
}

// Whatever a changed byte makes of the level, what it holds lies within its own arrays, as the
// mesh builders index them unchecked.
void ExpectWithinItsArrays(const Level& level) {
  EXPECT_LE(level.Brushes.size(), 1u);
  for (const LevelBrush& brush : level.Brushes) {
    for (const PolygonRecord& polygon : brush.Polygons) EXPECT_FALSE(polygon.Vertices.empty());
  }
  if (!level.Bsp) return;
  const LevelBsp& bsp = *level.Bsp;
  const auto within = [](std::int64_t index, std::size_t size) {
    return index >= 0 && index < static_cast<std::int64_t>(size);
  };
  for (const BspNode& node : bsp.Nodes) {
    ASSERT_TRUE(within(node.Surface, bsp.Surfaces.size()));
    for (std::int32_t k = 0; k < node.VertexCount; ++k) {
      ASSERT_TRUE(within(node.FirstVertex + k, bsp.Vertices.size()));
      EXPECT_TRUE(
          within(bsp.Vertices[static_cast<std::size_t>(node.FirstVertex + k)], bsp.Points.size()));
    }
    const BspSurface& surface = bsp.Surfaces[static_cast<std::size_t>(node.Surface)];
    EXPECT_TRUE(within(surface.Base, bsp.Points.size()));
    for (const std::int32_t axis : {surface.Normal, surface.TextureU, surface.TextureV}) {
      EXPECT_TRUE(within(axis, bsp.Vectors.size()));
    }
  }
  for (const BspSurface& surface : bsp.Surfaces) {
    EXPECT_TRUE(surface.Brush == kNoBrush || within(surface.Brush, level.Brushes.size()));
  }
}

TEST(ReadPackageLevel, EveryChangedByteReadsOrFailsWithAMessage) {
  TinyMap later;
  later.version = 128;
  for (const std::vector<std::uint8_t>& good : {TinyMap{}.Bytes(), later.Bytes()}) {
    for (std::size_t at = 0; at < good.size(); ++at) {
      for (const int value : {0x00, 0x01, 0x3F, 0x41, 0x7F, 0xFF}) {
        SCOPED_TRACE(::testing::Message() << "byte " << at << " as " << value);
        std::vector<std::uint8_t> bytes = good;
        bytes[at] = static_cast<std::uint8_t>(value);
        try {
          ExpectWithinItsArrays(
              ReadPackageLevel(PackageFile::FromBytes("Tiny.unr", std::move(bytes)), at % 2 == 0));
        } catch (const BrushError& error) {
          EXPECT_NE(std::string(error.what()).find("'Tiny.unr'"), std::string::npos);
        }
      }
    }
  }
}

TEST(ReadPackageLightMaps, ReadsTheFrameBitsAndLightsAndRefusesWhatIsNotStored) {
  TinyMap lit;
  lit.light_maps = true;
  const LevelLightMaps maps = ReadPackageLightMaps(PackageFile::FromBytes("Tiny.unr", lit.Bytes()));
  ASSERT_EQ(maps.Indexes.size(), 1u);
  const LightMapIndex& index = maps.Indexes[0];
  EXPECT_EQ(index.UClamp, 9);
  EXPECT_EQ(index.VClamp, 2);
  EXPECT_EQ(index.RowBytes(), 2);
  EXPECT_EQ(index.Pan.Y, 2);
  EXPECT_EQ(index.VScale, 8);
  EXPECT_EQ(maps.Bits, (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(maps.LightCounts, std::vector<std::int32_t>{1});
  EXPECT_EQ(maps.SurfaceMaps, std::vector<std::int32_t>{0});
  ASSERT_EQ(maps.LightActors.size(), 2u);
  EXPECT_EQ(maps.LightActors[0].Tag, "\"Light\"");

  struct Row {
    const char* label;
    std::int32_t data_offset;
    std::int32_t bits;
    std::int32_t clamp_u;
    bool list_open;
    const char* message;
  };
  const Row rows[] = {
      {"bits past the end", 1, 4, 9, false, "light map 0 names shadow bits 1 to 5 of 4"},
      {"too few bits", 0, 3, 9, false, "light map 0 names shadow bits 0 to 4 of 3"},
      {"negative offset", -1, 4, 9, false, "shadow bits -1 to 3 of 4"},
      {"no texels", 0, 4, 0, false, "light map 0 names a frame of 0 x 2 texels"},
      {"list without end", 0, 4, 9, true, "light list entry 0 without its end among 1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    TinyMap broken = lit;
    broken.light_data_offset = row.data_offset;
    broken.light_bits = row.bits;
    broken.light_clamp_u = row.clamp_u;
    broken.light_list_open = row.list_open;
    std::string message;
    try {
      ReadPackageLightMaps(PackageFile::FromBytes("Tiny.unr", broken.Bytes()));
    } catch (const BrushError& error) {
      message = error.what();
    }
    EXPECT_NE(message.find("'Tiny.unr'"), std::string::npos) << message;
    EXPECT_NE(message.find(row.message), std::string::npos) << message;
  }
  // A build without light maps ends early: the reader says so rather than reading past it.
  EXPECT_THROW(ReadPackageLightMaps(PackageFile::FromBytes("Tiny.unr", TinyMap{}.Bytes())),
               BrushError);
}

TEST(ReadPackageLightMaps, EveryChangedByteReadsWithinTheBitsOrFailsWithAMessage) {
  TinyMap lit;
  lit.light_maps = true;
  const std::vector<std::uint8_t> good = lit.Bytes();
  for (std::size_t at = 0; at < good.size(); ++at) {
    for (const int value : {0x00, 0x01, 0x3F, 0x41, 0x7F, 0xFF}) {
      SCOPED_TRACE(::testing::Message() << "byte " << at << " as " << value);
      std::vector<std::uint8_t> bytes = good;
      bytes[at] = static_cast<std::uint8_t>(value);
      try {
        const LevelLightMaps maps =
            ReadPackageLightMaps(PackageFile::FromBytes("Tiny.unr", std::move(bytes)));
        ASSERT_EQ(maps.LightCounts.size(), maps.Indexes.size());
        ASSERT_EQ(maps.LightActors.size(), maps.Lights.size());
        for (std::size_t i = 0; i < maps.Indexes.size(); ++i) {
          const LightMapIndex& index = maps.Indexes[i];
          EXPECT_GE(index.DataOffset, 0);
          EXPECT_LE(index.DataOffset + maps.LightCounts[i] * index.LightBytes(),
                    static_cast<std::int64_t>(maps.Bits.size()));
        }
        for (const std::int32_t map : maps.SurfaceMaps) {
          EXPECT_TRUE(map == kNoLightMap ||
                      (map >= 0 && static_cast<std::size_t>(map) < maps.Indexes.size()));
        }
      } catch (const BrushError& error) {
        EXPECT_NE(std::string(error.what()).find("'Tiny.unr'"), std::string::npos);
      }
    }
  }
}

}  // namespace
