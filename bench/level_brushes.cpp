// Reads a level and places its brushes for the world builder, as a world run does.
#include "level_brushes.h"

#include "run/brush_choice.h"
#include "run/mesh_build.h"
#include "t3d/t3d_level.h"

namespace brushwright {

std::vector<WorldBrush> LevelBrushes(std::string_view text) {
  RunOptions options;
  options.BuildWorld = true;
  Level level = ReadT3dLevel(text);
  return WorldBrushesOf(ChooseAndPlaceBrushes(std::move(level.Brushes), level.HasActors, options));
}

}  // namespace brushwright
