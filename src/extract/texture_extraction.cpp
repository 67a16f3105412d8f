// Writes the textures of a package as image files, in folders by package and group.
#include "extract/texture_extraction.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "package/package_file.h"
#include "platform/platform.h"
#include "text/brush_error.h"
#include "text/file_text.h"
#include "texture/package_texture.h"

namespace brushwright {

namespace fs = std::filesystem;

std::string_view ImageExtension(ImageFormat format) {
  return ImageTypeOf(format).Extension;
}

std::optional<fs::path> ObjectFilePath(const PackageFile& package, std::int32_t ref,
                                       const std::string& output_dir) {
  // The folders and the file name, each checked before it joins the path.
  std::vector<std::string> parts = package.OuterNames(ref);
  parts.insert(parts.begin(), package.Name());
  parts.push_back(package.ObjectName(ref));
  if (!std::all_of(parts.begin(), parts.end(), IsSafeFileName)) return std::nullopt;
  fs::path path = PathFromUtf8(output_dir);
  for (const std::string& part : parts) path /= PathFromUtf8(part);
  return path;
}

ExtractionSummary ExtractTextures(const std::string& package_path, const std::string& output_dir,
                                  ImageFormat format) {
  const PackageFile package = PackageFile::Open(package_path);
  ExtractionSummary summary;
  for (std::size_t i = 0; i < package.Exports().size(); ++i) {
    const auto index = static_cast<std::int32_t>(i);
    const std::int32_t ref = ExportRef(index);
    if (!IsTextureClass(package, ref)) continue;
    std::optional<fs::path> file = ObjectFilePath(package, ref, output_dir);
    if (!file) {
      summary.NotWritten.push_back(package.ObjectPath(ref) + " in '" + package_path +
                                   "': its name cannot be a file name");
      continue;
    }
    DecodedTexture texture;
    try {
      texture = DecodeTextureExport(package, index, false);
    } catch (const BrushError& error) {
      summary.NotWritten.push_back(error.what());
      continue;
    }
    if (texture.Status != TextureStatus::Decoded) {
      summary.NotWritten.push_back(texture.Problem);
      continue;
    }
    std::error_code error;
    fs::create_directories(file->parent_path(), error);
    if (error) {
      throw BrushError("cannot make folder '" + Utf8FromPath(file->parent_path()) +
                       "': " + error.message());
    }
    *file += PathFromUtf8("." + std::string(ImageExtension(format)));
    WriteFileBytes(Utf8FromPath(*file), EncodeImage(texture.Picture, format));
    ++summary.Written;
  }
  return summary;
}

}  // namespace brushwright
