// Tests of the polygon count behind the progress line and of the guard that keeps inputs intact.
#include "cli/convert_main.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace brushwright {
namespace {

namespace fs = std::filesystem;

fs::path TestDirectory() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const fs::path root =
      fs::temp_directory_path() / ("brushwright_cli_main_" + std::string(info->name()));
  fs::remove_all(root);
  fs::create_directories(root);
  return root;
}

std::string WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
  return path.string();
}

TEST(CountPolygons, CountsEveryBeginPolygon) {
  // Pieces are read one MiB at a time; keys straddling that boundary count once.
  const std::size_t piece = std::size_t{1} << 20;
  struct Row {
    const char* name;
    std::string text;
    std::int64_t expected;
  };
  const Row rows[] = {
      {"empty", "", 0},
      {"one", "Begin Polygon Texture=Rock\r\nEnd Polygon\r\n", 1},
      {"two, case-sensitive", "Begin Polygon\nbegin polygon\nBegin PolygonBegin Polygon", 3},
      {"cut key", "Begin Polygo", 0},
      {"across the first piece", std::string(piece - 5, 'x') + "Begin Polygon", 1},
      {"ending the first piece", std::string(piece - 13, 'x') + "Begin Polygon", 1},
      {"after the first piece", std::string(piece, 'x') + "Begin Polygon", 1},
      {"one per piece",
       std::string(piece - 13, 'x') + "Begin Polygon" + std::string(piece - 7, 'x') +
           "Begin Polygon",
       2},
  };
  const fs::path dir = TestDirectory();
  for (const Row& row : rows) {
    EXPECT_EQ(CountPolygons(WriteFile(dir / "level.t3d", row.text)), row.expected) << row.name;
  }
  EXPECT_EQ(CountPolygons((dir / "absent.t3d").string()), 0);
}

}  // namespace
}  // namespace brushwright
