// Finds a texture's image beside the output, fetches it from the search tree, and loads it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "run/run_host.h"
#include "run/run_options.h"
#include "search/file_search.h"

namespace brushwright {

// False for names that could leave the output directory or act as wildcards: names holding
// "/", "\", ":", "*", "?" or a character below 32, and "." and ".."; also the empty name, which
// names no file. Such names are never used to build a path.
bool IsSafeTextureName(std::string_view name);

// DirectoryOfPath(output path) + texture + "." + image type.
std::string TexturePathFile(const std::string& output_path, const std::string& texture,
                            const std::string& image_type);

// A texture's image as found beside the output and decoded.
struct LoadedPicture {
  std::string Path;
  Image Picture;
};

// For a texture not yet in the table: when the options ask, copies its image from the search
// tree into the output directory; when the image is there, shows it, names it in
// LabelTextureName, sets width and height to its pixel size and gives it back. Otherwise width
// and height stay as they are. `search_tree` is the run's index of the search tree, built (and its
// unreadable folders shown) on the first search. Throws BrushError when a copy fails or a present
// image cannot be decoded or is too large.
std::optional<LoadedPicture> LocateTextureFile(RunHost& host, const RunOptions& options,
                                               std::optional<FileTreeIndex>& search_tree,
                                               const std::string& name, std::int16_t& width,
                                               std::int16_t& height);

}  // namespace brushwright
