// Texture images as files: the image beside the output, or one fetched from the search tree.
#include "run/texture_files.h"

#include <utility>

#include "image/image_file.h"
#include "platform/platform.h"
#include "text/brush_error.h"
#include "text/file_text.h"

namespace brushwright {
namespace {

constexpr char kSearchErrorTitle[] = "Unexpected Error";

}  // namespace

void PlaceTextureFile(const FoundTexture& found) {
  // Other runs at once may read the image beside a shared output folder: it appears whole.
  if (!found.CopyFrom.empty()) {
    CopyFileWhole(found.CopyFrom, found.Where);
  } else if (!found.FileBytes.empty()) {
    ReplaceFileBytes(found.Where, found.FileBytes);
  }
}

ImageFormat TextureImageFormat(const RunOptions& options) {
  return ImageFormatNamed(options.TextureType).value_or(ImageFormat::Bmp);
}

std::string TexturePathFile(const std::string& output_path, const std::string& texture,
                            const std::string& image_type) {
  return DirectoryOfPath(output_path) + texture + "." + image_type;
}

std::string FolderTextureSource::FindInSearchTree(const std::string& file_name) {
  if (!options_.SearchCopy) return "";
  host_.SetLabelProgress("searching texture file");
  if (!search_tree_) {
    search_tree_ = FileTreeIndex::Build(options_.SearchPath, [this](const std::string& message) {
      host_.ShowMessage(message, kSearchErrorTitle, MessageKind::Error);
    });
  }
  const std::string found = search_tree_->Find(file_name);
  return !found.empty() && FileExists(found) ? found : "";
}

std::string FolderTextureSource::FindOtherType(const std::string& name) {
  const std::string folder = DirectoryOfPath(options_.OutputFile);
  for (const ImageType& type : ImageTypes()) {
    if (type.Format == texture_format_) continue;
    for (const std::string& extension : {std::string(type.Name), std::string(type.Extension)}) {
      if (FileExists(folder + name + "." + extension)) return folder + name + "." + extension;
    }
  }
  for (const ImageType& type : ImageTypes()) {
    if (type.Format == texture_format_) continue;
    const std::string found = FindInSearchTree(name + "." + std::string(type.Name));
    if (!found.empty()) return found;
  }
  return "";
}

std::optional<FoundTexture> FolderTextureSource::Find(const std::string& name, bool /*masked*/) {
  // Texture names come from downloaded levels: an unsafe one never becomes a path.
  if (!IsSafeFileName(name)) return std::nullopt;

  const std::string& image_type = options_.TextureType;
  const std::string texture_path = TexturePathFile(options_.OutputFile, name, image_type);
  FoundTexture found;
  found.Where = texture_path;
  std::string bytes;
  // An image already beside the output is used as it is, never fetched again.
  if (FileExists(texture_path)) {
    bytes = ReadFileBytes(texture_path);
    found.Picture = DecodeImage(bytes, texture_path);
  } else if (const std::string copy = FindInSearchTree(name + "." + image_type); !copy.empty()) {
    bytes = ReadFileBytes(copy);
    found.Picture = DecodeImage(bytes, copy);
    found.CopyFrom = copy;
  } else if (const std::string other = FindOtherType(name); !other.empty()) {
    found.Picture = DecodeImageFile(other);
    bytes = EncodeImage(found.Picture, texture_format_);
    found.FileBytes = bytes;
    found.Converted = true;
  } else {
    return std::nullopt;
  }
  if (IsPngFile(bytes)) found.PngBytes = std::move(bytes);
  return found;
}

}  // namespace brushwright
