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

ExtractionSummary ExtractTextures(const std::string& package_path, const std::string& output_dir,
                                  ImageFormat format) {
  const PackageFile package = PackageFile::Open(package_path);
  ExtractionSummary summary;
  for (std::size_t i = 0; i < package.Exports().size(); ++i) {
    const auto index = static_cast<std::int32_t>(i);
    const std::int32_t ref = ExportRef(index);
    if (!IsTextureClass(package, ref)) continue;
    // The folders and the file name, each checked before it joins the path.
    std::vector<std::string> parts = package.OuterNames(ref);
    parts.insert(parts.begin(), package.Name());
    parts.push_back(package.ObjectName(ref));
    const std::string path_text = package.ObjectPath(ref);
    if (!std::all_of(parts.begin(), parts.end(), IsSafeFileName)) {
      summary.NotWritten.push_back(path_text + " in '" + package_path +
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
    fs::path file = PathFromUtf8(output_dir);
    for (std::size_t p = 0; p + 1 < parts.size(); ++p) file /= PathFromUtf8(parts[p]);
    std::error_code error;
    fs::create_directories(file, error);
    if (error) {
      throw BrushError("cannot make folder '" + Utf8FromPath(file) + "': " + error.message());
    }
    file /= PathFromUtf8(parts.back() + "." + std::string(ImageExtension(format)));
    WriteFileBytes(Utf8FromPath(file), EncodeImage(texture.Picture, format));
    ++summary.Written;
  }
  return summary;
}

}  // namespace brushwright
