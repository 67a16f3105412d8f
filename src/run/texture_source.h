// Where a run finds its textures' pictures: sources asked in turn, each finding a texture by the
// name the level gives it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/image.h"

namespace brushwright {

// A texture's picture as a source found it, and how its image file beside the output comes to be
// there: a source finds and decodes, the run's write phase puts the file in place.
struct FoundTexture {
  std::string Where;     // the image file beside the output, which messages name
  Image Picture;         // decoded: its size and pixels
  std::string PngBytes;  // the image file's own bytes when it is a PNG file, embedded as they are
  // The file `Where` is made by copying CopyFrom, or by writing FileBytes; neither when it is
  // there already.
  std::string CopyFrom;
  std::string FileBytes;
  bool Converted = false;        // found only in another type, and written in the run's
  bool FromPackage = false;      // found inside a package
  bool ThroughMaterial = false;  // of a package, reached through a material
};

class TextureSource {
 public:
  virtual ~TextureSource() = default;
  // The texture named `name` as the level writes it, with what makes its image of the run's
  // texture type beside the output; none when this source does not have it. Writes nothing.
  // `masked`: some face shows it with the Masked flag, so a palette's first colour is to be
  // transparent. Throws BrushError naming the file when the source has the texture but cannot give
  // it (an image that does not decode, a copy that fails).
  virtual std::optional<FoundTexture> Find(const std::string& name, bool masked) = 0;
};

// The sources of a run, asked in this order; the first that has a texture gives it.
using TextureSources = std::vector<std::unique_ptr<TextureSource>>;

}  // namespace brushwright
