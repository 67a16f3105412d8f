// Reads a run's input into the plain level.
#include "run/level_input.h"

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "map/package_level.h"
#include "package/package_file.h"
#include "t3d/t3d_level.h"
#include "text/brush_error.h"
#include "text/file_text.h"

namespace brushwright {

Level ReadLevelFile(const std::string& path, std::size_t largest_size, bool with_bsp) {
  // The input is read once and dropped as soon as the level holds what it says; a package is
  // read from memory, so standard input serves as well as a file.
  std::string bytes = ReadInputBytes(path, largest_size);
  const auto* first = reinterpret_cast<const std::uint8_t*>(bytes.data());
  if (HasPackageMagic(std::span(first, bytes.size()))) {
    const PackageFile package =
        PackageFile::FromBytes(path, std::vector<std::uint8_t>(first, first + bytes.size()));
    bytes = std::string();
    Level level = ReadPackageLevel(package, with_bsp);
    // Its textures count as a source, read again from the file: not from standard input.
    level.FromPackage = path != "-";
    return level;
  }
  if (with_bsp) {
    throw BrushError("'" + path +
                     "' is T3D text, which holds no build of the level: convert the map package "
                     "the editor saved (.unr) to write the level's own build");
  }
  return ReadT3dLevel(TextOfBytes(std::move(bytes)));
}

}  // namespace brushwright
