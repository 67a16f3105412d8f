// Synthetic T3D levels of a chosen size for benchmarks and timing scripts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brushwright {

enum class LevelVariant {
  Standard,        // textured faces from a pool, some faces without texture, a few actors
  UntexturedOnly,  // no face names a texture
  ActorHeavy,      // many report actors and other actors between the brushes
  Rooms,           // closed box rooms side by side with doors, pillars, stairs, sheets, crates
  Textures,        // as Standard, but every face names a texture of its own
};

struct LevelOptions {
  // Polygons in the brushes the run takes (additive ones); subtractive brushes come on top.
  // The run numbers faces in 16 bits, so keep this below 32767. Rooms: whole rooms are added
  // until their brushes, of every operation, hold at least this many polygons.
  std::int32_t Faces = 4000;
  LevelVariant Variant = LevelVariant::Standard;
};

// The level as an editor would export it: CR LF line ends, a level info actor, the builder
// brush, then brush actors with polygons of 3 to 8 vertices, lights, triggers, player starts and
// teleporters between them. The same options always give the same bytes.
std::string GenerateLevel(const LevelOptions& options);

// The texture the Textures variant gives polygon `polygon` (from 0) of brush `brush`:
// "Pack<brush / 100>.Brush<brush>.Face<polygon>".
std::string OwnTextureName(int brush, int polygon);

// "standard", "untextured", "actors", "rooms" or "textures"; false for any other name.
bool ParseLevelVariant(std::string_view name, LevelVariant& variant);
std::string_view LevelVariantName(LevelVariant variant);

}  // namespace brushwright
