// Tests of whole-file reading, CR LF piece writing, the kept-open output files and path cutting.
#include "text/file_text.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/test_inputs.h"
#include "text/brush_error.h"
#include "text/key_readers.h"

namespace brushwright {
namespace {

namespace fs = std::filesystem;

// A fresh empty directory for one test, named after it; removed when the test ends.
struct ScratchDir {
  fs::path root;
  ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root = fs::temp_directory_path() / ("brushwright_text_" + std::to_string(getpid()) + "_" +
                                        info->test_suite_name() + "_" + info->name());
    fs::remove_all(root);
    fs::create_directories(root);
  }
  ~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
  std::string operator/(const std::string& name) const { return (root / name).string(); }
};

void PutBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The error message of `action`, or "" when it did not throw.
template <typename Action>
std::string ErrorOf(Action action) {
  try {
    action();
  } catch (const BrushError& error) {
    return error.what();
  }
  return "";
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(ReadFileText, ReturnsEveryByteUnchanged) {
  ScratchDir dir;
  const std::string bytes("a\r\nb\0c\xFF\r\n\n\x80", 10);
  PutBytes(dir / "level.t3d", bytes);
  EXPECT_EQ(ReadFileText(dir / "level.t3d"), bytes);

  const std::string big(300000, 'x');
  PutBytes(dir / "big.t3d", big);
  EXPECT_EQ(ReadFileText(dir / "big.t3d"), big);

  PutBytes(dir / "empty.t3d", "");
  EXPECT_EQ(ReadFileText(dir / "empty.t3d"), "");
}

// Real levels come through byte for byte, and GetNextLine walks them to the end.
TEST(ReadFileText, CorpusLevelsReadWholeAndScanToTheEnd) {
  CORPUS_LEVELS_OR_SKIP(levels);
  for (const fs::path& level : levels) {
    const std::string path = level.string();
    const std::string text = ReadFileText(path);
    EXPECT_EQ(text, Bytes(path)) << path;
    int pos = 1;
    int lines = 0;
    while (pos <= static_cast<int>(text.size())) {
      const int before = pos;
      GetNextLine(text, pos);
      ASSERT_GT(pos, before) << path;
      ++lines;
    }
    EXPECT_GT(lines, 0) << path;
  }
}

TEST(ReadFileText, DecodesByteOrderMarks) {
  struct Row {
    const char* name;
    std::string bytes;
    std::string text;
  };
  const std::vector<Row> rows = {
      {"utf8 mark dropped",
       "\xEF\xBB\xBF"
       "Begin\r\n",
       "Begin\r\n"},
      // A, e-acute, U+2020, B, U+1F600 as a surrogate pair, CR LF
      {"utf16 le",
       std::string("\xFF\xFE"
                   "A\0\xE9\0\x20\x20"
                   "B\0\x3D\xD8\x00\xDE\r\0\n\0",
                   18),
       "A\xE9?B?\r\n"},
      {"utf16 be", std::string("\xFE\xFF\0A\0\xE9\x20\x20\0B\xD8\x3D\xDE\x00\0\r\0\n", 18),
       "A\xE9?B?\r\n"},
      {"utf16 lone surrogate",
       std::string("\xFF\xFE\x3D\xD8"
                   "C\0",
                   6),
       "?C"},
      {"utf16 odd last byte",
       std::string("\xFF\xFE"
                   "A\0B",
                   5),
       "A?"},
      {"utf16 mark only", "\xFF\xFE", ""},
      {"no mark",
       "\xFE"
       "A",
       "\xFE"
       "A"},
  };
  ScratchDir dir;
  for (const Row& row : rows) {
    PutBytes(dir / "in.t3d", row.bytes);
    EXPECT_EQ(ReadFileText(dir / "in.t3d"), row.text) << row.name;
  }
}

TEST(ReadInputText, RegularFilesAsReadFileTextUpToTheLargestSize) {
  ScratchDir dir;
  PutBytes(dir / "fits.t3d", "\xEF\xBB\xBF" + std::string(997, 'x'));
  EXPECT_EQ(ReadInputText(dir / "fits.t3d", 1000), std::string(997, 'x'));
  PutBytes(dir / "over.t3d", std::string(1001, 'x'));
  EXPECT_EQ(ErrorOf([&] { ReadInputText(dir / "over.t3d", 1000); }),
            "'" + dir / "over.t3d" + "' is too large to convert (1001 bytes)");
}

TEST(ReadInputText, EndlessInputStopsPastTheLargestSize) {
  EXPECT_EQ(ErrorOf([] { ReadInputText("/dev/zero", 100000); }),
            "'/dev/zero' is too large to convert (more than 100000 bytes, the most a run can "
            "convert)");
}

TEST(ReadFileText, MissingFileOrDirectoryThrowsNamingIt) {
  ScratchDir dir;
  const std::string missing = dir / "missing.t3d";
  EXPECT_TRUE(Contains(ErrorOf([&] { ReadFileText(missing); }), "'" + missing + "'"));
  EXPECT_TRUE(
      Contains(ErrorOf([&] { ReadFileText(dir.root.string()); }), "'" + dir.root.string() + "'"));
}

TEST(WriteFileText, WritesPieceAndLineEndByteExact) {
  ScratchDir dir;
  const std::string path = dir / "out.obj";
  PutBytes(path, "old content that is longer\r\n");
  WriteFileText(path, "new", false);
  EXPECT_EQ(Bytes(path), "new\r\n");
  WriteFileText(path, "a\r\nb", true);
  EXPECT_EQ(Bytes(path), "new\r\na\r\nb\r\n");
  WriteFileText(path, "", true);
  EXPECT_EQ(Bytes(path), "new\r\na\r\nb\r\n\r\n");
  WriteFileText(path, std::string("z\0z", 3), false);
  EXPECT_EQ(Bytes(path), std::string("z\0z\r\n", 5));

  const std::string created = dir / "created.txt";
  WriteFileText(created, "first", true);
  EXPECT_EQ(Bytes(created), "first\r\n");
}

TEST(WriteFileText, UnwritablePathThrowsNamingIt) {
  ScratchDir dir;
  const std::string path = dir / "no_such_dir/out.obj";
  for (const bool append : {false, true}) {
    const std::string message = ErrorOf([&] { WriteFileText(path, "x", append); });
    EXPECT_TRUE(Contains(message, "'" + path + "'")) << message;
    EXPECT_TRUE(Contains(message, "No such file or directory")) << message;
  }
}

TEST(WriteFileText, FullDeviceThrows) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::string message = ErrorOf([] { WriteFileText("/dev/full", "x", true); });
  EXPECT_TRUE(Contains(message, "'/dev/full'")) << message;
}

// The same sequence of writes through WriteFileText and through OutputFiles leaves the same bytes.
TEST(OutputFiles, MatchesWriteFileTextOverInterleavedWrites) {
  struct Step {
    int file;
    const char* text;
    bool append;
  };
  const Step steps[] = {
      {0, "mtllib room.mtl", false},
      {1, "newmtl Wall0", false},
      {0, "g Brush1", true},
      {0, "v 1 2 3\r\nv 4 5 6", true},
      {1, "", true},
      {1, "Kd 1 1 1", true},
      {0, "f 1 2 3", true},
      {1, "restart", false},
      {1, "after restart", true},
      {0, "", true},
  };
  ScratchDir dir;
  const std::string direct[] = {dir / "direct.obj", dir / "direct.mtl"};
  const std::string kept[] = {dir / "kept.obj", dir / "kept.mtl"};
  PutBytes(kept[1], "stale bytes that must go");
  {
    OutputFiles out;
    for (const Step& step : steps) {
      WriteFileText(direct[step.file], step.text, step.append);
      out.Write(kept[step.file], step.text, step.append);
    }
    out.Flush();
    EXPECT_EQ(Bytes(kept[0]), Bytes(direct[0]));
    EXPECT_EQ(Bytes(kept[1]), Bytes(direct[1]));
    out.Write(kept[0], "tail", true);
  }
  WriteFileText(direct[0], "tail", true);
  EXPECT_EQ(Bytes(kept[0]), Bytes(direct[0]));
  EXPECT_EQ(Bytes(kept[1]), "restart\r\nafter restart\r\n");
}

TEST(OutputFiles, FailuresThrowNamingTheFile) {
  ScratchDir dir;
  const std::string path = dir / "no_such_dir/out.obj";
  OutputFiles out;
  const std::string message = ErrorOf([&] { out.Write(path, "x", true); });
  EXPECT_TRUE(Contains(message, "'" + path + "'")) << message;

  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  out.Write("/dev/full", "buffered until flushed", true);
  const std::string flush_message = ErrorOf([&] { out.Flush(); });
  EXPECT_TRUE(Contains(flush_message, "'/dev/full'")) << flush_message;
  EXPECT_TRUE(Contains(flush_message, "No space left on device")) << flush_message;
}

TEST(FileExists, OnlyOrdinaryFilesCount) {
  ScratchDir dir;
  PutBytes(dir / "a.bmp", "x");
  fs::create_directory(dir.root / "sub");
  fs::create_symlink(dir.root / "a.bmp", dir.root / "link.bmp");
  fs::create_symlink(dir.root / "sub", dir.root / "link_dir");
  fs::create_symlink(dir.root / "gone.bmp", dir.root / "dangling.bmp");
  struct Row {
    std::string path;
    bool expected;
  };
  const Row rows[] = {
      {dir / "a.bmp", true}, {dir / "link.bmp", true},  {dir / "missing.bmp", false},
      {dir / "sub", false},  {dir / "link_dir", false}, {dir / "dangling.bmp", false},
      {"", false},           {dir / "a.bmp/x", false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FileExists(row.path), row.expected) << "'" << row.path << "'";
  }
}

TEST(PathCutting, Rows) {
  struct Row {
    const char* path;
    const char* file_name;
    const char* directory;
    const char* stripped;
  };
  const Row rows[] = {
      {"C:\\maps\\hall.t3d", "hall.t3d", "C:\\maps\\", "C:\\maps\\hall"},
      {"maps/hall.t3d", "hall.t3d", "maps/", "maps/hall"},
      {"C:hall.t3d", "hall.t3d", "C:", "C:hall"},
      {"hall.t3d", "hall.t3d", "", "hall"},
      {"C:\\maps\\", "", "C:\\maps\\", "C:\\maps\\"},
      {"C:\\my.maps\\hall", "hall", "C:\\my.maps\\", "C:\\my.maps\\hall"},
      {"/home/u/.maps/hall", "hall", "/home/u/.maps/", "/home/u/.maps/hall"},
      {"a.b.c", "a.b.c", "", "a.b"},
      {".t3d", ".t3d", "", ""},
      {"dir/.t3d", ".t3d", "dir/", "dir/"},
      {"C:\\maps\\hall.", "hall.", "C:\\maps\\", "C:\\maps\\hall"},
      {"", "", "", ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FileNameOfPath(row.path), row.file_name) << "'" << row.path << "'";
    EXPECT_EQ(DirectoryOfPath(row.path), row.directory) << "'" << row.path << "'";
    EXPECT_EQ(StripExtension(row.path), row.stripped) << "'" << row.path << "'";
  }
}

}  // namespace
}  // namespace brushwright
