// The Go command's run: walks the brush actors, converts their faces, writes MTL and report.
#include "run/conversion_run.h"

#include <cassert>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "run/actor_report.h"
#include "run/face_converter.h"
#include "run/material_library.h"
#include "run/texture_files.h"
#include "run/texture_table.h"
#include "t3d/actor_records.h"
#include "t3d/brush_placement.h"
#include "t3d/polygon_reader.h"
#include "t3d/value_readers.h"
#include "text/brush_error.h"
#include "text/file_text.h"
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
// Faces are numbered in 16 bits; the run cannot count past this face.
constexpr std::int32_t kLastFaceNumber = 32767;
// Every texture starts at this size until its image is loaded.
constexpr std::int16_t kDefaultTextureSize = 256;
// Positions in the text are 32-bit; leave room for "position + key length" arithmetic.
constexpr std::size_t kLargestInput = INT_MAX - 1024;

// The report's actor classes, in the order of the report.
enum class ReportKind { Light, Trigger, PlayerStart, Teleporter };
struct ReportClass {
  std::string_view key;
  ReportKind kind;
};
constexpr ReportClass kReportClasses[] = {
    {"Class=Light", ReportKind::Light},
    {"Class=Spotlight", ReportKind::Light},
    {"Class=Trigger ", ReportKind::Trigger},
    {"Class=PlayerStart ", ReportKind::PlayerStart},
    {"Class=Teleporter ", ReportKind::Teleporter},
    {"Class=FavoritesTeleporter ", ReportKind::Teleporter},
    {"Class=VisibleTeleporter ", ReportKind::Teleporter},
};

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

// The package-qualified spelling of a report class key: "Class=Light" -> "Class=Engine.Light".
std::string EngineClassKey(std::string_view key) {
  return std::string(kEngineClassKey) + std::string(key.substr(kClassKey.size()));
}

// Thrown by a yield that finds the window closing; caught once by RunConversion.
struct GiveUp {};

// Marks the window busy for the length of a run and idle again on every way out.
class BusyGuard {
 public:
  explicit BusyGuard(RunHost& host) : host_(host) {
    host_.Form().Running = true;
    host_.SetGoEnabled(false);
    host_.SetPauseEnabled(true);
  }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;
  ~BusyGuard() {
    // The host's setters only change control states; a failure there must not replace the
    // error the run may be unwinding with.
    try {
      host_.Form().Running = false;
      host_.SetGoEnabled(true);
      host_.SetPauseEnabled(false);
    } catch (...) {
    }
  }

 private:
  RunHost& host_;
};

// Everything one run keeps from its start to its end.
class Run {
 public:
  explicit Run(RunHost& host) : host_(host) {}
  void Execute();
  RunSummary summary;

 private:
  void Yield();
  void WaitWhilePaused();
  void ReadInput();
  void CheckOutputsSpareInput(bool report_asked) const;
  void CheckNotInput(const std::string& path, std::string_view what) const;
  void ConvertBrushes();
  bool TakeBrush(BrushKeys& keys, int content_end);
  void StartGroup(int content_end);
  void PlacePolygon();
  void ReadPolygons(int content_end);
  bool IgnoreFace();
  void TextureStep();
  void NextFace();
  void WriteReport();
  template <typename Record, typename Reader, typename Writer>
  void ReportClassActors(std::string_view key, Record& record, Reader reader, Writer writer);

  RunHost& host_;
  OutputFiles out_;
  std::string input_path_;
  std::string text_;
  std::string obj_path_;
  std::string mtl_path_;
  std::string report_path_;
  std::int32_t start_face_ = 1;
  bool texture_only_ = false;
  bool has_actors_ = false;
  int pos_ = 1;
  std::int32_t face_number_ = 1;
  Vector location_;
  // Placement of the current brush; a brush without CSG keeps the one before it.
  BrushTransform transform_;
  bool use_transform_ = false;
  bool carving_ = false;
  PolygonRecord polygon_;
  std::string previous_texture_;
  std::int64_t previous_flags_ = -1;
  std::int16_t width_ = 0;
  std::int16_t height_ = 0;
  TextureTable table_ = EmptyTextureTable();
  FaceConverterState face_state_;
};

// Lets the window process its events; a window that is closing ends the run here.
void Run::Yield() {
  host_.Yield();
  if (host_.Form().StopRequested) throw GiveUp{};
}

// Between faces: while the user has paused the run, keep the window alive and wait.
void Run::WaitWhilePaused() {
  if (host_.Form().Running) return;
  host_.SetLabelProgress("Paused");
  while (!host_.Form().Running) Yield();
}

void Run::ReadInput() {
  text_ = ReadFileText(input_path_);
  if (text_.size() > kLargestInput) {
    throw BrushError("'" + input_path_ + "' is too large to convert (" +
                     std::to_string(text_.size()) + " bytes)");
  }
}

// The run never writes over its own input (a level saved as "map.txt" with the report on).
void Run::CheckNotInput(const std::string& path, std::string_view what) const {
  std::error_code error;
  if (std::filesystem::equivalent(input_path_, path, error)) {
    throw BrushError("the " + std::string(what) + " '" + path + "' would overwrite the input '" +
                     input_path_ + "'; choose another output file name");
  }
}

void Run::CheckOutputsSpareInput(bool report_asked) const {
  const std::string base = StripExtension(host_.TextOutFileName());
  if (!texture_only_) CheckNotInput(obj_path_, "OBJ file");
  CheckNotInput(mtl_path_, "material library");
  CheckNotInput(base + "MissingTextures.txt", "missing-texture list");
  if (report_asked) CheckNotInput(base + ".txt", "report");
}

void Run::Execute() {
  host_.SaveSettings();
  BusyGuard busy(host_);
  // Start: options, then the input text.
  input_path_ = host_.TextInFileName();
  const std::string start_text = host_.TextStartAtPoly();
  start_face_ = RoundToInt32(NumberValue(start_text), "start face '" + start_text + "'");
  obj_path_ = host_.TextOutFileName();
  host_.SetLabelProgress("Reading file");
  host_.SetLabelPos("");
  try {
    Yield();
  } catch (const GiveUp&) {
    summary.Outcome = RunOutcome::GivenUp;
    return;
  }
  ReadInput();
  mtl_path_ = StripExtension(host_.TextOutFileName()) + ".mtl";
  texture_only_ = !IsChecked(host_.CheckDoGeometry());
  if (obj_path_.empty()) throw BrushError("no output file name: name the OBJ file to write");
  CheckOutputsSpareInput(IsChecked(host_.CheckReport()));

  face_state_.VertexBase = 1;
  if (IsChecked(host_.CheckDoGeometry())) {
    out_.Write(obj_path_, ObjHeaderText(mtl_path_, host_.Form().LineBreak), false);
  }
  MatScale(face_state_.MirrorMatrix, 1, -1, 1);
  face_number_ = 1;
  host_.SetLabelProgress("getting poly");
  try {
    Yield();
    has_actors_ = text_.find("Begin Actor") != std::string::npos;
    ConvertBrushes();
    // End: materials, then the report.
    summary.MissingTextures = WriteMaterialLibrary(host_, out_, mtl_path_, table_);
    summary.Materials = table_.front().Name.empty() ? 0 : static_cast<std::int32_t>(table_.size());
    if (IsChecked(host_.CheckReport()) && has_actors_) WriteReport();
  } catch (const GiveUp&) {
    out_.Flush();
    summary.Outcome = RunOutcome::GivenUp;
    return;
  }
  out_.Flush();
  host_.SetLabelPos("");
  host_.SetLabelProgress("Done");
  summary.Outcome = RunOutcome::Done;
}

// Walks the brush actors; a text without any actor is read as one brush.
void Run::ConvertBrushes() {
  pos_ = 1;
  bool first_pass_done = false;
  int content_start = 0;
  int content_end = 0;
  BrushKeys keys(text_);
  for (;;) {
    // The block from the next brush's begin key to the first "End Actor" after it.
    const auto [begin, begin_key] = keys.begin.Next(pos_);
    bool found = false;
    if (begin != 0) {
      content_start = begin + static_cast<int>(begin_key.size());
      const int end = keys.actor_end.Next(begin);
      found = end != 0;
      if (found) content_end = end - 1;
    }
    if (!found && (has_actors_ || first_pass_done)) break;
    first_pass_done = true;
    if (has_actors_) ++summary.BrushActors;
    if (content_start == 0) content_start = 1;
    pos_ = content_start;
    if (!TakeBrush(keys, content_end)) continue;
    ++summary.BrushesTaken;
    if (keys.csg.Within(pos_, content_end)) StartGroup(content_end);
    previous_flags_ = -1;
    ReadPolygons(content_end);
    if (has_actors_) pos_ = content_end + static_cast<int>(kActorEndKey.size()) + 1;
  }
}

// Whether the switches select the brush actor whose content starts at pos_.
bool Run::TakeBrush(BrushKeys& keys, int content_end) {
  if (!has_actors_) return true;
  const bool has_csg = keys.csg.Within(pos_, content_end);
  const bool is_additive = keys.additive.Within(pos_, content_end);
  const bool build_brush_only = IsChecked(host_.CheckBuildBrush());
  // A block naming both operations counts as additive.
  const bool is_subtractive =
      !is_additive && keys.subtractive.Within(pos_, content_end);
  use_transform_ = IsChecked(host_.CheckBrushTransforms());
  carving_ = !build_brush_only && is_subtractive && IsChecked(host_.CheckSubtractBrushes());
  const bool take = build_brush_only ? !has_csg : (is_additive || carving_);
  if (!take && !build_brush_only && is_subtractive) ++summary.SubtractiveSkipped;
  if (!take && !build_brush_only && !has_csg) ++summary.BuilderSkipped;
  return take;
}

// Newer editors quote their tags (Tag="Brush"); the group name is the tag without its quotes.
std::string Unquoted(std::string tag) {
  if (tag.size() >= 2 && tag.front() == '"' && tag.back() == '"')
    tag = tag.substr(1, tag.size() - 2);
  return tag;
}

// A brush with a CSG operation gets a group line and its own location.
void Run::StartGroup(int content_end) {
  const std::string tag = Unquoted(ReadKeyValue(text_, "Tag=", pos_, content_end));
  if (IsChecked(host_.CheckDoGeometry())) {
    constexpr std::string_view kBrushNameKey = "Begin Brush Name=";
    int name_pos = FindInRange(text_, kBrushNameKey, pos_, content_end - 1);
    if (name_pos != 0) {
      const std::string group =
          (!tag.empty() && tag != "Brush") ? tag : ReadLineKeyWord(text_, name_pos, kBrushNameKey);
      out_.Write(obj_path_, "g " + group, true);
      ++summary.Groups;
    }
  }
  location_ = ReadVector(text_, pos_, content_end, "Location=", 0);
  // "PrePivot=" stands after the polygons: the whole block is read before they are placed.
  transform_ = PlacementTransform(ReadBrushPlacement(text_, pos_, content_end));
}

// Puts a polygon of a brush actor where the editor puts it: by the brush's whole placement, or
// by its location alone when transforms are off; carving brushes then face the other way.
void Run::PlacePolygon() {
  if (use_transform_) {
    TransformPolygon(polygon_, transform_);
  } else {
    VecTranslateAll(polygon_.Vertices, location_);
    polygon_.Origin = VecAdd(polygon_.Origin, location_);
  }
  if (carving_) ReversePolygon(polygon_);
}

void Run::ReadPolygons(int content_end) {
  // A polygon of a later actor is never this brush's: the reader sees only this block.
  const std::string_view block =
      has_actors_ ? std::string_view(text_).substr(0, static_cast<std::size_t>(content_end))
                  : std::string_view(text_);
  while (ReadPolygon(block, pos_, polygon_, texture_only_)) {
    if (has_actors_ && pos_ >= content_end) break;
    ++summary.PolygonsRead;
    WaitWhilePaused();
    if (IgnoreFace()) {
      host_.SetLabelProgress("ignoring face " + NumberText(face_number_));
    } else {
      if (has_actors_) PlacePolygon();
      host_.SetLabelPos("Face " + NumberText(face_number_));
      TextureStep();
      if (IsChecked(host_.CheckDoGeometry())) {
        ConvertFace(host_, out_, obj_path_, polygon_, width_, height_, face_number_, face_state_);
        ++summary.FacesConverted;
      }
    }
    NextFace();
  }
}

// Whether the switches or the face's own flags skip it; counts why, for the summary.
bool Run::IgnoreFace() {
  const std::string& texture = polygon_.Texture;
  if ((texture == "DefaultTexture" && IsChecked(host_.CheckIgnoreDefTxt())) ||
      (texture.empty() && IsChecked(host_.CheckIgnoreNoTxt()))) {
    ++summary.TextureSkipped;
    return true;
  }
  if (face_number_ < start_face_) {
    ++summary.BeforeStartFace;
    return true;
  }
  if ((polygon_.Flags & 1) != 0) {  // invisible faces are never converted
    ++summary.InvisibleFaces;
    return true;
  }
  return false;
}

// Looks up a texture and flags pair the face before did not use, registering it when new.
void Run::TextureStep() {
  const std::string& texture = polygon_.Texture;
  if (texture.empty()) return;
  if (texture == previous_texture_ && polygon_.Flags == previous_flags_) return;
  width_ = kDefaultTextureSize;
  height_ = kDefaultTextureSize;
  const std::int32_t index = FindTexture(table_, texture, polygon_.Flags);
  if (index == -1) {
    host_.SetLabelProgress("adding texture");
    LocateTextureFile(host_, texture, width_, height_);
    RegisterTexture(table_, texture, width_, height_, polygon_.Flags);
  } else {
    width_ = table_[static_cast<std::size_t>(index)].Width;
    height_ = table_[static_cast<std::size_t>(index)].Height;
  }
  previous_texture_ = texture;
  previous_flags_ = polygon_.Flags;
}

void Run::NextFace() {
  if (face_number_ == kLastFaceNumber) {
    throw BrushError("'" + input_path_ + "' has more than " + NumberText(kLastFaceNumber) +
                     " faces: the conversion stops after face " + NumberText(kLastFaceNumber) +
                     " (face numbers overflow)");
  }
  ++face_number_;
  polygon_.Vertices.clear();
  Yield();
  host_.SetLabelProgress("getting poly");
}

template <typename Record, typename Reader, typename Writer>
void Run::ReportClassActors(std::string_view key, Record& record, Reader reader, Writer writer) {
  const std::string engine_key = EngineClassKey(key);
  EitherKey keys(text_, key, engine_key);
  int pos = 1;
  for (auto next = keys.Next(pos); next.first != 0; next = keys.Next(pos)) {
    if (!reader(text_, pos, next.second, record)) break;
    out_.Write(report_path_, writer(host_, record), true);
    ++summary.ReportBlocks;
    Yield();
  }
}

// Second pass: lists lights, triggers, player starts and teleporters, class by class.
void Run::WriteReport() {
  host_.SetLabelPos("Writing Report");
  report_path_ = StripExtension(host_.TextOutFileName()) + ".txt";
  CheckNotInput(report_path_, "report");
  out_.Write(report_path_, "Lights, Movers, Sounds" + host_.Form().LineBreak, false);
  LightRecord light;
  TriggerRecord trigger;
  PlayerStartRecord start;
  TeleporterRecord teleporter;
  for (const ReportClass& report_class : kReportClasses) {
    switch (report_class.kind) {
      case ReportKind::Light:
        ReportClassActors(report_class.key, light, ReadLight, LightReportLines);
        break;
      case ReportKind::Trigger:
        ReportClassActors(report_class.key, trigger, ReadTrigger, TriggerReportLines);
        break;
      case ReportKind::PlayerStart:
        ReportClassActors(report_class.key, start, ReadPlayerStart, PlayerStartReportLines);
        break;
      case ReportKind::Teleporter:
        ReportClassActors(report_class.key, teleporter, ReadTeleporter, TeleporterReportLines);
        break;
    }
  }
}

}  // namespace

RunSummary RunConversion(RunHost& host) {
  if (host.TextInFileName().empty()) return {};
  Run run(host);
  run.Execute();
  return run.summary;
}

}  // namespace brushwright
