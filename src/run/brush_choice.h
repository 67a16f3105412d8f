// The run's choice of brushes and their placement: which brushes of the level the options take,
// and their polygons put where the editor puts them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "level/level.h"
#include "run/run_options.h"

namespace brushwright {

// A taken brush with its polygons placed in the level's space.
struct PlacedBrush {
  CsgOperation Csg = CsgOperation::None;
  std::optional<std::string> Group;
  std::int64_t PolyFlags = 0;  // the brush's own
  // Placed by the whole transform, or by the location alone when the options switch transforms
  // off; a carving brush's polygons turned to face the space it carves. Flags inherited from the
  // polygon before (FlagsOfPrevious) are those of the taken polygon before.
  std::vector<PolygonRecord> Polygons;
};

// The brushes the options take, in the level's order, and why the others were not.
struct BrushChoice {
  std::vector<PlacedBrush> Brushes;
  std::int32_t BrushActors = 0;         // brush actors of a level with actors
  std::int32_t SubtractiveSkipped = 0;  // left out for their CSG_Subtract
  std::int32_t BuilderSkipped = 0;      // left out for having no operation at all
  std::int32_t OtherOperations = 0;     // left out of the world for CSG_Intersect or Deintersect
};

// Whether the options take a brush with this operation: every additive and subtractive brush
// for the world; else only the builder brush, or additive brushes and, when asked, subtractive
// ones. A level without actors is one brush, always taken.
bool TakesBrush(const RunOptions& options, CsgOperation csg);

// Chooses the level's brushes and places their polygons, which it takes over (the level's
// brushes, with `has_actors` the level's HasActors). The builder brush stays where its polygons
// are (its own placement is the editor's cursor, not part of the level).
BrushChoice ChooseAndPlaceBrushes(std::vector<LevelBrush> brushes, bool has_actors,
                                  const RunOptions& options);

}  // namespace brushwright
