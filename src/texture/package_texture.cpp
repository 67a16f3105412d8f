// Textures and materials stored in packages: which objects they are, their mips, their pictures.
#include "texture/package_texture.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

#include "package/byte_cursor.h"
#include "text/brush_error.h"
#include "text/key_readers.h"

namespace brushwright {

// The fewest bytes a mip takes: its data count (one byte when 0), width, height, and the two
// bytes of their logarithms, after the 4-byte skip offset where there is one.
constexpr std::int64_t kLeastMipBytes = 1 + 4 + 4 + 2;
// Tribes: Vengeance's sub-version 1 mips carry an older copy of their data first.
constexpr std::int32_t kVengeanceMipWithOldData = 1;

// The pixel formats by their stored numbers. Both generations number P8, DXT1, RGB8 and RGBA8
// alike and leave RGBA7 (1) and RGB16 (2) undecodable; later first-generation games added DXT3
// and DXT5 as 6 and 7, while the second generation has NODATA at 6 and goes on from 7.
constexpr std::optional<PixelFormat> kUndecodable;
constexpr std::array<std::optional<PixelFormat>, 8> kFirstGenerationFormats = {
    PixelFormat::P8,   kUndecodable,       kUndecodable,      PixelFormat::Dxt1,
    PixelFormat::Rgb8, PixelFormat::Bgra8, PixelFormat::Dxt3, PixelFormat::Dxt5};
constexpr std::array<std::optional<PixelFormat>, 11> kSecondGenerationFormats = {
    PixelFormat::P8,   kUndecodable,       kUndecodable,    PixelFormat::Dxt1,
    PixelFormat::Rgb8, PixelFormat::Bgra8, kUndecodable,    PixelFormat::Dxt3,
    PixelFormat::Dxt5, PixelFormat::L8,    PixelFormat::G16};

namespace {

// Texture classes whose pixels the engine makes while it runs; whatever their mips hold is
// not the picture.
constexpr std::array<std::string_view, 9> kRunTimeClasses = {
    "FractalTexture", "FireTexture",     "WaterTexture",         "WaveTexture", "WetTexture",
    "IceTexture",     "ScriptedTexture", "ShadowBitmapMaterial", "MovieTexture"};
// Classes with stored pixels of their own (a cubemap's are its faces').
constexpr std::array<std::string_view, 2> kStoredTextureClasses = {"Texture", "Cubemap"};
// Second-generation materials: those that show another material, and plain colours.
constexpr std::array<std::string_view, 27> kMaterialClasses = {
    "Material",          "RenderedMaterial",   "Shader",           "Combiner",
    "Modifier",          "FinalBlend",         "ColorModifier",    "OpacityModifier",
    "MaterialSwitch",    "MaterialSequence",   "TexModifier",      "TexCoordSource",
    "TexEnvMap",         "TexMatrix",          "TexOscillator",    "TexOscillatorTriggered",
    "TexPanner",         "TexPannerTriggered", "TexRotator",       "TexScaler",
    "VariableTexPanner", "ConstantMaterial",   "ConstantColor",    "FadeColor",
    "VertexColor",       "TerrainMaterial",    "ProjectorMaterial"};

template <std::size_t N>
bool ChainHasAny(const std::vector<std::string>& chain,
                 const std::array<std::string_view, N>& classes) {
  return std::any_of(chain.begin(), chain.end(), [&](const std::string& name) {
    return std::any_of(classes.begin(), classes.end(),
                       [&](std::string_view wanted) { return EqualsIgnoringCase(name, wanted); });
  });
}

std::vector<TextureMip> ReadMips(ByteCursor& cursor, const PackageObject& object) {
  const int version = object.Package().Version();
  const int licensee = object.Package().Licensee();
  const std::int64_t least = kLeastMipBytes + (HasMipSkipOffsets(version) ? 4 : 0);
  const std::int32_t count = cursor.Count(cursor.CompactIndex(), least, "mip");
  std::vector<TextureMip> mips;
  mips.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count && cursor.Ok(); ++i) {
    if (HasVengeanceMipHeader(version, licensee) &&
        ReadVengeanceHeader(cursor) == kVengeanceMipWithOldData) {
      if (HasMipSkipOffsets(version)) cursor.I32();
      cursor.Skip(cursor.Count(cursor.CompactIndex(), 1, "mip data"));
    }
    if (HasMipSkipOffsets(version)) cursor.I32();  // the offset past the data: not needed
    TextureMip mip;
    mip.DataSize = cursor.Count(cursor.CompactIndex(), 1, "mip data");
    mip.DataOffset = cursor.FileOffset() - object.FileOffset();
    cursor.Skip(mip.DataSize);
    mip.Width = cursor.I32();
    mip.Height = cursor.I32();
    cursor.Skip(2);  // the sides' logarithms
    mips.push_back(mip);
  }
  return mips;
}

std::string TextureLine(const PackageFile& package, std::int32_t export_index) {
  const std::int32_t ref = ExportRef(export_index);
  return package.ObjectPath(ref) + " (" + package.ClassName(ref) + ") in '" + package.Path() + "'";
}

DecodedTexture Refused(TextureStatus status, const PackageFile& package, std::int32_t export_index,
                       const std::string& why) {
  DecodedTexture result;
  result.Status = status;
  result.Problem = TextureLine(package, export_index) + ": " + why;
  return result;
}

// The colours of the Palette object `ref` names; nullopt when it names no palette of this
// package.
std::optional<PaletteColors> ReadPalette(const PackageFile& package, std::int32_t ref) {
  if (!IsExportRef(ref) || !package.IsA(ref, "Palette")) return std::nullopt;
  const PackageObject palette = PackageObject::Read(package, ExportIndexOf(ref));
  ByteCursor cursor = palette.DataCursor();
  const std::int32_t count = cursor.Count(cursor.CompactIndex(), 4, "palette colour");
  // Palettes hold 256 colours; entries a shorter one lacks are black.
  PaletteColors colours{};
  for (std::int32_t i = 0; i < count && cursor.Ok(); ++i) {
    std::array<std::uint8_t, 4> colour{};
    for (std::uint8_t& channel : colour) channel = cursor.U8();
    if (i < static_cast<std::int32_t>(colours.size()))
      colours[static_cast<std::size_t>(i)] = colour;
  }
  cursor.Check();
  return colours;
}

}  // namespace

std::optional<PixelFormat> PixelFormatOf(int version, std::int32_t format_number) {
  using Formats = std::span<const std::optional<PixelFormat>>;
  const Formats formats = HasSecondGenerationFormats(version) ? Formats(kSecondGenerationFormats)
                                                              : Formats(kFirstGenerationFormats);
  if (format_number < 0 || format_number >= static_cast<std::int32_t>(formats.size())) {
    return std::nullopt;
  }
  return formats[static_cast<std::size_t>(format_number)];
}

bool IsTextureClass(const PackageFile& package, std::int32_t ref) {
  const std::vector<std::string> chain = package.ClassChain(ref);
  return ChainHasAny(chain, kStoredTextureClasses) || ChainHasAny(chain, kRunTimeClasses);
}

bool IsMaterialClass(const PackageFile& package, std::int32_t ref) {
  return ChainHasAny(package.ClassChain(ref), kMaterialClasses);
}

TextureObject ReadTextureObject(const PackageObject& object) {
  TextureObject texture;
  texture.FormatNumber = object.IntValue(object.Find("Format")).value_or(0);
  texture.Palette = object.ObjectValue(object.Find("Palette"));
  texture.Masked = object.BoolValue(object.Find("bMasked"));
  texture.MadeAtRunTime = object.BoolValue(object.Find("bParametric")) ||
                          ChainHasAny(object.Package().ClassChain(object.Ref()), kRunTimeClasses);
  ByteCursor cursor = object.DataCursor();
  texture.Mips = ReadMips(cursor, object);
  if (!HasSecondGenerationFormats(object.Package().Version()) &&
      object.BoolValue(object.Find("bHasComp"))) {
    texture.CompressedFormatNumber = object.IntValue(object.Find("CompFormat")).value_or(0);
    texture.CompressedMips = ReadMips(cursor, object);
  }
  cursor.Check();
  return texture;
}

std::int32_t MaterialColourSource(const PackageObject& material) {
  // A MaterialSwitch shows the entry Current (0 as saved) of its list.
  const std::vector<std::int32_t> choices = material.ObjectArrayValue(material.Find("Materials"));
  const std::int32_t current = material.IntValue(material.Find("Current")).value_or(0);
  if (current >= 0 && current < static_cast<std::int32_t>(choices.size()) && choices[current]) {
    return choices[static_cast<std::size_t>(current)];
  }
  for (const std::string_view name : {"Diffuse", "Material", "Material1"}) {
    if (const std::int32_t ref = material.ObjectValue(material.Find(name))) return ref;
  }
  // A MaterialSequence's items are structs, each its own tagged properties; the first shows.
  const PropertyTag* items = material.Find("SequenceItems");
  if (items && items->Type == PropertyType::Array &&
      HasNestedStructTags(material.Package().Version())) {
    ByteCursor cursor = material.ValueCursor(*items);
    if (cursor.CompactIndex() > 0) {
      const std::vector<PropertyTag> first = material.ReadTags(cursor);
      cursor.Check();
      if (const std::int32_t ref = material.ObjectValue(material.FindIn(first, "Material"))) {
        return ref;
      }
    }
  }
  for (const std::string_view name : {"SelfIllumination", "Material2"}) {
    if (const std::int32_t ref = material.ObjectValue(material.Find(name))) return ref;
  }
  return 0;
}

DecodedTexture DecodeTextureExport(const PackageFile& package, std::int32_t export_index,
                                   bool masked) {
  const std::int32_t ref = ExportRef(export_index);
  if (!IsTextureClass(package, ref)) {
    return Refused(TextureStatus::NotDecodable, package, export_index, "not a texture");
  }
  const PackageObject object = PackageObject::Read(package, export_index);
  const TextureObject texture = ReadTextureObject(object);
  if (texture.MadeAtRunTime) {
    return Refused(TextureStatus::MadeAtRunTime, package, export_index,
                   "its pixels are made while the game runs");
  }
  // The texture's own mips, or the compressed ones when those alone hold pixels.
  const auto has_data = [](const TextureMip& mip) { return mip.DataSize > 0; };
  const bool own = std::any_of(texture.Mips.begin(), texture.Mips.end(), has_data);
  const std::vector<TextureMip>& mips = own ? texture.Mips : texture.CompressedMips;
  const std::int32_t number = own ? texture.FormatNumber : texture.CompressedFormatNumber;
  const auto top = std::find_if(mips.begin(), mips.end(), has_data);
  if (top == mips.end()) {
    return Refused(TextureStatus::NotDecodable, package, export_index, "no stored pixels");
  }
  const std::optional<PixelFormat> format = PixelFormatOf(package.Version(), number);
  if (!format) {
    return Refused(TextureStatus::NotDecodable, package, export_index,
                   "format " + std::to_string(number) + " cannot be decoded");
  }
  if (top->Width <= 0 || top->Height <= 0) {
    return Refused(TextureStatus::NotDecodable, package, export_index,
                   "its top mip is " + std::to_string(top->Width) + " x " +
                       std::to_string(top->Height) + " pixels");
  }
  const std::int64_t needed = PixelBytes(*format, top->Width, top->Height);
  if (needed > top->DataSize) {
    throw BrushError("'" + package.Path() + "', " + package.ExportLabel(export_index) + ": its " +
                     std::to_string(top->Width) + " x " + std::to_string(top->Height) +
                     " mip needs " + std::to_string(needed) + " bytes but holds " +
                     std::to_string(top->DataSize) + " at byte " +
                     std::to_string(object.FileOffset() + top->DataOffset));
  }
  std::optional<PaletteColors> palette;
  if (*format == PixelFormat::P8) {
    palette = ReadPalette(package, texture.Palette);
    if (!palette) {
      return Refused(TextureStatus::NotDecodable, package, export_index,
                     texture.Palette == 0 ? "no palette"
                                          : "its palette " + package.ObjectPath(texture.Palette) +
                                                " is no palette of this package");
    }
  }
  DecodedTexture result;
  result.Status = TextureStatus::Decoded;
  const std::span<const std::uint8_t> data(object.Bytes().data() + top->DataOffset,
                                           static_cast<std::size_t>(top->DataSize));
  result.Picture = DecodePixels(*format, top->Width, top->Height, data,
                                palette ? &*palette : nullptr, masked || texture.Masked);
  return result;
}

}  // namespace brushwright
