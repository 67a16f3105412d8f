// Materials of the .glb file: polygon flags to alpha, sides, shading and filtering; embedded PNGs;
// light-map pages and the materials that name them.
#include <cassert>
#include <cstdint>
#include <map>
#include <set>
#include <string_view>
#include <utility>

#include "gltf/glb_build.h"
#include "text/brush_error.h"

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
// A page holds light as the game stores it, 0..1 as bytes, and the game draws texture x light x 2:
// the factor the light-map extensions apply to the page.
constexpr double kLightMapScale = 2;
// The light-map coordinates are the faces' second texture coordinates (TEXCOORD_1).
constexpr int kLightMapTexCoord = 1;
constexpr char kMozLightmap[] = "MOZ_lightmap";
constexpr char kMsftLightmap[] = "MSFT_lightmap";

// How a texture is sampled: a level texture with or without smoothing, or a light-map page, whose
// texels are blended and never repeated (its border texels belong to the faces at its edge).
enum class Sampling { Sharp, Smooth, LightMap };

// The embedded images, textures and samplers, each written once however many materials use it.
class TextureSet {
 public:
  TextureSet(GlbBinary& binary, tinygltf::Model& model) : binary_(binary), model_(model) {}

  int Texture(std::string png, const std::string& name, Sampling sampling) {
    const int image = Image(std::move(png), name);
    const int sampler = Sampler(sampling);
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

  int Sampler(Sampling sampling) {
    int& index = samplers_[static_cast<int>(sampling)];
    if (index >= 0) return index;
    index = static_cast<int>(model_.samplers.size());
    tinygltf::Sampler& sampler = model_.samplers.emplace_back();
    if (sampling == Sampling::LightMap) {
      // No mipmaps: a smaller level would blend light across the frames packed on the page.
      sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
      sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
      sampler.wrapS = TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE;
      sampler.wrapT = TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE;
      return index;
    }
    // Mipmaps as the engine draws distant surfaces; without smoothing each texel stays a
    // sharp square up close.
    const bool smooth = sampling == Sampling::Smooth;
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
  int samplers_[3] = {-1, -1, -1};  // by Sampling
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

// The scene materials' uses of light-map pages, from faces that will be drawn (three corners or
// more): each (material, page) pair, and the materials that also draw faces without a page. The
// game draws unlit surfaces at full brightness, whatever light lies on them: their faces count
// as without a page.
struct PageUses {
  std::set<std::pair<std::int32_t, std::int32_t>> Pairs;
  std::vector<bool> Unpaged;  // by material + 1, slot 0 for faces without material
};

void AddPageUses(const std::string& path, const GlbScene& scene, const std::vector<MeshFace>& faces,
                 PageUses& uses) {
  const std::size_t pages = scene.Geometry->LightPages.size();
  for (const MeshFace& face : faces) {
    if (face.Corners.size() < 3) continue;
    const std::int32_t material = GlbMaterialOf(scene, face);
    const bool unlit =
        material != kNoGlbMaterial &&
        (scene.Materials[static_cast<std::size_t>(material)].Flags & kFlagUnlit) != 0;
    if (face.LightPage == kNoLightPage || unlit) {
      uses.Unpaged[static_cast<std::size_t>(material + 1)] = true;
    } else if (face.LightPage < 0 || static_cast<std::size_t>(face.LightPage) >= pages) {
      throw BrushError("cannot write '" + path + "': a face lies on light-map page " +
                       std::to_string(face.LightPage) + ", but the level has " +
                       std::to_string(pages) + " pages");
    } else {
      uses.Pairs.insert({material, face.LightPage});
    }
  }
}

// The page as an opaque picture; its texels are the light as the game stores it.
Image PictureOf(const std::string& path, const LightPage& page, std::int32_t number) {
  if (page.Width <= 0 || page.Height <= 0 ||
      page.Texels.size() !=
          static_cast<std::size_t>(page.Width) * static_cast<std::size_t>(page.Height)) {
    throw BrushError("cannot write '" + path + "': light-map page " + std::to_string(number) +
                     " holds " + std::to_string(page.Texels.size()) + " texels for " +
                     std::to_string(page.Width) + " x " + std::to_string(page.Height));
  }
  Image picture{page.Width, page.Height, {}, false};
  picture.Rgba.reserve(page.Texels.size() * 4);
  for (const LightTexel& texel : page.Texels) {
    picture.Rgba.insert(picture.Rgba.end(), {texel.R, texel.G, texel.B, 255});
  }
  return picture;
}

// Names the page's texture as the material's light map, in both extensions' forms.
void NameLightMap(int texture, tinygltf::Material& material) {
  tinygltf::Value::Object moz;
  moz["index"] = tinygltf::Value(texture);
  moz["texCoord"] = tinygltf::Value(kLightMapTexCoord);
  moz["intensity"] = tinygltf::Value(kLightMapScale);
  material.extensions[kMozLightmap] = tinygltf::Value(std::move(moz));
  tinygltf::Value::Object info;
  info["index"] = tinygltf::Value(texture);
  info["texCoord"] = tinygltf::Value(kLightMapTexCoord);
  tinygltf::Value::Object msft;
  msft["lightmapTexture"] = tinygltf::Value(std::move(info));
  msft["lightmapFactor"] =
      tinygltf::Value(tinygltf::Value::Array(3, tinygltf::Value(kLightMapScale)));
  material.extensions[kMsftLightmap] = tinygltf::Value(std::move(msft));
}

// The pages the faces lie on, embedded in page order, and a material per (material, page) pair:
// the scene material itself for its first page when it draws no face without a page, else a
// copy of it.
LitMaterials AddLitMaterials(const std::string& path, const GlbScene& scene,
                             const PngEncoder& encode_png, TextureSet& textures,
                             tinygltf::Model& model) {
  LitMaterials lit;
  if (scene.Geometry == nullptr) return lit;
  PageUses uses{{}, std::vector<bool>(scene.Materials.size() + 1, false)};
  for (const MeshGroup& group : scene.Geometry->Groups) AddPageUses(path, scene, group.Faces, uses);
  for (const MeshShape& shape : scene.Geometry->Shapes) AddPageUses(path, scene, shape.Faces, uses);
  if (uses.Pairs.empty()) return lit;

  std::map<std::int32_t, int> page_textures;
  for (const auto& [material, page] : uses.Pairs) page_textures.try_emplace(page, -1);
  for (auto& [page, texture] : page_textures) {
    const std::string name = "LightPage" + std::to_string(page);
    const Image picture =
        PictureOf(path, scene.Geometry->LightPages[static_cast<std::size_t>(page)], page);
    texture = textures.Texture(encode_png(picture), name, Sampling::LightMap);
  }
  for (const auto& [material, page] : uses.Pairs) {
    int drawn = material;
    std::vector<bool>::reference taken = uses.Unpaged[static_cast<std::size_t>(material + 1)];
    if (material == kNoGlbMaterial || taken) {
      // Faces without a material are drawn with glTF's default one: its copy is that, but not
      // metal, as the other materials.
      tinygltf::Material copy;
      if (material != kNoGlbMaterial) {
        copy = model.materials[static_cast<std::size_t>(material)];
      } else {
        copy.pbrMetallicRoughness.metallicFactor = kMetallic;
      }
      copy.name += "_LightPage" + std::to_string(page);
      drawn = static_cast<int>(model.materials.size());
      model.materials.push_back(std::move(copy));
    }
    taken = true;
    NameLightMap(page_textures[page], model.materials[static_cast<std::size_t>(drawn)]);
    lit[{material, page}] = drawn;
  }
  for (const char* extension : {kMozLightmap, kMsftLightmap}) {
    model.extensionsUsed.push_back(extension);
  }
  return lit;
}

}  // namespace

LitMaterials AddMaterials(const std::string& path, const GlbScene& scene,
                          const PngEncoder& encode_png, GlbBinary& binary, tinygltf::Model& model) {
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
      pbr.baseColorTexture.index = textures.Texture(
          std::move(png), material.name, has(kFlagNoSmooth) ? Sampling::Sharp : Sampling::Smooth);
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
  return AddLitMaterials(path, scene, encode_png, textures, model);
}

}  // namespace brushwright
