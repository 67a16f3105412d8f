// Textures and materials stored in packages: which objects they are, their mips, their pictures.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "image/image.h"
#include "package/package_file.h"
#include "package/package_object.h"
#include "texture/texture_pixels.h"

namespace brushwright {

// Mip arrays: after version 61 each mip's data is preceded by the file offset just past it, which
// lets the engine skip data it does not load yet (its own reader tests for versions up to 61).
constexpr bool HasMipSkipOffsets(int version) {
  return version >= 62;
}
// The second engine generation (versions 100 on) numbers texture formats its own way.
constexpr bool HasSecondGenerationFormats(int version) {
  return version >= 100;
}
// Tribes: Vengeance and SWAT 4 put their version header before each mip from licensee 26 on.
constexpr bool HasVengeanceMipHeader(int version, int licensee) {
  return IsVengeancePackage(version, licensee) && licensee >= 26;
}

// The pixel format a package's format number stands for in its engine generation; none for
// numbers that are not decodable (RGBA7, RGB16, NODATA, the newer ones).
std::optional<PixelFormat> PixelFormatOf(int version, std::int32_t format_number);

// One mip of a texture: its size and where its data lie in the object's bytes.
struct TextureMip {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int64_t DataOffset = 0;
  std::int64_t DataSize = 0;
};

// What a texture object holds, as its properties and mip arrays give it.
struct TextureObject {
  std::int32_t FormatNumber = 0;  // as stored; PixelFormatOf turns it into a pixel format
  std::int32_t Palette = 0;       // object reference
  bool Masked = false;            // bMasked: palette index 0 is transparent
  bool MadeAtRunTime = false;     // a class or flag whose pixels the engine makes while it runs
  std::vector<TextureMip> Mips;   // the largest first
  // First-generation textures may carry compressed mips after their own (bHasComp).
  std::int32_t CompressedFormatNumber = 0;
  std::vector<TextureMip> CompressedMips;
};

// True for objects whose class is a texture (with stored pixels or made at run time).
bool IsTextureClass(const PackageFile& package, std::int32_t ref);
// True for objects whose class is a second-generation material that shows another one
// (Shader, Combiner, FinalBlend, the TexModifier family, MaterialSwitch, ...) or a plain colour.
bool IsMaterialClass(const PackageFile& package, std::int32_t ref);

// Reads the texture's properties and mip arrays. Throws BrushError naming the file, the export
// and the byte offset when they are broken.
TextureObject ReadTextureObject(const PackageObject& object);

// The object a material takes its colour from: a Shader's Diffuse, a Combiner's Material1, a
// MaterialSwitch's current material, a MaterialSequence's first item, any other modifier's
// Material (FinalBlend, TexPanner, TexScaler, ...), failing those a SelfIllumination or
// Material2. 0 when it names none.
std::int32_t MaterialColourSource(const PackageObject& material);

enum class TextureStatus {
  Decoded,
  MadeAtRunTime,  // its pixels are made while the game runs (fire, water, scripted textures)
  NotDecodable,   // no stored pixels, a format that cannot be decoded, a broken texture
};

// A texture's picture, or why there is none.
struct DecodedTexture {
  TextureStatus Status = TextureStatus::NotDecodable;
  Image Picture;                 // when Decoded: the top mip, RGBA rows from the top
  std::string Problem;           // otherwise a line naming the package and texture, and why
  bool ThroughMaterial = false;  // reached by following one or more materials
};

// Decodes texture export `export_index` of `package`: its top mip (the first with data when the
// top one has none), P8 through the Palette object its reference names. `masked` (a polygon's
// flag) makes palette index 0 transparent as the texture's own bMasked does. A texture made at
// run time, in a format that is not decodable or without stored pixels gives that status and
// the problem. Throws BrushError when the texture's or palette's bytes are broken.
DecodedTexture DecodeTextureExport(const PackageFile& package, std::int32_t export_index,
                                   bool masked);

}  // namespace brushwright
