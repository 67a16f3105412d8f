// Reads a T3D level into its brush actors and report actors.
#include "t3d/level_model.h"

#include <cassert>
#include <utility>

#include "t3d/text_position.h"
#include "t3d/value_readers.h"
#include "text/key_readers.h"
#include "text/number_text.h"

namespace brushwright {

namespace {

// Class names stand alone or with their package, as later editors write them.
constexpr std::string_view kBrushBeginKey = "Begin Actor Class=Brush";
constexpr std::string_view kEngineBrushBeginKey = "Begin Actor Class=Engine.Brush";
constexpr std::string_view kClassKey = "Class=";
constexpr std::string_view kEngineClassKey = "Class=Engine.";
constexpr std::string_view kActorEndKey = "End Actor";
constexpr std::string_view kBrushNameKey = "Begin Brush Name=";

// The next occurrence of a key at or after a position that only moves forward: the last find
// is kept until the position passes it, so a walk over the whole text searches it once.
class KeyCursor {
 public:
  KeyCursor(std::string_view text, std::string_view key) : text_(text), key_(key) {}

  // The position of the first occurrence at or after `pos`, 0 when none.
  int Next(int pos) {
    assert(pos >= last_pos_);
    last_pos_ = pos;
    if (found_ < 0 || (found_ > 0 && found_ < pos)) found_ = FindFrom(text_, key_, pos);
    return found_;
  }
  // Whether the key begins at or after `pos` and before `end`.
  bool Within(int pos, int end) {
    const int found = Next(pos);
    return found != 0 && found < end;
  }
  std::string_view key() const { return key_; }

 private:
  std::string_view text_;
  std::string_view key_;
  int found_ = -1;  // not searched yet
  int last_pos_ = 0;
};

// The next occurrence of either of two spellings of a key, for a position that only moves
// forward.
class EitherKey {
 public:
  EitherKey(std::string_view text, std::string_view first, std::string_view second)
      : first_(text, first), second_(text, second) {}

  // The position of the earliest occurrence at or after `pos` (0 when none) and its spelling.
  std::pair<int, std::string_view> Next(int pos) {
    const int first = first_.Next(pos);
    const int second = second_.Next(pos);
    if (first != 0 && (second == 0 || first < second)) return {first, first_.key()};
    return {second, second != 0 ? second_.key() : std::string_view()};
  }

 private:
  KeyCursor first_;
  KeyCursor second_;
};

// The keys the brush walk looks up in every brush actor, each searched once over the text.
struct BrushKeys {
  explicit BrushKeys(std::string_view text)
      : begin(text, kBrushBeginKey, kEngineBrushBeginKey),
        actor_end(text, kActorEndKey),
        csg(text, "CsgOper="),
        additive(text, "CsgOper=CSG_Add"),
        subtractive(text, "CsgOper=CSG_Subtract") {}
  EitherKey begin;
  KeyCursor actor_end;
  KeyCursor csg;
  KeyCursor additive;
  KeyCursor subtractive;
};

// The CSG operation of the block from `start` to `end`; a block naming both is additive.
CsgOperation ReadCsgOperation(BrushKeys& keys, int start, int end) {
  if (!keys.csg.Within(start, end)) return CsgOperation::None;
  if (keys.additive.Within(start, end)) return CsgOperation::Add;
  if (keys.subtractive.Within(start, end)) return CsgOperation::Subtract;
  return CsgOperation::Other;
}

// Newer editors quote their tags (Tag="Brush"); the group name is the tag without its quotes.
std::string Unquoted(std::string tag) {
  if (tag.size() >= 2 && tag.front() == '"' && tag.back() == '"') {
    tag = tag.substr(1, tag.size() - 2);
  }
  return tag;
}

// The polygons of a taken brush, from `pos` up to its content end (the whole text without
// actors), read with the one record the caller keeps from brush to brush.
void ReadBrushPolygons(std::string_view text, int pos, int content_end, bool has_actors,
                       bool texture_only, PolygonRecord& record,
                       std::vector<PolygonRecord>& polygons) {
  // A polygon of a later actor is never this brush's: the reader sees only this block.
  const std::string_view block =
      has_actors ? text.substr(0, static_cast<std::size_t>(content_end)) : text;
  while (ReadPolygon(block, pos, record, texture_only)) {
    if (has_actors && pos >= content_end) break;
    polygons.push_back(record);
  }
}

// The package-qualified spelling of a report class key: "Class=Light" -> "Class=Engine.Light".
std::string EngineClassKey(std::string_view key) {
  return std::string(kEngineClassKey) + std::string(key.substr(kClassKey.size()));
}

// Appends every actor of one report class, in text order, reading them into one reused record.
template <typename Record, typename Reader>
void ReadClassActors(std::string_view text, std::string_view key, Record& record, Reader reader,
                     std::vector<Record>& actors) {
  const std::string engine_key = EngineClassKey(key);
  EitherKey keys(text, key, engine_key);
  int pos = 1;
  for (auto next = keys.Next(pos); next.first != 0; next = keys.Next(pos)) {
    if (!reader(text, pos, next.second, record)) break;
    actors.push_back(record);
  }
}

// Reads the group, "PolyFlags=" and placement of a brush actor with a CSG operation from its own
// block (from just after its begin key to its "End Actor").
void ReadBrushDetails(std::string_view block, BrushActor& brush) {
  const int length = TextLength(block);
  const std::string tag = Unquoted(ReadKeyValue(block, "Tag=", 1, length));
  int name_pos = FindInRange(block, kBrushNameKey, 1, length - 1);
  if (name_pos != 0) {
    brush.Group =
        (!tag.empty() && tag != "Brush") ? tag : ReadLineKeyWord(block, name_pos, kBrushNameKey);
  }
  brush.PolyFlags = FlagsFromNumber(NumberValue(ReadKeyValue(block, "PolyFlags=", 1, length)));
  // "PrePivot=" stands after the polygons: the whole block is read for the placement.
  brush.Placement = ReadBrushPlacement(block);
}

}  // namespace

Level ReadLevel(std::string_view text, const LevelReading& reading) {
  Level level;
  level.HasActors = text.find("Begin Actor") != std::string_view::npos;
  BrushKeys keys(text);
  PolygonRecord record;  // reused: a polygon without "Texture=" keeps the flags before it
  int pos = 1;
  bool first_pass_done = false;
  int content_start = 0;
  int content_end = 0;
  for (;;) {
    // The block from the next brush's begin key to the first "End Actor" after it.
    const auto [begin, begin_key] = keys.begin.Next(pos);
    bool found = false;
    if (begin != 0) {
      content_start = begin + TextLength(begin_key);
      const int end = keys.actor_end.Next(begin);
      found = end != 0;
      if (found) content_end = end - 1;
    }
    // A text without actors runs once, over the whole text.
    if (!found && (level.HasActors || first_pass_done)) break;
    first_pass_done = true;
    if (content_start == 0) content_start = 1;
    pos = content_start;

    BrushActor& brush = level.Brushes.emplace_back();
    // Without actors the whole text is the one brush, always taken.
    if (level.HasActors) brush.Csg = ReadCsgOperation(keys, pos, content_end);
    brush.Taken = !level.HasActors || !reading.Take || reading.Take(brush);
    if (!brush.Taken) continue;  // the next search starts at this block's content start
    if (brush.Csg != CsgOperation::None) {
      ReadBrushDetails(text.substr(static_cast<std::size_t>(content_start - 1),
                                   static_cast<std::size_t>(content_end - content_start + 1)),
                       brush);
    }
    ReadBrushPolygons(text, pos, content_end, level.HasActors, reading.TextureOnly, record,
                      brush.Polygons);
    if (level.HasActors) pos = content_end + TextLength(kActorEndKey) + 1;
  }
  return level;
}

ReportActors ReadReportActors(std::string_view text) {
  ReportActors actors;
  // One record per kind, reused from actor to actor as the readers expect.
  LightRecord light;
  TriggerRecord trigger;
  PlayerStartRecord start;
  TeleporterRecord teleporter;
  ReadClassActors(text, "Class=Light", light, ReadLight, actors.Lights);
  ReadClassActors(text, "Class=Spotlight", light, ReadLight, actors.Lights);
  ReadClassActors(text, "Class=Trigger ", trigger, ReadTrigger, actors.Triggers);
  ReadClassActors(text, "Class=PlayerStart ", start, ReadPlayerStart, actors.PlayerStarts);
  ReadClassActors(text, "Class=Teleporter ", teleporter, ReadTeleporter, actors.Teleporters);
  ReadClassActors(text, "Class=FavoritesTeleporter ", teleporter, ReadTeleporter,
                  actors.Teleporters);
  ReadClassActors(text, "Class=VisibleTeleporter ", teleporter, ReadTeleporter, actors.Teleporters);
  return actors;
}

}  // namespace brushwright
