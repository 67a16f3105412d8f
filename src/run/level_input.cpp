// Reads a run's input into the plain level.
#include "run/level_input.h"

#include <utility>

#include "t3d/t3d_level.h"
#include "text/file_text.h"

namespace brushwright {

Level ReadLevelFile(const std::string& path, std::size_t largest_size) {
  // The text is read once and dropped as soon as the level holds what it says.
  const std::string text = TextOfBytes(ReadInputBytes(path, largest_size));
  return ReadT3dLevel(text);
}

}  // namespace brushwright
