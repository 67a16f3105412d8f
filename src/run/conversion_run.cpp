// The Go command's run: reads the level, chooses and places its brushes, writes their faces, then
// the materials and the report.
#include "run/conversion_run.h"

#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "run/face_converter.h"
#include "run/material_library.h"
#include "run/report_writer.h"
#include "run/texture_files.h"
#include "run/texture_table.h"
#include "t3d/brush_placement.h"
#include "t3d/level_model.h"
#include "text/brush_error.h"
#include "text/file_text.h"
#include "text/number_text.h"

namespace brushwright {
namespace {

// Faces are numbered in 16 bits; the run cannot count past this face.
constexpr std::int32_t kLastFaceNumber = 32767;
// Every texture starts at this size until its image is loaded.
constexpr std::int16_t kDefaultTextureSize = 256;
// Positions in the text are 32-bit; leave room for "position + key length" arithmetic.
constexpr std::size_t kLargestInput = INT_MAX - 1024;

// Thrown by a yield that finds the window closing; caught once by the run.
struct GiveUp {};

// Whether the options take a brush actor with this CSG operation: only the builder brush, or
// additive brushes and, when asked, subtractive ones.
bool TakesBrush(const RunOptions& options, CsgOperation csg) {
  if (options.BuildBrush) return csg == CsgOperation::None;
  return csg == CsgOperation::Add || (options.Subtractive && csg == CsgOperation::Subtract);
}

// Everything one run keeps from its start to its end.
class Run {
 public:
  Run(const RunOptions& options, RunHost& host) : options_(options), host_(host) {}
  void Execute();
  RunSummary summary;

 private:
  void Convert();
  void Yield();
  void WaitWhilePaused();
  void ReadInput();
  void CheckOutputsSpareInput() const;
  void CheckNotInput(const std::string& path, std::string_view what) const;
  void CountBrushes(const Level& level);
  void WriteBrush(BrushActor& brush, bool has_actors);
  void PlacePolygon(PolygonRecord& polygon, const BrushActor& brush,
                    const BrushTransform& transform) const;
  bool IgnoreFace(const PolygonRecord& polygon);
  void TextureStep(const PolygonRecord& polygon);
  void NextFace();

  const RunOptions& options_;
  RunHost& host_;
  OutputFiles out_;
  std::string text_;
  std::int32_t start_face_ = 1;
  RunRequest request_ = RunRequest::Continue;  // what the last yield brought
  std::int32_t face_number_ = 1;
  std::int32_t total_faces_ = 0;
  std::string previous_texture_;
  std::int64_t previous_flags_ = -1;
  std::int16_t width_ = 0;
  std::int16_t height_ = 0;
  TextureTable table_ = EmptyTextureTable();
  FaceConverterState face_state_;
};

// Lets the front end process its events; a window that is closing ends the run here.
void Run::Yield() {
  request_ = host_.Yield();
  if (request_ == RunRequest::Stop) throw GiveUp{};
}

// Between faces: while the user has paused the run, keep the front end alive and wait.
void Run::WaitWhilePaused() {
  if (request_ != RunRequest::Pause) return;
  host_.SetLabelProgress("Paused");
  while (request_ == RunRequest::Pause) Yield();
}

void Run::ReadInput() {
  text_ = ReadFileText(options_.InputFile);
  if (text_.size() > kLargestInput) {
    throw BrushError("'" + options_.InputFile + "' is too large to convert (" +
                     std::to_string(text_.size()) + " bytes)");
  }
}

// The run never writes over its own input (a level saved as "map.txt" with the report on).
void Run::CheckNotInput(const std::string& path, std::string_view what) const {
  std::error_code error;
  if (std::filesystem::equivalent(options_.InputFile, path, error)) {
    throw BrushError("the " + std::string(what) + " '" + path + "' would overwrite the input '" +
                     options_.InputFile + "'; choose another output file name");
  }
}

void Run::CheckOutputsSpareInput() const {
  if (options_.DoGeometry) CheckNotInput(options_.OutputFile, "OBJ file");
  CheckNotInput(MtlPath(options_), "material library");
  CheckNotInput(MissingListPath(options_), "missing-texture list");
  if (options_.Report) CheckNotInput(ReportPath(options_), "report");
}

// Converts; a window closed during the run ends it with what was written so far on disk.
void Run::Execute() {
  try {
    Convert();
    summary.Outcome = RunOutcome::Done;
  } catch (const GiveUp&) {
    out_.Flush();
    summary.Outcome = RunOutcome::GivenUp;
  }
}

void Run::Convert() {
  // Start: the options, then the input text.
  start_face_ =
      RoundToInt32(NumberValue(options_.StartFace), "start face '" + options_.StartFace + "'");
  host_.SetLabelProgress("Reading file");
  host_.SetLabelPos("");
  Yield();
  ReadInput();
  if (options_.OutputFile.empty()) {
    throw BrushError("no output file name: name the OBJ file to write");
  }
  CheckOutputsSpareInput();
  if (options_.DoGeometry) out_.Write(options_.OutputFile, ObjHeaderText(MtlPath(options_)), false);
  MatScale(face_state_.MirrorMatrix, 1, -1, 1);
  face_state_.W3D = options_.W3D;
  host_.SetLabelProgress("getting poly");
  Yield();

  // Read the level with the polygons of the brushes the options take; then write them.
  LevelReading reading;
  reading.Take = [this](const BrushActor& brush) { return TakesBrush(options_, brush.Csg); };
  reading.TextureOnly = !options_.DoGeometry;
  Level level = ReadLevel(text_, reading);
  CountBrushes(level);
  for (BrushActor& brush : level.Brushes) {
    if (brush.Taken) WriteBrush(brush, level.HasActors);
  }
  const bool has_actors = level.HasActors;
  level = Level{};  // the brushes are written: their memory goes to the report's actors

  // End: materials, then the report.
  summary.MissingTextures = WriteMaterialLibrary(host_, out_, options_, table_);
  summary.Materials = table_.front().Name.empty() ? 0 : static_cast<std::int32_t>(table_.size());
  if (options_.Report && has_actors) {
    host_.SetLabelPos("Writing Report");
    summary.ReportBlocks = WriteReport(out_, ReportPath(options_), ReadReportActors(text_),
                                       options_.W3D, [this] { Yield(); });
  }
  out_.Flush();
  host_.SetLabelPos("");
  host_.SetLabelProgress("Done");
}

// The summary's counts of brush actors and why some were not taken.
void Run::CountBrushes(const Level& level) {
  for (const BrushActor& brush : level.Brushes) {
    if (level.HasActors) ++summary.BrushActors;
    if (brush.Taken) {
      ++summary.BrushesTaken;
      total_faces_ += static_cast<std::int32_t>(brush.Polygons.size());
    } else if (!options_.BuildBrush && brush.Csg == CsgOperation::Subtract) {
      ++summary.SubtractiveSkipped;
    } else if (!options_.BuildBrush && brush.Csg == CsgOperation::None) {
      ++summary.BuilderSkipped;
    }
  }
}

// The group line of a taken brush, then each of its polygons: ignored, or placed, registered
// with its texture and converted.
void Run::WriteBrush(BrushActor& brush, bool has_actors) {
  if (options_.DoGeometry && brush.Group) {
    out_.Write(options_.OutputFile, "g " + *brush.Group, true);
    ++summary.Groups;
  }
  const BrushTransform transform = PlacementTransform(brush.Placement);
  previous_flags_ = -1;
  for (PolygonRecord& polygon : brush.Polygons) {
    ++summary.PolygonsRead;
    WaitWhilePaused();
    host_.ShowFace(face_number_, total_faces_);
    if (IgnoreFace(polygon)) {
      host_.SetLabelProgress("ignoring face " + NumberText(face_number_));
    } else {
      if (has_actors) PlacePolygon(polygon, brush, transform);
      host_.SetLabelPos("Face " + NumberText(face_number_));
      TextureStep(polygon);
      if (options_.DoGeometry) {
        ConvertFace(host_, out_, options_.OutputFile, polygon, width_, height_, face_number_,
                    face_state_);
        ++summary.FacesConverted;
      }
    }
    NextFace();
  }
}

// Puts a polygon of a brush actor where the editor puts it: by the brush's whole placement, or
// by its location alone when transforms are off; carving brushes then face the other way.
void Run::PlacePolygon(PolygonRecord& polygon, const BrushActor& brush,
                       const BrushTransform& transform) const {
  if (options_.BrushTransforms) {
    TransformPolygon(polygon, transform);
  } else {
    VecTranslateAll(polygon.Vertices, brush.Placement.Location);
    polygon.Origin = VecAdd(polygon.Origin, brush.Placement.Location);
  }
  if (brush.Csg == CsgOperation::Subtract) ReversePolygon(polygon);
}

// Whether the options or the face's own flags skip it; counts why, for the summary.
bool Run::IgnoreFace(const PolygonRecord& polygon) {
  const std::string& texture = polygon.Texture;
  if ((texture == "DefaultTexture" && options_.IgnoreDefaultTexture) ||
      (texture.empty() && options_.IgnoreNoTexture)) {
    ++summary.TextureSkipped;
    return true;
  }
  if (face_number_ < start_face_) {
    ++summary.BeforeStartFace;
    return true;
  }
  if ((polygon.Flags & 1) != 0) {  // invisible faces are never converted
    ++summary.InvisibleFaces;
    return true;
  }
  return false;
}

// Looks up a texture and flags pair the face before did not use, registering it when new.
void Run::TextureStep(const PolygonRecord& polygon) {
  const std::string& texture = polygon.Texture;
  if (texture.empty()) return;
  if (texture == previous_texture_ && polygon.Flags == previous_flags_) return;
  width_ = kDefaultTextureSize;
  height_ = kDefaultTextureSize;
  const std::int32_t index = FindTexture(table_, texture, polygon.Flags);
  if (index == -1) {
    host_.SetLabelProgress("adding texture");
    LocateTextureFile(host_, options_, texture, width_, height_);
    RegisterTexture(table_, texture, width_, height_, polygon.Flags);
  } else {
    width_ = table_[static_cast<std::size_t>(index)].Width;
    height_ = table_[static_cast<std::size_t>(index)].Height;
  }
  previous_texture_ = texture;
  previous_flags_ = polygon.Flags;
}

void Run::NextFace() {
  if (face_number_ == kLastFaceNumber) {
    throw BrushError("'" + options_.InputFile + "' has more than " + NumberText(kLastFaceNumber) +
                     " faces: the conversion stops after face " + NumberText(kLastFaceNumber) +
                     " (face numbers overflow)");
  }
  ++face_number_;
  Yield();
  host_.SetLabelProgress("getting poly");
}

}  // namespace

RunSummary RunConversion(const RunOptions& options, RunHost& host) {
  if (options.InputFile.empty()) return {};
  Run run(options, host);
  run.Execute();
  return run.summary;
}

}  // namespace brushwright
