// Tests of texture decoding: hand-made DXT blocks, every stored format, the sample packages.
#include "texture/package_texture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "package/package_writer.h"
#include "support/test_inputs.h"
#include "text/brush_error.h"

namespace {

using namespace brushwright;
using brushwright::testing::ByteWriter;
using brushwright::testing::ExportPalette;
using brushwright::testing::ExportTexture;
using brushwright::testing::PackageWriter;
using Pixels = std::vector<std::array<int, 4>>;

const std::string kPackages = BRUSHWRIGHT_PACKAGES_DIR;

Pixels PixelsOf(const std::uint8_t* rgba, std::size_t count) {
  Pixels pixels;
  for (std::size_t i = 0; i < count; ++i) {
    pixels.push_back({rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2], rgba[4 * i + 3]});
  }
  return pixels;
}

Pixels Dxt1(std::vector<std::uint8_t> block) {
  std::array<std::uint8_t, 64> rgba{};
  DecodeDxt1Block(std::span<const std::uint8_t, 8>(block.data(), 8), rgba);
  return PixelsOf(rgba.data(), 16);
}

// A 4 x 4 block's pixels: `first_row`, then three rows of `rest`.
Pixels Block(const Pixels& first_row, std::array<int, 4> rest) {
  Pixels pixels = first_row;
  pixels.resize(16, rest);
  return pixels;
}

// The hand-made DXT1 block of DecodesHandMadeDxtBlocks and its pixels.
const std::vector<std::uint8_t> kDxt1Block = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0, 0, 0};
const Pixels kDxt1Pixels = Block(
    {{255, 0, 0, 255}, {0, 0, 255, 255}, {170, 0, 85, 255}, {85, 0, 170, 255}}, {255, 0, 0, 255});

TEST(TexturePixels, DecodesHandMadeDxtBlocks) {
  // Red 0xF800 and blue 0x001F; the first row's pixels use the four indexes in turn (0xE4), the
  // other rows index 0.
  EXPECT_EQ(Dxt1(kDxt1Block), kDxt1Pixels);
  // First colour not greater: three colours and transparent black.
  const Pixels three = {{0, 0, 255, 255}, {255, 0, 0, 255}, {127, 0, 127, 255}, {0, 0, 0, 0}};
  EXPECT_EQ(Dxt1({0x1F, 0x00, 0x00, 0xF8, 0xE4, 0, 0, 0}), Block(three, three[0]));
  const std::array<int, 4> blue = {0, 0, 255, 255};
  EXPECT_EQ(Dxt1({0x1F, 0x00, 0x1F, 0x00, 0xC0, 0, 0, 0}),
            Block({blue, blue, blue, {0, 0, 0, 0}}, blue));

  // DXT3: 4-bit alphas (0, 5, 10, 15 in the first row), and its colour block keeps four
  // colours in either order.
  const std::vector<std::uint8_t> dxt3 = {0x50, 0xFA, 0,    0,    0,    0, 0, 0,
                                          0x1F, 0x00, 0x00, 0xF8, 0xE4, 0, 0, 0};
  std::array<std::uint8_t, 64> rgba{};
  DecodeDxt3Block(std::span<const std::uint8_t, 16>(dxt3.data(), 16), rgba);
  EXPECT_EQ(PixelsOf(rgba.data(), 16),
            Block({{0, 0, 255, 0}, {255, 0, 0, 85}, {85, 0, 170, 170}, {170, 0, 85, 255}},
                  {0, 0, 255, 0}));

  // DXT5: eight steps when the first alpha is greater, else six with 0 and 255 at the end.
  // Indexes 0..7 (0xFAC688 in 3-bit groups) over the first eight pixels, 0 over the rest; the
  // colours are black.
  const auto dxt5_alphas = [&](int alpha0, int alpha1) {
    const std::vector<std::uint8_t> block = {static_cast<std::uint8_t>(alpha0),
                                             static_cast<std::uint8_t>(alpha1),
                                             0x88,
                                             0xC6,
                                             0xFA,
                                             0,
                                             0,
                                             0,
                                             0,
                                             0,
                                             0,
                                             0,
                                             0,
                                             0,
                                             0,
                                             0};
    DecodeDxt5Block(std::span<const std::uint8_t, 16>(block.data(), 16), rgba);
    return PixelsOf(rgba.data(), 16);
  };
  const auto black = [](std::vector<int> alphas) {
    Pixels pixels;
    for (const int alpha : alphas) pixels.push_back({0, 0, 0, alpha});
    pixels.resize(16, pixels[0]);
    return pixels;
  };
  EXPECT_EQ(dxt5_alphas(255, 0), black({255, 0, 218, 182, 145, 109, 72, 36}));
  EXPECT_EQ(dxt5_alphas(0, 255), black({0, 255, 51, 102, 153, 204, 0, 255}));
  EXPECT_EQ(dxt5_alphas(90, 90), black({90, 90, 90, 90, 90, 90, 0, 255}));
}

TEST(TexturePixels, DecodesPlainFormatsAndPartBlocks) {
  PaletteColors palette{};
  palette[0] = {9, 8, 7, 0};
  palette[200] = {1, 2, 3, 0};
  const std::vector<std::uint8_t> indexes = {200, 0};
  // Palette alpha is not used: pixels are opaque, but for index 0 of a masked texture.
  Image image = DecodePixels(PixelFormat::P8, 2, 1, indexes, &palette, false);
  EXPECT_EQ(PixelsOf(image.Rgba.data(), 2), (Pixels{{1, 2, 3, 255}, {9, 8, 7, 255}}));
  EXPECT_FALSE(image.HasTransparency);
  image = DecodePixels(PixelFormat::P8, 2, 1, indexes, &palette, true);
  EXPECT_EQ(PixelsOf(image.Rgba.data(), 2), (Pixels{{1, 2, 3, 255}, {9, 8, 7, 0}}));
  EXPECT_TRUE(image.HasTransparency);

  const std::vector<std::uint8_t> bytes = {10, 20, 30, 40, 50, 60, 70, 80};
  image = DecodePixels(PixelFormat::Rgb8, 2, 1, bytes, nullptr, false);
  EXPECT_EQ(PixelsOf(image.Rgba.data(), 2), (Pixels{{30, 20, 10, 255}, {60, 50, 40, 255}}));
  image = DecodePixels(PixelFormat::Bgra8, 2, 1, bytes, nullptr, false);
  EXPECT_EQ(PixelsOf(image.Rgba.data(), 2), (Pixels{{30, 20, 10, 40}, {70, 60, 50, 80}}));
  image = DecodePixels(PixelFormat::L8, 2, 1, bytes, nullptr, false);
  EXPECT_EQ(PixelsOf(image.Rgba.data(), 2), (Pixels{{10, 10, 10, 255}, {20, 20, 20, 255}}));
  image = DecodePixels(PixelFormat::G16, 2, 1, bytes, nullptr, false);
  EXPECT_EQ(PixelsOf(image.Rgba.data(), 2), (Pixels{{20, 20, 20, 255}, {40, 40, 40, 255}}));

  // A 5 x 2 DXT1 picture takes two blocks; its fifth column is the second block's first.
  const std::vector<std::uint8_t> blocks = {0x00, 0xF8, 0, 0, 0, 0, 0, 0,
                                            0x1F, 0x00, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(PixelBytes(PixelFormat::Dxt1, 5, 2), 16);
  image = DecodePixels(PixelFormat::Dxt1, 5, 2, blocks, nullptr, false);
  const std::array<int, 4> red = {255, 0, 0, 255}, blue = {0, 0, 255, 255};
  ASSERT_EQ(image.Rgba.size(), 40u);
  EXPECT_EQ(PixelsOf(image.Rgba.data(), 10),
            (Pixels{red, red, red, red, blue, red, red, red, red, blue}));
}

// A texture package of one version holding one 4 x 4 texture with a single mip. Version 130
// is Tribes: Vengeance's, with its headers before the object and the mip.
std::vector<std::uint8_t> TexturePackage(int version, int format_number,
                                         const std::vector<std::uint8_t>& pixels, int height = 4) {
  const bool vengeance = version == 130;
  PackageWriter writer(version, vengeance ? 27 : 0);
  const std::int32_t texture = writer.Import("Class", 0, "Texture");
  ByteWriter data;
  if (vengeance) data.I32(4).I32(0);
  data.Property(writer.Name("Format"), 1, {static_cast<std::uint8_t>(format_number)});
  data.Compact(0).Compact(1);
  if (vengeance) data.I32(3).I32(0).I32(2);
  if (version >= 62) data.I32(0);  // the skip offset
  data.Compact(static_cast<std::int32_t>(pixels.size())).Raw(pixels).I32(4).I32(height).U8(2).U8(2);
  writer.Export(texture, 0, "Tex", data.Data);
  return writer.Bytes();
}

TEST(PackageTexture, DecodesEveryFormatOfBothGenerations) {
  std::vector<std::uint8_t> dxt(16 * 1);
  for (std::size_t i = 0; i < dxt.size(); ++i) dxt[i] = static_cast<std::uint8_t>(37 * i + 11);
  std::array<std::uint8_t, 64> dxt3{}, dxt5{};
  DecodeDxt3Block(std::span<const std::uint8_t, 16>(dxt.data(), 16), dxt3);
  DecodeDxt5Block(std::span<const std::uint8_t, 16>(dxt.data(), 16), dxt5);
  // Byte i of the BGRA pixels is i: pixel p is (4p + 2, 4p + 1, 4p, 4p + 3) in RGBA, and as
  // one-byte greys (the first 16 bytes) (p, p, p, 255).
  std::vector<std::uint8_t> bgra(64), rgba(64), grey(64);
  for (std::uint8_t i = 0; i < 64; ++i) {
    bgra[i] = i;
    rgba[i] = static_cast<std::uint8_t>(i % 4 == 0 ? i + 2 : i % 4 == 2 ? i - 2 : i);
    grey[i] = static_cast<std::uint8_t>(i % 4 == 3 ? 255 : i / 4);
  }
  const std::vector<std::uint8_t> dxt3_rgba(dxt3.begin(), dxt3.end());
  const std::vector<std::uint8_t> dxt5_rgba(dxt5.begin(), dxt5.end());
  const struct {
    int version, format;
    std::vector<std::uint8_t> pixels;
    std::vector<std::uint8_t> rgba;
  } rows[] = {
      {61, 5, bgra, rgba},      {62, 5, bgra, rgba},      {69, 5, bgra, rgba},
      {128, 5, bgra, rgba},     {69, 6, dxt, dxt3_rgba},  {128, 7, dxt, dxt3_rgba},
      {69, 7, dxt, dxt5_rgba},  {128, 8, dxt, dxt5_rgba}, {128, 9, bgra, grey},
      {130, 8, dxt, dxt5_rgba},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.version << " format " << row.format);
    const PackageFile package =
        PackageFile::FromBytes("Pack.utx", TexturePackage(row.version, row.format, row.pixels));
    const DecodedTexture texture = DecodeTextureExport(package, 0, false);
    ASSERT_EQ(texture.Status, TextureStatus::Decoded) << texture.Problem;
    EXPECT_EQ(texture.Picture.Width, 4);
    EXPECT_EQ(texture.Picture.Height, 4);
    EXPECT_EQ(texture.Picture.Rgba, row.rgba);
  }
  const PackageFile old_rgba7 = PackageFile::FromBytes("Pack.utx", TexturePackage(69, 1, bgra));
  EXPECT_EQ(DecodeTextureExport(old_rgba7, 0, false).Problem,
            "Pack.Tex (Texture) in 'Pack.utx': format 1 cannot be decoded");
  // Four rows of BGRA take 64 bytes; the mip says eight rows.
  const PackageFile short_mip = PackageFile::FromBytes("Pack.utx", TexturePackage(128, 5, bgra, 8));
  try {
    DecodeTextureExport(short_mip, 0, false);
    ADD_FAILURE() << "no error";
  } catch (const BrushError& error) {
    EXPECT_STREQ(error.what(),
                 "'Pack.utx', export 'Tex' (Texture): its 4 x 8 mip needs 128 bytes but holds 64 "
                 "at byte 76");
  }
}

TEST(PackageTexture, DecodesTheFirstMipThatStoresBytes) {
  // An 8 x 8 mip stored elsewhere (no bytes here), then a 4 x 4 one that holds the pixels:
  // palette indexes 0 and 1 in turn, and the DXT1 block of DecodesHandMadeDxtBlocks.
  std::vector<std::uint8_t> indexes(16);
  for (std::size_t i = 0; i < indexes.size(); ++i) indexes[i] = i % 2;
  Pixels paletted;
  for (const std::uint8_t index : indexes) {
    paletted.push_back(index == 0 ? std::array<int, 4>{10, 20, 30, 255}
                                  : std::array<int, 4>{200, 100, 50, 255});
  }
  const struct {
    int version, format;
    std::vector<std::uint8_t> pixels;
    Pixels expected;
  } rows[] = {{69, 0, indexes, paletted},
              {69, 3, kDxt1Block, kDxt1Pixels},
              {128, 0, indexes, paletted},
              {128, 3, kDxt1Block, kDxt1Pixels}};
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.version << " format " << row.format);
    PackageWriter writer(row.version);
    const std::int32_t palette =
        row.format == 0 ? ExportPalette(writer, "Pal", {{10, 20, 30, 0}, {200, 100, 50, 0}}) : 0;
    ExportTexture(writer, "Tex", row.format, {{8, 8, {}}, {4, 4, row.pixels}}, palette);
    const PackageFile package = PackageFile::FromBytes("Pack.utx", writer.Bytes());
    const DecodedTexture texture = DecodeTextureExport(package, row.format == 0 ? 1 : 0, false);
    ASSERT_EQ(texture.Status, TextureStatus::Decoded) << texture.Problem;
    EXPECT_EQ(texture.Picture.Width, 4);
    EXPECT_EQ(texture.Picture.Height, 4);
    EXPECT_EQ(PixelsOf(texture.Picture.Rgba.data(), 16), row.expected);
  }
}

TEST(PackageTexture, DecodesTheSamplePackagesTextures) {
  SKIP_WITHOUT_PACKAGES();
  std::vector<std::string> decoded, refused;
  for (const char* file : {"Checkers.utx", "BuildingGraphics.utx", "UWRM-Torpedo.ut2"}) {
    const PackageFile package = PackageFile::Open(kPackages + "/" + file);
    for (std::size_t i = 0; i < package.Exports().size(); ++i) {
      const auto index = static_cast<std::int32_t>(i);
      if (!IsTextureClass(package, ExportRef(index))) continue;
      const DecodedTexture texture = DecodeTextureExport(package, index, false);
      if (texture.Status == TextureStatus::Decoded) {
        decoded.push_back(package.ObjectName(ExportRef(index)) + " " +
                          std::to_string(texture.Picture.Width) + "x" +
                          std::to_string(texture.Picture.Height));
      } else {
        refused.push_back(package.ObjectName(ExportRef(index)));
        EXPECT_EQ(texture.Status, TextureStatus::MadeAtRunTime) << texture.Problem;
      }
    }
  }
  EXPECT_EQ(decoded, (std::vector<std::string>{
                         "checkers_abcd 256x256", "checkers_circle 256x256", "coordinates 256x256",
                         "rectangle_128x64 128x64", "checkers_base 256x256",
                         "IceLayer_DashPad 256x256", "ModuPad_T3 256x256", "ModuPad_T0 256x256",
                         "ModuPad_T2 256x256", "ModuPad_T1 256x256", "BuildShader 4x4",
                         "Shot00052 512x256", "Shot00054 512x256", "Shot00053 512x256"}));
  EXPECT_EQ(refused,
            (std::vector<std::string>{"SBG_ModuEff_01", "DashPad_T1", "SBG_IceEff_01", "DashPad_T0",
                                      "DashPad_T2", "DashPad_T3", "MS_ModuBack"}));

  // checkers_base: every P8 pixel is its palette entry; its DXT1 copy (after the P8 mips) is
  // the same picture within the error of the compression.
  const PackageFile checkers = PackageFile::Open(kPackages + "/Checkers.utx");
  const PackageObject object = PackageObject::Read(checkers, 9);
  const TextureObject texture = ReadTextureObject(object);
  ASSERT_EQ(texture.Mips.size(), 9u);
  ASSERT_EQ(texture.CompressedMips.size(), 7u);  // down to one 4 x 4 block
  EXPECT_EQ(checkers.ObjectName(texture.Palette), "Palette0");
  const PackageObject palette_object =
      PackageObject::Read(checkers, ExportIndexOf(texture.Palette));
  ByteCursor palette = palette_object.DataCursor();
  ASSERT_EQ(palette.CompactIndex(), 256);
  const std::span<const std::uint8_t> colours = palette.Bytes(1024);
  const Image picture = DecodeTextureExport(checkers, 9, false).Picture;
  const TextureMip& dxt1 = texture.CompressedMips[0];
  const Image compressed =
      DecodePixels(PixelFormat::Dxt1, dxt1.Width, dxt1.Height,
                   {object.Bytes().data() + dxt1.DataOffset, 32768}, nullptr, false);
  long difference = 0;
  for (std::size_t i = 0; i < 256 * 256; ++i) {
    const std::uint8_t index = object.Bytes()[texture.Mips[0].DataOffset + i];
    for (std::size_t c = 0; c < 3; ++c) {
      ASSERT_EQ(picture.Rgba[4 * i + c], colours[4 * index + c]) << i;
      difference += std::abs(picture.Rgba[4 * i + c] - compressed.Rgba[4 * i + c]);
    }
  }
  EXPECT_LT(difference / (256 * 256 * 3), 4);
}

}  // namespace
