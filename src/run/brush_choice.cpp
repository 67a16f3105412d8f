// The run's choice of brushes and their placement.
#include "run/brush_choice.h"

#include <utility>

namespace brushwright {

namespace {

// Puts a polygon of a taken brush where the editor puts it: by the brush's whole placement, or
// by its location alone when transforms are off; carving brushes then face the other way.
void PlacePolygon(PolygonRecord& polygon, CsgOperation csg, const BrushPlacement& placement,
                  const BrushTransform& transform, bool whole_transform) {
  if (whole_transform) {
    TransformPolygon(polygon, transform);
  } else {
    VecTranslateAll(polygon.Vertices, placement.Location);
    polygon.Origin = VecAdd(polygon.Origin, placement.Location);
  }
  if (csg == CsgOperation::Subtract) ReversePolygon(polygon);
}

void CountLeftOut(const LevelBrush& brush, const RunOptions& options, BrushChoice& choice) {
  const bool choosing = !options.BuildBrush && !options.BuildWorld;
  if (choosing && brush.Csg == CsgOperation::Subtract) {
    ++choice.SubtractiveSkipped;
  } else if (choosing && brush.Csg == CsgOperation::None) {
    ++choice.BuilderSkipped;
  } else if (options.BuildWorld && brush.Csg == CsgOperation::Other) {
    ++choice.OtherOperations;
  }
}

}  // namespace

bool TakesBrush(const RunOptions& options, CsgOperation csg) {
  if (options.BuildWorld) return csg == CsgOperation::Add || csg == CsgOperation::Subtract;
  if (options.BuildBrush) return csg == CsgOperation::None;
  return csg == CsgOperation::Add || (options.Subtractive && csg == CsgOperation::Subtract);
}

BrushChoice ChooseAndPlaceBrushes(std::vector<LevelBrush> brushes, bool has_actors,
                                  const RunOptions& options) {
  BrushChoice choice;
  // A polygon without flags of its own keeps those of the taken polygon before it.
  std::int64_t previous_flags = 0;
  for (LevelBrush& brush : brushes) {
    if (has_actors) {
      ++choice.BrushActors;
      if (!TakesBrush(options, brush.Csg)) {
        CountLeftOut(brush, options, choice);
        continue;
      }
    }
    PlacedBrush& placed = choice.Brushes.emplace_back();
    placed.Csg = brush.Csg;
    placed.Group = BrushGroup(brush);
    placed.PolyFlags = brush.PolyFlags;
    placed.Polygons = std::move(brush.Polygons);
    // The builder brush gets the identity placement; a brush exported on its own none at all.
    const BrushPlacement placement =
        brush.Csg != CsgOperation::None ? brush.Placement : BrushPlacement{};
    const BrushTransform transform = PlacementTransform(placement);
    for (PolygonRecord& polygon : placed.Polygons) {
      if (polygon.FlagsOfPrevious) polygon.Flags = previous_flags;
      previous_flags = polygon.Flags;
      if (has_actors) {
        PlacePolygon(polygon, brush.Csg, placement, transform,
                     options.BrushTransforms || options.BuildWorld);
      }
    }
  }
  return choice;
}

}  // namespace brushwright
