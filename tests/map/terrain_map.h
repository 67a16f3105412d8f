// A hand-made map package of the second generation holding one terrain: a 4 x 3 G16 height map,
// two layers (the second shown by an alpha map), and its bitmaps, as a TerrainInfo actor stores
// them.
#pragma once

#include <cstdint>
#include <vector>

#include "package/package_writer.h"

namespace brushwright::testing {

struct TerrainMap {
  // Each quad's bit set, except quad (2, 1) hidden; quad (0, 0)'s diagonal turned.
  std::vector<std::uint32_t> visibility = {~(1u << (2 + 1 * 4))};
  std::vector<std::uint32_t> edge_turn = {1u};
  std::int32_t height_map_format = 10;  // G16
  bool has_height_map = true;
  int height_bytes_dropped = 0;  // the height map's mip cut short by this many bytes

  std::vector<std::uint8_t> Bytes() const {
    PackageWriter w(128, 29);
    const std::int32_t none = w.Name("None");
    const std::int32_t texture_class = w.Import("Class", 0, "Texture");
    const std::int32_t terrain_class = w.Import("Class", 0, "TerrainInfo");
    const std::int32_t level_class = w.Import("Class", 0, "Level");
    const std::int32_t group = w.Export(w.Import("Class", 0, "Package"), 0, "Terrain", {});
    // A texture of one mip: its format, then the mip's bytes and size.
    const auto texture = [&](std::string_view name, int format, std::int32_t width,
                             std::int32_t height, const std::vector<std::uint8_t>& pixels) {
      ByteWriter data;
      data.Property(w.Name("Format"), 1, {static_cast<std::uint8_t>(format)}).Compact(none);
      data.Compact(1).I32(0).Compact(static_cast<std::int32_t>(pixels.size())).Raw(pixels);
      data.I32(width).I32(height).U8(0).U8(0);
      return w.Export(texture_class, group, name, data.Data);
    };
    // Heights: row y, column x at 32768 + 256 * (x + 4 * y), but (3, 2) at 0.
    std::vector<std::uint8_t> heights;
    for (int i = 0; i < 12; ++i) {
      const int h = i == 11 ? 0 : 32768 + 256 * i;
      heights.push_back(static_cast<std::uint8_t>(h & 0xFF));
      heights.push_back(static_cast<std::uint8_t>(h >> 8));
    }
    heights.resize(heights.size() - static_cast<std::size_t>(height_bytes_dropped));
    const std::int32_t height_map =
        has_height_map ? texture("Heights", height_map_format, 4, 3, heights) : 0;
    // Layer textures, stored BGRA: a red one and a blue one; the alpha map shows the blue one
    // on its right half.
    const std::int32_t red = texture("Red", 5, 1, 1, {0, 0, 255, 255});
    const std::int32_t blue = texture("Blue", 5, 1, 1, {255, 0, 0, 255});
    std::vector<std::uint8_t> alpha;
    for (int i = 0; i < 16; ++i) {
      for (const int b : {0, 0, 0, i % 4 < 2 ? 0 : 255})
        alpha.push_back(static_cast<std::uint8_t>(b));
    }
    const std::int32_t alpha_map = texture("BlueAlpha", 5, 4, 4, alpha);

    ByteWriter actor;
    const auto vector = [&](std::string_view name, float x, float y, float z) {
      ByteWriter value;
      value.F32(x).F32(y).F32(z);
      actor.Compact(w.Name(name)).U8(0x50 | 10).Compact(w.Name("Vector")).U8(12).Raw(value.Data);
    };
    const auto bitmap = [&](std::string_view name, const std::vector<std::uint32_t>& words) {
      ByteWriter value;
      value.Compact(static_cast<std::int32_t>(words.size()));
      for (const std::uint32_t word : words) value.I32(word);
      actor.Property(w.Name(name), 9, value.Data);
    };
    const auto layer = [&](int slot, std::int32_t texture_ref, std::int32_t alpha_ref,
                           float scale) {
      ByteWriter fields;
      fields.Property(w.Name("Texture"), 5, ByteWriter().Compact(texture_ref).Data);
      if (alpha_ref) fields.Property(w.Name("AlphaMap"), 5, ByteWriter().Compact(alpha_ref).Data);
      fields.Property(w.Name("UScale"), 4, ByteWriter().F32(scale).Data);
      fields.Property(w.Name("VScale"), 4, ByteWriter().F32(scale).Data).Compact(none);
      actor.Compact(w.Name("Layers")).U8((slot ? 0x80 : 0) | 0x50 | 10);
      actor.Compact(w.Name("TerrainLayer")).U8(static_cast<int>(fields.Data.size()));
      if (slot) actor.U8(slot);
      actor.Raw(fields.Data);
    };
    if (height_map) actor.Property(w.Name("TerrainMap"), 5, ByteWriter().Compact(height_map).Data);
    vector("TerrainScale", 64, 32, 128);
    vector("Location", 1000, 2000, 300);
    layer(0, red, 0, 8);
    layer(1, blue, alpha_map, 8);
    bitmap("QuadVisibilityBitmap", visibility);
    bitmap("EdgeTurnBitmap", edge_turn);
    actor.Compact(none);
    const std::int32_t terrain = w.Export(terrain_class, 0, "TerrainInfo0", actor.Data);

    ByteWriter level;
    level.Compact(none).I32(1).I32(1).Compact(terrain);
    w.Export(level_class, 0, "MyLevel", level.Data);
    return w.Bytes();
  }
};

}  // namespace brushwright::testing
