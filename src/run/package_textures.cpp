// Textures inside Unreal packages as a texture source.
#include "run/package_textures.h"

#include "image/image_file.h"
#include "run/texture_files.h"
#include "text/file_text.h"

namespace brushwright {

const TextureIndex& PackageTextureSource::Index() {
  if (!index_) {
    index_.emplace();
    const auto notice = [this](const std::string& line) { notices_.push_back(line); };
    if (input_package_) index_->AddPackageFile(options_.InputFile);
    if (options_.SearchCopy && !options_.SearchPath.empty()) {
      host_.SetLabelProgress("indexing packages");
      index_->AddFolder(options_.SearchPath, notice);
    }
  }
  return *index_;
}

std::optional<FoundTexture> PackageTextureSource::Find(const std::string& name, bool masked) {
  // The image goes beside the output under the texture's name: an unsafe name never becomes one.
  if (!IsSafeFileName(name)) return std::nullopt;
  const TextureIndex& index = Index();
  const auto notice = [this](const std::string& line) { notices_.push_back(line); };
  const std::optional<TextureLocation> location = index.Find(name, notice);
  if (!location) return std::nullopt;
  DecodedTexture texture = index.Decode(*location, masked);
  if (texture.Status != TextureStatus::Decoded) {
    notices_.push_back(texture.Problem);
    return std::nullopt;
  }
  FoundTexture found;
  found.Where = TexturePathFile(options_.OutputFile, name, options_.TextureType);
  found.FileBytes = EncodeImage(texture.Picture, texture_format_);
  found.Picture = std::move(texture.Picture);
  if (IsPngFile(found.FileBytes)) found.PngBytes = found.FileBytes;
  found.FromPackage = true;
  found.ThroughMaterial = texture.ThroughMaterial;
  return found;
}

}  // namespace brushwright
