// Writes the texture search folder that the Textures variant's benchmarks copy images from.
#include "texture_tree.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>

#include "level_generator.h"

namespace brushwright {
namespace {

namespace fs = std::filesystem;

// Files per folder and folders per top folder, as texture packs are laid out.
constexpr int kFilesPerFolder = 100;
constexpr int kFoldersPerPack = 10;
// The found images: small, so that decoding them does not outweigh the search.
constexpr int kImageSide = 8;
// Brushes of the generated levels alternate so that brush 4k + 1 is always additive.
constexpr int kBrushStride = 4;

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFFu);
}

// An uncompressed 24-bit BMP of kImageSide x kImageSide pixels in a grey of `shade`.
std::string SmallBmp(int shade) {
  constexpr std::uint32_t kHeaderBytes = 14 + 40;
  constexpr std::uint32_t kPixelBytes = kImageSide * kImageSide * 3;  // rows need no padding
  std::string bmp = "BM";
  PutLittleEndian(bmp, kHeaderBytes + kPixelBytes, 4);
  PutLittleEndian(bmp, 0, 4);
  PutLittleEndian(bmp, kHeaderBytes, 4);
  PutLittleEndian(bmp, 40, 4);  // BITMAPINFOHEADER
  PutLittleEndian(bmp, kImageSide, 4);
  PutLittleEndian(bmp, kImageSide, 4);
  PutLittleEndian(bmp, 1, 2);   // planes
  PutLittleEndian(bmp, 24, 2);  // bits per pixel
  PutLittleEndian(bmp, 0, 4);   // no compression
  PutLittleEndian(bmp, kPixelBytes, 4);
  PutLittleEndian(bmp, 2835, 4);  // 72 dots per inch
  PutLittleEndian(bmp, 2835, 4);
  PutLittleEndian(bmp, 0, 4);
  PutLittleEndian(bmp, 0, 4);
  bmp.append(kPixelBytes, static_cast<char>(shade & 0xFF));
  return bmp;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

void WriteTextureTree(const std::string& root, const TextureTreeOptions& options) {
  // The found images spread evenly over the tree, the first in its first folder.
  const int found_every = options.Found > 0 ? std::max(1, options.Files / options.Found) : 0;
  int found = 0;
  for (int file = 0; file < options.Files; ++file) {
    const int folder = file / kFilesPerFolder;
    const fs::path dir = fs::path(root) / ("Pack" + std::to_string(folder / kFoldersPerPack)) /
                         ("Set" + std::to_string(folder % kFoldersPerPack));
    if (file % kFilesPerFolder == 0) fs::create_directories(dir);
    if (found_every > 0 && file % found_every == 0 && found < options.Found) {
      const std::string name = Lower(OwnTextureName(1 + kBrushStride * found, 0)) + ".bmp";
      std::ofstream(dir / name, std::ios::binary) << SmallBmp(found * 16);
      ++found;
    } else {
      std::ofstream(
          dir / ("Other" + std::to_string(folder) + ".Texture" + std::to_string(file) + ".bmp"),
          std::ios::binary)
          << "image";
    }
  }
}

}  // namespace brushwright
