// A hand-made map package, of the first generation unless asked for a later version: a level
// whose actor list holds a brush (one square polygon), a light and a deleted actor, and a built
// model with one node on one surface (and one zone in a later version).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "package/package_writer.h"

namespace brushwright::testing {

// The colours of the palette of a map's own Rock.
inline const std::vector<std::array<std::uint8_t, 4>> kTinyMapColours = {{10, 20, 30, 255},
                                                                         {200, 100, 50, 255}};

struct TinyMap {
  bool brush_has_model = true;
  std::int32_t node_surface = 0;  // the first built node's surface index
  std::int32_t actor_count = 3;   // as the level's actor list says
  std::int32_t csg = 1;           // the brush's CsgOper; 0 stores none
  std::int16_t pan_u = 16;        // the polygon's pan, stored as 16 bits
  bool main_scale = false;        // the brush stores MainScale (2, 3, 4), sheer 0.5 along ZX
  // The build's surfaces by their flags, one node on each. With more than one, each node's run
  // of the vertex pool lies after the next node's and starts at another corner of the square.
  std::vector<std::uint32_t> surface_flags = {0};
  // The palette indexes of a 4 x 4 Rock the map holds itself, of kTinyMapColours; without them
  // Rock is imported.
  std::vector<std::uint8_t> own_rock;
  // With light maps the build ends with one light map of 9 x 2 texels, lit by Light0 (its list
  // ended by a null entry unless `light_list_open`), its shadow bits (two bytes a row) from
  // `light_data_offset` in `light_bits` bytes of 1, 2, 3 and on; every surface names it.
  bool light_maps = false;
  std::int32_t light_data_offset = 0;
  std::int32_t light_bits = 4;
  std::int32_t light_clamp_u = 9;
  bool light_list_open = false;
  std::uint8_t light_effect = 0;  // Light0's LightEffect byte; 0 stores none
  int version = 69;

  std::vector<std::uint8_t> Bytes() const {
    const bool later = version > 69;
    PackageWriter w(version);
    const auto vectors = [](ByteWriter& out, std::initializer_list<float> values) {
      for (const float v : values) out.F32(v);
    };
    const std::int32_t none = w.Name("None");
    const std::int32_t rock = own_rock.empty()
                                  ? w.Import("Texture", 0, "Rock")
                                  : ExportTexture(w, "Rock", 0, {{4, 4, own_rock}},
                                                  ExportPalette(w, "Pal", kTinyMapColours));
    const std::int32_t level_class = w.Import("Class", 0, "Level");
    const std::int32_t brush_class = w.Import("Class", 0, "Brush");
    const std::int32_t light_class = w.Import("Class", 0, "Light");
    const std::int32_t model_class = w.Import("Class", 0, "Model");
    const std::int32_t polys_class = w.Import("Class", 0, "Polys");
    // Export 1, the polygon list: a square in the brush's space, textured, panned 16 texels.
    ByteWriter polys;
    polys.Compact(none).I32(1).I32(1).Compact(4);
    vectors(polys, {0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 64, 0, 64, 64, 0, 64, 0, 0});
    polys.I32(6).Compact(0).Compact(rock).Compact(w.Name("Wall")).Compact(-1).Compact(-1);
    if (later) {
      polys.F32(32);  // light-map scale
    } else {
      polys.U8(pan_u & 0xFF).U8((pan_u >> 8) & 0xFF).U8(0).U8(0);
    }
    const std::int32_t polys_ref = w.Export(polys_class, 0, "Polys1", polys.Data);
    // Export 2, the brush's model: bounds, an empty BSP, the polygon list and empty rest.
    ByteWriter model;
    model.Compact(none).Raw(std::vector<std::uint8_t>(41, 0));
    model.Compact(0).Compact(0).Compact(0).Compact(0).Compact(0).I32(4).I32(0).Compact(polys_ref);
    for (int i = 0; i < 6; ++i) model.Compact(0);
    model.I32(1).I32(0);
    const std::int32_t model_ref = w.Export(model_class, 0, "Model1", model.Data);
    // Exports 3 and 4, the actors: an additive brush, and a light tagged "Light".
    ByteWriter brush;
    if (csg != 0) brush.Property(w.Name("CsgOper"), 1, {static_cast<std::uint8_t>(csg)});
    if (main_scale) {
      // A raw Scale struct: the vector, the sheer rate and the sheer axis byte.
      ByteWriter scale;
      vectors(scale, {2, 3, 4, 0.5f});
      scale.U8(5);
      brush.Compact(w.Name("MainScale")).U8(0x5A).Compact(w.Name("Scale")).U8(17).Raw(scale.Data);
    }
    if (brush_has_model) brush.Property(w.Name("Brush"), 5, ByteWriter().Compact(model_ref).Data);
    brush.Compact(none);
    const std::int32_t brush_ref = w.Export(brush_class, 0, "Brush1", brush.Data);
    ByteWriter light;
    if (light_effect != 0) light.Property(w.Name("LightEffect"), 1, {light_effect});
    light.Property(w.Name("Tag"), 6, ByteWriter().Compact(w.Name("Light")).Data).Compact(none);
    const std::int32_t light_ref = w.Export(light_class, 0, "Light0", light.Data);
    // Export 5, the level's own build: a node of four corners on each surface of Brush1.
    const auto surfaces = static_cast<std::int32_t>(surface_flags.size());
    ByteWriter bsp;
    bsp.Compact(none).Raw(std::vector<std::uint8_t>(41, 0)).Compact(3);
    vectors(bsp, {0, 0, 1, 1, 0, 0, 0, 1, 0});
    bsp.Compact(4);
    vectors(bsp, {0, 0, 0, 0, 64, 0, 64, 64, 0, 64, 0, 0});
    bsp.Compact(surfaces);
    for (std::int32_t s = 0; s < surfaces; ++s) {
      bsp.Raw(std::vector<std::uint8_t>(25, 0)).Compact(4 * (surfaces - 1 - s));
      bsp.Compact(s == 0 ? node_surface : s);
      for (int i = 0; i < 5; ++i) bsp.Compact(-1);
      if (later) vectors(bsp, {32, 32, 0, 46});  // bounding sphere
      bsp.U8(0).U8(0).U8(4).I32(-1).I32(-1);
      if (later) bsp.I32(0).I32(4 * s).I32(-1);  // render section, its first vertex, light map
    }
    bsp.Compact(surfaces);
    for (const std::uint32_t flags : surface_flags) {
      bsp.Compact(rock).I32(flags).Compact(0).Compact(0).Compact(1).Compact(2);
      if (later) {
        bsp.Compact(0).Compact(brush_ref);
        vectors(bsp, {0, 0, 1, 0, 32});  // plane, light-map scale
      } else {
        bsp.Compact(0).Compact(0).U8(0).U8(0).U8(0).U8(0).Compact(brush_ref);
      }
    }
    bsp.Compact(4 * surfaces);
    for (std::int32_t s = surfaces - 1; s >= 0; --s) {
      for (int i = 0; i < 4; ++i) bsp.Compact((i + s) % 4).Compact(-1);
    }
    if (later) {
      // One zone, its 20 bytes such that a reader taking fewer reads no Polys reference.
      bsp.I32(4 * surfaces).I32(1).Compact(light_ref).Raw(std::vector<std::uint8_t>(20, 0xFF));
      bsp.Compact(polys_ref);
    } else {
      bsp.I32(4 * surfaces).I32(0).Compact(0);
    }
    if (light_maps && !later) {
      bsp.Compact(1).I32(light_data_offset);
      vectors(bsp, {1, 2, 0});
      bsp.Compact(light_clamp_u).Compact(2).F32(16).F32(8).I32(0);
      bsp.Compact(light_bits);
      for (std::int32_t i = 0; i < light_bits; ++i) bsp.U8(static_cast<std::uint8_t>(i + 1));
      bsp.Compact(0).Compact(0).Compact(0);  // bounds, leaf hulls, leaves
      bsp.Compact(light_list_open ? 1 : 2).Compact(light_ref);
      if (!light_list_open) bsp.Compact(0);
      bsp.I32(0).I32(0);
    }
    const std::int32_t bsp_ref = w.Export(model_class, 0, "Model2", bsp.Data);
    // Export 6, the level: its actor list, its URL (four texts, no options, port, valid) and
    // its model.
    ByteWriter level;
    level.Compact(none).I32(actor_count).I32(3).Compact(brush_ref).Compact(0).Compact(light_ref);
    level.Compact(0).Compact(0).Compact(0).Compact(0).Compact(0).I32(7777).I32(1);
    level.Compact(bsp_ref);
    w.Export(level_class, 0, "MyLevel", level.Data);
    return w.Bytes();
  }
};

}  // namespace brushwright::testing
