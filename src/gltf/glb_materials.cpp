// Materials of the .glb file: polygon flags to alpha, sides, shading and filtering; embedded PNGs.
#include <cassert>
#include <cstdint>
#include <map>
#include <string_view>
#include <utility>

#include "gltf/glb_build.h"

namespace brushwright {

namespace {

// Polygon flag bits that change a material (the engine's PF_ values).
constexpr std::int64_t kFlagMasked = 2;       // palette index 0 / alpha cuts holes
constexpr std::int64_t kFlagTranslucent = 4;  // blended over what lies behind
constexpr std::int64_t kFlagTwoSided = 256;   // seen from both sides
constexpr std::int64_t kFlagNoSmooth = 2048;  // texels drawn without filtering
constexpr std::int64_t kFlagUnlit = 4194304;  // drawn at full brightness, no lighting
// The MTL output gives translucent materials "d 0.5"; their base colour carries the same alpha.
constexpr double kTranslucentAlpha = 0.5;
// Materials whose texture image was not found: a neutral grey that shows the level's shape.
constexpr double kPlainGrey = 0.5;
// Level surfaces are stone, wood and paint, not metal: the glTF default (1) would turn them dark.
constexpr double kMetallic = 0;
// Every PNG file starts with these eight bytes; other bytes are no PNG and are not embedded.
constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";
constexpr char kUnlitExtension[] = "KHR_materials_unlit";

// The embedded images, textures and samplers, each written once however many materials use it.
class TextureSet {
 public:
  TextureSet(GlbBinary& binary, tinygltf::Model& model) : binary_(binary), model_(model) {}

  int Texture(std::string png, const std::string& name, bool smooth) {
    const int image = Image(std::move(png), name);
    const int sampler = Sampler(smooth);
    const auto [it, added] = textures_.try_emplace({image, sampler}, 0);
    if (added) {
      it->second = static_cast<int>(model_.textures.size());
      tinygltf::Texture& texture = model_.textures.emplace_back();
      texture.source = image;
      texture.sampler = sampler;
    }
    return it->second;
  }

 private:
  int Image(std::string png, const std::string& name) {
    const auto [it, added] = images_.try_emplace(std::move(png), 0);
    if (!added) return it->second;
    tinygltf::BufferView& view = model_.bufferViews.emplace_back();
    view.buffer = 0;
    view.byteOffset = AppendAligned(binary_.Images, it->first.data(), it->first.size());
    view.byteLength = it->first.size();
    it->second = static_cast<int>(model_.images.size());
    tinygltf::Image& image = model_.images.emplace_back();
    image.name = name;
    image.mimeType = "image/png";
    image.bufferView = static_cast<int>(model_.bufferViews.size()) - 1;
    return it->second;
  }

  int Sampler(bool smooth) {
    int& index = samplers_[smooth ? 1 : 0];
    if (index >= 0) return index;
    index = static_cast<int>(model_.samplers.size());
    tinygltf::Sampler& sampler = model_.samplers.emplace_back();
    // Mipmaps as the engine draws distant surfaces; without smoothing each texel stays a
    // sharp square up close.
    sampler.magFilter = smooth ? TINYGLTF_TEXTURE_FILTER_LINEAR : TINYGLTF_TEXTURE_FILTER_NEAREST;
    sampler.minFilter = smooth ? TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR
                               : TINYGLTF_TEXTURE_FILTER_NEAREST_MIPMAP_LINEAR;
    sampler.wrapS = TINYGLTF_TEXTURE_WRAP_REPEAT;
    sampler.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
    return index;
  }

  GlbBinary& binary_;
  tinygltf::Model& model_;
  std::map<std::string, int> images_;  // PNG bytes -> image
  std::map<std::pair<int, int>, int> textures_;
  int samplers_[2] = {-1, -1};  // without and with smoothing
};

// The PNG bytes to embed for a material: its PNG file as it is, else its pixels encoded; empty
// when it has neither.
std::string PngOf(const GlbMaterial& material, const PngEncoder& encode_png) {
  if (std::string_view(material.PngBytes).starts_with(kPngSignature)) return material.PngBytes;
  if (!material.Picture || material.Picture->Rgba.empty()) return {};
  const Image& picture = *material.Picture;
  assert(picture.Rgba.size() ==
         static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height) * 4);
  return encode_png(picture);
}

}  // namespace

void AddMaterials(const GlbScene& scene, const PngEncoder& encode_png, GlbBinary& binary,
                  tinygltf::Model& model) {
  TextureSet textures(binary, model);
  bool any_unlit = false;
  for (const GlbMaterial& source : scene.Materials) {
    tinygltf::Material& material = model.materials.emplace_back();
    material.name = GltfName(source.Name);
    const auto has = [&](std::int64_t flag) { return (source.Flags & flag) != 0; };
    tinygltf::PbrMetallicRoughness& pbr = material.pbrMetallicRoughness;
    pbr.metallicFactor = kMetallic;

    std::string png = PngOf(source, encode_png);
    if (png.empty()) {
      pbr.baseColorFactor = {kPlainGrey, kPlainGrey, kPlainGrey, 1};
    } else {
      pbr.baseColorTexture.index =
          textures.Texture(std::move(png), material.name, !has(kFlagNoSmooth));
    }
    // Translucent wins over masked: blending also hides the masked texels (alpha 0).
    if (has(kFlagTranslucent)) {
      material.alphaMode = "BLEND";
      pbr.baseColorFactor[3] = kTranslucentAlpha;
    } else if (has(kFlagMasked)) {
      material.alphaMode = "MASK";
      material.alphaCutoff = 0.5;
    }
    material.doubleSided = has(kFlagTwoSided);
    if (has(kFlagUnlit)) {
      material.extensions[kUnlitExtension] = tinygltf::Value(tinygltf::Value::Object());
      any_unlit = true;
    }
  }
  if (any_unlit) model.extensionsUsed.push_back(kUnlitExtension);
}

}  // namespace brushwright
