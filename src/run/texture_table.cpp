// The run's table of distinct (texture name, polygon flags) pairs with their image sizes.
#include "run/texture_table.h"

#include "text/number_text.h"

namespace brushwright {

TextureTable EmptyTextureTable() {
  return TextureTable(1);
}

std::int32_t FindTexture(const TextureTable& table, const std::string& name, std::int64_t flags) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].Name == name && table[i].Flags == flags) return static_cast<std::int32_t>(i);
  }
  return -1;
}

void AddTexture(TextureTable& table, const std::string& name, std::int16_t width,
                std::int16_t height, std::int64_t flags) {
  table.push_back(TextureEntry{name, width, height, flags});
}

void RegisterTexture(TextureTable& table, const std::string& name, std::int16_t width,
                     std::int16_t height, std::int64_t flags) {
  // The blank entry of the empty state is taken over by the first pair.
  if (table.size() == 1 && table[0].Name.empty()) {
    table[0] = TextureEntry{name, width, height, flags};
    return;
  }
  if (FindTexture(table, name, flags) == -1) AddTexture(table, name, width, height, flags);
}

std::string MaterialName(const std::string& name, std::int64_t flags) {
  return name + NumberText(flags);
}

}  // namespace brushwright
