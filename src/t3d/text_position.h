// Small conversions between the readers' 1-based int positions and std::string_view offsets.
#pragma once

#include <cassert>
#include <climits>
#include <string>
#include <string_view>

namespace brushwright {

// Positions are ints, so a text the readers walk never exceeds INT_MAX characters.
inline int TextLength(std::string_view text) {
  assert(text.size() < static_cast<std::size_t>(INT_MAX));
  return static_cast<int>(text.size());
}

// A position below 1 is read as the start of the text.
inline int AtLeastOne(int pos) {
  return pos < 1 ? 1 : pos;
}

// The characters from position `from` up to, not including, position `to`.
inline std::string Slice(std::string_view text, int from, int to) {
  assert(from >= 1 && to >= from && to <= TextLength(text) + 1);
  return std::string(
      text.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from)));
}

}  // namespace brushwright
