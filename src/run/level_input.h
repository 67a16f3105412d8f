// Reads a run's input into the plain level, with the reader its content calls for.
#pragma once

#include <cstddef>
#include <string>

#include "level/level.h"

namespace brushwright {

// The level in the file (or standard input, "-"), read once: an Unreal map package when its
// first bytes are the package signature, whatever its name, else T3D text, which must hold a
// "Begin Map", "Begin Actor" or "Begin Polygon" (input with none holds no level). With `with_bsp`
// the level's own build is read too, and input that holds none (T3D text, a package whose level
// was never built) is an error. Throws BrushError naming the file when it cannot be read, holds
// more than `largest_size` bytes, or its package is broken. With `with_light` a map's stored light
// comes too (ReadPackageLevel says which).
Level ReadLevelFile(const std::string& path, std::size_t largest_size, bool with_bsp,
                    bool with_light);

}  // namespace brushwright
