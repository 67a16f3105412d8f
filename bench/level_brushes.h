// The brushes of a T3D level placed in world space, as the world builder takes them.
#pragma once

#include <string_view>
#include <vector>

#include "world/world_builder.h"

namespace brushwright {

// Every brush actor of the level model with "CsgOper=CSG_Add" or "CsgOper=CSG_Subtract", in
// the order of the text, its polygons placed by the brush's whole transform and their flags
// ORed with the brush's "PolyFlags=". The builder brush (no CsgOper) and other operations are
// left out.
std::vector<WorldBrush> LevelBrushes(std::string_view text);

}  // namespace brushwright
