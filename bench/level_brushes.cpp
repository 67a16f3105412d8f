// Reads a level and places its brushes for the world builder, as a world run does.
#include "level_brushes.h"

#include "run/brush_choice.h"
#include "run/mesh_build.h"
#include "t3d/t3d_level.h"

namespace brushwright {

std::vector<WorldBrush> LevelBrushes(std::string_view text) {
  RunOptions options;
  options.BuildWorld = true;
  return WorldBrushesOf(ChooseAndPlaceBrushes(ReadT3dLevel(text), options));
}

}  // namespace brushwright
