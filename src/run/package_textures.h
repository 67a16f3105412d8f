// Textures inside Unreal packages as a texture source: the input's own package (a map) and the
// packages of the search folder's tree, each found texture encoded as an image of the run's
// texture type, for the write phase to put beside the output.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "image/image_file.h"
#include "run/run_host.h"
#include "run/run_options.h"
#include "run/texture_source.h"
#include "texture/texture_index.h"

namespace brushwright {

class PackageTextureSource : public TextureSource {
 public:
  // `input_package`: the input is itself a package, whose textures come first. The search
  // folder's packages count when the options ask to copy textures from it.
  // `texture_format`: the options' texture type as a format.
  PackageTextureSource(const RunOptions& options, ImageFormat texture_format, RunHost& host,
                       bool input_package)
      : options_(options),
        texture_format_(texture_format),
        host_(host),
        input_package_(input_package) {}

  // Looks the reference up as the engine would (see TextureIndex::Find), decodes it (following
  // materials to the texture that gives their colour) and encodes it. A texture
  // that cannot be decoded (made at run time, in a format without a decoder) is not found: its
  // problem joins the notices. The index is built on the first call.
  std::optional<FoundTexture> Find(const std::string& name, bool masked) override;

  // What the run tells the user at the end: packages passed over, names found in several
  // packages, textures that could not be decoded; one line each.
  const std::vector<std::string>& Notices() const { return notices_; }

 private:
  const TextureIndex& Index();

  const RunOptions& options_;
  ImageFormat texture_format_;
  RunHost& host_;
  bool input_package_;
  std::optional<TextureIndex> index_;
  std::vector<std::string> notices_;
};

}  // namespace brushwright
