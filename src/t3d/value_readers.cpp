// Readers of vectors, rotators, comma triples, words and key-bounded blocks in a T3D text.
#include "t3d/value_readers.h"

#include <cassert>
#include <string>

#include "t3d/text_position.h"
#include "text/key_readers.h"
#include "text/number_text.h"

namespace brushwright {

namespace {

// Each "X=" / "Pitch=" component reads at most this many characters after its "=", as the
// editor writes six decimals and longer tails are cut (X=-12345.678901 reads -12345.678).
constexpr std::size_t kComponentWidth = 10;

// The value of `component_key` in `line`: NumberValue of the characters after it, or
// `fallback` when the line lacks it.
double LineComponent(std::string_view line, std::string_view component_key, double fallback) {
  const std::size_t found = line.find(component_key);
  if (found == std::string_view::npos) return fallback;
  return NumberValue(line.substr(found + component_key.size(), kComponentWidth));
}

// The rest of the line of the first `key` at or after `start` that begins strictly before
// `end`; false when there is none.
bool KeyLineBefore(std::string_view text, int start, int end, std::string_view key,
                   std::string& line) {
  if (end <= 1) return false;
  const int found = FindInRange(text, key, AtLeastOne(start), end - 1);
  if (found == 0) return false;
  int line_pos = found;
  line = GetNextLine(text, line_pos);
  return true;
}

}  // namespace

Vector ReadVector(std::string_view text, int start, int end, std::string_view key,
                  double fallback) {
  Vector result{fallback, fallback, fallback};
  std::string line;
  if (!KeyLineBefore(text, start, end, key, line)) return result;
  result.X = LineComponent(line, "X=", fallback);
  result.Y = LineComponent(line, "Y=", fallback);
  result.Z = LineComponent(line, "Z=", fallback);
  return result;
}

Rotator ReadRotator(std::string_view text, int start, int end, std::string_view key) {
  Rotator result;
  std::string line;
  if (!KeyLineBefore(text, start, end, key, line)) return result;
  result.Pitch = LineComponent(line, "Pitch=", 0);
  result.Yaw = LineComponent(line, "Yaw=", 0);
  result.Roll = LineComponent(line, "Roll=", 0);
  return result;
}

Vector ReadTriple(std::string_view text, int& pos) {
  Vector result;
  result.X = NumberValue(ReadUntil(text, ',', pos));
  result.Y = NumberValue(ReadUntil(text, ',', pos));
  result.Z = NumberValue(ReadUntilLineBreak(text, pos));
  return result;
}

std::string ReadUntilLineBreak(std::string_view text, int& pos) {
  pos = AtLeastOne(pos);
  const int length = TextLength(text);
  if (pos > length) {
    pos = length + 1;
    return std::string();
  }
  const std::size_t found = FindLineBreak(text, static_cast<std::size_t>(pos - 1));
  const int line_break = found == std::string_view::npos ? 0 : static_cast<int>(found) + 1;
  if (line_break == 0) {
    std::string rest = Slice(text, pos, length + 1);
    pos = length + 1;
    return rest;
  }
  std::string result = Slice(text, pos, line_break);
  pos = line_break + 1;  // past the one CR or LF that ended the number
  return result;
}

Vector ReadCommaVector(std::string_view text, int& pos, std::string_view key) {
  pos = AtLeastOne(pos);
  const int found = FindFrom(text, key, pos);
  if (found == 0) return Vector{};
  pos = found + TextLength(key);
  return ReadTriple(text, pos);
}

std::string ReadUntil(std::string_view text, char delimiter, int& pos) {
  pos = AtLeastOne(pos);
  const int found = FindFrom(text, std::string_view(&delimiter, 1), pos);
  if (found == 0) {
    // Past the end rather than back to the start, so a caller's next search cannot rescan.
    pos = TextLength(text) + 1;
    return std::string();
  }
  std::string result = Slice(text, pos, found);
  pos = found + 1;
  return result;
}

std::string ReadLineKeyWord(std::string_view text, int& pos, std::string_view key) {
  pos = AtLeastOne(pos);
  const std::string line = GetNextLine(text, pos);
  const std::size_t found = line.find(key);
  if (found == std::string::npos) return std::string();
  int word_pos = static_cast<int>(found + key.size()) + 1;
  return GetNextWord(line, word_pos);
}

bool FindBlock(std::string_view text, int start, std::string_view begin_key,
               std::string_view end_key, int& content_start, int& content_end) {
  const int begin = FindFrom(text, begin_key, start);
  if (begin == 0) return false;
  content_start = begin + TextLength(begin_key);
  const int end = FindFrom(text, end_key, begin);
  if (end == 0) return false;
  content_end = end - 1;
  return true;
}

}  // namespace brushwright
