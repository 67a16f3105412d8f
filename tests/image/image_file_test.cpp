// Tests of image decoding and encoding through the module, and of the module's late loading.
#include "image/image_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/test_files.h"
#include "text/brush_error.h"

namespace brushwright {
namespace {

using testing::TempDir;
using testing::WriteBytes;

// A picture of 8 x 8 blocks in four colours, and in `alpha` where a block is the fourth colour.
Image Blocks(int width, int height, std::uint8_t alpha = 255) {
  static const std::uint8_t kColours[4][4] = {
      {200, 30, 30, 255}, {20, 180, 40, 255}, {30, 40, 210, 255}, {240, 230, 20, 255}};
  Image image{width, height, {}, alpha != 255};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int block = (x / 8 + 3 * (y / 8)) % 4;
      image.Rgba.insert(image.Rgba.end(), kColours[block], kColours[block] + 3);
      image.Rgba.push_back(block == 3 ? alpha : 255);
    }
  }
  return image;
}

// The mean difference between two pictures' bytes; 256 when their sizes differ.
double Difference(const Image& a, const Image& b) {
  if (a.Width != b.Width || a.Height != b.Height || a.Rgba.size() != b.Rgba.size()) return 256;
  double sum = 0;
  for (std::size_t i = 0; i < a.Rgba.size(); ++i) sum += std::abs(a.Rgba[i] - b.Rgba[i]);
  return sum / static_cast<double>(a.Rgba.size());
}

Image RoundTrip(const TempDir& dir, const Image& image, ImageFormat format, const char* name) {
  WriteBytes(dir / name, EncodeImage(image, format));
  return DecodeImageFile(dir / name);
}

TEST(DecodeImageFile, EveryTypeGivesItsSizeAndPixels) {
  struct Row {
    ImageFormat format;
    const char* name;  // the extension is misleading on purpose: the content decides
    double tolerance;  // JPEG is lossy: its colours come back close
  };
  const Row rows[] = {{ImageFormat::Bmp, "a.PNG", 0},   {ImageFormat::Pcx, "a.BMP", 0},
                      {ImageFormat::Jpeg, "a.GIF", 16}, {ImageFormat::Png, "a.JPG", 0},
                      {ImageFormat::Tiff, "a.PCX", 0},  {ImageFormat::Gif, "a.TIF", 0}};
  const TempDir dir("image");
  for (const Row& row : rows) {
    for (const auto& [width, height] : {std::pair{1, 1}, {3, 5}, {257, 129}}) {
      SCOPED_TRACE(::testing::Message() << row.name << " " << width << " x " << height);
      const Image image = Blocks(width, height);
      const Image decoded = RoundTrip(dir, image, row.format, row.name);
      EXPECT_LE(Difference(decoded, image), row.tolerance);
      EXPECT_FALSE(decoded.HasTransparency);
    }
  }
}

TEST(DecodeImageFile, ReadsAHandWrittenBitmapTopRowFirst) {
  // 3 x 2 pixels, 24 bits, rows bottom-up in BGR, each padded to 12 bytes; the 16-bit planes
  // and bits-per-pixel fields share one 32-bit value.
  std::string bmp = "BM";
  for (const int value : {78, 0, 54, 40, 3, 2, 0x00180001, 0, 24, 0, 0, 0, 0}) {
    bmp.append(reinterpret_cast<const char*>(&value), 4);
  }
  // Bottom row red, green, blue; top row white, black, grey.
  bmp.append("\0\0\xff\0\xff\0\xff\0\0\0\0\0\xff\xff\xff\0\0\0\x80\x80\x80\0\0\0", 24);
  const TempDir dir("image");
  WriteBytes(dir / "hand.bmp", bmp);
  const Image image = DecodeImageFile(dir / "hand.bmp");
  EXPECT_EQ(image.Width, 3);
  EXPECT_EQ(image.Height, 2);
  EXPECT_EQ(image.Rgba,
            (std::vector<std::uint8_t>{255, 255, 255, 255, 0, 0,   0, 255, 128, 128, 128, 255,
                                       255, 0,   0,   255, 0, 255, 0, 255, 0,   0,   255, 255}));
}

TEST(DecodeImageFile, TransparencyFromAlphaOrMaskColour) {
  const TempDir dir("image");
  const Image clear = Blocks(20, 12, 0);
  EXPECT_EQ(EncodePng(clear).substr(0, 8), "\x89PNG\r\n\x1a\n");
  WriteBytes(dir / "a.png", EncodePng(clear));
  const Image png = DecodeImageFile(dir / "a.png");
  EXPECT_EQ(Difference(png, clear), 0);
  EXPECT_TRUE(png.HasTransparency);
  const Image half = Blocks(9, 9, 100);
  EXPECT_EQ(Difference(RoundTrip(dir, half, ImageFormat::Tiff, "a.tif"), half), 0);
  // GIF keeps the clear blocks as its mask colour, which decodes to alpha 0.
  const Image gif = RoundTrip(dir, clear, ImageFormat::Gif, "a.gif");
  EXPECT_TRUE(gif.HasTransparency);
  for (std::size_t i = 3; i < gif.Rgba.size(); i += 4) EXPECT_EQ(gif.Rgba[i], clear.Rgba[i]) << i;
}

// The message DecodeImageFile throws for `path`; "" when it decodes.
std::string DecodeError(const std::string& path) {
  try {
    DecodeImageFile(path);
  } catch (const BrushError& error) {
    return error.what();
  }
  return "";
}

TEST(DecodeImageFile, UndecodableFilesThrowNamingTheFile) {
  const TempDir dir("image");
  int number = 0;
  for (const char* bytes : {"not an image", "", "\x89PNG\r\n\x1a\n", "BM garbage"}) {
    const std::string path = dir / ("bad" + std::to_string(++number) + ".png");
    WriteBytes(path, bytes);
    EXPECT_EQ(DecodeError(path), "cannot decode image '" + path + "'");
  }
  // What cannot be read at all says why.
  EXPECT_EQ(DecodeError(dir / "absent.png"),
            "cannot read '" + dir / "absent.png" + "': No such file or directory");
  EXPECT_EQ(DecodeError(dir.path().string()),
            "cannot read '" + dir.path().string() + "': Is a directory");
}

// True when a library of the GUI toolkit is mapped into this process.
bool ToolkitLoaded() {
  std::ifstream maps("/proc/self/maps");
  const std::string text{std::istreambuf_iterator<char>(maps), std::istreambuf_iterator<char>()};
  return text.find("libwx_") != std::string::npos || text.find("libgtk") != std::string::npos;
}

TEST(ImageModule, ToolkitIsLoadedOnlyByTheFirstDecode) {
  // A fresh process: other tests here have loaded the module already.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const TempDir dir("image");
  EXPECT_EXIT(
      {
        if (ToolkitLoaded()) std::exit(1);
        WriteBytes(dir / "a.bmp", "not an image");
        EXPECT_THROW(DecodeImageFile(dir / "a.bmp"), BrushError);
        std::exit(ToolkitLoaded() ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(ImageModule, MissingModuleIsReportedWithWhereItWasLooked) {
  // A copy of this program in a folder with no module beside it decodes in a disabled test.
  const TempDir dir("image");
  std::filesystem::create_directories(dir.path() / "bin");
  std::filesystem::copy_file("/proc/self/exe", dir / "bin/image_tests");
  const std::string command = dir / "bin/image_tests" +
                              " --gtest_also_run_disabled_tests --gtest_filter='*DISABLED*' >" +
                              dir / "out.txt";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string out = testing::ReadBytes(dir / "out.txt");
  EXPECT_NE(out.find("cannot decode image 'x.png': the image module libbrushwright_wximage.so is "
                     "in none of '" +
                     dir / "lib/brushwright" + "', '" + dir / "bin/src/image" + "'"),
            std::string::npos)
      << out;
}

TEST(ImageModule, DISABLED_PrintDecodeError) {
  try {
    DecodeImage("not an image", "x.png");
  } catch (const BrushError& error) {
    std::puts(error.what());
  }
}

}  // namespace
}  // namespace brushwright
