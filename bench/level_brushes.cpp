// Reads a level with the level model and places its brushes for the world builder.
#include "level_brushes.h"

#include "t3d/brush_placement.h"
#include "t3d/level_model.h"

namespace brushwright {

std::vector<WorldBrush> LevelBrushes(std::string_view text) {
  LevelReading reading;
  reading.Take = [](const BrushActor& actor) {
    return actor.Csg == CsgOperation::Add || actor.Csg == CsgOperation::Subtract;
  };
  const Level level = ReadLevel(text, reading);
  std::vector<WorldBrush> brushes;
  for (const BrushActor& actor : level.Brushes) {
    if (!actor.Taken) continue;
    WorldBrush& brush = brushes.emplace_back();
    brush.Operation =
        actor.Csg == CsgOperation::Add ? BrushOperation::Add : BrushOperation::Subtract;
    brush.PolyFlags = actor.PolyFlags;
    const BrushTransform transform = PlacementTransform(actor.Placement);
    for (PolygonRecord polygon : actor.Polygons) {
      TransformPolygon(polygon, transform);
      brush.Polygons.push_back(WorldPolygon{polygon.Vertices, polygon.Flags | actor.PolyFlags});
    }
  }
  return brushes;
}

}  // namespace brushwright
