// The Go command's run, phase by phase: read, choose and place, build, textures, write, report.
#include "run/conversion_run.h"

#include <climits>
#include <cstdint>
#include <filesystem>
#include <map>
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
#include "run/level_light.h"
#include "run/light_bake.h"
#include "run/mesh_build.h"
#include "run/mesh_textures.h"
#include "run/option_rules.h"
#include "run/output_kinds.h"
#include "run/package_textures.h"
#include "run/placed_actors.h"
#include "run/report_writer.h"
#include "run/static_mesh_library.h"
#include "run/terrain_build.h"
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

// What the level shows besides its brushes' surfaces, as composing it into the mesh counted.
struct Composition {
  std::int32_t PlacedMeshes = 0;
  std::int32_t MeshesRead = 0;
  std::int32_t Movers = 0;
  std::string LeftOut;
  std::int32_t TerrainFaces = 0;  // written (counted only when the geometry is)
  std::int32_t Terrains = 0;
};

// The summary of what the build, compose and textures phases returned; the write phase adds
// its counts.
RunSummary SummaryOf(const BuildCounts& counts, const Composition& composed,
                     const RunMaterials& materials) {
  RunSummary summary;
  summary.PolygonsRead = counts.PolygonsRead;
  summary.FacesConverted = counts.FacesConverted + composed.TerrainFaces;
  summary.Groups = counts.Groups + composed.Terrains;
  summary.BrushActors = counts.BrushActors;
  summary.BrushesTaken = counts.BrushesTaken;
  summary.SubtractiveSkipped = counts.SubtractiveSkipped;
  summary.BuilderSkipped = counts.BuilderSkipped;
  summary.OtherOperations = counts.OtherOperations;
  summary.InvisibleFaces = counts.InvisibleFaces;
  summary.BeforeStartFace = counts.BeforeStartFace;
  summary.TextureSkipped = counts.TextureSkipped;
  summary.Fragments = counts.Fragments;
  summary.BrokenBrushes = counts.BrokenBrushes;
  summary.BuiltSurfaces = counts.BuiltSurfaces;
  summary.PlacedMeshes = composed.PlacedMeshes;
  summary.MeshesRead = composed.MeshesRead;
  summary.Movers = composed.Movers;
  summary.LeftOut = composed.LeftOut;
  summary.Materials =
      materials.Table.front().Name.empty() ? 0 : static_cast<std::int32_t>(materials.Table.size());
  for (const auto& [name, found] : materials.Pictures) {
    if (found.Converted) ++summary.TexturesConverted;
    if (found.FromPackage) ++summary.TexturesFromPackages;
    if (found.ThroughMaterial) ++summary.MaterialsFollowed;
  }
  return summary;
}

// The result a front end shows: the materials by the run's numbers with the pictures found, and
// the player starts in the order the glTF output marks them.
RunResult ResultOf(Mesh mesh, RunMaterials materials, const Level& level, double scale) {
  RunResult result;
  result.Geometry = std::move(mesh);
  result.Scale = scale;
  // A texture under several flags is one picture, copied to each of its materials but the last,
  // which takes it.
  std::map<std::string, int> uses;
  for (const TextureEntry& entry : materials.Table) ++uses[entry.Name];
  for (const TextureEntry& entry : materials.Table) {
    if (entry.Name.empty()) break;  // the table's empty state
    ResultMaterial& material = result.Materials.emplace_back();
    material.Name = MaterialName(entry.Name, entry.Flags);
    material.Flags = entry.Flags;
    const auto found = materials.Pictures.find(entry.Name);
    if (found == materials.Pictures.end()) continue;
    if (--uses[entry.Name] == 0) {
      material.Picture = std::move(found->second.Picture);
    } else {
      material.Picture = found->second.Picture;
    }
  }
  for (const auto* starts : {&level.Actors.PlayerStarts, &level.OtherStarts}) {
    for (const PlayerStartRecord& start : *starts) {
      result.PlayerStarts.push_back(ResultStart{start.Location, start.Rotation});
    }
  }
  return result;
}

// Everything one run keeps from its start to its end.
class Run {
 public:
  Run(const RunOptions& options, RunHost& host, ResultSink* results)
      : options_(options), host_(host), results_(results) {}
  void Execute();
  RunSummary summary;

 private:
  void Convert();
  void Yield();
  void BeforeFace(const MeshSurface& surface, std::int32_t faces_to_read);
  void CheckOutputsSpareInput() const;
  void CheckNotInput(const std::string& path, std::string_view what) const;
  BuiltMesh BuildMesh(Level& level, const FaceChoice& faces);
  Composition ComposeLevel(const Level& level, std::int32_t first_terrain_face, Mesh& mesh,
                           BakedTextureSource& baked);
  LevelLight LightTheLevel(const Level& level, Mesh& mesh);
  void ShowPassedOver(const Level& level);
  [[noreturn]] void ThrowFaceLimit() const;
  void ShowNotices(const std::vector<std::string>& notices);

  const RunOptions& options_;
  RunHost& host_;
  OutputFiles out_;
  RunRequest request_ = RunRequest::Continue;  // what the last yield brought
  ResultSink* results_;                        // null: nobody takes the result
  std::vector<std::string> notices_;           // shown together at the end of the textures phase
};

// Lets the front end process its events; a window that is closing ends the run here.
void Run::Yield() {
  request_ = host_.Yield();
  if (request_ == RunRequest::Stop) throw GiveUp{};
}

// Between faces: yields, waits while the user has paused the run, and shows the face in hand.
void Run::BeforeFace(const MeshSurface& surface, std::int32_t faces_to_read) {
  Yield();
  if (request_ == RunRequest::Pause) {
    host_.SetLabelProgress("Paused");
    while (request_ == RunRequest::Pause) Yield();
  }
  host_.SetLabelProgress("getting poly");
  host_.ShowFace(surface.Number, faces_to_read);
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
  const ImageFormat texture_format = TextureImageFormat(options_);
  host_.SetLabelProgress("Reading file");
  host_.SetLabelPos("");
  Yield();

  // Read: the level, whatever the input's kind; the input is not looked at again.
  Level level = ReadLevelFile(options_.InputFile, kLargestInput, options_.BuiltWorld,
                              options_.Light != LightMode::None);
  if (options_.OutputFile.empty()) {
    throw BrushError("no output file name: name the " + std::string(kind.Name) + " file to write");
  }
  CheckOutputsSpareInput();
  ShowPassedOver(level);
  host_.SetLabelProgress("getting poly");
  Yield();

  // Build the mesh: of the chosen and placed brushes' faces, of the world they build, or of the
  // level's own build.
  BuiltMesh built = BuildMesh(level, FaceChoice(options_, start_face));
  Mesh& mesh = built.Faces;
  // Compose: what the level shows besides its brushes' surfaces, where the output shows it (the
  // terrains with their baked images).
  auto baked = std::make_unique<BakedTextureSource>(options_, texture_format);
  const Composition composed = ComposeLevel(level, built.Counts.FacesToRead + 1, mesh, *baked);
  // Light: what the level's lights shed where the level stores no light of its own.
  const LevelLight light = LightTheLevel(level, mesh);

  // Textures: each surface's material and picture, and the corners' texture coordinates.
  // Image files (beside the output, then the search tree's) win over packages, so that a user's
  // own image overrides what a package holds.
  TextureSources sources;
  sources.push_back(std::move(baked));
  sources.push_back(std::make_unique<FolderTextureSource>(options_, texture_format, host_));
  auto packages =
      std::make_unique<PackageTextureSource>(options_, texture_format, host_, level.FromPackage);
  const PackageTextureSource& package_source = *packages;
  sources.push_back(std::move(packages));
  TexturePhase phase;
  phase.Coordinates = options_.DoGeometry;
  phase.BeforeSurface = [this, total = built.Counts.FacesToRead](const MeshSurface& surface) {
    BeforeFace(surface, total);
  };
  RunMaterials materials = FindTextures(mesh, sources, host_, phase);
  // Baked light: the lit faces' textures drawn under their light into new images instead.
  if (options_.Light == LightMode::Bake && options_.DoGeometry) {
    materials = BakeRunLight(mesh, std::move(materials), options_, texture_format, host_,
                             results_ != nullptr);
  }
  notices_.insert(notices_.end(), package_source.Notices().begin(), package_source.Notices().end());
  ShowNotices(notices_);

  // Write: the textures' image files beside the output, the mesh, then the materials (inside
  // the geometry file, or a library beside it).
  if (kind.PicturesBeside) {
    for (const auto& [name, found] : materials.Pictures) PlaceTextureFile(found);
  }
  const OutputJob job{options_, mesh, materials, level, out_, host_};
  if (built.FaceLimitPassed && !kind.WritesUpToFaceLimit) ThrowFaceLimit();
  std::int64_t triangles = 0;
  if (options_.DoGeometry) {
    host_.SetLabelProgress("saving verts");
    triangles = kind.WriteGeometry(job);
  }
  if (built.FaceLimitPassed) ThrowFaceLimit();
  const int missing = kind.WriteMaterials(job);
  summary = SummaryOf(built.Counts, composed, materials);
  summary.Triangles = triangles;
  summary.MissingTextures = missing;
  summary.LightRays = light.Rays;
  summary.LightPages = static_cast<std::int32_t>(mesh.LightPages.size());
  for (const LightPage& page : mesh.LightPages) {
    summary.LightTexels += static_cast<std::int64_t>(page.Texels.size());
  }

  // Report.
  if (options_.Report && level.HasActors) {
    host_.SetLabelPos("Writing Report");
    summary.ReportBlocks =
        WriteReport(out_, ReportPath(options_), level.Actors, options_.W3D, [this] { Yield(); });
  }
  out_.Flush();
  host_.SetLabelPos("");
  host_.SetLabelProgress("Done");

  // Hand out: the mesh as written, once every file is on disk.
  if (results_ != nullptr && options_.DoGeometry) {
    results_->TakeResult(ResultOf(std::move(mesh), std::move(materials), level, options_.Scale));
  }
}

// A package's brushes that could not be read are named before the run goes on without them.
void Run::ShowPassedOver(const Level& level) {
  if (level.PassedOver.empty()) return;
  std::string text = "'" + options_.InputFile + "': these brushes are left out:";
  for (const std::string& line : level.PassedOver) text += std::string(kLineBreak) + line;
  host_.ShowMessage(text, "Brushes left out", MessageKind::Notice);
}

BuiltMesh Run::BuildMesh(Level& level, const FaceChoice& faces) {
  if (options_.BuiltWorld) {
    host_.SetLabelProgress("reading the level's build");
    Yield();
    BuiltMesh built = BuildBuiltWorldMesh(level, *level.Bsp, faces, options_.DoGeometry);
    built.Counts.BrushActors = static_cast<std::int32_t>(level.Brushes.size());
    built.Counts.FacesToRead = built.Counts.PolygonsRead;
    return built;
  }
  // The brushes' polygons go over to the choice: nothing after it reads them from the level.
  const BrushChoice choice =
      ChooseAndPlaceBrushes(std::move(level.Brushes), level.HasActors, options_);
  std::int32_t faces_to_read = 0;
  for (const PlacedBrush& brush : choice.Brushes) {
    faces_to_read += static_cast<std::int32_t>(brush.Polygons.size());
  }
  BuiltMesh built;
  if (options_.BuildWorld) {
    host_.SetLabelProgress("building world");
    Yield();
    built = BuildWorldMesh(choice, faces, options_.DoGeometry);
  } else {
    built = BuildBrushMesh(choice, faces, options_.DoGeometry);
  }
  BuildCounts& counts = built.Counts;
  counts.FacesToRead = faces_to_read;
  counts.BrushActors = choice.BrushActors;
  counts.BrushesTaken = static_cast<std::int32_t>(choice.Brushes.size());
  counts.SubtractiveSkipped = choice.SubtractiveSkipped;
  counts.BuilderSkipped = choice.BuilderSkipped;
  counts.OtherOperations = choice.OtherOperations;
  return built;
}

// Places the level's meshes and movers, then its terrains (their images go to `baked`), where
// the output shows the whole level; `first_terrain_face` numbers the terrains' surfaces on from
// the run's faces.
Composition Run::ComposeLevel(const Level& level, std::int32_t first_terrain_face, Mesh& mesh,
                              BakedTextureSource& baked) {
  Composition composed;
  const bool whole = ShowsWholeLevel(options_);
  PlacedKinds kinds;
  kinds.StaticMeshes = options_.StaticMeshes;
  kinds.Movers = options_.Movers;
  kinds.Terrain = options_.Terrain;
  kinds.Instanced = OutputKindOf(options_.Format).PlacesInstances;
  composed.LeftOut = LeftOutText(LeftOutOf(level, kinds, whole));
  if (whole && (!level.MeshActors.empty() || !level.Movers.empty())) {
    host_.SetLabelProgress("placing meshes");
    Yield();
    // A T3D text names its map's own meshes as MyLevel: the map of its name in the search folder.
    const bool search = options_.SearchCopy && !options_.SearchPath.empty();
    StaticMeshLibrary library(
        level.FromPackage ? options_.InputFile : "", search ? options_.SearchPath : "",
        level.FromPackage ? "" : StripExtension(FileNameOfPath(options_.InputFile)));
    const PlacedCounts counts = AddPlacedActors(level, kinds, library, mesh);
    composed.PlacedMeshes = counts.MeshActors;
    composed.MeshesRead = library.MeshesRead();
    composed.Movers = counts.Movers;
    const std::vector<std::string> notices = library.Notices();
    notices_.insert(notices_.end(), notices.begin(), notices.end());
  }

  if (!options_.Terrain || !whole || level.Terrains.empty()) return composed;
  host_.SetLabelProgress("building terrain");
  Yield();
  const TerrainOutcome terrains = AddTerrains(level, options_, first_terrain_face, mesh, baked);
  if (options_.DoGeometry) {
    composed.TerrainFaces = terrains.Faces;
    composed.Terrains = terrains.Terrains;
  }
  notices_.insert(notices_.end(), terrains.Notices.begin(), terrains.Notices.end());
  return composed;
}

// The light phase, when the output carries the level's light and writes geometry for it.
LevelLight Run::LightTheLevel(const Level& level, Mesh& mesh) {
  if (options_.Light == LightMode::None || !options_.DoGeometry) return {};
  host_.SetLabelProgress("lighting");
  Yield();
  // Between faces the run yields, and waits while the user has paused it.
  return LightLevel(level, mesh, [this] {
    Yield();
    if (request_ != RunRequest::Pause) return;
    host_.SetLabelProgress("Paused");
    while (request_ == RunRequest::Pause) Yield();
    host_.SetLabelProgress("lighting");
  });
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

RunSummary RunConversion(const RunOptions& options, RunHost& host, ResultSink* results) {
  if (options.InputFile.empty()) return {};
  Run run(options, host, results);
  run.Execute();
  return run.summary;
}

}  // namespace brushwright
