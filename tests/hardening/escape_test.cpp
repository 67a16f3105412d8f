// Whole runs whose texture names try to leave the output folder, and searches through trees
// with symbolic-link loops: nothing is written outside the output folder, and every walk ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "hardening_run.h"
#include "support/test_images.h"

namespace {

namespace fs = std::filesystem;
using namespace brushwright::testing;

// Every path below `root`, as text relative to it.
std::set<std::string> TreeEntries(const fs::path& root) {
  std::set<std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    entries.insert(fs::relative(entry.path(), root).string());
  }
  return entries;
}

void WriteImage(const fs::path& path) {
  brushwright::testing::WriteImage(path, 4, 4);
}

// A level of one brush whose only polygon carries `texture`.
std::string LevelWithTexture(const std::string& texture) {
  BrushSpec brush = MakeBrush("Brush1");
  brush.polygons = {PolygonSpec{texture}};
  return LevelText({BrushText(brush)});
}

TEST(Escape, TextureNamesNeverLeaveTheOutputFolder) {
  const std::vector<std::string> names = {
      "..\\..\\x", "../../x", "/etc/x", "C:x", "C:\\x", "..", ".", "x/../../y", "\\\\server\\x",
  };
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    TempDir dir("escape");
    // The search tree holds a file under every name the texture could reach.
    const fs::path search = dir.path() / "search";
    for (const char* file : {"x.BMP", "y.BMP", "etc/x.BMP", "search/x.BMP"}) {
      WriteImage(search / file);
    }
    const fs::path out = dir.path() / "a" / "b" / "out";
    fs::create_directories(out);
    const std::set<std::string> before = TreeEntries(dir.path());
    const HardenedRun run = RunOnBytes(dir, LevelWithTexture(name), [&](FakeHost& host) {
      host.options.OutputFile = (out / "level.obj").string();
      host.options.SearchCopy = true;
      host.options.SearchPath = search.string();
    });
    EXPECT_EQ(run.error, "");
    std::set<std::string> written;
    for (const std::string& entry : TreeEntries(dir.path())) {
      if (!before.contains(entry)) written.insert(entry);
    }
    // The input is written by the run helper; the rest must be the run's own outputs.
    const std::set<std::string> outputs = {"a/b/out/level.mtl", "a/b/out/level.obj",
                                           "a/b/out/levelMissingTextures.txt", "level.t3d"};
    EXPECT_TRUE(std::includes(outputs.begin(), outputs.end(), written.begin(), written.end()))
        << "written: " << ::testing::PrintToString(written);
    EXPECT_FALSE(fs::exists("/etc/x.BMP"));
  }
}

// Links that lead back up the tree, to themselves and to each other: the search for a missing
// texture ends, and an image beyond the loops is still found and copied.
TEST(Escape, SearchTreeWithLinkLoopsEnds) {
  struct Row {
    const char* name;
    const char* image;  // where the image lies in the tree, "" for nowhere
  };
  const std::vector<Row> rows = {
      {"image missing", ""},
      {"image after the loops", "z/deep/Rock.BMP"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir("loops");
    const fs::path search = dir.path() / "search";
    fs::create_directories(search / "a" / "b");
    fs::create_directory_symlink(search, search / "a" / "b" / "up");
    fs::create_directory_symlink("..", search / "a" / "parent");
    fs::create_directory_symlink(search / "a" / "self", search / "a" / "self");
    fs::create_directory_symlink(search / "a" / "two", search / "a" / "one");
    fs::create_directory_symlink(search / "a" / "one", search / "a" / "two");
    if (*row.image != '\0') WriteImage(search / row.image);
    const HardenedRun run = RunOnBytes(dir, LevelWithTexture("Rock"), [&](FakeHost& host) {
      host.options.SearchCopy = true;
      host.options.SearchPath = search.string();
    });
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(fs::exists(dir / "Rock.BMP"), *row.image != '\0');
    EXPECT_EQ(run.summary.MissingTextures, *row.image != '\0' ? 0 : 1);
  }
}

}  // namespace
