// Reads a run's input into the plain level, with the reader its content calls for.
#pragma once

#include <cstddef>
#include <string>

#include "level/level.h"

namespace brushwright {

// The level in the file (or standard input, "-"), read once. Throws BrushError naming the file
// when it cannot be read or holds more than `largest_size` bytes.
Level ReadLevelFile(const std::string& path, std::size_t largest_size);

}  // namespace brushwright
