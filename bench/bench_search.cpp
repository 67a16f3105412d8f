// Texture search over a folder tree: one index per run against one walk of the tree per texture.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "search/file_search.h"

namespace {

namespace fs = std::filesystem;

// The tree: 10 folders of 10 folders of 100 files each, 10,000 texture files in all.
constexpr int kTopFolders = 10;
constexpr int kSubFolders = 10;
constexpr int kFilesPerFolder = 100;
// Lookups of one run, as many as a level with 30,000 distinct textures makes; a third of the
// names are in no folder (the images a level names but nobody has).
constexpr int kLookups = 30000;
constexpr int kNamedTextures = kLookups / 2;

std::string TextureName(int number) {
  return "Texture" + std::to_string(number) + ".bmp";
}

// Made once for the program in the temporary folder, removed at exit.
class TextureTree {
 public:
  TextureTree()
      : root_(fs::temp_directory_path() /
              ("brushwright-bench-search-" + std::to_string(getpid()))) {
    int number = 0;
    for (int top = 0; top < kTopFolders; ++top) {
      for (int sub = 0; sub < kSubFolders; ++sub) {
        const fs::path folder =
            root_ / ("Pack" + std::to_string(top)) / ("Set" + std::to_string(sub));
        fs::create_directories(folder);
        for (int file = 0; file < kFilesPerFolder; ++file) {
          std::ofstream(folder / TextureName(number++)) << "image";
        }
      }
    }
  }
  TextureTree(const TextureTree&) = delete;
  TextureTree& operator=(const TextureTree&) = delete;
  ~TextureTree() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  std::string root() const { return root_.string(); }

 private:
  fs::path root_;
};

const TextureTree& Tree() {
  static const TextureTree tree;
  return tree;
}

// The names a level asks for, every other one in upper case as levels spell them either way.
std::vector<std::string> LookupNames() {
  std::vector<std::string> names;
  for (int i = 0; i < kLookups; ++i) {
    std::string name = TextureName(i % kNamedTextures);
    if (i % 2 == 1) {
      for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    names.push_back(name);
  }
  return names;
}

// A whole run's searches: the tree indexed once, then every texture looked up.
void BM_IndexedSearch(benchmark::State& state) {
  const std::string root = Tree().root();
  const std::vector<std::string> names = LookupNames();
  for (auto _ : state) {
    const brushwright::FileTreeIndex index = brushwright::FileTreeIndex::Build(root, nullptr);
    std::size_t found = 0;
    for (const std::string& name : names) found += index.Find(name).empty() ? 0 : 1;
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * kLookups);
}
BENCHMARK(BM_IndexedSearch)->Unit(benchmark::kMillisecond);

// One texture searched by walking the tree, as each new texture was before: a name in the last
// folder, and a name in none (the whole tree walked).
void BM_WalkPerTexture(benchmark::State& state) {
  const std::string root = Tree().root();
  const std::string name = state.range(0) == 0
                               ? TextureName(kTopFolders * kSubFolders * kFilesPerFolder - 1)
                               : "Missing.bmp";
  for (auto _ : state) {
    benchmark::DoNotOptimize(brushwright::FindFileInTree(root, name, nullptr));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WalkPerTexture)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
