// The run's table of distinct (texture name, polygon flags) pairs with their image sizes.
#include "run/texture_table.h"

#include "text/number_text.h"

namespace brushwright {

TextureTable::TextureTable() : entries_(1), index_{{"", {{0, 0}}}} {}

TextureTable EmptyTextureTable() {
  return TextureTable();
}

std::int32_t FindTexture(const TextureTable& table, const std::string& name, std::int64_t flags) {
  const auto found = table.index_.find(std::string_view(name));
  if (found == table.index_.end()) return -1;
  for (const auto& [pair_flags, index] : found->second) {
    if (pair_flags == flags) return index;
  }
  return -1;
}

void AddTexture(TextureTable& table, const std::string& name, std::int16_t width,
                std::int16_t height, std::int64_t flags) {
  // A pair added twice is listed twice; FindTexture gives the first, as a scan of the table would.
  table.index_[name].emplace_back(flags, static_cast<std::int32_t>(table.entries_.size()));
  table.entries_.push_back(TextureEntry{name, width, height, flags});
}

void RegisterTexture(TextureTable& table, const std::string& name, std::int16_t width,
                     std::int16_t height, std::int64_t flags) {
  // The blank entry of the empty state is taken over by the first pair.
  if (table.entries_.size() == 1 && table.entries_[0].Name.empty()) {
    table.index_.clear();
    table.index_[name].emplace_back(flags, 0);
    table.entries_[0] = TextureEntry{name, width, height, flags};
    return;
  }
  if (FindTexture(table, name, flags) == -1) AddTexture(table, name, width, height, flags);
}

std::string MaterialName(const std::string& name, std::int64_t flags) {
  return name + NumberText(flags);
}

}  // namespace brushwright
