// The build phase for the level's own build: the editor's surfaces as one mesh.
#include "run/built_world_mesh.h"

#include <optional>
#include <string>
#include <vector>

#include "light/built_frames.h"

namespace brushwright {

namespace {

// The fewest corners a node's polygon needs to be a face.
constexpr std::int32_t kLeastCorners = 3;

// Faces before any named group go into a group without a name; the surfaces of a brush without
// a group go on in the group before them.
MeshGroup& CurrentGroup(Mesh& mesh) {
  if (mesh.Groups.empty()) mesh.Groups.emplace_back();
  return mesh.Groups.back();
}

// Each surface's nodes with a polygon, in node order.
std::vector<std::vector<std::int32_t>> NodesBySurface(const LevelBsp& bsp) {
  std::vector<std::vector<std::int32_t>> nodes(bsp.Surfaces.size());
  for (std::size_t i = 0; i < bsp.Nodes.size(); ++i) {
    const BspNode& node = bsp.Nodes[i];
    if (node.VertexCount < kLeastCorners) continue;
    nodes[static_cast<std::size_t>(node.Surface)].push_back(static_cast<std::int32_t>(i));
  }
  return nodes;
}

// The surfaces with polygons by the brush that made them: first those of no listed brush, then
// one list per brush of the level.
std::vector<std::vector<std::int32_t>> SurfacesByBrush(
    const Level& level, const LevelBsp& bsp, const std::vector<std::vector<std::int32_t>>& nodes) {
  std::vector<std::vector<std::int32_t>> surfaces(level.Brushes.size() + 1);
  for (std::size_t s = 0; s < bsp.Surfaces.size(); ++s) {
    if (nodes[s].empty()) continue;
    const std::int32_t brush = bsp.Surfaces[s].Brush;
    const bool listed = brush >= 0 && static_cast<std::size_t>(brush) < level.Brushes.size();
    surfaces[listed ? static_cast<std::size_t>(brush) + 1 : 0].push_back(
        static_cast<std::int32_t>(s));
  }
  return surfaces;
}

MeshSurface SurfaceOf(const LevelBsp& bsp, const BspSurface& surface, std::int32_t face_number) {
  const auto vector = [&bsp](std::int32_t index) {
    return bsp.Vectors[static_cast<std::size_t>(index)];
  };
  MeshSurface mesh_surface;
  mesh_surface.Texture = surface.Texture;
  mesh_surface.Flags = surface.Flags;
  mesh_surface.Axes =
      TextureAxes{bsp.Points[static_cast<std::size_t>(surface.Base)], vector(surface.Normal),
                  vector(surface.TextureU), vector(surface.TextureV), surface.Pan};
  mesh_surface.Number = face_number;
  return mesh_surface;
}

// The node's place on the light-map page its build stores, when it has one.
void AddStoredLight(const BspNode& node, MeshFace& face) {
  if (node.LightPage == kNoLightPage) return;
  face.LightPage = node.LightPage;
  for (std::size_t k = 0; k < face.Corners.size(); ++k) {
    face.Corners[k].LightS = node.LightCorners[k].S;
    face.Corners[k].LightT = node.LightCorners[k].T;
  }
}

// A face written on a surface with a first-generation light map.
struct FramedFace {
  std::int32_t Group = 0;
  std::int32_t Face = 0;
  std::int32_t Frame = 0;  // index into the surfaces lit
};

// Lights the first-generation light maps of the surfaces written and puts the frames' pages in
// the mesh, each framed face on its frame's place.
void AddBuiltFrames(const LevelBsp& bsp, const LevelLightMaps& maps,
                    const std::vector<std::int32_t>& surfaces,
                    const std::vector<Vector>& plane_points, const std::vector<FramedFace>& framed,
                    Mesh& mesh) {
  BuiltFrames frames = LightBuiltFrames(bsp, maps, surfaces, plane_points);
  for (const FramedFace& at : framed) {
    const std::int32_t s = surfaces[static_cast<std::size_t>(at.Frame)];
    const BspSurface& surface = bsp.Surfaces[static_cast<std::size_t>(s)];
    const LightMapIndex& index =
        maps.Indexes[static_cast<std::size_t>(maps.SurfaceMaps[static_cast<std::size_t>(s)])];
    const AtlasPlace& place = frames.Places[static_cast<std::size_t>(at.Frame)];
    if (place.Page == kNoLightPage) continue;  // too large for a page: lit as if none were stored
    MeshFace& face =
        mesh.Groups[static_cast<std::size_t>(at.Group)].Faces[static_cast<std::size_t>(at.Face)];
    face.LightPage = place.Page;
    for (MeshCorner& corner : face.Corners) {
      double light_s = 0;
      double light_t = 0;
      AtlasCoordinate(index, place, frames.PageSize,
                      mesh.Positions[static_cast<std::size_t>(corner.Position)],
                      bsp.Points[static_cast<std::size_t>(surface.Base)],
                      bsp.Vectors[static_cast<std::size_t>(surface.TextureU)],
                      bsp.Vectors[static_cast<std::size_t>(surface.TextureV)], light_s, light_t);
      corner.LightS = static_cast<float>(light_s);
      corner.LightT = static_cast<float>(light_t);
    }
  }
  mesh.LightPages = std::move(frames.Pages);
}

}  // namespace

BuiltMesh BuildBuiltWorldMesh(const Level& level, const LevelBsp& bsp, const FaceChoice& faces,
                              bool geometry) {
  BuiltMesh built;
  BuildCounts& counts = built.Counts;
  const auto nodes = NodesBySurface(bsp);
  const auto surfaces_by_brush = SurfacesByBrush(level, bsp, nodes);

  Mesh& mesh = built.Faces;
  mesh.SharedPositions = true;
  // The mesh's number of each of the build's points, given at its first use.
  std::vector<std::int32_t> position_of(bsp.Points.size(), -1);
  std::int32_t face_number = 0;
  // The first-generation light maps of the surfaces written, and the faces on them.
  const LevelLightMaps* maps =
      level.LightMaps && level.LightMaps->SurfaceMaps.size() == bsp.Surfaces.size()
          ? &*level.LightMaps
          : nullptr;
  std::vector<std::int32_t> framed_surfaces;
  std::vector<Vector> plane_points;
  std::vector<FramedFace> framed_faces;
  for (std::size_t slot = 0; slot < surfaces_by_brush.size(); ++slot) {
    const std::optional<std::string> group =
        slot == 0 ? std::nullopt : BrushGroup(level.Brushes[slot - 1]);
    bool group_started = false;
    for (const std::int32_t s : surfaces_by_brush[slot]) {
      const BspSurface& surface = bsp.Surfaces[static_cast<std::size_t>(s)];
      ++face_number;
      ++counts.PolygonsRead;
      if (!faces.Takes(surface.Texture, surface.Flags, face_number, counts)) continue;
      if (geometry && group && !group_started) {
        mesh.Groups.push_back(MeshGroup{group, {}, {}});
        ++counts.Groups;
        group_started = true;
      }
      mesh.Surfaces.push_back(SurfaceOf(bsp, surface, face_number));
      const auto surface_index = static_cast<std::int32_t>(mesh.Surfaces.size() - 1);
      const bool framed = maps && maps->SurfaceMaps[static_cast<std::size_t>(s)] != kNoLightMap;
      if (framed) {
        const BspNode& first =
            bsp.Nodes[static_cast<std::size_t>(nodes[static_cast<std::size_t>(s)][0])];
        framed_surfaces.push_back(s);
        plane_points.push_back(bsp.Points[static_cast<std::size_t>(
            bsp.Vertices[static_cast<std::size_t>(first.FirstVertex)])]);
      }
      for (const std::int32_t n : nodes[static_cast<std::size_t>(s)]) {
        const BspNode& node = bsp.Nodes[static_cast<std::size_t>(n)];
        MeshFace& face = CurrentGroup(mesh).Faces.emplace_back();
        face.Surface = surface_index;
        for (std::int32_t k = 0; k < node.VertexCount; ++k) {
          const auto point = static_cast<std::size_t>(
              bsp.Vertices[static_cast<std::size_t>(node.FirstVertex + k)]);
          std::int32_t& position = position_of[point];
          if (position < 0) {
            position = static_cast<std::int32_t>(mesh.Positions.size());
            mesh.Positions.push_back(bsp.Points[point]);
          }
          face.Corners.push_back(MeshCorner{position});
        }
        AddStoredLight(node, face);
        if (framed) {
          framed_faces.push_back(
              FramedFace{static_cast<std::int32_t>(mesh.Groups.size() - 1),
                         static_cast<std::int32_t>(CurrentGroup(mesh).Faces.size() - 1),
                         static_cast<std::int32_t>(framed_surfaces.size() - 1)});
        }
        if (geometry) ++counts.FacesConverted;
      }
      if (geometry) ++counts.BuiltSurfaces;
    }
  }
  mesh.LightPages = bsp.LightPages;
  if (maps && !framed_surfaces.empty()) {
    AddBuiltFrames(bsp, *maps, framed_surfaces, plane_points, framed_faces, mesh);
  }
  return built;
}

}  // namespace brushwright
