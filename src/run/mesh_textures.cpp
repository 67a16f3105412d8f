// The textures phase of a run: materials, pictures and texture coordinates.
#include "run/mesh_textures.h"

#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "level/poly_flags.h"
#include "run/preview_plot.h"
#include "text/number_text.h"

namespace brushwright {

namespace {

// Every texture starts at this size until its image is found.
constexpr std::int16_t kDefaultTextureSize = 256;

struct TextureSize {
  std::int16_t Width = kDefaultTextureSize;
  std::int16_t Height = kDefaultTextureSize;
};

// Looks textures up once each and keeps what was found.
class TextureFinder {
 public:
  TextureFinder(TextureSources& sources, RunHost& host, RunMaterials& materials,
                std::unordered_set<std::string> masked)
      : sources_(sources), host_(host), materials_(materials), masked_(std::move(masked)) {}

  // The size of the texture's image, 256 x 256 when no source has it.
  TextureSize SizeOf(const std::string& name) {
    const auto known = sizes_.find(name);
    if (known != sizes_.end()) return known->second;
    TextureSize size;
    if (std::optional<FoundTexture> found = Look(name, masked_.count(name) != 0)) {
      host_.ShowPicture(found->Picture);
      host_.SetLabelTextureName(name);
      size.Height =
          RoundToInt16(found->Picture.Height, "the height of image '" + found->Where + "'");
      size.Width = RoundToInt16(found->Picture.Width, "the width of image '" + found->Where + "'");
      materials_.Pictures.emplace(name, std::move(*found));
    }
    sizes_.emplace(name, size);
    return size;
  }

 private:
  std::optional<FoundTexture> Look(const std::string& name, bool masked) {
    for (const auto& source : sources_) {
      if (std::optional<FoundTexture> found = source->Find(name, masked)) return found;
    }
    return std::nullopt;
  }

  TextureSources& sources_;
  RunHost& host_;
  RunMaterials& materials_;
  std::unordered_set<std::string> masked_;  // textures some face shows Masked
  std::unordered_map<std::string, TextureSize> sizes_;
};

}  // namespace

RunMaterials FindTextures(Mesh& mesh, TextureSources& sources, RunHost& host,
                          const TexturePhase& phase) {
  RunMaterials materials;
  std::unordered_set<std::string> masked;
  for (const MeshSurface& surface : mesh.Surfaces) {
    if ((surface.Flags & kPolyFlagMasked) != 0) masked.insert(surface.Texture);
  }
  TextureFinder finder(sources, host, materials, std::move(masked));

  // The faces of each surface.
  std::vector<std::vector<MeshFace*>> faces_of(mesh.Surfaces.size());
  for (MeshGroup& group : mesh.Groups) {
    for (MeshFace& face : group.Faces) {
      faces_of[static_cast<std::size_t>(face.Surface)].push_back(&face);
    }
  }
  for (MeshShape& shape : mesh.Shapes) {
    for (MeshFace& face : shape.Faces) {
      faces_of[static_cast<std::size_t>(face.Surface)].push_back(&face);
    }
  }

  TextureSize size{0, 0};   // before any texture: coordinates come out as 1
  Matrix4 matrix_in_force;  // all zero until a face sets it
  for (std::size_t s = 0; s < mesh.Surfaces.size(); ++s) {
    if (faces_of[s].empty()) continue;
    MeshSurface& surface = mesh.Surfaces[s];
    if (phase.BeforeSurface) phase.BeforeSurface(surface);

    // The material: the pair's entry, registered with its image's size when new.
    if (!surface.Texture.empty()) {
      std::int32_t index = FindTexture(materials.Table, surface.Texture, surface.Flags);
      if (index < 0) {
        host.SetLabelProgress("adding texture");
        const TextureSize found = finder.SizeOf(surface.Texture);
        RegisterTexture(materials.Table, surface.Texture, found.Width, found.Height, surface.Flags);
        index = FindTexture(materials.Table, surface.Texture, surface.Flags);
      }
      const TextureEntry& entry = materials.Table[static_cast<std::size_t>(index)];
      size = TextureSize{entry.Width, entry.Height};
      surface.Material = index;
    }
    // Corners that carry their source's coordinates keep them.
    if (!phase.Coordinates || surface.SourceCoordinates) continue;

    // Texture coordinates, with the faces' outlines on the preview.
    host.SetLabelProgress("processing texture");
    const TextureFrame frame =
        MakeTextureFrame(surface.Axes, size.Width, size.Height, surface.Number, matrix_in_force);
    for (MeshFace* face : faces_of[s]) {
      ForEachCornerAsWritten(face->Corners.size(), [&](std::size_t i) {
        MeshCorner& corner = face->Corners[i];
        const TexturePoint point =
            TextureCoordinatesAt(frame, mesh.Positions[static_cast<std::size_t>(corner.Position)]);
        corner.U = point.U;
        corner.V = point.V;
        PlotUVPoint(host, i == 0, point.U, point.V, frame.Width, frame.Height);
      });
    }
  }
  return materials;
}

}  // namespace brushwright
