// Reads a TerrainInfo actor's properties: height map, scale, layers and quad bitmaps.
#include "package/terrain_actor.h"

#include <string_view>

#include "package/actor_values.h"
#include "package/byte_cursor.h"
#include "package/package_texture.h"
#include "text/brush_error.h"

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

HeightSamples ReadHeightSamples(const PackageFile& package, std::int32_t export_index) {
  HeightSamples heights;
  const std::string label = "'" + package.Path() + "', " + package.ExportLabel(export_index);
  if (!IsTextureClass(package, ExportRef(export_index))) {
    heights.Problem = label + " is not a texture";
    return heights;
  }
  const PackageObject object = PackageObject::Read(package, export_index);
  const TextureObject texture = ReadTextureObject(object);
  const std::optional<PixelFormat> format = PixelFormatOf(package.Version(), texture.FormatNumber);
  const bool wide = format == PixelFormat::G16;
  if (!wide && format != PixelFormat::L8 && format != PixelFormat::P8) {
    heights.Problem = label + " is in format " + std::to_string(texture.FormatNumber) +
                      ", not a 16-bit or 8-bit height map";
    return heights;
  }
  if (texture.Mips.empty() || texture.Mips[0].Width <= 0 || texture.Mips[0].Height <= 0) {
    heights.Problem = label + " holds no pixels";
    return heights;
  }
  const TextureMip& top = texture.Mips[0];
  const std::int64_t count = std::int64_t{top.Width} * top.Height;
  if (count * (wide ? 2 : 1) > top.DataSize) {
    throw BrushError(label + ": its " + std::to_string(top.Width) + " x " +
                     std::to_string(top.Height) + " height map needs " +
                     std::to_string(count * (wide ? 2 : 1)) + " bytes but holds " +
                     std::to_string(top.DataSize) + " at byte " +
                     std::to_string(object.FileOffset() + top.DataOffset));
  }
  heights.Width = top.Width;
  heights.Height = top.Height;
  heights.Values.resize(static_cast<std::size_t>(count));
  const std::uint8_t* data = object.Bytes().data() + top.DataOffset;
  for (std::size_t i = 0; i < heights.Values.size(); ++i) {
    heights.Values[i] = wide ? static_cast<std::uint16_t>(data[2 * i] | (data[2 * i + 1] << 8))
                             : static_cast<std::uint16_t>(data[i] << 8);
  }
  return heights;
}

}  // namespace brushwright
