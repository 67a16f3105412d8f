// The build phase of a run: the brushes' faces, or the world they build, as one mesh.
#include "run/mesh_build.h"

#include <algorithm>

namespace brushwright {

namespace {

// Faces before any named group go into a group without a name; faces of a brush without a
// group go on in the group before them.
MeshGroup& CurrentGroup(Mesh& mesh) {
  if (mesh.Groups.empty()) mesh.Groups.emplace_back();
  return mesh.Groups.back();
}

// A surface for a source polygon; returns its index.
std::int32_t AddSurface(Mesh& mesh, const PolygonRecord& polygon, std::int32_t face_number) {
  MeshSurface& surface = mesh.Surfaces.emplace_back();
  surface.Texture = polygon.Texture;
  surface.Flags = polygon.Flags;
  surface.Axes =
      TextureAxes{polygon.Origin, polygon.Normal, polygon.TextureU, polygon.TextureV, polygon.Pan};
  surface.Number = face_number;
  return static_cast<std::int32_t>(mesh.Surfaces.size() - 1);
}

// The builder's faces of each source polygon: by brush, then polygon, indexes into its faces.
std::vector<std::vector<std::vector<std::int32_t>>> PiecesBySource(const BrushChoice& choice,
                                                                   const WorldMesh& world) {
  std::vector<std::vector<std::vector<std::int32_t>>> pieces(choice.Brushes.size());
  for (std::size_t b = 0; b < choice.Brushes.size(); ++b) {
    pieces[b].resize(choice.Brushes[b].Polygons.size());
  }
  for (std::size_t f = 0; f < world.Faces.size(); ++f) {
    const WorldFace& face = world.Faces[f];
    pieces[static_cast<std::size_t>(face.Brush)][static_cast<std::size_t>(face.Polygon)].push_back(
        static_cast<std::int32_t>(f));
  }
  return pieces;
}

}  // namespace

BuiltMesh BuildBrushMesh(const BrushChoice& choice, const FaceChoice& faces, bool geometry) {
  BuiltMesh built;
  Mesh& mesh = built.Faces;
  BuildCounts& counts = built.Counts;
  std::int32_t face_number = 0;
  for (const PlacedBrush& brush : choice.Brushes) {
    if (geometry && brush.Group) {
      mesh.Groups.push_back(MeshGroup{brush.Group, {}, {}});
      ++counts.Groups;
    }
    for (const PolygonRecord& polygon : brush.Polygons) {
      if (face_number == kLastFaceNumber) {
        built.FaceLimitPassed = true;
        return built;
      }
      ++face_number;
      ++counts.PolygonsRead;
      if (!faces.Takes(polygon, polygon.Flags, face_number, counts)) continue;
      MeshFace& face = CurrentGroup(mesh).Faces.emplace_back();
      face.Surface = AddSurface(mesh, polygon, face_number);
      for (const Vector& vertex : polygon.Vertices) {
        face.Corners.push_back(MeshCorner{static_cast<std::int32_t>(mesh.Positions.size())});
        mesh.Positions.push_back(vertex);
      }
      if (geometry) ++counts.FacesConverted;
    }
  }
  return built;
}

BuiltMesh BuildWorldMesh(const BrushChoice& choice, const FaceChoice& faces, bool geometry) {
  BuiltMesh built;
  BuildCounts& counts = built.Counts;
  const WorldMesh world = BuildWorld(WorldBrushesOf(choice));
  counts.BrokenBrushes = world.BrokenBrushes;
  const auto pieces = PiecesBySource(choice, world);

  Mesh& mesh = built.Faces;
  mesh.SharedPositions = true;
  // The mesh's number of each of the builder's positions, given at its first use.
  std::vector<std::int32_t> position_of(world.Positions.size(), -1);
  std::int32_t face_number = 0;
  for (std::size_t b = 0; b < choice.Brushes.size(); ++b) {
    const PlacedBrush& brush = choice.Brushes[b];
    bool group_started = false;
    for (std::size_t p = 0; p < brush.Polygons.size(); ++p) {
      const PolygonRecord& polygon = brush.Polygons[p];
      ++face_number;
      ++counts.PolygonsRead;
      if (!faces.Takes(polygon, polygon.Flags | brush.PolyFlags, face_number, counts)) continue;
      if (pieces[b][p].empty()) continue;
      if (geometry && brush.Group && !group_started) {
        mesh.Groups.push_back(MeshGroup{brush.Group, {}, {}});
        ++counts.Groups;
        group_started = true;
      }
      const std::int32_t surface = AddSurface(mesh, polygon, face_number);
      for (const std::int32_t piece : pieces[b][p]) {
        MeshFace& face = CurrentGroup(mesh).Faces.emplace_back();
        face.Surface = surface;
        for (const std::int32_t corner : world.Faces[static_cast<std::size_t>(piece)].Corners) {
          std::int32_t& position = position_of[static_cast<std::size_t>(corner)];
          if (position < 0) {
            position = static_cast<std::int32_t>(mesh.Positions.size());
            mesh.Positions.push_back(world.Positions[static_cast<std::size_t>(corner)]);
          }
          face.Corners.push_back(MeshCorner{position});
        }
        if (geometry) ++counts.Fragments;
      }
      if (geometry) ++counts.FacesConverted;
    }
  }
  return built;
}

std::vector<WorldBrush> WorldBrushesOf(const BrushChoice& choice) {
  std::vector<WorldBrush> brushes;
  brushes.reserve(choice.Brushes.size());
  for (const PlacedBrush& placed : choice.Brushes) {
    WorldBrush& brush = brushes.emplace_back();
    const bool carves = placed.Csg == CsgOperation::Subtract;
    brush.Operation = carves ? BrushOperation::Subtract : BrushOperation::Add;
    brush.PolyFlags = placed.PolyFlags;
    for (const PolygonRecord& polygon : placed.Polygons) {
      WorldPolygon& world = brush.Polygons.emplace_back();
      world.Vertices = polygon.Vertices;
      // The builder takes every face facing out of its brush: a carving brush's turned back.
      if (carves) std::reverse(world.Vertices.begin(), world.Vertices.end());
      world.Flags = polygon.Flags | placed.PolyFlags;
    }
  }
  return brushes;
}

}  // namespace brushwright
