// Reads and places a level's brush actors with the T3D readers, for the world builder.
#include "level_brushes.h"

#include <cstdint>
#include <string>

#include "t3d/brush_placement.h"
#include "t3d/polygon_reader.h"
#include "t3d/value_readers.h"
#include "text/key_readers.h"

namespace brushwright {

std::vector<WorldBrush> LevelBrushes(std::string_view text) {
  std::vector<WorldBrush> brushes;
  int start = 0, end = 0;
  for (int pos = 1; FindBlock(text, pos, "Begin Actor Class=Brush", "End Actor", start, end);
       pos = end + 1) {
    WorldBrush brush;
    if (KeyInRange(text, "CsgOper=CSG_Add", start, end - 1)) {
      brush.Operation = BrushOperation::Add;
    } else if (KeyInRange(text, "CsgOper=CSG_Subtract", start, end - 1)) {
      brush.Operation = BrushOperation::Subtract;
    } else {
      continue;
    }
    brush.PolyFlags = static_cast<std::int64_t>(
        ValueAsNumber(ReadKeyValueOrZero(text, "PolyFlags=", start, end - 1)));
    const BrushTransform transform = PlacementTransform(ReadBrushPlacement(text, start, end));
    // A polygon of the next actor is never this brush's: the reader sees only this block.
    const std::string_view block = text.substr(0, static_cast<std::size_t>(end));
    PolygonRecord polygon;
    for (int p = start; ReadPolygon(block, p, polygon, false) && p < end;) {
      TransformPolygon(polygon, transform);
      brush.Polygons.push_back(WorldPolygon{polygon.Vertices, polygon.Flags | brush.PolyFlags});
    }
    brushes.push_back(std::move(brush));
  }
  return brushes;
}

}  // namespace brushwright
