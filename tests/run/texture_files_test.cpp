// Texture files: safe names, texture paths, and lookup, copy and decoding on real directories.
#include "run/texture_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fake_host.h"
#include "level_text.h"
#include "support/test_images.h"
#include "text/brush_error.h"

namespace brushwright {
namespace {

using testing::FakeHost;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;
using testing::WriteImage;

// A host whose output is out/hall.obj and whose search tree is search/, both under `dir`.
FakeHost HostIn(const TempDir& dir, bool search_copy) {
  FakeHost host;
  std::filesystem::create_directories(dir.path() / "out");
  std::filesystem::create_directories(dir.path() / "search");
  host.options.OutputFile = (dir / "out/hall.obj");
  host.options.SearchPath = (dir / "search");
  host.options.SearchCopy = search_copy;
  return host;
}

// Finds a texture and, as the run's write phase does, puts its file beside the output.
std::optional<FoundTexture> Locate(FakeHost& host, const std::string& name) {
  FolderTextureSource source(host.options, TextureImageFormat(host.options), host);
  std::optional<FoundTexture> found = source.Find(name, false);
  if (found) PlaceTextureFile(*found);
  return found;
}

TEST(IsSafeFileName, RejectsNamesThatCouldLeaveTheDirectory) {
  struct Row {
    std::string name;
    bool safe;
  };
  const Row rows[] = {
      {"Wall", true},
      {"Wall.Old", true},
      {"Sky Box", true},
      {"...", true},
      {"..\\..\\x", false},
      {"/etc/x", false},
      {"C:x", false},
      {"a/b", false},
      {"Wall*", false},
      {"Wall?", false},
      // Windows refuses these in any file name: a level converts alike on every system.
      {"a|b", false},
      {"a<b", false},
      {"a>b", false},
      {"a\"b", false},
      {".", false},
      {"..", false},
      {"", false},
      {"Wall\t", false},
      {std::string("a\0b", 3), false},
      {"\x1f"
       "x",
       false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(IsSafeFileName(row.name), row.safe) << "'" << row.name << "'";
  }
}

TEST(TexturePathFile, DirectoryOfTheOutputPlusImageFile) {
  struct Row {
    const char* output;
    const char* expected;
  };
  const Row rows[] = {
      {"C:\\maps\\hall.obj", "C:\\maps\\Wall.BMP"},
      {"/work/out/hall.obj", "/work/out/Wall.BMP"},
      {"hall.obj", "Wall.BMP"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(TexturePathFile(row.output, "Wall", "BMP"), row.expected) << row.output;
  }
}

TEST(FolderTextureSource, WithoutCopyNothingIsSearched) {
  TempDir dir;
  FakeHost host = HostIn(dir, false);
  WriteImage(dir.path() / "search" / "Wall.BMP", 4, 4);
  EXPECT_FALSE(Locate(host, "Wall"));
  EXPECT_TRUE(host.log.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "out" / "Wall.BMP"));
}

TEST(FolderTextureSource, ImageBesideTheOutputIsDecodedWithoutSearch) {
  TempDir dir;
  FakeHost host = HostIn(dir, true);
  const std::string path = (dir / "out/Wall.BMP");
  WriteImage(path, 64, 128);
  const std::optional<FoundTexture> found = Locate(host, "Wall");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->Where, path);
  EXPECT_EQ(found->Picture.Width, 64);
  EXPECT_EQ(found->Picture.Height, 128);
  EXPECT_EQ(found->Picture.Rgba.size(), 64u * 128 * 4);
  EXPECT_EQ(found->PngBytes, "");  // a BMP goes into a glTF file as pixels
  EXPECT_TRUE(host.log.empty());
}

TEST(FolderTextureSource, CopiesFromASubdirectoryUnderTheListedType) {
  TempDir dir;
  FakeHost host = HostIn(dir, true);
  host.options.TextureType = "PNG";
  WriteImage(dir.path() / "search" / "a" / "Other.PNG", 2, 2, ImageFormat::Png);
  WriteImage(dir.path() / "search" / "b" / "deep" / "wall.png", 32, 16, ImageFormat::Png);
  const std::optional<FoundTexture> found = Locate(host, "Wall");
  const std::string copied = (dir / "out/Wall.PNG");
  EXPECT_EQ(ReadBytes(copied), ReadBytes(dir.path() / "search" / "b" / "deep" / "wall.png"));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->Picture.Width, 32);
  EXPECT_EQ(found->Picture.Height, 16);
  EXPECT_EQ(found->PngBytes, ReadBytes(copied));  // a PNG file is embedded as it is
  EXPECT_EQ(host.log, std::vector<std::string>{"progress:searching texture file"});
}

TEST(FolderTextureSource, ImageFoundNowhereIsNotFound) {
  TempDir dir;
  FakeHost host = HostIn(dir, true);
  WriteImage(dir.path() / "search" / "Other.PNG", 2, 2, ImageFormat::Png);
  EXPECT_FALSE(Locate(host, "Wall"));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "out"));
}

TEST(FolderTextureSource, ImageOfAnotherTypeIsWrittenInTheRunsType) {
  for (const bool beside_output : {true, false}) {
    SCOPED_TRACE(beside_output ? "beside the output" : "in the search tree");
    TempDir dir;
    FakeHost host = HostIn(dir, true);
    host.options.TextureType = "PNG";
    WriteImage(dir.path() / (beside_output ? "out" : "search/deep") / "Wall.bmp", 6, 3);
    FolderTextureSource source(host.options, TextureImageFormat(host.options), host);
    const std::optional<FoundTexture> found = source.Find("Wall", false);
    ASSERT_TRUE(found);
    EXPECT_FALSE(std::filesystem::exists(dir / "out/Wall.PNG"));  // the write phase makes it
    PlaceTextureFile(*found);
    EXPECT_EQ(found->Where, dir / "out/Wall.PNG");
    EXPECT_EQ(found->PngBytes, ReadBytes(dir / "out/Wall.PNG"));
    const Image written = DecodeImageFile(dir / "out/Wall.PNG");
    EXPECT_EQ(written.Width * 10 + written.Height, 63);
    EXPECT_TRUE(found->Converted);
  }
}

TEST(FolderTextureSource, SearchErrorsAreShownAndTheRunGoesOn) {
  TempDir dir;
  FakeHost host = HostIn(dir, true);
  host.options.SearchPath = (dir / "no such directory");
  EXPECT_FALSE(Locate(host, "Wall"));
  const std::vector<std::string> messages = host.Entries("message:");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("Unexpected Error:Error: ", 0), 0u) << messages[0];
}

TEST(FolderTextureSource, UndecodableImageStopsTheRunNamingTheFile) {
  TempDir dir;
  FakeHost host = HostIn(dir, false);
  const std::string path = (dir / "out/Wall.BMP");
  WriteBytes(path, "not an image");
  try {
    Locate(host, "Wall");
    ADD_FAILURE() << "no error";
  } catch (const BrushError& error) {
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
  }
}

TEST(FolderTextureSource, FailedCopyNamesBothFiles) {
  TempDir dir;
  FakeHost host = HostIn(dir, true);
  host.options.OutputFile = (dir / "missing/hall.obj");
  WriteImage(dir.path() / "search" / "Wall.BMP", 4, 4);
  try {
    Locate(host, "Wall");
    ADD_FAILURE() << "no error";
  } catch (const BrushError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find((dir / "search/Wall.BMP")), std::string::npos) << message;
    EXPECT_NE(message.find((dir / "missing/Wall.BMP")), std::string::npos) << message;
  }
}

TEST(FolderTextureSource, UnsafeNamesAreNeverSearchedCopiedOrLoaded) {
  const char* names[] = {"..\\..\\x", "/etc/x", "C:x", "../escape", "*"};
  for (const char* name : names) {
    TempDir dir;
    FakeHost host = HostIn(dir, true);
    WriteBytes(dir.path() / "search" / "escape.BMP", "image");
    WriteBytes(dir.path() / "search" / "x.BMP", "image");
    EXPECT_FALSE(Locate(host, name)) << name;
    EXPECT_TRUE(host.log.empty()) << name;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "escape.BMP")) << name;
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "out")) << name;
  }
}

}  // namespace
}  // namespace brushwright
