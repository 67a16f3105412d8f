// The Go command's run: reads the level, chooses and places its brushes (or builds the world of
// them), writes their faces as OBJ or glTF, then the materials and the report.
#include "run/conversion_run.h"

#include <climits>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "image/image_file.h"
#include "platform/platform.h"
#include "run/face_converter.h"
#include "run/glb_output.h"
#include "run/material_library.h"
#include "run/report_writer.h"
#include "run/texture_files.h"
#include "run/texture_table.h"
#include "run/world_output.h"
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

// Whether the options take a brush actor with this CSG operation: every additive and
// subtractive brush for the world; else only the builder brush, or additive brushes and, when
// asked, subtractive ones.
bool TakesBrush(const RunOptions& options, CsgOperation csg) {
  if (options.BuildWorld) return csg == CsgOperation::Add || csg == CsgOperation::Subtract;
  if (options.BuildBrush) return csg == CsgOperation::None;
  return csg == CsgOperation::Add || (options.Subtractive && csg == CsgOperation::Subtract);
}

// Why a face is not written: by the ignore switches, the start face or its invisible flag.
enum class IgnoreReason { None, Texture, BeforeStart, Invisible };

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
  void WriteBrushFace(PolygonRecord& polygon);
  void PlacePolygon(PolygonRecord& polygon, const BrushActor& brush,
                    const BrushTransform& transform) const;
  void WriteWorld(Level& level);
  void WriteFragments(const PolygonRecord& source, const WorldMesh& mesh, std::size_t first,
                      std::size_t last, const std::vector<std::int32_t>& written_index,
                      WorldObjWriter& obj);
  IgnoreReason WhyIgnored(const PolygonRecord& polygon, std::int64_t flags,
                          std::int32_t face_number) const;
  bool IgnoreFace(const PolygonRecord& polygon, std::int64_t flags);
  void TextureStep(const PolygonRecord& polygon);
  std::int32_t MaterialIndex(const PolygonRecord& polygon) const;
  void NextFace(bool numbered_in_16_bits);
  void FinishGlb(bool has_actors);

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
  std::optional<FileTreeIndex> search_tree_;  // built on the first search
  std::optional<GlbOutput> glb_;              // the glTF output's scene
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

// Reads the input once, whatever it is (a file, a pipe, standard input as "-"), and never more
// than the largest text a run can convert.
void Run::ReadInput() {
  text_ = ReadInputText(options_.InputFile, kLargestInput);
}

// The run never writes over its own input (a level saved as "map.txt" with the report on).
void Run::CheckNotInput(const std::string& path, std::string_view what) const {
  std::error_code error;
  if (std::filesystem::equivalent(PathFromUtf8(options_.InputFile), PathFromUtf8(path), error)) {
    throw BrushError("the " + std::string(what) + " '" + path + "' would overwrite the input '" +
                     options_.InputFile + "'; choose another output file name");
  }
}

void Run::CheckOutputsSpareInput() const {
  const bool obj = options_.Format == OutputFormat::Obj;
  if (options_.DoGeometry) CheckNotInput(options_.OutputFile, obj ? "OBJ file" : "glTF file");
  if (obj) CheckNotInput(MtlPath(options_), "material library");
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
  const bool obj = options_.Format == OutputFormat::Obj;
  if (options_.OutputFile.empty()) {
    throw BrushError(std::string("no output file name: name the ") + (obj ? "OBJ" : "glTF") +
                     " file to write");
  }
  CheckOutputsSpareInput();
  if (options_.DoGeometry && obj) {
    out_.Write(options_.OutputFile, ObjHeaderText(MtlPath(options_)), false);
  }
  if (!obj) glb_.emplace(options_.Scale);
  MatScale(face_state_.MirrorMatrix, 1, -1, 1);
  face_state_.W3D = options_.W3D;
  host_.SetLabelProgress("getting poly");
  Yield();

  // Read the level with the polygons of the brushes the options take; then write them, or the
  // world they build.
  LevelReading reading;
  reading.Take = [this](const BrushActor& brush) { return TakesBrush(options_, brush.Csg); };
  reading.TextureOnly = !options_.DoGeometry && !options_.BuildWorld;
  Level level = ReadLevel(text_, reading);
  CountBrushes(level);
  if (options_.BuildWorld) {
    WriteWorld(level);
  } else {
    for (BrushActor& brush : level.Brushes) {
      if (brush.Taken) WriteBrush(brush, level.HasActors);
    }
  }
  const bool has_actors = level.HasActors;
  level = Level{};  // the brushes are written: their memory goes to the report's actors

  // End: materials (inside the glTF file, or the MTL file), then the report.
  if (obj) {
    summary.MissingTextures = WriteMaterialLibrary(host_, out_, options_, table_);
  } else {
    FinishGlb(has_actors);
    summary.MissingTextures = WriteMissingTextureList(host_, out_, options_, table_);
  }
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
  const bool choosing = !options_.BuildBrush && !options_.BuildWorld;
  for (const BrushActor& brush : level.Brushes) {
    if (level.HasActors) ++summary.BrushActors;
    if (brush.Taken) {
      ++summary.BrushesTaken;
      total_faces_ += static_cast<std::int32_t>(brush.Polygons.size());
    } else if (choosing && brush.Csg == CsgOperation::Subtract) {
      ++summary.SubtractiveSkipped;
    } else if (choosing && brush.Csg == CsgOperation::None) {
      ++summary.BuilderSkipped;
    } else if (options_.BuildWorld && brush.Csg == CsgOperation::Other) {
      ++summary.OtherOperations;
    }
  }
}

// The group of a taken brush, then each of its polygons: ignored, or placed, registered with
// its texture and converted.
void Run::WriteBrush(BrushActor& brush, bool has_actors) {
  if (options_.DoGeometry && brush.Group) {
    if (glb_) {
      glb_->BeginGroup(*brush.Group);
    } else {
      out_.Write(options_.OutputFile, "g " + *brush.Group, true);
    }
    ++summary.Groups;
  }
  const BrushTransform transform = PlacementTransform(brush.Placement);
  previous_flags_ = -1;
  for (PolygonRecord& polygon : brush.Polygons) {
    ++summary.PolygonsRead;
    WaitWhilePaused();
    host_.ShowFace(face_number_, total_faces_);
    if (IgnoreFace(polygon, polygon.Flags)) {
      host_.SetLabelProgress("ignoring face " + NumberText(face_number_));
    } else {
      if (has_actors) PlacePolygon(polygon, brush, transform);
      host_.SetLabelPos("Face " + NumberText(face_number_));
      TextureStep(polygon);
      if (options_.DoGeometry) {
        WriteBrushFace(polygon);
        ++summary.FacesConverted;
      }
    }
    NextFace(true);
  }
}

// One face of the brush output: into the OBJ file, or with positions of its own into the scene.
void Run::WriteBrushFace(PolygonRecord& polygon) {
  if (!glb_) {
    ConvertFace(host_, out_, options_.OutputFile, polygon, width_, height_, face_number_,
                face_state_);
    return;
  }
  host_.SetLabelProgress("converting vertices");
  MirrorPolygonFrame(polygon, face_state_.MirrorMatrix);
  host_.SetLabelProgress("processing texture");
  const TextureFrame frame =
      MirroredTextureFrame(polygon, width_, height_, face_number_, face_state_);
  const std::vector<FaceCorner> corners =
      FaceCorners(host_, frame, polygon.Vertices, face_state_.MirrorMatrix);
  host_.SetLabelProgress("saving verts");
  host_.SetLabelProgress("adding faces");
  glb_->AddFace(MaterialIndex(polygon), corners);
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

// The mesh's faces of each source polygon, in text order: the builder gives them by brush and
// polygon, so each polygon's are one run [first, second) of the list.
std::vector<std::pair<std::size_t, std::size_t>> FaceRanges(const PlacedWorld& placed,
                                                            const WorldMesh& mesh) {
  std::vector<std::pair<std::size_t, std::size_t>> ranges;
  std::size_t next = 0;
  for (std::size_t b = 0; b < placed.Actors.size(); ++b) {
    for (std::size_t p = 0; p < placed.Actors[b]->Polygons.size(); ++p) {
      const std::size_t first = next;
      while (next < mesh.Faces.size() && mesh.Faces[next].Brush == static_cast<std::int32_t>(b) &&
             mesh.Faces[next].Polygon == static_cast<std::int32_t>(p)) {
        ++next;
      }
      ranges.emplace_back(first, next);
    }
  }
  return ranges;
}

// The world output: builds the visible surfaces of the placed brushes, then writes the
// fragments of every source polygon the switches select, with the positions they share.
void Run::WriteWorld(Level& level) {
  const PlacedWorld placed = PlaceWorld(level);
  host_.SetLabelProgress("building world");
  Yield();
  const WorldMesh mesh = BuildWorld(placed.Brushes);
  summary.BrokenBrushes = mesh.BrokenBrushes;
  const auto ranges = FaceRanges(placed, mesh);

  // The positions of the fragments that will be written, numbered in order of first use.
  std::vector<std::int32_t> written_index(mesh.Positions.size(), -1);
  std::vector<Vector> written;
  std::size_t source = 0;
  for (const BrushActor* actor : placed.Actors) {
    for (const PolygonRecord& polygon : actor->Polygons) {
      const auto face_number = static_cast<std::int32_t>(source + 1);
      const auto [first, last] = ranges[source++];
      if (WhyIgnored(polygon, polygon.Flags | actor->PolyFlags, face_number) !=
          IgnoreReason::None) {
        continue;
      }
      for (std::size_t f = first; f < last; ++f) {
        for (const std::int32_t corner : mesh.Faces[f].Corners) {
          if (written_index[corner] >= 0) continue;
          written_index[corner] = static_cast<std::int32_t>(written.size());
          written.push_back(MatTransform(face_state_.MirrorMatrix, mesh.Positions[corner]));
        }
      }
    }
  }
  WorldObjWriter obj(out_, options_.OutputFile, face_state_);
  if (options_.DoGeometry) {
    if (glb_) {
      glb_->SetSharedPositions(written);
    } else {
      obj.WritePositions(written);
    }
  }

  // Each source polygon in text order: ignored, or, when fragments of it are visible, registered
  // with its texture and its fragments written.
  source = 0;
  for (const BrushActor* actor : placed.Actors) {
    bool group_written = false;
    previous_flags_ = -1;
    for (const PolygonRecord& polygon : actor->Polygons) {
      const auto [first, last] = ranges[source++];
      ++summary.PolygonsRead;
      WaitWhilePaused();
      host_.ShowFace(face_number_, total_faces_);
      if (IgnoreFace(polygon, polygon.Flags | actor->PolyFlags)) {
        host_.SetLabelProgress("ignoring face " + NumberText(face_number_));
      } else {
        host_.SetLabelPos("Face " + NumberText(face_number_));
        if (first < last) {
          if (options_.DoGeometry && !group_written && actor->Group) {
            if (glb_) {
              glb_->BeginGroup(*actor->Group);
            } else {
              obj.WriteGroup(*actor->Group);
            }
            ++summary.Groups;
            group_written = true;
          }
          TextureStep(polygon);
          if (options_.DoGeometry) WriteFragments(polygon, mesh, first, last, written_index, obj);
        }
      }
      NextFace(false);
    }
  }
}

// The visible fragments [first, last) of one source polygon, with the texture coordinates the
// brush output gives that polygon.
void Run::WriteFragments(const PolygonRecord& source, const WorldMesh& mesh, std::size_t first,
                         std::size_t last, const std::vector<std::int32_t>& written_index,
                         WorldObjWriter& obj) {
  host_.SetLabelProgress("converting vertices");
  PolygonRecord mirrored = source;
  MirrorPolygonFrame(mirrored, face_state_.MirrorMatrix);
  host_.SetLabelProgress("processing texture");
  const TextureFrame frame =
      MirroredTextureFrame(mirrored, width_, height_, face_number_, face_state_);
  host_.SetLabelProgress("saving verts");
  host_.SetLabelProgress("adding faces");
  for (std::size_t f = first; f < last; ++f) {
    const std::vector<std::int32_t>& fragment = mesh.Faces[f].Corners;
    VertexList points;
    for (const std::int32_t corner : fragment) points.push_back(mesh.Positions[corner]);
    const std::vector<FaceCorner> corners =
        FaceCorners(host_, frame, points, face_state_.MirrorMatrix);
    // The positions in the order FaceCorners visits the corners: 0, n-1, ..., 1.
    std::vector<std::int32_t> positions;
    for (std::size_t k = fragment.size(); k-- > 0;) {
      positions.push_back(written_index[fragment[(k + 1) % fragment.size()]]);
    }
    if (glb_) {
      glb_->AddSharedFace(MaterialIndex(source), positions, corners);
    } else {
      obj.WriteFace(source.Texture, source.Flags, positions, corners, face_number_);
    }
    ++summary.Fragments;
  }
  ++summary.FacesConverted;
}

IgnoreReason Run::WhyIgnored(const PolygonRecord& polygon, std::int64_t flags,
                             std::int32_t face_number) const {
  const std::string& texture = polygon.Texture;
  if ((texture == "DefaultTexture" && options_.IgnoreDefaultTexture) ||
      (texture.empty() && options_.IgnoreNoTexture)) {
    return IgnoreReason::Texture;
  }
  if (face_number < start_face_) return IgnoreReason::BeforeStart;
  if ((flags & 1) != 0) return IgnoreReason::Invisible;  // invisible faces are never written
  return IgnoreReason::None;
}

// Whether the options or the face's flags skip it; counts why, for the summary.
bool Run::IgnoreFace(const PolygonRecord& polygon, std::int64_t flags) {
  switch (WhyIgnored(polygon, flags, face_number_)) {
    case IgnoreReason::None:
      return false;
    case IgnoreReason::Texture:
      ++summary.TextureSkipped;
      break;
    case IgnoreReason::BeforeStart:
      ++summary.BeforeStartFace;
      break;
    case IgnoreReason::Invisible:
      ++summary.InvisibleFaces;
      break;
  }
  return true;
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
    std::optional<LoadedPicture> picture =
        LocateTextureFile(host_, options_, search_tree_, texture, width_, height_);
    // The glTF file carries the images; the OBJ output needs only their sizes.
    if (picture && glb_) glb_->AddPicture(texture, std::move(*picture));
    RegisterTexture(table_, texture, width_, height_, polygon.Flags);
  } else {
    width_ = table_[static_cast<std::size_t>(index)].Width;
    height_ = table_[static_cast<std::size_t>(index)].Height;
  }
  previous_texture_ = texture;
  previous_flags_ = polygon.Flags;
}

// The glTF material of a face: its texture and flags pair's entry; none without a texture.
std::int32_t Run::MaterialIndex(const PolygonRecord& polygon) const {
  if (polygon.Texture.empty()) return kNoGlbMaterial;
  return FindTexture(table_, polygon.Texture, polygon.Flags);
}

// Counts the face; the brush output numbers faces in 16 bits and stops past the last.
void Run::NextFace(bool numbered_in_16_bits) {
  if (numbered_in_16_bits && face_number_ == kLastFaceNumber) {
    throw BrushError("'" + options_.InputFile + "' has more than " + NumberText(kLastFaceNumber) +
                     " faces: the conversion stops after face " + NumberText(kLastFaceNumber) +
                     " (face numbers overflow)");
  }
  ++face_number_;
  Yield();
  host_.SetLabelProgress("getting poly");
}

// Writes the glTF file: the faces gathered, the materials with their images, and the actors.
void Run::FinishGlb(bool has_actors) {
  if (!options_.DoGeometry) return;
  glb_->SetMaterials(table_);
  if (options_.Actors && has_actors) glb_->AddActors(ReadReportActors(text_));
  summary.Triangles = glb_->Write(options_.OutputFile).Triangles;
}

}  // namespace

RunSummary RunConversion(const RunOptions& options, RunHost& host) {
  if (options.InputFile.empty()) return {};
  Run run(options, host);
  run.Execute();
  return run.summary;
}

}  // namespace brushwright
