// Reads a run's input into the plain level.
#include "run/level_input.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "map/package_level.h"
#include "package/package_file.h"
#include "t3d/t3d_level.h"
#include "text/brush_error.h"
#include "text/file_text.h"
#include "text/key_readers.h"

namespace brushwright {

namespace {

// The extensions games give their map packages; such a file without the package signature is
// damaged or not a map, whatever text it holds.
constexpr std::array<std::string_view, 6> kMapExtensions = {".unr", ".ut2", ".dx",
                                                            ".un2", ".run", ".sac"};

// The keys of which a T3D text holds at least one: an exported map, its actors, or one brush
// exported on its own.
constexpr std::array<std::string_view, 3> kT3dKeys = {"Begin Map", "Begin Actor", "Begin Polygon"};

// The map extension `path` ends in ("" when none), as the path spells it.
std::string_view MapExtensionOf(std::string_view path) {
  const std::string_view name = path.substr(path.size() - FileNameOfPath(path).size());
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  const std::string_view extension = name.substr(dot);
  for (const std::string_view map : kMapExtensions) {
    if (EqualsIgnoringCase(extension, map)) return extension;
  }
  return {};
}

bool HoldsT3dLevel(std::string_view text) {
  for (const std::string_view key : kT3dKeys) {
    if (text.find(key) != std::string_view::npos) return true;
  }
  return false;
}

// An input that is neither a package nor T3D text would "convert" into an empty output.
[[noreturn]] void ThrowNoLevel(const std::string& path, std::string_view text) {
  std::string why;
  if (text.empty()) {
    why = "the file is empty";
  } else if (const std::string_view extension = MapExtensionOf(path); !extension.empty()) {
    why = "it lacks the Unreal package signature every map file (" + std::string(extension) +
          ") begins with; it is damaged or not a map";
  } else {
    why =
        "it is neither an Unreal package nor T3D text (no \"Begin Map\", \"Begin Actor\" or "
        "\"Begin Polygon\")";
  }
  throw BrushError("'" + path + "' holds no level: " + why);
}

}  // namespace

Level ReadLevelFile(const std::string& path, std::size_t largest_size, bool with_bsp,
                    bool with_light) {
  // The input is read once and dropped as soon as the level holds what it says; a package is
  // read from memory, so standard input serves as well as a file.
  std::string bytes = ReadInputBytes(path, largest_size);
  const auto* first = reinterpret_cast<const std::uint8_t*>(bytes.data());
  if (HasPackageMagic(std::span(first, bytes.size()))) {
    const PackageFile package =
        PackageFile::FromBytes(path, std::vector<std::uint8_t>(first, first + bytes.size()));
    bytes = std::string();
    Level level = ReadPackageLevel(package, with_bsp, with_light);
    // Its textures count as a source, read again from the file: not from standard input.
    level.FromPackage = path != "-";
    return level;
  }
  std::string text = TextOfBytes(std::move(bytes));
  if (!HoldsT3dLevel(text)) ThrowNoLevel(path, text);
  if (with_bsp) {
    throw BrushError("'" + path +
                     "' is T3D text, which holds no build of the level: convert the map package "
                     "the editor saved (.unr) to write the level's own build");
  }
  return ReadT3dLevel(text);
}

}  // namespace brushwright
