// BuildWorld: prepares each brush, classifies every face in the order of the text, assembles.
#include "world/world_builder.h"

#include <utility>

#include "world/brush_faces.h"
#include "world/convex_cells.h"
#include "world/face_classifier.h"
#include "world/mesh_assembly.h"

namespace brushwright {

namespace {

// The editor strips NotSolid and Semisolid from subtractive brushes: they always carve. An
// additive brush with both bits cuts nothing at all: NotSolid rules. The bits of single
// polygons do not change what their brush does.
BrushRole RoleOf(const WorldBrush& brush) {
  if (brush.Operation == BrushOperation::Subtract) return BrushRole::Subtract;
  if ((brush.PolyFlags & kPolyFlagNotSolid) != 0) return BrushRole::Sheet;
  if ((brush.PolyFlags & kPolyFlagSemisolid) != 0) return BrushRole::Semisolid;
  return BrushRole::Add;
}

PreparedBrush PrepareBrush(const WorldBrush& brush, WorldMesh& mesh) {
  BrushFaces usable = UsableFaces(brush);
  mesh.DroppedPolygons += usable.Dropped;
  PreparedBrush prepared;
  prepared.Role = RoleOf(brush);
  prepared.Faces = std::move(usable.Faces);
  prepared.Planes = std::move(usable.Planes);
  for (std::size_t f = 0; f < prepared.Faces.size(); ++f) {
    const Box bounds = BoundsOf(prepared.Faces[f].Vertices);
    if (f == 0) prepared.Bounds = bounds;
    Enclose(prepared.Bounds, bounds);
  }
  if (prepared.Role != BrushRole::Add && prepared.Role != BrushRole::Subtract) return prepared;
  // As in the editor, an open brush takes the space its faces' planes enclose: a lidless cup
  // carves its recess. Only a brush without volume is left as a sheet.
  const Closure closure = ClosureOf(prepared.Faces, prepared.Planes);
  const bool takes_space =
      closure != Closure::Flat && ConvexCells(prepared.Faces, prepared.Planes, prepared.Cells);
  if (closure != Closure::Closed || !takes_space) ++mesh.BrokenBrushes;
  if (!takes_space) {
    prepared.Role = BrushRole::Sheet;
    prepared.Cells.clear();
  } else if (closure == Closure::Open) {
    KeepWithin(prepared.Bounds, prepared.Cells);
  }
  return prepared;
}

}  // namespace

WorldMesh BuildWorld(const std::vector<WorldBrush>& brushes) {
  WorldMesh mesh;
  std::vector<PreparedBrush> prepared;
  prepared.reserve(brushes.size());
  for (const WorldBrush& brush : brushes) prepared.push_back(PrepareBrush(brush, mesh));

  FaceClassifier classifier(prepared);
  std::vector<VisibleFragment> visible;
  for (std::size_t b = 0; b < prepared.size(); ++b)
    classifier.AddVisibleFragments(static_cast<std::int32_t>(b), visible);

  AssembleMesh(visible, mesh);
  return mesh;
}

}  // namespace brushwright
