// The run's table of distinct (texture name, polygon flags) pairs with their image sizes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace brushwright {

struct TextureEntry {
  std::string Name;
  std::int16_t Width = 0;
  std::int16_t Height = 0;
  std::int64_t Flags = 0;
};

// The entries in the order they were registered (the order of the MTL file), read like a vector;
// changed only by the functions below, which keep a hash index of the pairs beside them. Never
// empty: its empty state is one blank entry at index 0, which the first registration fills.
class TextureTable {
 public:
  using const_iterator = std::vector<TextureEntry>::const_iterator;

  TextureTable();

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const TextureEntry& operator[](std::size_t i) const { return entries_[i]; }
  const TextureEntry& front() const { return entries_.front(); }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }

 private:
  friend std::int32_t FindTexture(const TextureTable&, const std::string&, std::int64_t);
  friend void AddTexture(TextureTable&, const std::string&, std::int16_t, std::int16_t,
                         std::int64_t);
  friend void RegisterTexture(TextureTable&, const std::string&, std::int16_t, std::int16_t,
                              std::int64_t);

  // Texture names hashed as views, so a lookup copies nothing.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const {
      return std::hash<std::string_view>{}(name);
    }
  };
  // Per name, the flags met with it and the index of the first entry of each pair.
  using PairIndex =
      std::unordered_map<std::string, std::vector<std::pair<std::int64_t, std::int32_t>>, NameHash,
                         std::equal_to<>>;

  std::vector<TextureEntry> entries_;
  PairIndex index_;
};

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
