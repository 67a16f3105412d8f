// Texture images as files: the image beside the output, or one fetched from the search tree.
#include "run/texture_files.h"

#include <cctype>
#include <utility>

#include "image/image_file.h"
#include "text/brush_error.h"
#include "text/file_text.h"
#include "text/key_readers.h"

namespace brushwright {
namespace {

// Characters that would let a name reach another directory or act as a wildcard.
constexpr std::string_view kUnsafeCharacters = "/\\:*?";
// Control characters have no place in a file name.
constexpr char kFirstPrintable = 32;

constexpr char kSearchErrorTitle[] = "Unexpected Error";

// The image types a texture may come in, as the options name them, in the order another type
// than the run's is looked for.
struct ImageType {
  const char* Name;
  ImageFormat Format;
};
constexpr ImageType kImageTypes[] = {{"BMP", ImageFormat::Bmp},  {"PCX", ImageFormat::Pcx},
                                     {"JPG", ImageFormat::Jpeg}, {"PNG", ImageFormat::Png},
                                     {"TIF", ImageFormat::Tiff}, {"GIF", ImageFormat::Gif}};

std::string LowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

bool IsSafeTextureName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < kFirstPrintable) return false;
    if (kUnsafeCharacters.find(c) != std::string_view::npos) return false;
  }
  return true;
}

std::string TexturePathFile(const std::string& output_path, const std::string& texture,
                            const std::string& image_type) {
  return DirectoryOfPath(output_path) + texture + "." + image_type;
}

ImageFormat ImageFormatOf(const std::string& texture_type) {
  for (const ImageType& type : kImageTypes) {
    if (EqualsIgnoringCase(texture_type, type.Name)) return type.Format;
  }
  return ImageFormat::Bmp;
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
  for (const ImageType& type : kImageTypes) {
    if (EqualsIgnoringCase(type.Name, options_.TextureType)) continue;
    for (const std::string& extension : {std::string(type.Name), LowerCase(type.Name)}) {
      if (FileExists(folder + name + "." + extension)) return folder + name + "." + extension;
    }
  }
  for (const ImageType& type : kImageTypes) {
    if (EqualsIgnoringCase(type.Name, options_.TextureType)) continue;
    const std::string found = FindInSearchTree(name + "." + type.Name);
    if (!found.empty()) return found;
  }
  return "";
}

std::optional<FoundTexture> FolderTextureSource::Find(const std::string& name, bool /*masked*/) {
  // Texture names come from downloaded levels: an unsafe one never becomes a path.
  if (!IsSafeTextureName(name)) return std::nullopt;

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
    // Other runs at once may read the image beside a shared output folder: it appears whole.
    bytes = CopyFileWhole(copy, texture_path);
    found.Picture = DecodeImage(bytes, texture_path);
  } else if (const std::string other = FindOtherType(name); !other.empty()) {
    found.Picture = DecodeImageFile(other);
    bytes = EncodeImage(found.Picture, ImageFormatOf(image_type));
    ReplaceFileBytes(texture_path, bytes);
    ++converted_;
  } else {
    return std::nullopt;
  }
  if (IsPngFile(bytes)) found.PngBytes = std::move(bytes);
  return found;
}

}  // namespace brushwright
