// Writes the textures of a package as image files, in folders by package and group.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/image_file.h"
#include "package/package_file.h"

namespace brushwright {

// What extracting a package's textures did, for a summary line.
struct ExtractionSummary {
  int Written = 0;
  // A line for each texture not written, naming it and why: made at run time, not decodable,
  // broken, or named so that its file would not lie inside the output folder.
  std::vector<std::string> NotWritten;
};

// The file extension ImageFormat `format` is written with: "bmp", "pcx", "jpg", "png", "tif",
// "gif".
std::string_view ImageExtension(ImageFormat format);

// Writes every texture of the package at `package_path` as an image of `format` named
// OUTPUT/Package/Group/Name.<extension> (one folder level per group; none when the texture is
// in no group), making the folders as needed; the package is its file name without extension.
// Masked textures keep index 0 transparent where the format keeps alpha (PNG, TIFF). A name
// that is empty, "." or "..", or holds "/", "\", ":", a wildcard or a control character never
// becomes part of a path: that texture is listed as not written. Throws BrushError naming the
// file when the package cannot be read or an image cannot be written.
ExtractionSummary ExtractTextures(const std::string& package_path, const std::string& output_dir,
                                  ImageFormat format);

// OUTPUT/Package/Group/Name for the object `ref` of `package`, without extension (one folder
// level per group); none when the package's, a group's or the object's name cannot be a file
// name, so that nothing written lands outside `output_dir`.
std::optional<std::filesystem::path> ObjectFilePath(const PackageFile& package, std::int32_t ref,
                                                    const std::string& output_dir);

}  // namespace brushwright
