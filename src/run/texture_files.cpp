// Texture images as files: the image beside the output, or one fetched from the search tree.
#include "run/texture_files.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "image/image_file.h"
#include "platform/platform.h"
#include "text/brush_error.h"
#include "text/file_text.h"

namespace brushwright {
namespace {

// Characters that would let a name reach another directory or act as a wildcard.
constexpr std::string_view kUnsafeCharacters = "/\\:*?";
// Control characters have no place in a file name.
constexpr char kFirstPrintable = 32;
// A PNG file starts with these bytes; its image is embedded as the file has it.
constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";

constexpr char kSearchErrorTitle[] = "Unexpected Error";

void CopyTextureFile(const std::string& from, const std::string& to) {
  std::error_code error;
  std::filesystem::copy_file(PathFromUtf8(from), PathFromUtf8(to),
                             std::filesystem::copy_options::overwrite_existing, error);
  if (error) {
    throw BrushError("cannot copy '" + from + "' to '" + to + "': " + error.message());
  }
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

// Looks for the image in the search tree, walking it on the first search, and copies the first
// one found to `texture_path`; false when there is none.
bool FolderTextureSource::FetchFromSearchTree(const std::string& image_file,
                                              const std::string& texture_path) {
  host_.SetLabelProgress("searching texture file");
  if (!search_tree_) {
    search_tree_ = FileTreeIndex::Build(options_.SearchPath, [this](const std::string& message) {
      host_.ShowMessage(message, kSearchErrorTitle, MessageKind::Error);
    });
  }
  const std::string found = search_tree_->Find(image_file);
  if (found.empty() || !FileExists(found)) return false;
  CopyTextureFile(found, texture_path);
  return true;
}

std::optional<FoundTexture> FolderTextureSource::Find(const std::string& name) {
  // Texture names come from downloaded levels: an unsafe one never becomes a path.
  if (!IsSafeTextureName(name)) return std::nullopt;

  const std::string& image_type = options_.TextureType;
  const std::string texture_path = TexturePathFile(options_.OutputFile, name, image_type);
  // An image already beside the output is used as it is, never fetched again.
  if (!FileExists(texture_path) &&
      (!options_.SearchCopy || !FetchFromSearchTree(name + "." + image_type, texture_path))) {
    return std::nullopt;
  }
  FoundTexture found;
  found.Where = texture_path;
  std::string bytes = ReadFileBytes(texture_path);
  found.Picture = DecodeImage(bytes, texture_path);
  if (bytes.starts_with(kPngSignature)) found.PngBytes = std::move(bytes);
  return found;
}

}  // namespace brushwright
