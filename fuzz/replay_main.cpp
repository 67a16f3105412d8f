// Feeds every file of the given files and folders to a fuzz target once, so CI replays the seeds
// and the crash inputs found so far without clang or libFuzzer.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_target.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputFiles(const fs::path& where) {
  std::vector<fs::path> files;
  if (fs::is_regular_file(where)) {
    files.push_back(where);
    return files;
  }
  if (!fs::is_directory(where)) return files;
  for (const auto& entry : fs::directory_iterator(where)) {
    // Dot files (".gitkeep") only keep an empty folder in the repository.
    if (entry.is_regular_file() && entry.path().filename().string().front() != '.') {
      files.push_back(entry.path());
    }
  }
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const fs::path& file : InputFiles(argv[i])) {
      std::ifstream in(file, std::ios::binary);
      const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      std::printf("replaying %s (%zu bytes)\n", file.string().c_str(), bytes.size());
      std::fflush(stdout);
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  std::printf("%d inputs replayed\n", replayed);
  // A replay that finds no input at all would pass without testing anything.
  return replayed > 0 ? 0 : 1;
}
