// A texture search folder for the levels of the Textures variant: many images the level does
// not name, and a few it does.
#pragma once

#include <cstdint>
#include <string>

namespace brushwright {

struct TextureTreeOptions {
  std::int32_t Files = 10000;  // image files in the whole tree
  std::int32_t Found = 10;     // of them, images of textures the level names
};

// Writes the tree under `root` (made when missing): folders Pack<i>/Set<j> of 100 files each.
// The found images are 8 x 8 BMP files of the first face's texture of brushes 1, 5, 9, ... (the
// generator's additive brushes), named in lower case as "<texture>.bmp"; every other file is a
// few bytes named after a texture of no level. The same options always give the same tree.
void WriteTextureTree(const std::string& root, const TextureTreeOptions& options);

}  // namespace brushwright
