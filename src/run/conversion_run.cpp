// The Go command's run, phase by phase: read, choose and place, build, textures, write, report.
#include "run/conversion_run.h"

#include <climits>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

#include "image/image_file.h"
#include "platform/platform.h"
#include "run/brush_choice.h"
#include "run/built_world_mesh.h"
#include "run/face_choice.h"
#include "run/level_input.h"
#include "run/mesh_build.h"
#include "run/mesh_textures.h"
#include "run/option_rules.h"
#include "run/output_kinds.h"
#include "run/package_textures.h"
#include "run/report_writer.h"
#include "run/texture_files.h"
#include "text/brush_error.h"
#include "text/file_text.h"
#include "text/number_text.h"

namespace brushwright {
namespace {

// Positions in the text are 32-bit; leave room for "position + key length" arithmetic.
constexpr std::size_t kLargestInput = INT_MAX - 1024;

// Thrown by a yield that finds the window closing; caught once by the run.
struct GiveUp {};

// Everything one run keeps from its start to its end.
class Run {
 public:
  Run(const RunOptions& options, RunHost& host) : options_(options), host_(host) {}
  void Execute();
  RunSummary summary;

 private:
  void Convert();
  void Yield();
  void BeforeFace(const MeshSurface& surface);
  void CheckOutputsSpareInput() const;
  void CheckNotInput(const std::string& path, std::string_view what) const;
  Mesh BuildMesh(Level& level, const FaceChoice& faces, bool& face_limit_passed);
  void ShowPassedOver(const Level& level);
  [[noreturn]] void ThrowFaceLimit() const;
  void ShowNotices(const std::vector<std::string>& notices);

  const RunOptions& options_;
  RunHost& host_;
  OutputFiles out_;
  RunRequest request_ = RunRequest::Continue;  // what the last yield brought
  std::int32_t total_faces_ = 0;
};

// Lets the front end process its events; a window that is closing ends the run here.
void Run::Yield() {
  request_ = host_.Yield();
  if (request_ == RunRequest::Stop) throw GiveUp{};
}

// Between faces: yields, waits while the user has paused the run, and shows the face in hand.
void Run::BeforeFace(const MeshSurface& surface) {
  Yield();
  if (request_ == RunRequest::Pause) {
    host_.SetLabelProgress("Paused");
    while (request_ == RunRequest::Pause) Yield();
  }
  host_.SetLabelProgress("getting poly");
  host_.ShowFace(surface.Number, total_faces_);
  host_.SetLabelPos("Face " + NumberText(surface.Number));
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
  const OutputKind& kind = OutputKindOf(options_.Format);
  if (options_.DoGeometry) CheckNotInput(options_.OutputFile, std::string(kind.Name) + " file");
  if (!kind.MaterialLibrary.empty()) {
    CheckNotInput(StripExtension(options_.OutputFile) + std::string(kind.MaterialLibrary),
                  "material library");
  }
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
  // Start: the options.
  if (const auto conflict = FindOptionConflict(options_)) {
    throw BrushError(ConflictMessage(*conflict, false));
  }
  const std::int32_t start_face =
      RoundToInt32(NumberValue(options_.StartFace), "start face '" + options_.StartFace + "'");
  const OutputKind& kind = OutputKindOf(options_.Format);
  // A type that is none of the six writes BMP images under its own extension.
  const ImageFormat texture_format =
      ImageFormatNamed(options_.TextureType).value_or(ImageFormat::Bmp);
  host_.SetLabelProgress("Reading file");
  host_.SetLabelPos("");
  Yield();

  // Read: the level, whatever the input's kind; the input is not looked at again.
  Level level = ReadLevelFile(options_.InputFile, kLargestInput, options_.BuiltWorld);
  if (options_.OutputFile.empty()) {
    throw BrushError("no output file name: name the " + std::string(kind.Name) + " file to write");
  }
  CheckOutputsSpareInput();
  ShowPassedOver(level);
  host_.SetLabelProgress("getting poly");
  Yield();

  // Build the mesh: of the chosen and placed brushes' faces, of the world they build, or of the
  // level's own build.
  bool face_limit_passed = false;
  Mesh mesh = BuildMesh(level, FaceChoice(options_, start_face), face_limit_passed);

  // Textures: each surface's material and picture, and the corners' texture coordinates.
  // Image files (beside the output, then the search tree's) win over packages, so that a user's
  // own image overrides what a package holds.
  TextureSources sources;
  auto files = std::make_unique<FolderTextureSource>(options_, texture_format, host_);
  auto packages =
      std::make_unique<PackageTextureSource>(options_, texture_format, host_, level.FromPackage);
  const FolderTextureSource& file_source = *files;
  const PackageTextureSource& package_source = *packages;
  sources.push_back(std::move(files));
  sources.push_back(std::move(packages));
  TexturePhase phase;
  phase.Coordinates = options_.DoGeometry;
  phase.KeepPictures = options_.DoGeometry;
  phase.BeforeSurface = [this](const MeshSurface& surface) { BeforeFace(surface); };
  const RunMaterials materials = FindTextures(mesh, sources, host_, phase);
  summary.TexturesConverted = file_source.Converted();
  summary.TexturesFromPackages = package_source.Found();
  summary.MaterialsFollowed = package_source.ThroughMaterials();
  ShowNotices(package_source.Notices());

  // Write: the mesh, then the materials (inside the geometry file, or a library beside it).
  const OutputJob job{options_, mesh, materials, level, out_, host_};
  if (face_limit_passed && !kind.WritesUpToFaceLimit) ThrowFaceLimit();
  if (options_.DoGeometry) {
    host_.SetLabelProgress("saving verts");
    summary.Triangles = kind.WriteGeometry(job);
  }
  if (face_limit_passed) ThrowFaceLimit();
  summary.MissingTextures = kind.WriteMaterials(job);
  summary.Materials =
      materials.Table.front().Name.empty() ? 0 : static_cast<std::int32_t>(materials.Table.size());

  // Report.
  if (options_.Report && level.HasActors) {
    host_.SetLabelPos("Writing Report");
    summary.ReportBlocks =
        WriteReport(out_, ReportPath(options_), level.Actors, options_.W3D, [this] { Yield(); });
  }
  out_.Flush();
  host_.SetLabelPos("");
  host_.SetLabelProgress("Done");
}

// A package's brushes that could not be read are named before the run goes on without them.
void Run::ShowPassedOver(const Level& level) {
  if (level.PassedOver.empty()) return;
  std::string text = "'" + options_.InputFile + "': these brushes are left out:";
  for (const std::string& line : level.PassedOver) text += std::string(kLineBreak) + line;
  host_.ShowMessage(text, "Brushes left out", MessageKind::Notice);
}

Mesh Run::BuildMesh(Level& level, const FaceChoice& faces, bool& face_limit_passed) {
  summary.BrushActors = static_cast<std::int32_t>(level.Brushes.size());
  if (options_.BuiltWorld) {
    host_.SetLabelProgress("reading the level's build");
    Yield();
    Mesh mesh = BuildBuiltWorldMesh(level, *level.Bsp, faces, options_.DoGeometry, summary);
    total_faces_ = summary.PolygonsRead;
    return mesh;
  }
  // The brushes' polygons go over to the choice: nothing after it reads them from the level.
  const BrushChoice choice =
      ChooseAndPlaceBrushes(std::move(level.Brushes), level.HasActors, options_);
  summary.BrushActors = choice.BrushActors;
  summary.BrushesTaken = static_cast<std::int32_t>(choice.Brushes.size());
  summary.SubtractiveSkipped = choice.SubtractiveSkipped;
  summary.BuilderSkipped = choice.BuilderSkipped;
  summary.OtherOperations = choice.OtherOperations;
  for (const PlacedBrush& brush : choice.Brushes) {
    total_faces_ += static_cast<std::int32_t>(brush.Polygons.size());
  }
  if (options_.BuildWorld) {
    host_.SetLabelProgress("building world");
    Yield();
    return BuildWorldMesh(choice, faces, options_.DoGeometry, summary);
  }
  BrushMesh built = BuildBrushMesh(choice, faces, options_.DoGeometry, summary);
  face_limit_passed = built.FaceLimitPassed;
  return std::move(built.Faces);
}

// What the texture search has to tell the user, in one message.
void Run::ShowNotices(const std::vector<std::string>& notices) {
  if (notices.empty()) return;
  std::string text;
  for (const std::string& line : notices) text += line + std::string(kLineBreak);
  host_.ShowMessage(text, "Brushwright", MessageKind::Notice);
}

// The brush output numbers its faces in 16 bits: the faces before the limit are written, then
// the run stops.
void Run::ThrowFaceLimit() const {
  throw BrushError("'" + options_.InputFile + "' has more than " + NumberText(kLastFaceNumber) +
                   " faces: the conversion stops after face " + NumberText(kLastFaceNumber) +
                   " (face numbers overflow)");
}

}  // namespace

RunSummary RunConversion(const RunOptions& options, RunHost& host) {
  if (options.InputFile.empty()) return {};
  Run run(options, host);
  run.Execute();
  return run.summary;
}

}  // namespace brushwright
