// Tests of texture image decoding and of the headless host's picture loading.
#include "cli/image_file.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <wx/init.h>

#include "cli/headless_host.h"
#include "text/brush_error.h"

namespace brushwright {
namespace {

namespace fs = std::filesystem;

// wxWidgets' base, initialised once for the whole test program as brushwright-convert does.
void InitialiseWx() {
  static wxInitializer initializer;
  ASSERT_TRUE(initializer.IsOk());
}

// A fresh directory for one test, named after it.
fs::path TestDirectory() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const fs::path root =
      fs::temp_directory_path() / ("brushwright_cli_image_" + std::string(info->name()));
  fs::remove_all(root);
  fs::create_directories(root);
  return root;
}

// Writes a width x height image of the given type and returns its path.
std::string SaveImage(const fs::path& dir, const std::string& name, int width, int height,
                      wxBitmapType type) {
  InitialiseWx();
  if (wxImage::FindHandler(type) == nullptr) wxInitAllImageHandlers();
  wxImage image(width, height);
  image.SetRGB(wxRect(0, 0, width, height), 200, 100, 50);
  const std::string path = (dir / name).string();
  EXPECT_TRUE(image.SaveFile(path, type)) << path;
  return path;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(DecodeImageFile, GivesThePixelSizeOfEachType) {
  struct Row {
    const char* name;
    wxBitmapType type;
    int width;
    int height;
  };
  const Row rows[] = {
      {"Wall.BMP", wxBITMAP_TYPE_BMP, 64, 128},
      {"Rock.PNG", wxBITMAP_TYPE_PNG, 3, 5},
      {"Sky.JPG", wxBITMAP_TYPE_JPEG, 16, 8},
      {"Floor.PCX", wxBITMAP_TYPE_PCX, 32, 32},
      // The extension does not decide the decoder: the content does.
      {"Misnamed.GIF", wxBITMAP_TYPE_PNG, 7, 9},
  };
  const fs::path dir = TestDirectory();
  for (const Row& row : rows) {
    const std::string path = SaveImage(dir, row.name, row.width, row.height, row.type);
    const wxImage image = DecodeImageFile(path);
    EXPECT_EQ(image.GetWidth(), row.width) << row.name;
    EXPECT_EQ(image.GetHeight(), row.height) << row.name;
  }
}

TEST(DecodeImageFile, UndecodableFilesThrowNamingTheFile) {
  InitialiseWx();
  const fs::path dir = TestDirectory();
  struct Row {
    const char* name;
    const char* bytes;  // nullptr: the file is not created
  };
  const Row rows[] = {
      {"garbage.BMP", "this is not an image at all"},
      {"empty.PNG", ""},
      {"truncated.PNG", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR"},
      {"absent.BMP", nullptr},
  };
  for (const Row& row : rows) {
    const std::string path = (dir / row.name).string();
    if (row.bytes != nullptr) WriteBytes(path, row.bytes);
    try {
      DecodeImageFile(path);
      ADD_FAILURE() << row.name << " decoded";
    } catch (const BrushError& error) {
      EXPECT_EQ(std::string(error.what()), "cannot decode image '" + path + "'") << row.name;
    }
  }
  // A directory is not an image either.
  EXPECT_THROW(DecodeImageFile(dir.string()), BrushError);
}

TEST(HeadlessHost, LoadPictureGivesTheImageSize) {
  const fs::path dir = TestDirectory();
  const std::string path = SaveImage(dir, "Wall.BMP", 64, 128, wxBITMAP_TYPE_BMP);
  std::ostringstream messages;
  ProgressDisplay progress(messages, false, 80);
  HeadlessHost host(messages, progress);
  host.SetCurrentPosition(5, 6);
  const Image image = host.LoadPicture(path);
  EXPECT_EQ(image.Width, 64);
  EXPECT_EQ(image.Height, 128);
  double x = -1;
  double y = -1;
  host.CurrentPosition(x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);

  WriteBytes((dir / "bad.BMP").string(), "BM garbage");
  EXPECT_THROW(host.LoadPicture((dir / "bad.BMP").string()), BrushError);
  EXPECT_EQ(messages.str(), "");
}

}  // namespace
}  // namespace brushwright
