// Reads the terrains of a T3D text from their actor blocks, line by line.
#include "t3d/terrain_records.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "text/key_readers.h"
#include "text/number_text.h"

namespace brushwright {

namespace {

constexpr std::string_view kTerrainBegin = "Begin Actor Class=TerrainInfo";
constexpr std::string_view kEngineTerrainBegin = "Begin Actor Class=Engine.TerrainInfo";
constexpr std::string_view kActorEnd = "End Actor";
// The engine's fixed number of texture layers, and a bitmap's largest word index read (a
// 4096 x 4096 height map's bits).
constexpr std::int64_t kLayerSlots = 32;
constexpr std::int64_t kMostBitmapWords = 4096 * 4096 / 32;

// The fields of a struct value "(A=1,B=Texture'X',C=(...))", split at its top-level commas, as
// name and value pairs.
std::vector<std::pair<std::string_view, std::string_view>> StructFields(std::string_view value) {
  std::vector<std::pair<std::string_view, std::string_view>> fields;
  if (value.size() < 2 || value.front() != '(') return fields;
  value = value.substr(
      1, value.rfind(')') == std::string_view::npos ? value.size() - 1 : value.rfind(')') - 1);
  int depth = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= value.size(); ++i) {
    const char c = i < value.size() ? value[i] : ',';
    if (c == '(') ++depth;
    if (c == ')') --depth;
    if (c != ',' || depth > 0) continue;
    const std::string_view field = value.substr(start, i - start);
    const std::size_t equals = field.find('=');
    if (equals != std::string_view::npos) {
      fields.emplace_back(field.substr(0, equals), field.substr(equals + 1));
    }
    start = i + 1;
  }
  return fields;
}

Vector StructVector(std::string_view value, const Vector& fallback) {
  Vector v = fallback;
  for (const auto& [name, number] : StructFields(value)) {
    if (EqualsIgnoringCase(name, "X")) v.X = NumberValue(number);
    if (EqualsIgnoringCase(name, "Y")) v.Y = NumberValue(number);
    if (EqualsIgnoringCase(name, "Z")) v.Z = NumberValue(number);
  }
  return v;
}

// "Key(n)" at the start of the line: n, or -1 when the line is not of that key.
std::int64_t IndexOfKey(std::string_view key, std::string_view name) {
  if (!StartsWithIgnoringCase(key, name) || key.size() < name.size() + 3) return -1;
  if (key[name.size()] != '(' || key.back() != ')') return -1;
  const double index = NumberValue(key.substr(name.size() + 1, key.size() - name.size() - 2));
  return index >= 0 && index < 1e12 ? static_cast<std::int64_t>(index) : -1;
}

void SetWord(std::vector<std::uint32_t>& words, std::int64_t index, std::string_view value) {
  if (index < 0 || index >= kMostBitmapWords) return;
  if (static_cast<std::size_t>(index) >= words.size()) words.resize(index + 1, 0);
  // A word is written signed (-1 for all bits set); the bits are what count.
  const double number = std::clamp(NumberValue(value), -2147483648.0, 4294967295.0);
  words[static_cast<std::size_t>(index)] =
      static_cast<std::uint32_t>(static_cast<std::int64_t>(number));
}

TerrainLayer ReadLayer(std::string_view value) {
  TerrainLayer layer;
  for (const auto& [name, field] : StructFields(value)) {
    if (EqualsIgnoringCase(name, "Texture")) layer.Texture = std::string(field);
    if (EqualsIgnoringCase(name, "AlphaMap")) layer.AlphaMap = std::string(field);
    if (EqualsIgnoringCase(name, "UScale")) layer.UScale = NumberValue(field);
    if (EqualsIgnoringCase(name, "VScale")) layer.VScale = NumberValue(field);
  }
  if (layer.Texture == "None") layer.Texture.clear();
  if (layer.AlphaMap == "None") layer.AlphaMap.clear();
  return layer;
}

LevelTerrain ReadTerrainBlock(std::string_view first_line, std::string_view block) {
  LevelTerrain terrain;
  if (const std::size_t name = first_line.find("Name="); name != std::string_view::npos) {
    terrain.Name = std::string(Trimmed(first_line.substr(name + 5)));
    terrain.Name = terrain.Name.substr(0, terrain.Name.find_first_of(" \t"));
  }
  std::vector<std::pair<std::int64_t, TerrainLayer>> layers;
  std::size_t pos = 0;
  while (pos < block.size()) {
    std::size_t end = FindLineBreak(block, pos);
    if (end == std::string_view::npos) end = block.size();
    const std::string_view line = Trimmed(block.substr(pos, end - pos));
    pos = end + 1;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);
    if (EqualsIgnoringCase(key, "TerrainMap")) {
      terrain.HeightMap = value == "None" ? "" : std::string(value);
    } else if (EqualsIgnoringCase(key, "TerrainScale")) {
      terrain.Scale = StructVector(value, terrain.Scale);
    } else if (EqualsIgnoringCase(key, "Location")) {
      terrain.Location = StructVector(value, Vector{});
    } else if (const std::int64_t slot = IndexOfKey(key, "Layers"); slot >= 0) {
      if (slot < kLayerSlots) layers.emplace_back(slot, ReadLayer(value));
    } else if (const std::int64_t word = IndexOfKey(key, "QuadVisibilityBitmap"); word >= 0) {
      SetWord(terrain.QuadVisibility, word, value);
    } else if (const std::int64_t turn = IndexOfKey(key, "EdgeTurnBitmap"); turn >= 0) {
      SetWord(terrain.EdgeTurn, turn, value);
    }
  }
  // Layers in slot order, a slot written twice by its last line, slots without texture left out.
  for (std::int64_t slot = 0; slot < kLayerSlots; ++slot) {
    const TerrainLayer* last = nullptr;
    for (const auto& [at, layer] : layers) {
      if (at == slot) last = &layer;
    }
    if (last && !last->Texture.empty()) terrain.Layers.push_back(*last);
  }
  return terrain;
}

// The first begin key at or after `pos` that the class name ends (a blank or the line's end
// follows it, so that TerrainInfoSubclass is not taken); npos for none.
std::size_t FindTerrainBegin(std::string_view text, std::size_t pos) {
  for (;;) {
    const std::size_t plain = text.find(kTerrainBegin, pos);
    const std::size_t engine = text.find(kEngineTerrainBegin, pos);
    const std::size_t begin = std::min(plain, engine);
    if (begin == std::string_view::npos) return begin;
    const std::size_t after = begin + (begin == plain ? kTerrainBegin : kEngineTerrainBegin).size();
    if (after == text.size() || IsWordDelimiter(text[after])) return begin;
    pos = after;
  }
}

}  // namespace

std::vector<LevelTerrain> ReadTerrainActors(std::string_view text) {
  std::vector<LevelTerrain> terrains;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t begin = FindTerrainBegin(text, pos);
    if (begin == std::string_view::npos) break;
    std::size_t line_end = FindLineBreak(text, begin);
    if (line_end == std::string_view::npos) line_end = text.size();
    std::size_t end = text.find(kActorEnd, line_end);
    if (end == std::string_view::npos) end = text.size();
    terrains.push_back(ReadTerrainBlock(text.substr(begin, line_end - begin),
                                        text.substr(line_end, end - line_end)));
    pos = end;
  }
  return terrains;
}

}  // namespace brushwright
