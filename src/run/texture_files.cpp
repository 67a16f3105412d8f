// Finds a texture's image beside the output, fetches it from the search tree, and loads it.
#include "run/texture_files.h"

#include <filesystem>
#include <system_error>

#include "platform/platform.h"
#include "search/file_search.h"
#include "text/brush_error.h"
#include "text/file_text.h"
#include "text/number_text.h"

namespace brushwright {
namespace {

// Characters that would let a name reach another directory or act as a wildcard.
constexpr std::string_view kUnsafeCharacters = "/\\:*?";
// Control characters have no place in a file name.
constexpr char kFirstPrintable = 32;

constexpr char kSearchErrorTitle[] = "Unexpected Error";

void CopyTextureFile(const std::string& from, const std::string& to) {
  std::error_code error;
  std::filesystem::copy_file(PathFromUtf8(from), PathFromUtf8(to),
                             std::filesystem::copy_options::overwrite_existing, error);
  if (error) {
    throw BrushError("cannot copy '" + from + "' to '" + to + "': " + error.message());
  }
}

// Looks for the image in the search tree, walking it on the run's first search, and copies the
// first one found to `texture_path`; false when there is none.
bool FetchFromSearchTree(RunHost& host, const std::string& search_path,
                         std::optional<FileTreeIndex>& search_tree, const std::string& image_file,
                         const std::string& texture_path) {
  host.SetLabelProgress("searching texture file");
  if (!search_tree) {
    search_tree = FileTreeIndex::Build(search_path, [&host](const std::string& message) {
      host.ShowMessage(message, kSearchErrorTitle, MessageKind::Error);
    });
  }
  const std::string found = search_tree->Find(image_file);
  if (found.empty() || !FileExists(found)) return false;
  CopyTextureFile(found, texture_path);
  return true;
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

std::optional<LoadedPicture> LocateTextureFile(RunHost& host, const RunOptions& options,
                                               std::optional<FileTreeIndex>& search_tree,
                                               const std::string& name, std::int16_t& width,
                                               std::int16_t& height) {
  // Texture names come from downloaded levels: an unsafe one never becomes a path.
  if (!IsSafeTextureName(name)) return std::nullopt;

  const std::string& image_type = options.TextureType;
  const std::string image_file = name + "." + image_type;
  const std::string texture_path = TexturePathFile(options.OutputFile, name, image_type);

  // An image already beside the output is used as it is, never fetched again.
  if (!FileExists(texture_path)) {
    if (!options.SearchCopy ||
        !FetchFromSearchTree(host, options.SearchPath, search_tree, image_file, texture_path)) {
      return std::nullopt;
    }
  }

  LoadedPicture loaded{texture_path, host.LoadPicture(texture_path)};
  host.SetLabelTextureName(name);
  height = RoundToInt16(loaded.Picture.Height, "the height of image '" + texture_path + "'");
  width = RoundToInt16(loaded.Picture.Width, "the width of image '" + texture_path + "'");
  return loaded;
}

}  // namespace brushwright
