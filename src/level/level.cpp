// Groups and placement of a level's brushes.
#include "level/level.h"

#include <algorithm>
#include <cmath>

namespace brushwright {

namespace {

// The tag every brush gets unless the designer named it.
constexpr char kDefaultTag[] = "Brush";

// False for a flattened brush (no inverse) and for one so nearly flat that its inverse
// overflows: turning directions by it would give zeros or infinities.
bool HasUsableInverse(const BrushTransform& transform) {
  if (!std::isfinite(transform.Det) || transform.Det == 0) return false;
  for (const auto& row : transform.N.m) {
    for (const double entry : row) {
      if (!std::isfinite(entry)) return false;
    }
  }
  return true;
}

}  // namespace

std::optional<std::string> BrushGroup(const LevelBrush& brush) {
  if (brush.Csg == CsgOperation::None || !brush.ModelName) return std::nullopt;
  if (!brush.Tag.empty() && brush.Tag != kDefaultTag) return brush.Tag;
  return brush.ModelName;
}

BrushTransform PlacementTransform(const BrushPlacement& placement) {
  return BuildBrushTransform(placement.Location, placement.PrePivot, placement.Rotation,
                             placement.MainScale, placement.PostScale);
}

void TransformPolygon(PolygonRecord& polygon, const BrushTransform& transform) {
  for (Vector& vertex : polygon.Vertices) vertex = TransformPoint(transform, vertex);
  polygon.Origin = TransformPoint(transform, polygon.Origin);
  // Keeping the vertex order of a mirrored brush would turn its faces inside out.
  if (transform.Det < 0) std::reverse(polygon.Vertices.begin(), polygon.Vertices.end());

  // A flattened brush keeps the directions its faces were read with.
  if (!HasUsableInverse(transform)) return;
  polygon.Normal = VecNormalize(TransformDirection(transform, polygon.Normal));
  polygon.TextureU = TransformDirection(transform, polygon.TextureU);
  polygon.TextureV = TransformDirection(transform, polygon.TextureV);
}

void ReversePolygon(PolygonRecord& polygon) {
  std::reverse(polygon.Vertices.begin(), polygon.Vertices.end());
  polygon.Normal = Vector{-polygon.Normal.X, -polygon.Normal.Y, -polygon.Normal.Z};
}

}  // namespace brushwright
