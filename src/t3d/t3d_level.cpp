// Reads a T3D text into the plain level: brush actors with their polygons, and report actors.
#include "t3d/t3d_level.h"

#include <array>
#include <cassert>
#include <utility>

#include "t3d/actor_records.h"
#include "t3d/brush_placement.h"
#include "t3d/placed_actor_reader.h"
#include "t3d/polygon_reader.h"
#include "t3d/terrain_records.h"
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
constexpr std::string_view kActorBeginKey = "Begin Actor";
// The actor's name on its "Begin Actor" line.
constexpr std::string_view kActorNameKey = "Name=";

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
        actor_begin(text, kActorBeginKey),
        csg(text, "CsgOper="),
        additive(text, "CsgOper=CSG_Add"),
        subtractive(text, "CsgOper=CSG_Subtract") {}
  EitherKey begin;
  KeyCursor actor_end;
  KeyCursor actor_begin;
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

// The polygons of a brush, from `pos` up to its content end (the whole text without actors),
// read with the one record the caller keeps from brush to brush.
void ReadBrushPolygons(std::string_view text, int pos, int content_end, bool has_actors,
                       PolygonRecord& record, std::vector<PolygonRecord>& polygons) {
  // A polygon of a later actor is never this brush's: the reader sees only this block.
  const std::string_view block =
      has_actors ? text.substr(0, static_cast<std::size_t>(content_end)) : text;
  while (ReadPolygon(block, pos, record, false)) {
    if (has_actors && pos >= content_end) break;
    polygons.push_back(record);
  }
}

// The report's classes, in the order the report lists them. Each key also matches the start of
// longer class names, as it always has.
// After them, the start classes of later games that the report does not list
// (kOtherStartClasses).
constexpr std::array<std::string_view, 12> kReportClassKeys = {"Class=Light",
                                                               "Class=Spotlight",
                                                               "Class=Trigger ",
                                                               "Class=PlayerStart ",
                                                               "Class=Teleporter ",
                                                               "Class=FavoritesTeleporter ",
                                                               "Class=VisibleTeleporter ",
                                                               "Class=MultiplayerStart ",
                                                               "Class=TriggeredPlayerStart ",
                                                               "Class=TeamPlayerStart ",
                                                               "Class=UTTeamPlayerStart ",
                                                               "Class=UTWarfarePlayerStart "};
static_assert(kReportClassKeys.size() == 7 + std::size(kOtherStartClasses));  // Unreal Tournament 3
constexpr std::size_t kLightKeys = 2;                                         // Light, Spotlight
constexpr std::size_t kTriggerKey = 2;
constexpr std::size_t kStartKey = 3;
constexpr std::size_t kTeleporterKeys = 7;  // up to the report's last key

// Where a report class key stands in the text, and in which of its two spellings.
struct ClassKeyAt {
  int Position = 0;      // 1-based
  std::string_view Key;  // "Class=Light" or "Class=Engine.Light"
};

// Every place each report class key stands, in text order, found in one walk over the text's
// "Class=": the class keys are then read without searching the text again for each class.
std::array<std::vector<ClassKeyAt>, kReportClassKeys.size()> ReportClassKeys(
    std::string_view text, const std::array<std::string, kReportClassKeys.size()>& engine_keys) {
  std::array<std::vector<ClassKeyAt>, kReportClassKeys.size()> found;
  for (std::size_t at = text.find(kClassKey); at != std::string_view::npos;
       at = text.find(kClassKey, at + 1)) {
    const std::string_view rest = text.substr(at);
    for (std::size_t k = 0; k < kReportClassKeys.size(); ++k) {
      const std::string_view key = rest.starts_with(kReportClassKeys[k]) ? kReportClassKeys[k]
                                   : rest.starts_with(engine_keys[k])    ? engine_keys[k]
                                                                         : std::string_view();
      if (!key.empty()) found[k].push_back({static_cast<int>(at) + 1, key});
    }
  }
  return found;
}

// Appends the actors of one report class in text order, read into one reused record: each from
// its class key to its "End Actor", the next one found after that. An actor without "End Actor"
// ends the class.
template <typename Record, typename Reader>
void ReadClassActors(std::string_view text, const std::vector<ClassKeyAt>& keys, Record& record,
                     Reader reader, std::vector<Record>& actors) {
  int pos = 1;
  for (const ClassKeyAt& key : keys) {
    if (key.Position < pos) continue;  // inside the actor read before
    pos = key.Position;
    if (!reader(text, pos, key.Key, record)) break;
    actors.push_back(record);
  }
}

// Reads the report's actors, class by class, and (when `other_starts` is given) the actors of the
// later games' start classes.
void ReadActors(std::string_view text, ReportActors& actors,
                std::vector<PlayerStartRecord>* other_starts) {
  std::array<std::string, kReportClassKeys.size()> engine_keys;
  for (std::size_t k = 0; k < kReportClassKeys.size(); ++k) {
    engine_keys[k] =
        std::string(kEngineClassKey) + std::string(kReportClassKeys[k].substr(kClassKey.size()));
  }
  const auto keys = ReportClassKeys(text, engine_keys);
  // One record per kind, reused from actor to actor as the readers expect.
  LightRecord light;
  TriggerRecord trigger;
  PlayerStartRecord start;
  TeleporterRecord teleporter;
  PlayerStartRecord other_start;
  for (std::size_t k = 0; k < kReportClassKeys.size(); ++k) {
    if (k < kLightKeys) {
      ReadClassActors(text, keys[k], light, ReadLight, actors.Lights);
    } else if (k == kTriggerKey) {
      ReadClassActors(text, keys[k], trigger, ReadTrigger, actors.Triggers);
    } else if (k == kStartKey) {
      ReadClassActors(text, keys[k], start, ReadPlayerStart, actors.PlayerStarts);
    } else if (k < kTeleporterKeys) {
      ReadClassActors(text, keys[k], teleporter, ReadTeleporter, actors.Teleporters);
    } else if (other_starts != nullptr) {
      ReadClassActors(text, keys[k], other_start, ReadPlayerStart, *other_starts);
    }
  }
}

// The word after "Name=" on the block's first line (the rest of the "Begin Actor" line).
std::string ActorName(std::string_view block) {
  const std::string_view line = block.substr(0, block.find_first_of("\r\n"));
  const std::size_t found = line.find(kActorNameKey);
  if (found == std::string_view::npos) return "";
  std::string_view name = line.substr(found + kActorNameKey.size());
  return std::string(name.substr(0, name.find_first_of(" \t")));
}

// Reads the name, tag, model name, "PolyFlags=" and placement of a brush actor from its own
// block (from just after its begin key to its end).
void ReadBrushDetails(std::string_view block, LevelBrush& brush) {
  const int length = TextLength(block);
  brush.Name = ActorName(block);
  brush.Tag = Unquoted(ReadKeyValue(block, "Tag=", 1, length));
  int name_pos = FindInRange(block, kBrushNameKey, 1, length - 1);
  if (name_pos != 0) brush.ModelName = ReadLineKeyWord(block, name_pos, kBrushNameKey);
  brush.PolyFlags = FlagsFromNumber(NumberValue(ReadKeyValue(block, "PolyFlags=", 1, length)));
  // "PrePivot=" stands after the polygons: the whole block is read for the placement.
  brush.Placement = ReadBrushPlacement(block);
}

// The actors that show something besides brushes; movers drawn by their brush are read as
// brushes, each with a polygon record of its own.
void ReadPlacedActors(std::string_view text, Level& level) {
  for (const ActorBlock& block : FindActorBlocks(text)) {
    MoverKeys keys;
    if (!ReadPlacedActor(text, block, level, keys)) continue;
    LevelMover& mover = level.Movers.emplace_back();
    mover.Keys = std::move(keys);
    mover.Brush.Class = block.Class;
    ReadBrushDetails(text.substr(static_cast<std::size_t>(block.Start - 1),
                                 static_cast<std::size_t>(block.End - block.Start + 1)),
                     mover.Brush);
    mover.Brush.Name = block.Name;
    PolygonRecord record;
    ReadBrushPolygons(text, block.Start, block.End, true, record, mover.Brush.Polygons);
  }
}

}  // namespace

Level ReadT3dLevel(std::string_view text) {
  Level level;
  level.HasActors = text.find(kActorBeginKey) != std::string_view::npos;
  PolygonRecord record;  // reused: a polygon without "Texture=" keeps the flags before it
  if (!level.HasActors) {
    // One brush exported on its own: the whole text, without operation, group or placement.
    ReadBrushPolygons(text, 1, 0, false, record, level.Brushes.emplace_back().Polygons);
    return level;
  }

  BrushKeys keys(text);
  int pos = 1;
  for (;;) {
    // The block from the next brush's begin key to its "End Actor", or to where the next actor
    // begins when it has none of its own.
    const auto [begin, begin_key] = keys.begin.Next(pos);
    if (begin == 0) break;
    const int content_start = begin + TextLength(begin_key);
    const int end = keys.actor_end.Next(begin);
    if (end == 0) break;
    const int next_actor = keys.actor_begin.Next(content_start);
    const bool own_end = next_actor == 0 || next_actor > end;
    const int block_end = own_end ? end : next_actor;
    const int content_end = block_end - 1;

    LevelBrush& brush = level.Brushes.emplace_back();
    brush.Csg = ReadCsgOperation(keys, content_start, content_end);
    ReadBrushDetails(text.substr(static_cast<std::size_t>(content_start - 1),
                                 static_cast<std::size_t>(content_end - content_start + 1)),
                     brush);
    ReadBrushPolygons(text, content_start, content_end, true, record, brush.Polygons);
    pos = own_end ? end + TextLength(kActorEndKey) : block_end;
  }
  ReadActors(text, level.Actors, &level.OtherStarts);
  ReadPlacedActors(text, level);
  level.Terrains = ReadTerrainActors(text);
  return level;
}

ReportActors ReadReportActors(std::string_view text) {
  ReportActors actors;
  ReadActors(text, actors, nullptr);
  return actors;
}

}  // namespace brushwright
