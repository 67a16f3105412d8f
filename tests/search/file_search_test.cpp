// Tests of the texture file search over real temporary directory trees.
#include "search/file_search.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace brushwright {
namespace {

namespace fs = std::filesystem;

// Length of each directory name in the tree built to exceed the longest path the system opens.
constexpr std::size_t kLongNameLength = 250;

// Builds a fresh tree under the temporary directory and returns its root. An entry ending in
// "/" is a directory, any other a file (its parents are created). The root is named after the
// running test so tests do not share trees.
fs::path MakeTree(const std::vector<std::string>& entries) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const fs::path root = fs::path(::testing::TempDir()) / "brushwright_search" /
                        (std::string(info->test_suite_name()) + "." + info->name());
  fs::remove_all(root);
  fs::create_directories(root);
  for (const std::string& entry : entries) {
    const fs::path path = root / entry;
    if (entry.back() == '/') {
      fs::create_directories(path);
    } else {
      fs::create_directories(path.parent_path());
      std::ofstream(path) << "image";
    }
  }
  return root;
}

// Runs the search and gathers the messages it reports.
struct SearchOutcome {
  std::string path;
  std::vector<std::string> errors;
};

SearchOutcome Search(const std::string& directory, const std::string& file_name) {
  SearchOutcome outcome;
  outcome.path = FindFileInTree(
      directory, file_name, [&](const std::string& message) { outcome.errors.push_back(message); });
  return outcome;
}

TEST(FindFileInTree, FindsTheFirstCopyInSearchOrder) {
  struct Row {
    const char* name;
    std::vector<std::string> entries;
    std::string file_name;
    std::string expected;  // relative to the root; "" for no match
  };
  const Row rows[] = {
      {"top wins over subdirectory", {"a/Wall.bmp", "Wall.bmp"}, "Wall.bmp", "Wall.bmp"},
      {"found deep down", {"a/b/c/Wall.bmp"}, "Wall.bmp", "a/b/c/Wall.bmp"},
      {"earlier sibling's whole subtree first",
       {"b/Wall.bmp", "a/x/y/Wall.bmp"},
       "Wall.bmp",
       "a/x/y/Wall.bmp"},
      {"siblings by upper-case folding, not bytes",
       {"Beta/Wall.bmp", "alpha/Wall.bmp"},
       "Wall.bmp",
       "alpha/Wall.bmp"},
      {"folded upper case puts letters before underscore",
       {"a_x/Wall.bmp", "aB/Wall.bmp"},
       "Wall.bmp",
       "aB/Wall.bmp"},
      {"same folded name, ties by bytes",
       {"ab/Wall.bmp", "AB/Wall.bmp"},
       "Wall.bmp",
       "AB/Wall.bmp"},
      {"disk spelling returned", {"wall.bmp"}, "Wall.BMP", "wall.bmp"},
      {"exact spelling preferred", {"WALL.BMP", "Wall.bmp", "wall.bmp"}, "wall.bmp", "wall.bmp"},
      {"no exact spelling: first variant in order",
       {"wall.bmp", "WALL.bmp", "Wall.bmp"},
       "wall.BMP",
       "WALL.bmp"},
      {"exact spelling below does not beat a variant above",
       {"wall.bmp", "a/Wall.bmp"},
       "Wall.bmp",
       "wall.bmp"},
      {"directory named like the file is no match",
       {"Wall.bmp/", "z/Wall.bmp"},
       "Wall.bmp",
       "z/Wall.bmp"},
      {"only a directory of that name", {"Wall.bmp/inner/"}, "Wall.bmp", ""},
      {"hidden directory searched", {".hidden/Wall.bmp"}, "Wall.bmp", ".hidden/Wall.bmp"},
      {"name must match whole", {"Wall.bmp.bak", "xWall.bmp", "a/Wall.bm"}, "Wall.bmp", ""},
      {"empty tree", {}, "Wall.bmp", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const fs::path root = MakeTree(row.entries);
    const SearchOutcome outcome = Search(root.string(), row.file_name);
    EXPECT_EQ(outcome.path, row.expected.empty() ? "" : root.string() + "/" + row.expected);
    EXPECT_TRUE(outcome.errors.empty());
  }
}

TEST(FindFileInTree, TrailingSeparatorIsNotDoubled) {
  const fs::path root = MakeTree({"a/Wall.bmp"});
  const std::string expected = root.string() + "/a/Wall.bmp";
  EXPECT_EQ(Search(root.string(), "Wall.bmp").path, expected);
  EXPECT_EQ(Search(root.string() + "/", "Wall.bmp").path, expected);
  // A backslash ends a directory text written the Windows way; here it is part of the name.
  fs::create_directory(root / "win\\");
  std::ofstream(root / "win\\" / "Wall.bmp") << "image";
  EXPECT_EQ(Search(root.string() + "/win\\", "Wall.bmp").path, root.string() + "/win\\Wall.bmp");
}

TEST(FindFileInTree, ReturnedPathOpens) {
  const fs::path root = MakeTree({"Textures/Stone/WALL.bmp"});
  const std::string found = Search(root.string() + "/", "wall.BMP").path;
  EXPECT_TRUE(fs::is_regular_file(found)) << found;
}

TEST(FindFileInTree, LinksToDirectoriesAreNotFollowed) {
  const fs::path root = MakeTree({"b/Wall.bmp", "c/"});
  fs::create_directory_symlink(root / "b", root / "a_link");
  fs::create_directory_symlink(root, root / "c" / "loop");
  EXPECT_EQ(Search(root.string(), "Wall.bmp").path, root.string() + "/b/Wall.bmp");
  // A link back to the root: the walk ends instead of going round forever.
  EXPECT_EQ(Search(root.string(), "Missing.bmp").path, "");
}

TEST(FindFileInTree, LinksToFilesCountDanglingLinksDoNot) {
  const fs::path root = MakeTree({"images/real.bmp", "z/Wall.bmp"});
  fs::create_symlink(root / "nowhere.bmp", root / "Wall.bmp");
  fs::create_symlink(root / "images" / "real.bmp", root / "Real.BMP");
  const SearchOutcome dangling = Search(root.string(), "Wall.bmp");
  EXPECT_EQ(dangling.path, root.string() + "/z/Wall.bmp");
  EXPECT_TRUE(dangling.errors.empty());
  EXPECT_EQ(Search(root.string(), "real.bmp").path, root.string() + "/Real.BMP");
}

TEST(FindFileInTree, MissingDirectoryIsReportedOnce) {
  const fs::path root = MakeTree({});
  const SearchOutcome outcome = Search((root / "absent").string(), "Wall.bmp");
  EXPECT_EQ(outcome.path, "");
  EXPECT_EQ(outcome.errors, std::vector<std::string>{"Error: 2 - No such file or directory"});
}

TEST(FindFileInTree, FileGivenAsDirectoryIsReported) {
  const fs::path root = MakeTree({"Wall.bmp"});
  const SearchOutcome outcome = Search((root / "Wall.bmp").string(), "Wall.bmp");
  EXPECT_EQ(outcome.path, "");
  EXPECT_EQ(outcome.errors, std::vector<std::string>{"Error: 20 - Not a directory"});
}

TEST(FindFileInTree, EmptyDirectoryTextSearchesNothing) {
  const SearchOutcome outcome = Search("", "Wall.bmp");
  EXPECT_EQ(outcome.path, "");
  EXPECT_TRUE(outcome.errors.empty());
}

TEST(FindFileInTree, UnreadableDirectoryIsReportedAndSearchGoesOn) {
  const fs::path root = MakeTree({"a/Wall.bmp", "b/Wall.bmp"});
  fs::permissions(root / "a", fs::perms::none);
  std::error_code listed;
  fs::directory_iterator(root / "a", listed);
  if (!listed) {
    fs::permissions(root / "a", fs::perms::owner_all);
    GTEST_SKIP() << "this user reads every directory (root, or a system without such rights)";
  }
  const SearchOutcome outcome = Search(root.string(), "Wall.bmp");
  fs::permissions(root / "a", fs::perms::owner_all);
  EXPECT_EQ(outcome.path, root.string() + "/b/Wall.bmp");
  EXPECT_EQ(outcome.errors, std::vector<std::string>{"Error: 13 - Permission denied"});
}

// Creates `depth` nested directories of long names below `top`, working from inside each so
// that no single path given to the system grows too long.
void MakeLongChain(const fs::path& top, int depth) {
  const fs::path start = fs::current_path();
  fs::current_path(top);
  for (int level = 0; level < depth; ++level) {
    const std::string name(kLongNameLength, static_cast<char>('a' + level % 26));
    fs::create_directory(name);
    fs::current_path(name);
  }
  fs::current_path(start);
}

// Removes what MakeLongChain made, deepest first, again from inside.
void RemoveLongChain(const fs::path& top, int depth) {
  const fs::path start = fs::current_path();
  fs::current_path(top);
  for (int level = 0; level < depth - 1; ++level) {
    fs::current_path(std::string(kLongNameLength, static_cast<char>('a' + level % 26)));
  }
  for (int level = depth - 1; level >= 0; --level) {
    fs::remove(std::string(kLongNameLength, static_cast<char>('a' + level % 26)));
    fs::current_path("..");
  }
  fs::current_path(start);
}

TEST(FindFileInTree, PathTooLongIsReportedAndSearchGoesOn) {
  // Deep enough that the path text passes the system's limit of 4096 bytes.
  constexpr int kDepth = 18;
  const fs::path root = MakeTree({"a/", "b/Wall.bmp"});
  MakeLongChain(root / "a", kDepth);
  const SearchOutcome outcome = Search(root.string(), "Wall.bmp");
  RemoveLongChain(root / "a", kDepth);
  EXPECT_EQ(outcome.path, root.string() + "/b/Wall.bmp");
  EXPECT_EQ(outcome.errors, std::vector<std::string>{"Error: 36 - File name too long"});
}

// FindFileInTree and the index on the same tree: the same path for every name, in every case.
TEST(FileTreeIndex, FindsWhatFindFileInTreeFinds) {
  const fs::path root =
      MakeTree({"a/Wall.bmp", "A/wall.BMP", "b/x/WALL.bmp", "b/Wall.bmp", "B/y/Roof.bmp",
                "Roof.BMP", "c/Floor.bmp", "c/FLOOR.bmp", "c/floor.bmp", "e/f/Floor.bmp",
                "Sky.bmp/", "d/Sky.bmp", "a_b/Sky.BMP", "aB/sky.bmp", ".hidden/Door.bmp",
                "e/f/g/Door.BMP", "e/door.bmp/inner.bmp", "h/i/Lamp.bmp", "j/Lamp.bmp"});
  fs::create_directory_symlink(root / "b", root / "0_link");
  fs::create_symlink(root / "a" / "Wall.bmp", root / "d" / "Real.BMP");
  fs::create_symlink(root / "nowhere.bmp", root / "Gone.bmp");
  // A link whose target cannot be examined hides its name in its folder and below.
  fs::create_symlink(std::string(kLongNameLength + 10, 'x'), root / "h" / "LAMP.bmp");
  fs::create_symlink(std::string(kLongNameLength + 10, 'x'), root / "j" / "other.bmp");
  std::vector<std::string> errors;
  const auto on_error = [&](const std::string& message) { errors.push_back(message); };
  for (const std::string& top : {root.string(), root.string() + "/"}) {
    const FileTreeIndex index = FileTreeIndex::Build(top, on_error);
    for (const char* name :
         {"Wall.bmp", "wall.bmp", "WALL.BMP",  "Floor.bmp",   "floor.bmp", "FLOOR.BMP", "fLoOr.bmp",
          "roof.bmp", "Sky.bmp",  "sky.BMP",   "Door.bmp",    "inner.bmp", "real.bmp",  "Gone.bmp",
          "Lamp.bmp", "lamp.BMP", "other.bmp", "Missing.bmp", "0_link",    "b",         ""}) {
      EXPECT_EQ(index.Find(name), FindFileInTree(top, name, nullptr)) << top << " " << name;
    }
  }
  EXPECT_EQ(FileTreeIndex::Build(root.string(), nullptr).Find("lamp.bmp"),
            root.string() + "/j/Lamp.bmp");
  EXPECT_EQ(errors, std::vector<std::string>(4, "Error: 36 - File name too long"));
}

TEST(FileTreeIndex, UnreadableTopIsReportedOnceAndFindsNothing) {
  std::vector<std::string> errors;
  const FileTreeIndex index =
      FileTreeIndex::Build((MakeTree({}) / "absent").string(),
                           [&](const std::string& error) { errors.push_back(error); });
  EXPECT_EQ(index.Find("Wall.bmp"), "");
  EXPECT_EQ(errors, std::vector<std::string>{"Error: 2 - No such file or directory"});
}

}  // namespace
}  // namespace brushwright
