// Finds a texture's image beside the output, fetches it from the search tree, and loads it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "run/run_host.h"
#include "run/run_options.h"

namespace brushwright {

// False for names that could leave the output directory or act as wildcards: names holding
// "/", "\", ":", "*", "?" or a character below 32, and "." and ".."; also the empty name, which
// names no file. Such names are never used to build a path.
bool IsSafeTextureName(std::string_view name);

// DirectoryOfPath(output path) + texture + "." + image type.
std::string TexturePathFile(const std::string& output_path, const std::string& texture,
                            const std::string& image_type);

// For a texture not yet in the table: when the options ask, copies its image from the search
// tree into the output directory; when the image is there, shows it, names it in
// LabelTextureName and sets width and height to its pixel size. Otherwise width and height stay
// as they are. Throws BrushError when a copy fails or a present image cannot be decoded or is
// too large.
void LocateTextureFile(RunHost& host, const RunOptions& options, const std::string& name,
                       std::int16_t& width, std::int16_t& height);

}  // namespace brushwright
