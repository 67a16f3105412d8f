// The run's table of distinct (texture name, polygon flags) pairs with their image sizes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brushwright {

struct TextureEntry {
  std::string Name;
  std::int16_t Width = 0;
  std::int16_t Height = 0;
  std::int64_t Flags = 0;
};

// Never empty: its empty state is one blank entry at index 0, which the first registration fills.
using TextureTable = std::vector<TextureEntry>;

TextureTable EmptyTextureTable();
// Index of the entry with exactly this name and flags, or -1.
std::int32_t FindTexture(const TextureTable& table, const std::string& name, std::int64_t flags);
void AddTexture(TextureTable& table, const std::string& name, std::int16_t width,
                std::int16_t height, std::int64_t flags);
// Fills the blank entry, or appends the pair when it is new; an existing pair keeps its size.
void RegisterTexture(TextureTable& table, const std::string& name, std::int16_t width,
                     std::int16_t height, std::int64_t flags);
// The texture name immediately followed by the flags' number text: ("Wall", 0) -> "Wall0".
std::string MaterialName(const std::string& name, std::int64_t flags);

}  // namespace brushwright
