// The material library: MTL bytes per flag combination, and the missing-texture message and list.
#include "run/material_library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fake_host.h"
#include "level_text.h"

namespace brushwright {
namespace {

using testing::FakeHost;
using testing::ReadBytes;
using testing::TempDir;
using testing::Visible;
using testing::WriteBytes;

constexpr char kHeader[] = "#  Wavefront material file\r\n# Converted by Brushwright\r\n\r\n";
constexpr char kWallBlock[] =
    "newmtl Wall0\r\nKa 1 1 1\r\nNs 8\r\nillum 2\r\nmap_Kd Wall.BMP\r\n\r\n";
constexpr char kHeading[] = "You need to make the following texture files available:\r\n";

TextureTable TableOf(const std::vector<TextureEntry>& entries) {
  TextureTable table = EmptyTextureTable();
  for (const TextureEntry& entry : entries) {
    RegisterTexture(table, entry.Name, entry.Width, entry.Height, entry.Flags);
  }
  return table;
}

// Writes the library of `table` for the output dir/hall.obj and returns the number missing.
int WriteLibrary(FakeHost& host, const TempDir& dir, const TextureTable& table) {
  host.options.OutputFile = (dir / "hall.obj");
  OutputFiles out;
  const int missing = WriteMaterialLibrary(host, out, host.options, table);
  out.Flush();
  return missing;
}

TEST(WriteMaterialLibrary, PresentImageGivesOneBlockAndNoMessage) {
  TempDir dir;
  WriteBytes(dir.path() / "Wall.BMP", "image");
  FakeHost host;
  EXPECT_EQ(WriteLibrary(host, dir, TableOf({{"Wall", 256, 256, 0}})), 0);
  EXPECT_EQ(Visible(ReadBytes((dir / "hall.mtl"))), Visible(std::string(kHeader) + kWallBlock));
  EXPECT_TRUE(host.Entries("message:").empty());
  EXPECT_FALSE(std::filesystem::exists((dir / "hallMissingTextures.txt")));
}

TEST(WriteMaterialLibrary, MissingImageIsShownAndListed) {
  TempDir dir;
  FakeHost host;
  EXPECT_EQ(WriteLibrary(host, dir, TableOf({{"Wall", 256, 256, 0}})), 1);
  EXPECT_EQ(Visible(ReadBytes((dir / "hall.mtl"))), Visible(std::string(kHeader) + kWallBlock));
  EXPECT_EQ(host.Entries("message:"),
            std::vector<std::string>{"Brushwright:" + std::string(kHeading) + "Wall.BMP\r\n"});
  EXPECT_EQ(Visible(ReadBytes((dir / "hallMissingTextures.txt"))),
            Visible(std::string(kHeading) + "Wall.BMP\r\n\r\n"));
}

TEST(WriteMaterialLibrary, FlagsShapeTheBlock) {
  struct Row {
    const char* name;
    std::int64_t flags;
    const char* block;
  };
  const Row rows[] = {
      {"Wall", 2,
       "newmtl Wall2\r\nKa 1 1 1\r\nNs 8\r\nillum 2\r\nmap_Kd Wall.BMP\r\nmap_d Wall.BMP\r\n\r\n"},
      {"Wall", 4,
       "newmtl Wall4\r\nKa 1 1 1\r\nNs 8\r\nillum 2\r\nmap_Kd Wall.BMP\r\nd 0.5\r\n\r\n"},
      {"Wall", 6,
       "newmtl Wall6\r\nKa 1 1 1\r\nNs 8\r\nillum 2\r\nmap_Kd Wall.BMP\r\nd 0.5\r\n"
       "map_d Wall.BMP\r\n\r\n"},
      {"Wall", 134217728,
       "newmtl Wall134217728\r\nKa 1 1 1\r\nKs 1 1 1\r\nNs 50\r\nillum 2\r\nmap_Kd Wall.BMP\r\n"
       "\r\n"},
      {"Glass", 134217734,
       "newmtl Glass134217734\r\nKa 1 1 1\r\nKs 1 1 1\r\nNs 50\r\nillum 2\r\n"
       "map_Kd Glass.BMP\r\nd 0.5\r\nmap_d Glass.BMP\r\n\r\n"},
      {"Wall", 32768, "newmtl Wall32768\r\nKa 1 1 1\r\nNs 8\r\nillum 2\r\nmap_Kd Wall.BMP\r\n\r\n"},
  };
  for (const Row& row : rows) {
    TempDir dir;
    FakeHost host;
    WriteLibrary(host, dir, TableOf({{row.name, 256, 256, row.flags}}));
    EXPECT_EQ(Visible(ReadBytes((dir / "hall.mtl"))), Visible(std::string(kHeader) + row.block))
        << row.name << " " << row.flags;
  }
}

TEST(WriteMaterialLibrary, SameNameWithOtherFlagsIsListedOncePerEntryAndShownOnce) {
  TempDir dir;
  FakeHost host;
  // One image missing, as the message names it.
  EXPECT_EQ(WriteLibrary(host, dir, TableOf({{"Wall", 256, 256, 0}, {"Wall", 256, 256, 4}})), 1);
  EXPECT_EQ(Visible(ReadBytes((dir / "hall.mtl"))),
            Visible(std::string(kHeader) + kWallBlock +
                    "newmtl Wall4\r\nKa 1 1 1\r\nNs 8\r\nillum 2\r\nmap_Kd Wall.BMP\r\nd 0.5\r\n"
                    "\r\n"));
  EXPECT_EQ(Visible(ReadBytes((dir / "hallMissingTextures.txt"))),
            Visible(std::string(kHeading) + "Wall.BMP\r\nWall.BMP\r\n\r\n"));
  EXPECT_EQ(host.Entries("message:"),
            std::vector<std::string>{"Brushwright:" + std::string(kHeading) + "Wall.BMP\r\n"});
}

TEST(WriteMaterialLibrary, EmptyTableLeavesEarlierFilesAlone) {
  TempDir dir;
  WriteBytes(dir.path() / "hall.mtl", "earlier run");
  FakeHost host;
  EXPECT_EQ(WriteLibrary(host, dir, EmptyTextureTable()), 0);
  EXPECT_EQ(ReadBytes((dir / "hall.mtl")), "earlier run");
  EXPECT_FALSE(std::filesystem::exists((dir / "hallMissingTextures.txt")));
  EXPECT_TRUE(host.log.empty());
}

TEST(WriteMaterialLibrary, ImagesOfTheChosenType) {
  TempDir dir;
  WriteBytes(dir.path() / "Wall.BMP", "image");
  WriteBytes(dir.path() / "Rock.PNG", "image");
  FakeHost host;
  host.options.TextureType = "PNG";
  EXPECT_EQ(WriteLibrary(host, dir, TableOf({{"Wall", 256, 256, 0}, {"Rock", 256, 256, 0}})), 1);
  EXPECT_EQ(Visible(ReadBytes((dir / "hall.mtl"))),
            Visible(std::string(kHeader) +
                    "newmtl Wall0\r\nKa 1 1 1\r\nNs 8\r\nillum 2\r\nmap_Kd Wall.PNG\r\n\r\n"
                    "newmtl Rock0\r\nKa 1 1 1\r\nNs 8\r\nillum 2\r\nmap_Kd Rock.PNG\r\n\r\n"));
  EXPECT_EQ(Visible(ReadBytes((dir / "hallMissingTextures.txt"))),
            Visible(std::string(kHeading) + "Wall.PNG\r\n\r\n"));
}

TEST(WriteMaterialLibrary, UnsafeNamesCountMissingEvenWhenTheirPathExists) {
  TempDir dir;
  WriteBytes(dir.path() / "sub" / "Wall.BMP", "image");
  FakeHost host;
  EXPECT_EQ(WriteLibrary(host, dir, TableOf({{"sub/Wall", 256, 256, 0}})), 1);
  EXPECT_EQ(Visible(ReadBytes((dir / "hallMissingTextures.txt"))),
            Visible(std::string(kHeading) + "sub/Wall.BMP\r\n\r\n"));
}

}  // namespace
}  // namespace brushwright
