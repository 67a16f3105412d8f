// The brushes of a T3D level placed in world space, as the world builder takes them.
#pragma once

#include <string_view>
#include <vector>

#include "world/world_builder.h"

namespace brushwright {

// The brushes a world run builds from the level (its additive and subtractive brushes in the
// order of the text, placed by their whole transform), through the run's own choice and
// placement.
std::vector<WorldBrush> LevelBrushes(std::string_view text);

}  // namespace brushwright
