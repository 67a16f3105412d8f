// Fuzz target: the T3D readers over a whole text, in the loops the conversion run drives them in.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_target.h"
#include "t3d/actor_records.h"
#include "t3d/polygon_reader.h"
#include "t3d/terrain_records.h"
#include "t3d/value_readers.h"
#include "text/brush_error.h"
#include "text/key_readers.h"

namespace {

using namespace brushwright;

// A reader loop that does not move forward would never end: that is a finding, not a hang.
void CheckForward(int before, int after) {
  if (after <= before) std::abort();
}

void PolygonLoop(std::string_view text, bool texture_only) {
  PolygonRecord record;
  int pos = 1;
  for (;;) {
    const int before = pos;
    if (!ReadPolygon(text, pos, record, texture_only)) {
      if (pos != before) std::abort();  // a failed read leaves the position alone
      break;
    }
    CheckForward(before, pos);
    if (!texture_only && record.Vertices.empty()) std::abort();
  }
}

// Runs one actor reader from the start of the text to its last actor; overflowing 16-bit
// fields end the loop with BrushError, as they end the run.
template <typename Record, typename Reader>
void ActorLoop(std::string_view text, std::string_view class_key, Reader reader) {
  Record record;
  int pos = 1;
  try {
    for (;;) {
      const int before = pos;
      if (!reader(text, pos, class_key, record)) break;
      CheckForward(before, pos);
    }
  } catch (const BrushError&) {
  }
}

void ActorLoops(std::string_view text) {
  ActorLoop<LightRecord>(text, "Class=Light", ReadLight);
  ActorLoop<LightRecord>(text, "Class=Spotlight", ReadLight);
  ActorLoop<TriggerRecord>(text, "Class=Trigger ", ReadTrigger);
  ActorLoop<PlayerStartRecord>(text, "Class=PlayerStart ", ReadPlayerStart);
  ActorLoop<TeleporterRecord>(text, "Class=Teleporter ", ReadTeleporter);
}

// The brush walk: blocks from "Begin Actor Class=Brush" to "End Actor", then the lines and
// words of the text, the scanners the run uses between readers.
void BlockAndScannerLoops(std::string_view text) {
  int pos = 1;
  int content_start = 0;
  int content_end = 0;
  while (FindBlock(text, pos, "Begin Actor Class=Brush", "End Actor", content_start, content_end)) {
    ReadVector(text, content_start, content_end, "Location=", 0);
    ReadRotator(text, content_start, content_end, "Rotation=");
    ReadKeyValue(text, "Tag=", content_start, content_end);
    const int next = content_end + 10;
    CheckForward(pos, next);
    pos = next;
  }
  const int length = static_cast<int>(text.size());
  for (pos = 1; pos <= length;) {
    const int before = pos;
    GetNextLine(text, pos);
    CheckForward(before, pos);
  }
  for (pos = 1; pos < length;) {
    const int before = pos;
    GetNextWord(text, pos);
    if (pos == before) ++pos;  // the word scanner stays on its delimiter by design
  }
}

void TripleLoops(std::string_view text) {
  int pos = 1;
  ReadCommaVector(text, pos, "Origin");
  const int length = static_cast<int>(text.size());
  for (pos = 1; pos <= length;) {
    const int before = pos;
    ReadTriple(text, pos);
    CheckForward(before, pos);
  }
  std::int16_t small = 0;
  double number = 0;
  try {
    ReadKeyInto(text, "SoundRadius=", 1, length, small);
  } catch (const BrushError&) {
  }
  ReadKeyInto(text, "LightHue=", 1, length, number);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  PolygonLoop(text, false);
  PolygonLoop(text, true);
  ActorLoops(text);
  BlockAndScannerLoops(text);
  TripleLoops(text);
  // Terrains: every layer kept has a texture, and no more than the engine's 32 are kept.
  for (const LevelTerrain& terrain : ReadTerrainActors(text)) {
    if (terrain.Layers.size() > 32) std::abort();
    for (const TerrainLayer& layer : terrain.Layers) {
      if (layer.Texture.empty()) std::abort();
    }
  }
  return 0;
}
