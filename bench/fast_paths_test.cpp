// Tests that the run's fast paths give the bytes of the plain ones: appended number texts, the
// line-break scan, and output files written through the remembered last file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include "text/file_text.h"
#include "text/key_readers.h"
#include "text/number_text.h"

namespace brushwright {
namespace {

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(AppendNumberText, AppendsWhatNumberTextGives) {
  const double rows[] = {0.0,
                         -0.0,
                         1.0,
                         -123.456,
                         0.1 + 0.2,
                         1e15,
                         1.5e-7,
                         123456789012345678.0,
                         -0.00012345,
                         std::numeric_limits<double>::infinity(),
                         std::numeric_limits<double>::quiet_NaN(),
                         std::numeric_limits<double>::denorm_min()};
  for (const double value : rows) {
    std::string text = "v  ";
    AppendNumberText(text, value);
    EXPECT_EQ(text, "v  " + NumberText(value)) << value;
  }
  for (const std::int32_t value : {0, -1, 7, std::numeric_limits<std::int32_t>::min(),
                                   std::numeric_limits<std::int32_t>::max()}) {
    std::string text = "f  ";
    AppendNumberText(text, value);
    EXPECT_EQ(text, "f  " + NumberText(value)) << value;
  }
}

TEST(FindLineBreak, FindsWhatFindFirstOfFinds) {
  struct Row {
    const char* text;
    std::size_t from;
  } rows[] = {{"", 0},         {"abc", 0},      {"ab\r\ncd", 0}, {"ab\ncd", 1},
              {"ab\r\ncd", 3}, {"ab\r\ncd", 4}, {"ab\rcd", 2},   {"abc\n", 9}};
  for (const Row& row : rows) {
    const std::string_view text = row.text;
    EXPECT_EQ(FindLineBreak(text, row.from), text.find_first_of("\r\n", row.from))
        << "'" << row.text << "' from " << row.from;
  }
}

// Writes to two files in turn, restarting the first one midway, as a run writes its OBJ file,
// report and material library: the bytes must be those of the one-call-per-write routine.
TEST(OutputFiles, InterleavedWritesAndRestartsGiveThePlainBytes) {
  const auto dir = std::filesystem::temp_directory_path() / "brushwright-fast-paths-test";
  std::filesystem::create_directories(dir);
  const std::string a = (dir / "a.obj").string();
  const std::string b = (dir / "b.txt").string();
  struct Step {
    bool first_file;
    const char* text;
    bool append;
  } steps[] = {{true, "one", false},  {true, "two", true},    {false, "x", false},
               {true, "three", true}, {true, "again", false}, {false, "y", true},
               {true, "four", true},  {false, "z", true}};
  {
    OutputFiles out;
    for (const Step& step : steps) out.Write(step.first_file ? a : b, step.text, step.append);
    out.Flush();
  }
  const std::string fast_a = ReadBytes(a);
  const std::string fast_b = ReadBytes(b);
  for (const Step& step : steps) WriteFileText(step.first_file ? a : b, step.text, step.append);
  EXPECT_EQ(fast_a, ReadBytes(a));
  EXPECT_EQ(fast_b, ReadBytes(b));
  EXPECT_EQ(fast_a, "again\r\nfour\r\n");
}

// Large texts take the one-read path with the huge-page hint; their bytes come back whole.
TEST(ReadFileText, LargeTextComesBackWhole) {
  const auto path = std::filesystem::temp_directory_path() / "brushwright-fast-paths-big.t3d";
  std::string bytes;
  for (int i = 0; bytes.size() < 6 * 1024 * 1024; ++i)
    bytes += "Vertex " + std::to_string(i) + "\r\n";
  std::ofstream(path, std::ios::binary) << bytes;
  EXPECT_EQ(ReadFileText(path.string()), bytes);
  std::ofstream(path, std::ios::binary) << "\xEF\xBB\xBF" << bytes;
  EXPECT_EQ(ReadFileText(path.string()), bytes);
}

}  // namespace
}  // namespace brushwright
