// Tests of input reading from a FIFO, which only POSIX systems have.
#include "text/file_text.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "support/test_files.h"

namespace brushwright {
namespace {

TEST(ReadInputText, FifoAndStandardInputAreReadWholeOnce) {
  const testing::TempDir dir("text");
  ASSERT_EQ(mkfifo((dir / "level.fifo").c_str(), 0600), 0);
  std::signal(SIGPIPE, SIG_IGN);  // a reader that stops early fails the test, not the program
  std::string text;               // more than a pipe holds at once
  for (int i = 0; text.size() < 300000; ++i) text += "Begin Polygon " + std::to_string(i) + "\r\n";
  std::thread writer([&] {
    std::ofstream out(dir / "level.fifo", std::ios::binary);
    out << "\xEF\xBB\xBF" << text;
  });
  EXPECT_EQ(ReadInputText(dir / "level.fifo", 1 << 20), text);
  writer.join();

  testing::WriteBytes(dir / "stdin.t3d", text);
  ASSERT_NE(std::freopen((dir / "stdin.t3d").c_str(), "rb", stdin), nullptr);
  EXPECT_EQ(ReadInputText("-", 1 << 20), text);
}

}  // namespace
}  // namespace brushwright
