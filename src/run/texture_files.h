// Texture images as files: the image beside the output, or one fetched from the search tree.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "image/image_file.h"
#include "run/run_host.h"
#include "run/run_options.h"
#include "run/texture_source.h"
#include "search/file_search.h"

namespace brushwright {

// False for names that could leave the output directory or act as wildcards: names holding
// "/", "\", ":", "*", "?" or a character below 32, and "." and ".."; also the empty name, which
// names no file. Such names are never used to build a path.
bool IsSafeTextureName(std::string_view name);

// DirectoryOfPath(output path) + texture + "." + image type.
std::string TexturePathFile(const std::string& output_path, const std::string& texture,
                            const std::string& image_type);

// The image file `Name.TYPE` beside the output; failing that, when the options ask, the first
// file of that name (any letter case) in the search tree, copied beside the output. When
// neither holds an image of the run's type, an image of another type (BMP, PCX, JPG, PNG, TIF,
// GIF, in that order; beside the output, then in the search tree) is decoded and written beside
// the output as `Name.TYPE`. The tree is walked once, on the first search; the folders it cannot
// read are shown through the host.
class FolderTextureSource : public TextureSource {
 public:
  FolderTextureSource(const RunOptions& options, RunHost& host) : options_(options), host_(host) {}
  std::optional<FoundTexture> Find(const std::string& name, bool masked) override;
  // Images found only in another type and written in the run's.
  int Converted() const { return converted_; }

 private:
  // The path of the file named `file_name` (any letter case) in the search tree; "" for none.
  std::string FindInSearchTree(const std::string& file_name);
  // The path of an image of `name` in a type other than the run's; "" for none.
  std::string FindOtherType(const std::string& name);

  const RunOptions& options_;
  RunHost& host_;
  std::optional<FileTreeIndex> search_tree_;  // built on the first search
  int converted_ = 0;
};

// The encoding of the image type the options name (BMP, PCX, JPG, PNG, TIF or GIF, any letter
// case); BMP for a name that is none of them.
ImageFormat ImageFormatOf(const std::string& texture_type);

}  // namespace brushwright
