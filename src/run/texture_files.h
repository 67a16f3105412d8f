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

// Makes a found texture's image file beside the output: copies or writes it, or leaves the file
// that is there. Throws BrushError naming the files when it cannot.
void PlaceTextureFile(const FoundTexture& found);

// The format the run writes texture images in: the options' texture type, or BMP for a type
// that is none of the six (written under that type's own extension).
ImageFormat TextureImageFormat(const RunOptions& options);

// DirectoryOfPath(output path) + texture + "." + image type.
std::string TexturePathFile(const std::string& output_path, const std::string& texture,
                            const std::string& image_type);

// The image file `Name.TYPE` beside the output; failing that, when the options ask, the first
// file of that name (any letter case) in the search tree, to be copied beside the output. When
// neither holds an image of the run's type, an image of another type (BMP, PCX, JPG, PNG, TIF,
// GIF, in that order; beside the output, then in the search tree) is decoded and encoded, to be
// written beside the output as `Name.TYPE`. The tree is walked once, on the first search; the
// folders it cannot read are shown through the host.
class FolderTextureSource : public TextureSource {
 public:
  // `texture_format`: the options' texture type as a format.
  FolderTextureSource(const RunOptions& options, ImageFormat texture_format, RunHost& host)
      : options_(options), texture_format_(texture_format), host_(host) {}
  std::optional<FoundTexture> Find(const std::string& name, bool masked) override;

 private:
  // The path of the file named `file_name` (any letter case) in the search tree; "" for none.
  std::string FindInSearchTree(const std::string& file_name);
  // The path of an image of `name` in a type other than the run's; "" for none.
  std::string FindOtherType(const std::string& name);

  const RunOptions& options_;
  ImageFormat texture_format_;
  RunHost& host_;
  std::optional<FileTreeIndex> search_tree_;  // built on the first search
};

}  // namespace brushwright
