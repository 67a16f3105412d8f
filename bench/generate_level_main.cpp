// generate-level: writes a synthetic T3D level for the timing script, and on request the texture
// search folder of a level of the textures variant.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "level_generator.h"
#include "texture_tree.h"

namespace {

// Exit status for a wrong invocation, as brushwright-convert uses.
constexpr int kExitUsage = 2;

int Usage() {
  std::cerr << "usage: generate-level [--faces N] "
               "[--variant standard|untextured|actors|rooms|textures] [--texture-tree DIR] OUT\n";
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  brushwright::LevelOptions options;
  std::string output;
  std::string tree;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--faces" && i + 1 < argc) {
      options.Faces = std::atoi(argv[++i]);
    } else if (arg == "--variant" && i + 1 < argc) {
      if (!brushwright::ParseLevelVariant(argv[++i], options.Variant)) return Usage();
    } else if (arg == "--texture-tree" && i + 1 < argc) {
      tree = argv[++i];
    } else if (output.empty() && !arg.starts_with("-")) {
      output = arg;
    } else {
      return Usage();
    }
  }
  if (output.empty() || options.Faces < 1 || options.Faces > 32000) return Usage();
  const std::string level = brushwright::GenerateLevel(options);
  std::ofstream file(output, std::ios::binary);
  file.write(level.data(), static_cast<std::streamsize>(level.size()));
  file.close();
  if (!file) {
    std::cerr << "generate-level: cannot write '" << output << "'\n";
    return 1;
  }
  if (!tree.empty()) brushwright::WriteTextureTree(tree, {});
  return 0;
}
