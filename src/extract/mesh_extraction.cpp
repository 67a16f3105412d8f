// Writes the static meshes of a package each as its own file, in folders by package and group.
#include "extract/mesh_extraction.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <system_error>
#include <utility>

#include "extract/texture_extraction.h"
#include "image/image_file.h"
#include "level/level.h"
#include "platform/platform.h"
#include "run/material_library.h"
#include "run/mesh_textures.h"
#include "run/output_kinds.h"
#include "run/package_textures.h"
#include "run/texture_files.h"
#include "text/brush_error.h"
#include "text/file_text.h"

namespace brushwright {

namespace fs = std::filesystem;

namespace {

// The host of the texture phase while meshes are extracted: nothing to show, messages kept.
class CollectingHost : public RunHost {
 public:
  void SetLabelProgress(std::string_view /*text*/) override {}
  void SetLabelPos(std::string_view /*text*/) override {}
  void SetLabelTextureName(std::string_view /*text*/) override {}
  void ShowFace(std::int32_t /*number*/, std::int32_t /*total*/) override {}
  RunRequest Yield() override { return RunRequest::Continue; }
  void ShowPicture(const Image& /*picture*/) override {}
  void SetCurrentPosition(double x, double y) override {
    x_ = x;
    y_ = y;
  }
  void CurrentPosition(double& x, double& y) override {
    x = x_;
    y = y_;
  }
  void DrawLine(int /*x1*/, int /*y1*/, int x2, int y2) override {
    x_ = x2;
    y_ = y2;
  }
  void ShowMessage(std::string_view text, std::string_view /*title*/,
                   MessageKind /*kind*/) override {
    messages_.emplace_back(text);
  }
  std::vector<std::string> TakeMessages() { return std::exchange(messages_, {}); }

 private:
  double x_ = 0;
  double y_ = 0;
  std::vector<std::string> messages_;
};

// Writes the images the texture sources found beside the mesh, then the mesh through its output
// kind's writer, with the kind's material library (its missing images are told once, at the end).
void WriteMeshFiles(const Mesh& mesh, const RunMaterials& materials, const RunOptions& run,
                    RunHost& host) {
  const OutputKind& kind = OutputKindOf(run.Format);
  if (kind.PicturesBeside) {
    for (const auto& [name, found] : materials.Pictures) PlaceTextureFile(found);
  }
  const Level no_level;  // a mesh of its own: no actors
  OutputFiles out;
  kind.WriteGeometry(OutputJob{run, mesh, materials, no_level, out, host});
  if (!kind.MaterialLibrary.empty()) WriteMtlFile(out, run, materials.Table);
  out.Flush();
}

// The images of the table's textures that are not beside the output.
std::vector<std::string> MissingImages(const RunOptions& run, const TextureTable& table) {
  std::vector<std::string> missing;
  if (table.empty() || table[0].Name.empty()) return missing;
  for (const TextureEntry& entry : table) {
    if (!IsSafeFileName(entry.Name) ||
        !FileExists(TexturePathFile(run.OutputFile, entry.Name, run.TextureType))) {
      missing.push_back(entry.Name + "." + run.TextureType);
    }
  }
  return missing;
}

}  // namespace

Mesh MeshOfStaticMesh(const StaticMesh& mesh) {
  Mesh out;
  out.Positions = mesh.Positions;
  out.SharedPositions = true;
  MeshGroup& group = out.Groups.emplace_back();
  group.Name = mesh.Name;
  for (std::size_t s = 0; s < mesh.Sections.size(); ++s) {
    const StaticMeshSection& section = mesh.Sections[s];
    if (section.TriangleCount <= 0) continue;
    const auto surface = static_cast<std::int32_t>(out.Surfaces.size());
    MeshSurface& added = out.Surfaces.emplace_back();
    added.Texture = section.Material;
    added.Number = static_cast<std::int32_t>(s) + 1;
    for (std::int32_t t = 0; t < section.TriangleCount; ++t) {
      const std::size_t first = static_cast<std::size_t>(section.FirstIndex) + 3 * std::size_t(t);
      MeshFace& face = group.Faces.emplace_back();
      face.Surface = surface;
      // Stored clockwise seen from the front; a level's faces turn the other way.
      for (const std::size_t k : {first, first + 2, first + 1}) {
        const std::uint32_t index = mesh.Indices[k];
        const std::array<float, 2>& uv = mesh.UVs[index];
        face.Corners.push_back(MeshCorner{static_cast<std::int32_t>(index), uv[0], 1.0 - uv[1]});
      }
    }
  }
  return out;
}

MeshExtractionSummary ExtractMeshes(const RunOptions& options, const std::string& output_dir) {
  const PackageFile package = PackageFile::Open(options.InputFile);
  MeshExtractionSummary summary;
  // The sources hold the options, whose output file moves from mesh to mesh, so that each
  // mesh's images land beside it; the sources' indexes are built once for the package.
  RunOptions run = options;
  CollectingHost host;
  TextureSources sources;
  const ImageFormat texture_format = TextureImageFormat(run);
  sources.push_back(std::make_unique<FolderTextureSource>(run, texture_format, host));
  auto packages = std::make_unique<PackageTextureSource>(run, texture_format, host, true);
  const PackageTextureSource& package_source = *packages;
  sources.push_back(std::move(packages));
  std::set<std::string> missing;

  for (const std::int32_t index : StaticMeshExports(package)) {
    const std::string name = package.ObjectPath(ExportRef(index));
    std::optional<fs::path> path = ObjectFilePath(package, ExportRef(index), output_dir);
    if (!path) {
      summary.NotWritten.push_back(name + " in '" + options.InputFile +
                                   "': its name cannot be a file name");
      continue;
    }
    std::error_code error;
    fs::create_directories(path->parent_path(), error);
    if (error) {
      throw BrushError("cannot make folder '" + Utf8FromPath(path->parent_path()) +
                       "': " + error.message());
    }
    *path += PathFromUtf8(std::string(OutputKindOf(run.Format).Extension));
    run.OutputFile = Utf8FromPath(*path);
    try {
      Mesh mesh = MeshOfStaticMesh(ReadStaticMesh(package, index));
      TexturePhase phase;
      phase.Coordinates = false;  // the mesh brings its own
      const RunMaterials materials = FindTextures(mesh, sources, host, phase);
      WriteMeshFiles(mesh, materials, run, host);
      for (std::string& image : MissingImages(run, materials.Table)) missing.insert(image);
      ++summary.Written;
    } catch (const BrushError& failure) {
      summary.NotWritten.push_back(failure.what());
    }
  }
  for (const std::string& notice : package_source.Notices()) summary.Notices.push_back(notice);
  for (const std::string& message : host.TakeMessages()) summary.Notices.push_back(message);
  for (const std::string& image : missing) summary.Notices.push_back("missing image: " + image);
  summary.MissingTextures = static_cast<int>(missing.size());
  return summary;
}

}  // namespace brushwright
