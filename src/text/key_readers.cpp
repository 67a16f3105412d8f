// Line and word scanners and key readers over one T3D text, by 1-based positions.
#include "text/key_readers.h"

#include <algorithm>
#include <cstddef>

#include "text/number_text.h"

namespace brushwright {

namespace {

// Index (0-based) of a 1-based position that may lie before the start.
std::size_t IndexOf(int pos) {
  return pos < 1 ? 0 : static_cast<std::size_t>(pos) - 1;
}
int PositionOf(std::size_t index) {
  return static_cast<int>(index) + 1;
}

// The word at `pos` with its one ending delimiter, as a view into `text`; `pos` moves onto that
// delimiter (or to the last character when the word runs to the end).
std::string_view NextWordView(std::string_view text, int& pos) {
  int s = std::max(pos, 1);
  while (IsWordDelimiter(CharAt(text, s))) ++s;
  const int length = static_cast<int>(text.size());
  int i = s;
  while (i < length && !IsWordDelimiter(CharAt(text, i))) ++i;
  pos = i;
  if (s > length) return {};
  return text.substr(IndexOf(s), static_cast<std::size_t>(i - s) + 1);
}

// Finds the key in range and sets `value` to the word after it, trimmed of blanks and of its
// ending line break; returns false (value untouched) when the key is not in range.
bool FindKeyValue(std::string_view text, std::string_view key, int start, int limit,
                  std::string_view& value) {
  const int found = FindInRange(text, key, start, limit);
  if (found == 0) return false;
  int after_key = found + static_cast<int>(key.size());
  value = NextWordView(text, after_key);
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  while (!value.empty() && IsLineBreak(value.back())) value.remove_suffix(1);
  return true;
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) {
      return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return lower(x) == lower(y);
  });
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::string_view Trimmed(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = line.find_last_not_of(" \t\r\n");
  return line.substr(first, last - first + 1);
}

char CharAt(std::string_view text, int pos) {
  if (pos < 1 || static_cast<std::size_t>(pos) > text.size()) return '\0';
  return text[static_cast<std::size_t>(pos) - 1];
}

int FindFrom(std::string_view text, std::string_view key, int start) {
  const std::size_t found = text.find(key, IndexOf(start));
  return found == std::string_view::npos ? 0 : PositionOf(found);
}

int FindInRange(std::string_view text, std::string_view key, int start, int limit) {
  const std::size_t first = IndexOf(start);
  if (limit < 1 || first > IndexOf(limit) || first > text.size()) return 0;
  // Only the characters an occurrence beginning at or before `limit` can cover are searched.
  const std::size_t span = IndexOf(limit) - first + key.size();
  const std::size_t found = text.substr(first, span).find(key);
  return found == std::string_view::npos ? 0 : PositionOf(first + found);
}

std::string GetNextLine(std::string_view text, int& pos) {
  const std::size_t first = std::min(IndexOf(pos), text.size());
  // The end of the text ends the last line as a line break would.
  const std::size_t end = std::min(FindLineBreak(text, first), text.size());
  std::size_t next = end;
  while (next < text.size() && IsLineBreak(text[next])) ++next;
  pos = std::max(pos, PositionOf(next));
  return std::string(text.substr(first, end - first));
}

std::string GetNextWord(std::string_view text, int& pos) {
  return std::string(NextWordView(text, pos));
}

bool KeyInRange(std::string_view text, std::string_view key, int start, int limit) {
  return FindInRange(text, key, start, limit) != 0;
}

std::string ReadKeyValue(std::string_view text, std::string_view key, int start, int limit) {
  std::string_view value;
  FindKeyValue(text, key, start, limit, value);
  return std::string(value);
}

std::string ReadKeyValueOrZero(std::string_view text, std::string_view key, int start, int limit) {
  std::string_view value;
  FindKeyValue(text, key, start, limit, value);
  return value.empty() ? std::string("0") : std::string(value);
}

double ValueAsNumber(std::string_view value) {
  return NumberValue(value);
}

bool ValueAsBoolean(std::string_view value) {
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  if (EqualsIgnoringCase(value, "True")) return true;
  if (EqualsIgnoringCase(value, "False")) return false;
  // Not a Boolean word: a number is True unless zero; a text without a leading number is 0.
  return NumberValue(value) != 0.0;
}

bool ReadKeyInto(std::string_view text, std::string_view key, int start, int limit, bool& target) {
  std::string_view value;
  if (!FindKeyValue(text, key, start, limit, value)) return false;
  target = value != "False";
  return true;
}

bool ReadKeyInto(std::string_view text, std::string_view key, int start, int limit,
                 double& target) {
  std::string_view value;
  if (!FindKeyValue(text, key, start, limit, value)) return false;
  target = NumberValue(value);
  return true;
}

// Rounding throws before the store, so an out-of-range value leaves the target as it was.
bool ReadKeyInto(std::string_view text, std::string_view key, int start, int limit,
                 std::int16_t& target) {
  std::string_view value;
  if (!FindKeyValue(text, key, start, limit, value)) return false;
  target = RoundToInt16(NumberValue(value), key);
  return true;
}

bool ReadKeyInto(std::string_view text, std::string_view key, int start, int limit,
                 std::string& target) {
  std::string_view value;
  if (!FindKeyValue(text, key, start, limit, value)) return false;
  target = value;
  return true;
}

}  // namespace brushwright
