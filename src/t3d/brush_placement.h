// Reads a brush actor's placement (location, pivot, rotation, two scales) from its block.
#pragma once

#include <string_view>

#include "level/level.h"
#include "vecmath/brush_transform.h"

namespace brushwright {

// Reads the scale after the first `key` ("MainScale=" or "PostScale=") that begins in `block`
// before its last character, from the rest of that key's line only: "Scale=(X=..,Y=..,Z=..)"
// (missing components 1), "SheerRate=" (missing 0) and "SheerAxis=" (a name other than the six
// sheer axes means no sheer). A missing key gives scale 1 without sheer.
BrushScale ReadBrushScale(std::string_view block, std::string_view key);
// Reads "Location=", "PrePivot=", "Rotation=", "MainScale=", "PostScale=" and "TempScale=" of a
// brush actor's block (the whole block: "PrePivot=" stands after the brush's polygons).
BrushPlacement ReadBrushPlacement(std::string_view block);

}  // namespace brushwright
