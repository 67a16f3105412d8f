// Texture file lookup: safe names, texture paths, and lookup, copy and load on real directories.
#include "run/texture_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fake_host.h"
#include "level_text.h"
#include "text/brush_error.h"

namespace brushwright {
namespace {

using testing::FakeHost;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

struct Size {
  std::int16_t width = 256;
  std::int16_t height = 256;
};

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

Size Locate(FakeHost& host, const std::string& name) {
  Size size;
  LocateTextureFile(host, host.options, name, size.width, size.height);
  return size;
}

TEST(IsSafeTextureName, RejectsNamesThatCouldLeaveTheDirectory) {
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
    EXPECT_EQ(IsSafeTextureName(row.name), row.safe) << "'" << row.name << "'";
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

TEST(LocateTextureFile, WithoutCopyNothingIsSearched) {
  TempDir dir;
  FakeHost host = HostIn(dir, false);
  WriteBytes(dir.path() / "search" / "Wall.BMP", "image");
  const Size size = Locate(host, "Wall");
  EXPECT_EQ(size.width, 256);
  EXPECT_EQ(size.height, 256);
  EXPECT_TRUE(host.log.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "out" / "Wall.BMP"));
}

TEST(LocateTextureFile, ImageBesideTheOutputIsLoadedWithoutSearch) {
  TempDir dir;
  FakeHost host = HostIn(dir, true);
  const std::string path = (dir / "out/Wall.BMP");
  WriteBytes(path, "image");
  host.images[path] = {64, 128};
  const Size size = Locate(host, "Wall");
  EXPECT_EQ(size.width, 64);
  EXPECT_EQ(size.height, 128);
  EXPECT_EQ(host.log, (std::vector<std::string>{"load:" + path, "texture:Wall"}));
}

TEST(LocateTextureFile, CopiesFromASubdirectoryUnderTheListedType) {
  TempDir dir;
  FakeHost host = HostIn(dir, true);
  WriteBytes(dir.path() / "search" / "a" / "Other.BMP", "other");
  WriteBytes(dir.path() / "search" / "b" / "deep" / "wall.bmp", "wall image");
  const std::string copied = (dir / "out/Wall.BMP");
  host.images[copied] = {32, 16};
  const Size size = Locate(host, "Wall");
  EXPECT_EQ(ReadBytes(copied), "wall image");
  EXPECT_EQ(size.width, 32);
  EXPECT_EQ(size.height, 16);
  EXPECT_EQ(host.log, (std::vector<std::string>{"progress:searching texture file", "load:" + copied,
                                                "texture:Wall"}));
}

TEST(LocateTextureFile, ImageFoundNowhereKeepsTheDefaultSize) {
  TempDir dir;
  FakeHost host = HostIn(dir, true);
  const Size size = Locate(host, "Wall");
  EXPECT_EQ(size.width, 256);
  EXPECT_EQ(size.height, 256);
  EXPECT_EQ(host.log, std::vector<std::string>{"progress:searching texture file"});
}

TEST(LocateTextureFile, SearchErrorsAreShownAndTheRunGoesOn) {
  TempDir dir;
  FakeHost host = HostIn(dir, true);
  host.options.SearchPath = (dir / "no such directory");
  const Size size = Locate(host, "Wall");
  EXPECT_EQ(size.width, 256);
  const std::vector<std::string> messages = host.Entries("message:");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("Unexpected Error:Error: ", 0), 0u) << messages[0];
}

TEST(LocateTextureFile, UndecodableOrOversizedImagesStopTheRun) {
  struct Row {
    const char* name;
    bool decodable;
    int width;
    int height;
  };
  const Row rows[] = {
      {"undecodable", false, 0, 0},
      {"too wide", true, 40000, 64},
      {"too high", true, 64, 32768},
  };
  for (const Row& row : rows) {
    TempDir dir;
    FakeHost host = HostIn(dir, false);
    const std::string path = (dir / "out/Wall.BMP");
    WriteBytes(path, "not an image");
    if (row.decodable) host.images[path] = {row.width, row.height};
    try {
      Locate(host, "Wall");
      ADD_FAILURE() << row.name << ": no error";
    } catch (const BrushError& error) {
      EXPECT_NE(std::string(error.what()).find(path), std::string::npos)
          << row.name << ": " << error.what();
    }
  }
}

TEST(LocateTextureFile, FailedCopyNamesBothFiles) {
  TempDir dir;
  FakeHost host = HostIn(dir, true);
  host.options.OutputFile = (dir / "missing/hall.obj");
  WriteBytes(dir.path() / "search" / "Wall.BMP", "image");
  try {
    Locate(host, "Wall");
    ADD_FAILURE() << "no error";
  } catch (const BrushError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find((dir / "search/Wall.BMP")), std::string::npos) << message;
    EXPECT_NE(message.find((dir / "missing/Wall.BMP")), std::string::npos) << message;
  }
}

TEST(LocateTextureFile, UnsafeNamesAreNeverSearchedCopiedOrLoaded) {
  const char* names[] = {"..\\..\\x", "/etc/x", "C:x", "../escape", "*"};
  for (const char* name : names) {
    TempDir dir;
    FakeHost host = HostIn(dir, true);
    WriteBytes(dir.path() / "search" / "escape.BMP", "image");
    WriteBytes(dir.path() / "search" / "x.BMP", "image");
    const Size size = Locate(host, name);
    EXPECT_EQ(size.width, 256) << name;
    EXPECT_EQ(size.height, 256) << name;
    EXPECT_TRUE(host.log.empty()) << name;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "escape.BMP")) << name;
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "out")) << name;
  }
}

}  // namespace
}  // namespace brushwright
