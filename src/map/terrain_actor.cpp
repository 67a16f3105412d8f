// Reads a TerrainInfo actor's properties: height map, scale, layers and quad bitmaps.
#include "map/terrain_actor.h"

#include <string_view>

#include "package/actor_values.h"
#include "package/byte_cursor.h"

namespace brushwright {

namespace {

// The engine's fixed number of texture layers a terrain has.
constexpr std::int32_t kLayerSlots = 32;

// An object value as the export writes its path ("MyLevel.Group.Name"); "" for none.
std::string ReferenceOf(const PackageObject& object, const PropertyTag* tag) {
  return ReferencePath(object.Package(), object.ObjectValue(tag));
}

// An array property of 32-bit numbers; empty when absent or of another type.
std::vector<std::uint32_t> BitmapValue(const PackageObject& actor, std::string_view name) {
  std::vector<std::uint32_t> words;
  const PropertyTag* tag = actor.Find(name);
  if (!tag || tag->Type != PropertyType::Array) return words;
  ByteCursor cursor = actor.ValueCursor(*tag);
  const std::int32_t count = cursor.Count(cursor.CompactIndex(), 4, std::string(name) + " word");
  words.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count && cursor.Ok(); ++i) words.push_back(cursor.U32());
  cursor.Check();
  return words;
}

// The layer stored as array element `slot`, its fields as nested tags; a layer without texture
// is none.
void ReadLayer(const PackageObject& actor, const PropertyTag& tag, LevelTerrain& terrain) {
  if (tag.Type != PropertyType::Struct || !HasNestedStructTags(actor.Package().Version())) return;
  const std::vector<PropertyTag> fields = actor.StructFields(tag);
  TerrainLayer layer;
  layer.Texture = ReferenceOf(actor, actor.FindIn(fields, "Texture"));
  if (layer.Texture.empty()) return;
  layer.AlphaMap = ReferenceOf(actor, actor.FindIn(fields, "AlphaMap"));
  if (const auto u = actor.FloatValue(actor.FindIn(fields, "UScale"))) layer.UScale = *u;
  if (const auto v = actor.FloatValue(actor.FindIn(fields, "VScale"))) layer.VScale = *v;
  terrain.Layers.push_back(std::move(layer));
}

}  // namespace

LevelTerrain ReadTerrainActor(const PackageObject& actor) {
  LevelTerrain terrain;
  terrain.Name = actor.Package().ObjectName(actor.Ref());
  terrain.HeightMap = ReferenceOf(actor, actor.Find("TerrainMap"));
  terrain.Location = VectorProperty(actor, "Location");
  if (actor.Find("TerrainScale")) terrain.Scale = VectorProperty(actor, "TerrainScale");
  for (std::int32_t slot = 0; slot < kLayerSlots; ++slot) {
    if (const PropertyTag* tag = actor.Find("Layers", slot)) ReadLayer(actor, *tag, terrain);
  }
  terrain.QuadVisibility = BitmapValue(actor, "QuadVisibilityBitmap");
  terrain.EdgeTurn = BitmapValue(actor, "EdgeTurnBitmap");
  return terrain;
}

}  // namespace brushwright
