// Tests of the operating-system calls: UTF-8 names on disk, inputs of each kind, own file.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_files.h"

namespace brushwright {
namespace {

using testing::TempDir;

// A folder with a space and letters from three scripts, and a file in it named likewise.
constexpr char kFolder[] = "Caf\xC3\xA9 \xCE\xA9 \xD0\x94\xD0\xBE\xD0\xBC";
constexpr char kFile[] = "Caf\xC3\xA9 \xE6\x97\xA5.t3d";

// Everything an InputFile gives until its end.
std::string ReadAll(InputFile& input) {
  std::string bytes(7, '\0');  // small pieces, so that reading goes on after the first
  std::string all;
  std::error_code error;
  while (const std::size_t got = input.Read(bytes.data(), bytes.size(), error)) {
    all.append(bytes, 0, got);
  }
  EXPECT_FALSE(error) << error.message();
  return all;
}

TEST(Platform, Utf8NamesReachTheDiskAndComeBack) {
  const TempDir dir("platform");
  const std::string folder = Utf8FromPath(dir.path()) + "/" + kFolder;
  const std::string file = folder + "/" + kFile;
  ASSERT_TRUE(std::filesystem::create_directory(PathFromUtf8(folder)));
  EXPECT_EQ(Utf8FromPath(PathFromUtf8(file)), file);

  std::error_code error;
  std::FILE* out = OpenFileForWriting(file, false, error);
  ASSERT_NE(out, nullptr) << error.message();
  std::fputs("line\r\n\x1A end", out);  // binary: CR LF and Ctrl-Z pass untouched
  std::fclose(out);

  EXPECT_TRUE(IsRegularFile(file));
  EXPECT_FALSE(IsRegularFile(folder));
  const auto entry = std::filesystem::directory_iterator(PathFromUtf8(folder));
  EXPECT_EQ(Utf8FromPath(entry->path().filename()), kFile);

  InputFile input(file, false, error);
  ASSERT_FALSE(error) << error.message();
  std::uint64_t size = 0;
  EXPECT_EQ(input.Kind(size), InputKind::RegularFile);
  EXPECT_EQ(size, 11u);
  EXPECT_EQ(ReadAll(input), "line\r\n\x1A end");
}

TEST(Platform, InputsThatAreNoFile) {
  const TempDir dir("platform");
  std::error_code error;
  const InputFile folder(Utf8FromPath(dir.path()), false, error);
  std::uint64_t size = 0;
  EXPECT_FALSE(error) << error.message();
  EXPECT_EQ(folder.Kind(size), InputKind::Directory);

  const InputFile missing(Utf8FromPath(dir.path() / "absent.t3d"), false, error);
  EXPECT_EQ(error, std::errc::no_such_file_or_directory);
  EXPECT_FALSE(IsRegularFile(Utf8FromPath(dir.path() / "absent.t3d")));

  error.clear();
  EXPECT_EQ(OpenFileForWriting(Utf8FromPath(dir.path() / "no/such/folder.obj"), false, error),
            nullptr);
  EXPECT_EQ(error, std::errc::no_such_file_or_directory);
}

TEST(Platform, ProgramFileIsThisTest) {
  std::error_code error;
  EXPECT_EQ(ProgramFile(error).stem(), "platform_tests");
  EXPECT_FALSE(error);
}

}  // namespace
}  // namespace brushwright
